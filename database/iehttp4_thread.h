#pragma once
// The worker of one HTTP request. It runs the whole transfer on a thread of its own (libcurl), while the
// thread that started it only waits, watches the deadline and, when the deadline passes, aborts it.
//
// The request component creates one worker per request and destroys it after the request; the worker
// owns its thread, its libcurl handles and the reply body. The body belongs to the worker until Done()
// is true.

#include "database/iiehttp3_funcs.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace database {

// Everything the worker needs, copied from the component when the request starts.
struct TRequestParams {
    TCrackedUrl Url;
    std::string Method;      // "GET" or "POST"
    std::string ContentType; // empty for GET
    TMultipartVars Vars;     // the caller's multipart variables
    int TimeoutSeconds = 0;  // inactivity limit; 0 or less: none
    int TotalSeconds = 0;    // limit of the whole request; 0 or less: none
    std::string UserAgent = "tiehttp";
    std::size_t MaxReplyBytes = kMaxReplyBytes;
    bool HasPostBody = false; // POST: send PostBody with PostBodyType instead of the query or the form
    std::string PostBodyType;
    std::string PostBody;
    std::vector<std::string> ExtraHeaders; // "Name: value" lines
    bool Http11 = false;
    std::string Address; // when not empty, the address requested as it is (GET), instead of the parsed Url
};

class TTimeout {
public:
    using TClock = std::chrono::steady_clock;

    explicit TTimeout(TRequestParams params);
    ~TTimeout(); // aborts and joins a worker still running
    TTimeout(const TTimeout&) = delete;
    TTimeout& operator=(const TTimeout&) = delete;

    // Starts the thread and returns once it runs.
    void Start();
    bool Done() const { return Done_.load(); }
    // Waits until the worker signals or `limit` passes, then resets the signal.
    void WaitForSignal(std::chrono::milliseconds limit);
    // Time of the last sign of life plus the time-out: the transfer is aborted when now passes it.
    TClock::time_point Deadline() const { return TClock::time_point(TClock::duration(Deadline_.load())); }
    // Ends the transfer from the waiting side; the worker discards what it read and finishes.
    void Abort();
    void Join();

    // After Done(): the reply body and, when the request failed, why (never shown to the user).
    std::string TakeBody() { return std::move(Body_); }
    const std::string& Error() const { return Error_; }
    // The reply's HTTP status (0 when no reply came) and its Content-Type header.
    int StatusCode() const { return StatusCode_; }
    const std::string& ContentType() const { return ContentType_; }

private:
    void Run();
    void Transfer();
    void MoveDeadline();
    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* self);

    TRequestParams Params_;
    std::thread Thread_;
    std::atomic<bool> Started_{false};
    std::atomic<bool> Done_{false};
    std::atomic<bool> Aborted_{false};
    std::atomic<TClock::rep> Deadline_{0};

    std::mutex SignalMutex_;
    std::condition_variable SignalCond_;
    bool Signalled_ = false;

    std::mutex MultiMutex_; // guards Multi_ against the abort from the waiting side
    void* Multi_ = nullptr; // the libcurl multi handle while the transfer runs

    std::string Body_;
    std::string Error_;
    int StatusCode_ = 0;
    std::string ContentType_;
};

} // namespace database
