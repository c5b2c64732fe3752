#include "database/TLrclibPublish.h"

#include "config/USettings.h"
#include "platform/Hash.h"
#include "toolkit/CodePage.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <thread>

#ifndef CANTREL_VERSION
#define CANTREL_VERSION "0"
#endif

namespace database {

namespace {

const char* const kCancelled = "LRCLIB: cancelled, nothing was published";
const char* const kUnreadableChallenge = "LRCLIB: the challenge could not be read, nothing was published";
constexpr std::size_t kMaxPrefixBytes = 256;
constexpr std::size_t kMaxShownMessageBytes = 300;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A prefix goes into a header line: printable ASCII without ':' only.
bool UsablePrefix(const std::string& prefix) {
    if (prefix.empty() || prefix.size() > kMaxPrefixBytes)
        return false;
    for (const char c : prefix) {
        if (c <= ' ' || c > '~' || c == ':')
            return false;
    }
    return true;
}

// A text from the server, fit to be shown: in the active code page, without control characters, cut.
std::string ShownText(const std::string& utf8) {
    std::string text = toolkit::Utf8ToActive(utf8);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    }
    if (text.size() > kMaxShownMessageBytes)
        text = toolkit::CutActiveText(text, kMaxShownMessageBytes) + "..";
    return text;
}

std::string WithoutTrailingSlashes(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

} // namespace

bool ParsePowTarget(const std::string& hex, TPowTarget& target) {
    if (hex.empty() || hex.size() > 64)
        return false;
    TPowTarget value{};
    // Right-aligned: the last digit is the lowest half-byte.
    for (std::size_t i = 0; i < hex.size(); ++i) {
        const int digit = HexDigit(hex[hex.size() - 1 - i]);
        if (digit < 0)
            return false;
        value[31 - i / 2] |= std::uint8_t(i % 2 == 0 ? digit : digit << 4);
    }
    target = value;
    return true;
}

bool MeetsPowTarget(const std::vector<std::uint8_t>& digest, const TPowTarget& target) {
    if (digest.size() != target.size())
        return false;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (digest[i] != target[i])
            return digest[i] < target[i];
    }
    return true;
}

double ExpectedPowTries(const TPowTarget& target) {
    double value = 0;
    for (const std::uint8_t byte : target)
        value = value * 256 + byte;
    return std::ldexp(1.0, 256) / (value + 1);
}

TPowResult SolvePow(const std::string& prefix, const TPowTarget& target, const std::atomic<bool>& cancel,
                    std::atomic<std::uint64_t>& tries, std::chrono::steady_clock::time_point deadline,
                    std::string& nonce) {
    std::string text = prefix;
    for (std::uint64_t n = 0;; ++n) {
        // The flags and the clock are looked at every 1024 nonces: often enough, and cheap.
        if ((n & 1023) == 0) {
            tries = n;
            if (cancel.load())
                return TPowResult::Cancelled;
            if (std::chrono::steady_clock::now() > deadline)
                return TPowResult::OutOfTime;
        }
        text.resize(prefix.size());
        text += std::to_string(n);
        if (MeetsPowTarget(platform::HashBytes(platform::THashKind::Sha256, text.data(), text.size()),
                           target)) {
            tries = n + 1;
            nonce = std::to_string(n);
            return TPowResult::Found;
        }
    }
}

std::string LrclibPublishBody(const TLrclibTrack& track) {
    const nlohmann::json body = {
        {"trackName", track.TrackName},     {"artistName", track.ArtistName},
        {"albumName", track.AlbumName},     {"duration", track.DurationSeconds},
        {"plainLyrics", track.PlainLyrics}, {"syncedLyrics", track.SyncedLyrics},
    };
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string ProgramUserAgent() {
    return std::string("Cantrel/") + CANTREL_VERSION + " (" + config::kProductSite + ")";
}

TLrclibPublisher::TLrclibPublisher(IProcessMessages* messages) : Http(messages), Messages_(messages) {
    Http.SetTimeout(30);
    Http.SetTotalTimeout(60);
    Http.SetBlockingMode(false);
    Http.SetMaxReplyBytes(kMaxReplyBytes);
    Http.SetUserAgent(ProgramUserAgent());
    Http.SetHttp11(true);
}

void TLrclibPublisher::Cancel() {
    Cancelled_ = true;
    Http.Cancel();
}

void TLrclibPublisher::Progress(const std::string& text) {
    if (OnProgress)
        OnProgress(text);
}

bool TLrclibPublisher::Request(const std::string& url, const std::string& body,
                               const std::vector<std::string>& headers) {
    Http.SetURL(url);
    Http.SetRequestMethod("POST");
    Http.SetExtraHeaders(headers);
    Http.SetPostBody("application/json", body);
    Http.Execute();
    if (Cancelled_) {
        Status_ = kCancelled;
        return false;
    }
    if (Http.TimedOut()) {
        Status_ = "LRCLIB: no reply in time, nothing was published";
        return false;
    }
    if (Http.StatusCode() == 0) {
        Status_ = "LRCLIB: error connecting to " + url.substr(0, url.find("/api/"));
        return false;
    }
    return true;
}

std::string TLrclibPublisher::ErrorStatus() const {
    std::string status = "LRCLIB: error " + std::to_string(Http.StatusCode());
    const auto reply = nlohmann::json::parse(Http.ResponseBody(), nullptr, false);
    if (reply.is_object() && reply.contains("message") && reply["message"].is_string()) {
        const std::string message = ShownText(reply["message"].get<std::string>());
        if (!message.empty())
            status += ": " + message;
    }
    return status;
}

bool TLrclibPublisher::FindProof(const std::string& prefix, const TPowTarget& target, std::string& nonce) {
    std::atomic<std::uint64_t> tries{0};
    std::atomic<bool> done{false};
    TPowResult result = TPowResult::Cancelled;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(ProofSeconds);
    std::string found;
    std::thread worker([&] {
        result = SolvePow(prefix, target, Cancelled_, tries, deadline, found);
        done = true;
    });
    // The worker is ended and joined however this ends, also when the message hook throws.
    struct TJoin {
        std::thread& Worker;
        std::atomic<bool>& Cancelled;
        ~TJoin() {
            if (Worker.joinable()) {
                Cancelled = true;
                Worker.join();
            }
        }
    } join{worker, Cancelled_};

    auto lastShown = start;
    while (!done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (Messages_ != nullptr)
            Messages_->ProcessMessages();
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown >= std::chrono::milliseconds(250)) {
            lastShown = now;
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start).count();
            Progress("LRCLIB: proof of work, " + std::to_string(tries.load()) + " tries in " +
                     std::to_string(seconds) + " s..");
        }
    }
    worker.join();
    switch (result) {
    case TPowResult::Found:
        nonce = found;
        return true;
    case TPowResult::Cancelled:
        Status_ = kCancelled;
        return false;
    case TPowResult::OutOfTime:
        Status_ = "LRCLIB: gave up the proof of work after " + std::to_string(ProofSeconds) +
                  " seconds, nothing was published";
        return false;
    }
    return false;
}

bool TLrclibPublisher::Publish(const std::string& baseUrl, const TLrclibTrack& track) {
    Status_.clear();
    Cancelled_ = false;
    Http.ResetCancel();
    if (track.ArtistName.empty() || track.TrackName.empty() || track.DurationSeconds <= 0) {
        Status_ = "LRCLIB: needs an artist, a title and the song's length; nothing was published";
        return false;
    }
    const std::string base = WithoutTrailingSlashes(baseUrl);
    try {
        Progress("LRCLIB: asking for a challenge..");
        if (!Request(base + "/api/request-challenge", "", {}))
            return false;
        if (Http.StatusCode() != 200) {
            Status_ = ErrorStatus();
            return false;
        }
        const auto challenge = nlohmann::json::parse(Http.ResponseBody(), nullptr, false);
        TPowTarget target{};
        if (!challenge.is_object() || !challenge.contains("prefix") || !challenge["prefix"].is_string() ||
            !challenge.contains("target") || !challenge["target"].is_string() ||
            !UsablePrefix(challenge["prefix"].get<std::string>()) ||
            !ParsePowTarget(challenge["target"].get<std::string>(), target)) {
            Status_ = kUnreadableChallenge;
            return false;
        }
        if (ExpectedPowTries(target) > kMaxExpectedTries) {
            Status_ = "LRCLIB: the challenge's target is too small to reach, nothing was published";
            return false;
        }
        const std::string prefix = challenge["prefix"].get<std::string>();
        std::string nonce;
        Progress("LRCLIB: proof of work..");
        if (!FindProof(prefix, target, nonce))
            return false;

        Progress("LRCLIB: publishing..");
        if (!Request(base + "/api/publish", LrclibPublishBody(track),
                     {"X-Publish-Token: " + prefix + ":" + nonce}))
            return false;
        if (Http.StatusCode() != 201) {
            Status_ = ErrorStatus();
            return false;
        }
        Status_ = "LRCLIB: lyrics published";
        return true;
    } catch (const TIEHTTPError& e) {
        Status_ = std::string("LRCLIB: ") + e.what();
        return false;
    }
}

} // namespace database
