#include "platform/win32/tests/TinyHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace platform {

namespace {

constexpr std::size_t kMaxRequestBytes = 4 * 1024 * 1024;

// The Content-Length of a request's headers, 0 when it has none.
std::size_t ContentLength(const std::string& headers) {
    std::string lower = headers;
    for (char& c : lower)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const std::size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::size_t(std::strtoul(lower.c_str() + at + 17, nullptr, 10));
}

} // namespace

TTinyHttpServer::TTinyHttpServer(std::string reply) : Reply_(std::move(reply)), Listener_(INVALID_SOCKET) {}

TTinyHttpServer::~TTinyHttpServer() {
    Stopping_ = true;
    if (Listener_ != INVALID_SOCKET)
        closesocket(SOCKET(Listener_));
    if (Thread_.joinable())
        Thread_.join();
    WSACleanup();
}

bool TTinyHttpServer::Start() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        return false;
    }
    Listener_ = listener;
    Port_ = ntohs(address.sin_port);
    Thread_ = std::thread([this] { Serve(); });
    return true;
}

std::vector<std::string> TTinyHttpServer::Requests() {
    std::lock_guard<std::mutex> lock(Mutex_);
    return Requests_;
}

void TTinyHttpServer::Serve() {
    while (!Stopping_) {
        const SOCKET client = accept(SOCKET(Listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return; // closed by the destructor
        std::string request;
        char buffer[4096];
        for (;;) {
            const std::size_t headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos &&
                request.size() >= headerEnd + 4 + ContentLength(request.substr(0, headerEnd + 2)))
                break;
            const int got = recv(client, buffer, int(sizeof buffer), 0);
            if (got <= 0 || request.size() > kMaxRequestBytes)
                break;
            request.append(buffer, std::size_t(got));
        }
        {
            std::lock_guard<std::mutex> lock(Mutex_);
            Requests_.push_back(request);
        }
        const std::string answer =
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(Reply_.size()) +
            "\r\n\r\n" + Reply_;
        send(client, answer.data(), int(answer.size()), 0);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

} // namespace platform
