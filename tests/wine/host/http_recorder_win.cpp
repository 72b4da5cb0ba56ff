#include "http_recorder_win.h"

#include <ws2tcpip.h>

#include <cctype>
#include <stdexcept>

namespace kvt::wintest {

namespace {

constexpr char kPage[] = "<html><head><title>content</title></head><body>ok</body></html>";

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

HttpRequest Parse(const std::string& head) {
    HttpRequest request;
    std::size_t line_end = head.find("\r\n");
    const std::string first_line = head.substr(0, line_end);
    const std::size_t space = first_line.find(' ');
    const std::size_t second = first_line.find(' ', space + 1);
    request.method = first_line.substr(0, space);
    request.target = first_line.substr(space + 1, second - space - 1);
    while (line_end != std::string::npos && line_end + 2 < head.size()) {
        const std::size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        const std::string line = head.substr(start, line_end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            request.headers.emplace_back(Trimmed(line.substr(0, colon)),
                                         Trimmed(line.substr(colon + 1)));
        }
    }
    return request;
}

}  // namespace

std::optional<std::string> HttpRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (Lower(key) == Lower(name)) {
            return value;
        }
    }
    return std::nullopt;
}

void PumpMessages(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void DispatchQueuedMessages() {
    // A bound, so that a window that keeps invalidating itself cannot hold the caller.
    constexpr int kMostMessages = 10000;
    MSG message;
    for (int i = 0; i < kMostMessages && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HttpRecorder::HttpRecorder() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    listener_.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (!listener_ ||
        bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_.Get(), 8) != 0) {
        throw std::runtime_error("the HTTP recorder cannot listen");
    }
    int size = sizeof(address);
    getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

HttpRecorder::~HttpRecorder() {
    stopping_ = true;
    listener_.Reset();  // ends the accept that the serving thread waits in
    thread_.join();
    WSACleanup();
}

void HttpRecorder::Serve() {
    while (!stopping_) {
        const UniqueSocket client(accept(listener_.Get(), nullptr, nullptr));
        if (!client) {
            continue;
        }
        Answer(client.Get());
    }
}

void HttpRecorder::Answer(SOCKET client) {
    std::string data;
    char buffer[4096];
    std::size_t head_end = std::string::npos;
    while (head_end == std::string::npos) {
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            return;
        }
        data.append(buffer, static_cast<std::size_t>(got));
        head_end = data.find("\r\n\r\n");
    }
    HttpRequest request = Parse(data.substr(0, head_end));
    const std::size_t length =
        request.Header("Content-Length") ? std::stoul(*request.Header("Content-Length")) : 0;
    request.body = data.substr(head_end + 4);
    while (request.body.size() < length) {
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            break;
        }
        request.body.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              std::to_string(sizeof(kPage) - 1) + "\r\nConnection: close\r\n\r\n" +
                              kPage;
    send(client, reply.data(), static_cast<int>(reply.size()), 0);
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(request));
}

std::size_t HttpRecorder::Count() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

HttpRequest HttpRecorder::At(std::size_t index) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_.at(index);
}

bool HttpRecorder::WaitBeyond(std::size_t seen, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        if (Count() > seen) {
            return true;
        }
        PumpMessages(20);
    }
    return Count() > seen;
}

}  // namespace kvt::wintest
