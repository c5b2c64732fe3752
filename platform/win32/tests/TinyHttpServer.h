#pragma once
// Test fixture of the Windows build: a small HTTP server on 127.0.0.1 (Winsock), on a free port, in a thread
// of the test. It reads each request whole (headers and a Content-Length body), records it, answers every
// request with the same reply and closes the connection. Destroying it stops the thread.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class TTinyHttpServer {
public:
    // reply: the body of a "200 OK" answer.
    explicit TTinyHttpServer(std::string reply);
    ~TTinyHttpServer();
    TTinyHttpServer(const TTinyHttpServer&) = delete;
    TTinyHttpServer& operator=(const TTinyHttpServer&) = delete;

    // False when no port could be opened.
    bool Start();
    int Port() const { return Port_; }
    // Every request as it arrived: request line, headers and body.
    std::vector<std::string> Requests();

private:
    void Serve();

    std::string Reply_;
    std::uintptr_t Listener_;
    int Port_ = 0;
    std::atomic<bool> Stopping_{false};
    std::thread Thread_;
    std::mutex Mutex_;
    std::vector<std::string> Requests_;
};

} // namespace platform
