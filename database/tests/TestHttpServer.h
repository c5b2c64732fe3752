#pragma once
// A real HTTP server on 127.0.0.1 for the tests (cpp-httplib), on a free port, in a thread of the test
// process. It records every request it answers, with its body exactly as it arrived. Destroying it
// releases handlers that hold their reply back, stops the server and joins its thread.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace database::test {

struct TRecordedRequest {
    std::string Method;
    std::string Path;
    std::string Version;
    std::string ContentType;
    std::string UserAgent;
    std::string Body;
    httplib::Params Params;
};

class TTestHttpServer {
public:
    using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // Plain HTTP, or the given server (an SSLServer for the certificate test).
    explicit TTestHttpServer(std::unique_ptr<httplib::Server> server = nullptr)
        : Server_(server ? std::move(server) : std::make_unique<httplib::Server>()) {
        // The server would parse a multipart body into parts; the tests want its bytes. The request
        // object is the server's own (not const), so the content type can be renamed before the body
        // is read, and is given back before the handler runs.
        Server_->set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
            auto& request = const_cast<httplib::Request&>(req);
            auto it = request.headers.find("Content-Type");
            if (it != request.headers.end() && it->second.rfind("multipart/", 0) == 0) {
                request.headers.emplace("X-Test-Content-Type", it->second);
                it->second = "application/octet-stream";
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
    }

    ~TTestHttpServer() {
        Release();
        Server_->stop();
        if (Thread_.joinable())
            Thread_.join();
    }

    void Get(const std::string& pattern, THandler handler) {
        Server_->Get(pattern, Wrap(std::move(handler)));
    }
    void Post(const std::string& pattern, THandler handler) {
        Server_->Post(pattern, Wrap(std::move(handler)));
    }

    void Start() {
        Port_ = Server_->bind_to_any_port("127.0.0.1");
        Thread_ = std::thread([this] { Server_->listen_after_bind(); });
        // stop() only reaches a server that already listens.
        while (!Server_->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    int Port() const { return Port_; }
    std::string Address(const std::string& pathAndQuery, const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(Port_) + pathAndQuery;
    }

    std::vector<TRecordedRequest> Records() {
        std::lock_guard<std::mutex> lock(Mutex_);
        return Records_;
    }

    // For handlers that keep the client waiting: returns when the test ends or `limit` passes.
    void HoldUntilReleased(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(Mutex_);
        Cond_.wait_for(lock, limit, [this] { return Released_; });
    }
    void Release() {
        {
            std::lock_guard<std::mutex> lock(Mutex_);
            Released_ = true;
        }
        Cond_.notify_all();
    }

private:
    httplib::Server::Handler Wrap(THandler handler) {
        return [this, handler](const httplib::Request& req, httplib::Response& res) {
            TRecordedRequest record;
            record.Method = req.method;
            record.Path = req.path;
            record.Version = req.version;
            record.ContentType = req.has_header("X-Test-Content-Type")
                                     ? req.get_header_value("X-Test-Content-Type")
                                     : req.get_header_value("Content-Type");
            record.UserAgent = req.get_header_value("User-Agent");
            record.Body = req.body;
            record.Params = req.params;
            {
                std::lock_guard<std::mutex> lock(Mutex_);
                Records_.push_back(record);
            }
            handler(req, res);
        };
    }

    std::unique_ptr<httplib::Server> Server_;
    std::thread Thread_;
    int Port_ = 0;
    std::mutex Mutex_;
    std::condition_variable Cond_;
    bool Released_ = false;
    std::vector<TRecordedRequest> Records_;
};

} // namespace database::test
