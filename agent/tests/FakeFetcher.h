#pragma once
// A fetcher with canned replies for the agent's unit tests: replies by address (exact, or the first prefix
// that matches), every address asked recorded; an address with no reply gets no answer (like a closed port).
// Hold makes a request wait until the fetcher is cancelled.

#include "agent/core/IHttpFetcher.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace agent::test {

inline THttpReply Reply(int status, std::string body, std::string contentType = "text/html") {
    THttpReply reply;
    reply.Status = status;
    reply.Complete = true;
    reply.Body = std::move(body);
    reply.ContentType = std::move(contentType);
    return reply;
}

inline THttpReply NoAnswer() {
    THttpReply reply;
    reply.Error = "Could not connect";
    return reply;
}

class TFakeFetcher final : public IHttpFetcher {
public:
    std::map<std::string, THttpReply> Replies; // by address prefix
    std::vector<std::string> Asked;
    bool Hold = false; // requests wait for Cancel

    THttpReply Get(const std::string& url) override {
        std::unique_lock<std::mutex> lock(Mutex_);
        Asked.push_back(url);
        if (Hold)
            Cond_.wait(lock, [this] { return Cancelled_.load(); });
        if (Cancelled_) {
            THttpReply reply;
            reply.Cancelled = true;
            return reply;
        }
        const auto exact = Replies.find(url);
        if (exact != Replies.end())
            return exact->second;
        for (const auto& [prefix, reply] : Replies)
            if (url.rfind(prefix, 0) == 0)
                return reply;
        return NoAnswer();
    }
    void Cancel() override {
        {
            std::lock_guard<std::mutex> lock(Mutex_);
            Cancelled_ = true;
        }
        Cond_.notify_all();
    }
    std::vector<std::string> AskedCopy() {
        std::lock_guard<std::mutex> lock(Mutex_);
        return Asked;
    }

private:
    std::mutex Mutex_;
    std::condition_variable Cond_;
    std::atomic<bool> Cancelled_{false};
};

} // namespace agent::test
