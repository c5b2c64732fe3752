#include "database/iehttp4_thread.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace database {

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct TListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Builds the path, header text and body of the request.
struct TPrepared {
    std::string Address;
    std::string Header; // "Content-Type: ..." for POST, empty for GET
    std::string Body;
};

TPrepared Prepare(TRequestParams& params) {
    TPrepared prepared;
    const bool post = params.Method == "POST";
    // GET sends the query with the path; POST sends it as the body.
    prepared.Address = !post && !params.Address.empty() ? params.Address : RequestAddress(params.Url, !post);
    if (!post)
        return prepared;

    if (params.HasPostBody) {
        prepared.Header = "Content-Type: " + params.PostBodyType;
        prepared.Body = params.PostBody;
        return prepared;
    }
    std::string bodyText = params.Url.Extra;
    if (!bodyText.empty() && bodyText[0] == '?')
        bodyText.erase(0, 1);
    const std::string contentType = params.ContentType.empty() ? kUrlEncodedContentType : params.ContentType;
    prepared.Header = "Content-Type: " + contentType;

    if (LowerAscii(contentType).find("multipart") != std::string::npos) {
        // The query becomes variables after those the caller added.
        AddQueryVars(params.Vars, bodyText);
        if (params.Vars.Empty())
            throw TIEHTTPError("multipart error: no variables to post");
        prepared.Body = BuildMultipartBody(params.Vars);
    } else {
        prepared.Body = bodyText;
    }
    return prepared;
}

} // namespace

TTimeout::TTimeout(TRequestParams params) : Params_(std::move(params)) {
    GlobalInit();
    MoveDeadline();
}

TTimeout::~TTimeout() {
    Abort();
    Join();
}

void TTimeout::Start() {
    Thread_ = std::thread([this] { Run(); });
    while (!Started_.load())
        std::this_thread::yield();
}

void TTimeout::WaitForSignal(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(SignalMutex_);
    SignalCond_.wait_for(lock, limit, [this] { return Signalled_; });
    Signalled_ = false;
}

void TTimeout::Abort() {
    Aborted_ = true;
    std::lock_guard<std::mutex> lock(MultiMutex_);
    if (Multi_ != nullptr)
        curl_multi_wakeup(static_cast<CURLM*>(Multi_));
}

void TTimeout::Join() {
    if (Thread_.joinable())
        Thread_.join();
}

void TTimeout::MoveDeadline() {
    const auto deadline =
        TClock::now() + std::chrono::seconds(Params_.TimeoutSeconds > 0 ? Params_.TimeoutSeconds : 0);
    Deadline_ = deadline.time_since_epoch().count();
}

void TTimeout::Run() {
    Started_ = true;
    try {
        Transfer();
    } catch (const std::exception& e) {
        Error_ = e.what();
    }
    if (Aborted_)
        Body_.clear();
    Done_ = true;
    {
        std::lock_guard<std::mutex> lock(SignalMutex_);
        Signalled_ = true;
    }
    SignalCond_.notify_all();
}

std::size_t TTimeout::OnData(char* data, std::size_t size, std::size_t count, void* self) {
    auto* worker = static_cast<TTimeout*>(self);
    const std::size_t bytes = size * count;
    if (worker->Aborted_)
        return 0; // ends the transfer
    const std::size_t limit = worker->Params_.MaxReplyBytes;
    if (worker->Body_.size() + bytes > limit) {
        // A reply this large is no answer of ours; keep what fits and stop reading.
        worker->Body_.append(data, limit - worker->Body_.size());
        worker->Error_ = "reply larger than the limit";
        return 0;
    }
    worker->Body_.append(data, bytes);
    worker->MoveDeadline();
    return bytes;
}

void TTimeout::Transfer() {
    TPrepared prepared = Prepare(Params_);

    std::unique_ptr<CURL, TEasyDeleter> easy(curl_easy_init());
    if (!easy)
        throw TIEHTTPError("Could not open Internet");
    CURL* h = easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_URL, prepared.Address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION,
                     static_cast<long>(Params_.Http11 ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_USERAGENT, Params_.UserAgent.c_str());
    if (Params_.TotalSeconds > 0)
        curl_easy_setopt(h, CURLOPT_TIMEOUT, static_cast<long>(Params_.TotalSeconds));
    // Redirects are followed like the platform's own client does, to web addresses only.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Certificates are checked: the form carries the account's name and password.
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &TTimeout::OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);

    // Always from the server, never from a cache on the way.
    std::unique_ptr<curl_slist, TListDeleter> headers(curl_slist_append(nullptr, "Pragma: no-cache"));
    for (const auto& line : Params_.ExtraHeaders)
        headers.reset(curl_slist_append(headers.release(), line.c_str()));
    if (Params_.Method == "POST") {
        headers.reset(curl_slist_append(headers.release(), prepared.Header.c_str()));
        headers.reset(curl_slist_append(headers.release(), "Expect:"));
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(prepared.Body.size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, prepared.Body.data());
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    if (!headers)
        throw TIEHTTPError("Could not open HTTP request");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    CURLM* multi = curl_multi_init();
    if (multi == nullptr)
        throw TIEHTTPError("Could not open Internet");
    curl_multi_add_handle(multi, h);
    {
        std::lock_guard<std::mutex> lock(MultiMutex_);
        Multi_ = multi;
    }
    MoveDeadline();

    CURLcode result = CURLE_OK;
    int running = 1;
    while (!Aborted_) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0)
            break;
        // Woken early by data, by the end of the transfer or by Abort().
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int pending = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &pending)) {
        if (msg->msg == CURLMSG_DONE)
            result = msg->data.result;
    }

    {
        std::lock_guard<std::mutex> lock(MultiMutex_);
        Multi_ = nullptr;
    }
    long status = 0;
    if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
        StatusCode_ = int(status);
    char* contentType = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType != nullptr)
        ContentType_ = contentType;
    curl_multi_remove_handle(multi, h);
    curl_multi_cleanup(multi);

    if (Aborted_)
        throw TIEHTTPError("request aborted");
    if (result == CURLE_COULDNT_RESOLVE_HOST || result == CURLE_COULDNT_CONNECT)
        throw TIEHTTPError("Could not connect to server " + Params_.Url.Host);
    if (result != CURLE_OK && Error_.empty())
        throw TIEHTTPError(errorText[0] != '\0' ? errorText : curl_easy_strerror(result));
}

} // namespace database
