#pragma once
// The sample content server: serves the content page and its companions on a local
// address, on a port of its own choosing, and keeps every request it answered.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace kvt::demo {

struct RecordedRequest {
    std::string method;
    std::string path;
    std::multimap<std::string, std::string> params;  // query parameters, decoded
    std::string content_type;
    std::string body;  // as received
};

class ContentServer {
  public:
    ContentServer();
    ContentServer(const ContentServer&) = delete;
    ContentServer& operator=(const ContentServer&) = delete;
    ~ContentServer();

    // Binds a free port on `host` and serves from a thread of its own. Raises Exception
    // when it cannot bind.
    void Start(const std::string& host = "127.0.0.1");
    void Stop();

    // "host:port", as the control's ServerIP parameter takes it.
    std::string Address() const;
    int Port() const { return port_; }

    std::vector<RecordedRequest> Requests() const;

  private:
    void Record(RecordedRequest request);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::string host_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
};

}  // namespace kvt::demo
