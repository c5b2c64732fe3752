#include "database/IEHTTP3.h"

#include "database/iehttp4_thread.h"
#include "toolkit/CodePage.h"

#include <utility>

namespace database {

namespace {

const char* const kBusyParameters = "Cannot change parameters while processing request";
const char* const kBusyExecute = "Cannot reuse TIE, while processing request";

// Clears the per-request state however Execute ends.
class TRequestGuard {
public:
    TRequestGuard(bool& busy, TMultipartVars& vars) : Busy_(busy), Vars_(vars) { Busy_ = true; }
    ~TRequestGuard() {
        Vars_.Clear();
        Busy_ = false;
    }
    TRequestGuard(const TRequestGuard&) = delete;
    TRequestGuard& operator=(const TRequestGuard&) = delete;

private:
    bool& Busy_;
    TMultipartVars& Vars_;
};

} // namespace

void TIEHTTP::CheckIdle() const {
    if (Busy_)
        throw TIEHTTPError(kBusyParameters);
}

void TIEHTTP::SetURL(const std::string& url) {
    if (url.empty()) {
        URL_.clear();
        Parsed_ = TCrackedUrl();
        return;
    }
    std::string full = url;
    if (LowerAscii(url).find("://") == std::string::npos)
        full = "http://" + url;
    Parsed_ = CrackUrl(full);
    URL_ = full;
}

void TIEHTTP::SetRequestMethod(const std::string& method) {
    CheckIdle();
    const std::string upper = [&] {
        std::string s = method;
        for (char& c : s) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        }
        return s;
    }();
    if (upper == "GET") {
        ContentType_.clear();
    } else if (upper == "POST") {
        ContentType_ = MultipartPOST_ ? kMultipartContentType : kUrlEncodedContentType;
    } else {
        throw TIEHTTPError("Unsupported method. Allowed methods: GET, POST");
    }
    RequestMethod_ = upper;
}

void TIEHTTP::SetMultipartPOST(bool multipart) {
    CheckIdle();
    MultipartPOST_ = multipart;
    if (multipart) {
        SetRequestMethod("POST");
    } else if (RequestMethod_ == "POST") {
        // Leaving multipart mode goes back to a url-encoded POST.
        ContentType_ = kUrlEncodedContentType;
    }
}

void TIEHTTP::AddMultipartVar(const std::string& name, const std::string& value) {
    if (!MultipartPOST_)
        throw TIEHTTPError("tiehttp not in multipart mode");
    Vars_.Add(name, value);
}

void TIEHTTP::AddMultipartVar(const std::string& name, const std::u16string& value) {
    AddMultipartVar(name, toolkit::Utf16ToActive(value));
}

void TIEHTTP::SetPostBody(const std::string& contentType, const std::string& body) {
    CheckIdle();
    if (contentType.find_first_of("\r\n") != std::string::npos)
        throw TIEHTTPError("tiehttp: invalid header");
    HasPostBody_ = true;
    PostBodyType_ = contentType;
    PostBody_ = body;
}

void TIEHTTP::SetExtraHeaders(const std::vector<std::string>& headers) {
    CheckIdle();
    for (const auto& line : headers) {
        if (line.find_first_of("\r\n") != std::string::npos || line.find(':') == std::string::npos)
            throw TIEHTTPError("tiehttp: invalid header");
    }
    ExtraHeaders_ = headers;
}

void TIEHTTP::ExecuteURL(const std::string& url) {
    SetURL(url);
    Execute();
}

void TIEHTTP::Cancel() {
    Cancelled_ = true;
    std::lock_guard<std::mutex> lock(RunningMutex_);
    if (Running_ != nullptr)
        Running_->Abort();
}

void TIEHTTP::Execute() {
    if (Busy_)
        throw TIEHTTPError(kBusyExecute);
    TRequestGuard guard(Busy_, Vars_);
    TRequestParams params;
    // The body is for this request only, however it ends.
    params.HasPostBody = std::exchange(HasPostBody_, false);
    params.PostBodyType = std::move(PostBodyType_);
    params.PostBody = std::move(PostBody_);
    PostBodyType_.clear();
    PostBody_.clear();
    if (URL_.empty())
        throw TIEHTTPError("TIEHTTP: no url in execute method");

    ResponseLines_.clear();
    ResponseBody_.clear();
    ResponseContentType_.clear();
    LastWorkerError_.clear();
    StatusCode_ = 0;
    TimedOut_ = false;
    if (Cancelled_)
        return;

    params.Url = Parsed_;
    params.Method = RequestMethod_;
    params.ContentType = ContentType_;
    params.Vars = Vars_;
    params.TimeoutSeconds = Timeout_;
    params.TotalSeconds = TotalTimeout_;
    params.UserAgent = UserAgent_;
    params.MaxReplyBytes = MaxReplyBytes_;
    params.ExtraHeaders = ExtraHeaders_;
    params.Http11 = Http11_;
    if (RequestMethod_ != "POST")
        params.HasPostBody = false;
    if (KeepEscapes_)
        params.Address = EscapeAddressBytes(URL_.substr(0, URL_.find('#')));
    const int timeout = Timeout_;

    // The worker's destructor aborts and joins it, also when the message hook throws.
    TTimeout worker(std::move(params));
    worker.Start();
    {
        std::lock_guard<std::mutex> lock(RunningMutex_);
        Running_ = &worker;
        if (Cancelled_)
            worker.Abort();
    }
    struct TRunningGuard {
        TIEHTTP& Self;
        ~TRunningGuard() {
            std::lock_guard<std::mutex> lock(Self.RunningMutex_);
            Self.Running_ = nullptr;
        }
    } running{*this};
    bool timedOut = false;
    while (!worker.Done()) {
        worker.WaitForSignal(std::chrono::milliseconds(500));
        if (!BlockingMode_ && Messages_ != nullptr)
            Messages_->ProcessMessages();
        if (timeout > 0 && !timedOut && !Cancelled_ && TTimeout::TClock::now() > worker.Deadline()) {
            worker.Abort();
            timedOut = true;
        }
    }
    worker.Join();

    LastWorkerError_ = worker.Error();
    if (Cancelled_)
        return;
    std::string body = timedOut ? std::string(kTimeoutReply) : worker.TakeBody();
    TimedOut_ = timedOut;
    StatusCode_ = worker.StatusCode();
    ResponseContentType_ = worker.ContentType();
    ResponseBody_ = UnpackReply(body, MaxReplyBytes_);
    ResponseLines_ = SplitReplyLines(ResponseBody_);
}

} // namespace database
