#pragma once
// TIEHTTP: one HTTP request at a time, GET or POST (url-encoded or multipart/form-data), run on a worker
// thread while the calling thread waits in steps of at most 500 ms. With BlockingMode off the waiting
// thread lets the user interface run its pending messages through IProcessMessages between the steps.
// The reply comes back as text lines (ResponseLines); a compressed reply is unpacked first.
//
// The owner (the submission window) holds one instance. The message hook is owned by the user
// interface and must outlive the component.

#include "database/iiehttp3_funcs.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace database {

class TTimeout;

// Implemented by the user interface: run the events that are waiting, then return. It should not throw;
// an exception from it aborts the request and is passed on to the caller of Execute.
class IProcessMessages {
public:
    virtual ~IProcessMessages() = default;
    virtual void ProcessMessages() = 0;
};

class TIEHTTP {
public:
    explicit TIEHTTP(IProcessMessages* messages = nullptr) : Messages_(messages) {}
    TIEHTTP(const TIEHTTP&) = delete;
    TIEHTTP& operator=(const TIEHTTP&) = delete;

    void SetMessageHook(IProcessMessages* messages) { Messages_ = messages; }

    // "http://" is put in front of an address without "://"; the address is parsed at once (raises
    // "TIE: Invalid URL. Error - ..."). An empty address clears the parsed parts.
    const std::string& URL() const { return URL_; }
    void SetURL(const std::string& url);

    // "GET" or "POST" in any case, stored upper-cased; anything else raises
    // "Unsupported method. Allowed methods: GET, POST".
    const std::string& RequestMethod() const { return RequestMethod_; }
    void SetRequestMethod(const std::string& method);

    // true also sets RequestMethod to "POST".
    bool MultipartPOST() const { return MultipartPOST_; }
    void SetMultipartPOST(bool multipart);

    // Inactivity limit of a request in seconds; 0 or less means none.
    int Timeout() const { return Timeout_; }
    void SetTimeout(int seconds) { Timeout_ = seconds; }

    bool BlockingMode() const { return BlockingMode_; }
    void SetBlockingMode(bool blocking) { BlockingMode_ = blocking; }

    // Limit of a whole request in seconds, however steadily data comes; 0 or less means none (the default).
    int TotalTimeout() const { return TotalTimeout_; }
    void SetTotalTimeout(int seconds) { TotalTimeout_ = seconds; }
    // The User-Agent header ("tiehttp" unless set).
    const std::string& UserAgent() const { return UserAgent_; }
    void SetUserAgent(const std::string& agent) { UserAgent_ = agent; }
    // The largest reply kept, before and after unpacking (kMaxReplyBytes unless set); a larger reply ends
    // the request with what fit and a worker error.
    void SetMaxReplyBytes(std::size_t bytes) { MaxReplyBytes_ = bytes; }
    // Off (the default): the address's escapes are decoded and "+" in its query is sent as "%2B", as the
    // platform's own client does. On: a GET address goes out as it was given, its escapes kept, so a value
    // holding an escaped "&" or "=" stays one value; only bytes no address may hold are escaped.
    void SetKeepEscapes(bool keep) { KeepEscapes_ = keep; }

    const std::string& ContentType() const { return ContentType_; }

    // POST only: the body sent as it is with its content type, instead of the address's query or the
    // form. Cleared after the next Execute, like the form's variables.
    void SetPostBody(const std::string& contentType, const std::string& body);
    // Header lines ("Name: value") sent with every request until changed; a line holding CR or LF raises
    // "tiehttp: invalid header".
    void SetExtraHeaders(const std::vector<std::string>& headers);
    // HTTP/1.1 instead of HTTP/1.0 (the default).
    void SetHttp11(bool on) { Http11_ = on; }

    // Multipart mode only (else raises "tiehttp not in multipart mode"). The value is 8-bit text in the
    // active code page; the second form converts wide text to it.
    void AddMultipartVar(const std::string& name, const std::string& value);
    void AddMultipartVar(const std::string& name, const std::u16string& value);

    // Performs the request and returns when it has finished, failed or timed out. The multipart
    // variables are cleared afterwards in every case.
    void Execute();
    void ExecuteURL(const std::string& url);

    const std::vector<std::string>& ResponseLines() const { return ResponseLines_; }
    // Why the last request failed on the worker, empty when it did not; never shown to the user.
    const std::string& LastWorkerError() const { return LastWorkerError_; }
    // The last reply as one body (unpacked, not split into lines), its HTTP status (0 when no reply came)
    // and its Content-Type header; whether the last request ran out of its inactivity time.
    const std::string& ResponseBody() const { return ResponseBody_; }
    int StatusCode() const { return StatusCode_; }
    const std::string& ResponseContentType() const { return ResponseContentType_; }
    bool TimedOut() const { return TimedOut_; }

    // Safe to call from any thread: ends the running request at once, and every later one before it
    // starts, until ResetCancel. A cancelled Execute returns with an empty reply and Cancelled() true.
    void Cancel();
    void ResetCancel() { Cancelled_ = false; }
    bool Cancelled() const { return Cancelled_; }

private:
    void CheckIdle() const;

    IProcessMessages* Messages_ = nullptr;
    std::string URL_;
    TCrackedUrl Parsed_;
    std::string RequestMethod_ = "GET";
    bool MultipartPOST_ = false;
    int Timeout_ = 90;
    bool BlockingMode_ = true;
    std::string ContentType_;
    TMultipartVars Vars_;
    bool Busy_ = false;
    int TotalTimeout_ = 0;
    std::string UserAgent_ = "tiehttp";
    std::size_t MaxReplyBytes_ = kMaxReplyBytes;
    bool KeepEscapes_ = false;
    bool HasPostBody_ = false;
    std::string PostBodyType_;
    std::string PostBody_;
    std::vector<std::string> ExtraHeaders_;
    bool Http11_ = false;
    std::vector<std::string> ResponseLines_;
    std::string LastWorkerError_;
    std::string ResponseBody_;
    int StatusCode_ = 0;
    std::string ResponseContentType_;
    bool TimedOut_ = false;

    std::atomic<bool> Cancelled_{false};
    std::mutex RunningMutex_; // guards Running_ against Cancel from another thread
    TTimeout* Running_ = nullptr;
};

} // namespace database
