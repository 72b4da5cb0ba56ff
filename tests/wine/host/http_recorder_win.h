#pragma once
// A small HTTP server on 127.0.0.1 that records every request it gets and answers each
// with a tiny page. It runs on its own thread; the test thread waits for requests while
// it processes its window messages.

#include <winsock2.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "com/handle_win.h"

namespace kvt::wintest {

using UniqueSocket = com::UniqueHandle<SOCKET, closesocket, INVALID_SOCKET>;

struct HttpRequest {
    std::string method;
    std::string target;  // path and query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first header of that name (case-insensitive), if any.
    std::optional<std::string> Header(const std::string& name) const;
};

class HttpRecorder {
  public:
    HttpRecorder();  // listens on an ephemeral port
    HttpRecorder(const HttpRecorder&) = delete;
    HttpRecorder& operator=(const HttpRecorder&) = delete;
    ~HttpRecorder();

    unsigned short Port() const { return port_; }
    // The number of requests recorded so far.
    std::size_t Count();
    HttpRequest At(std::size_t index);
    // Waits, processing window messages, until more than `seen` requests are recorded or
    // the time is up; answers whether one arrived.
    bool WaitBeyond(std::size_t seen, DWORD milliseconds);

  private:
    void Serve();
    void Answer(SOCKET client);

    UniqueSocket listener_;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    std::thread thread_;
};

// Processes window messages for about `milliseconds`.
void PumpMessages(DWORD milliseconds);
// Dispatches the messages already in the thread's queue, then returns.
void DispatchQueuedMessages();

}  // namespace kvt::wintest
