#pragma once
// How the search reaches the web: one GET at a time. The agent's fetcher runs on the HTTP request component;
// tests give canned replies.

#include <cstddef>
#include <string>

namespace agent {

// Bounds of every request: silence allowed while waiting for data, the whole request, the reply's size.
struct THttpLimits {
    int TimeoutSeconds = 15;
    int TotalSeconds = 30;
    std::size_t MaxReplyBytes = 4u * 1024 * 1024; // a larger reply is no page of lyrics
};

struct THttpReply {
    int Status = 0;          // the HTTP status; 0 when no reply came (no connection, refused, time-out)
    bool Complete = false;   // a whole reply arrived (not cut short by a time-out, a size limit or an error)
    bool Cancelled = false;  // the fetcher was cancelled before or during the request
    std::string Body;        // the reply's body (unpacked), when Complete
    std::string ContentType; // its Content-Type header
    std::string Error;       // why it is not Complete; never shown to the user
};

class IHttpFetcher {
public:
    virtual ~IHttpFetcher() = default;
    virtual THttpReply Get(const std::string& url) = 0;
    // Safe to call from any thread: ends the running request at once and makes every later one return
    // Cancelled.
    virtual void Cancel() = 0;
};

} // namespace agent
