#include "hosts/demo/content_server.h"

#include <httplib.h>

#include <charconv>
#include <chrono>

#include "base/errors.h"
#include "hosts/demo/content_page.h"

namespace kvt::demo {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

using Page = std::string (*)(const httplib::Request&);

int NumberParam(const httplib::Request& request, const char* name, int otherwise) {
    int value = otherwise;
    const std::string text = request.get_param_value(name);
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A headline's link names its sector and item; the plain news link names neither.
std::string NewsPage(const httplib::Request& request) {
    if (request.has_param("sector")) {
        return RenderHeadlinePage(request.get_param_value("sector"),
                                  NumberParam(request, "item", -1));
    }
    return RenderNewsPage(NumberParam(request, "depth", 1));
}

}  // namespace

ContentServer::ContentServer() : server_(std::make_unique<httplib::Server>()) {
    // The engine keeps idle connections open; each would hold a worker for the default 5 s.
    server_->set_keep_alive_timeout(1);
    // Each request is kept, body included, before it is answered: a client that has its
    // answer finds its request recorded.
    const auto serve = [this](const char* path, bool post, Page page) {
        const auto handler = [this, page](const httplib::Request& request,
                                          httplib::Response& response) {
            Record({request.method,
                    request.path,
                    {request.params.begin(), request.params.end()},
                    request.get_header_value("Content-Type"),
                    request.body});
            response.set_content(page(request), kHtml);
        };
        if (post) {
            server_->Post(path, handler);
        }
        server_->Get(path, handler);
    };
    serve("/tavrix2009/kplm.aspx", true, [](const httplib::Request& request) {
        return RenderContentPage(ParseContentRequest(request.body));
    });
    serve("/tavrix2009/stock.aspx", false, [](const httplib::Request& request) {
        return RenderStockPage(request.get_param_value("code"));
    });
    serve("/tavrix2009/news.aspx", false, NewsPage);
    serve("/tavrix2009/quote.aspx", false,
          [](const httplib::Request&) { return RenderQuotePage(); });
}

ContentServer::~ContentServer() {
    Stop();
}

void ContentServer::Start(const std::string& host) {
    Stop();
    const int port = server_->bind_to_any_port(host);
    if (port <= 0) {
        throw Exception("The content server cannot listen on " + host);
    }
    host_ = host;
    port_ = port;
    thread_ = std::thread([server = server_.get()] { server->listen_after_bind(); });
    // A stop that came before the listening loop had started would be lost.
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void ContentServer::Stop() {
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

std::string ContentServer::Address() const {
    return host_ + ":" + std::to_string(port_);
}

std::vector<RecordedRequest> ContentServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void ContentServer::Record(RecordedRequest request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

}  // namespace kvt::demo
