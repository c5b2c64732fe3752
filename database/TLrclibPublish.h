#pragma once
// Publishing lyrics to LRCLIB, the open lyric database that needs no account: the program asks for a
// challenge, finds a proof of work for it (a nonce whose SHA-256 together with the challenge's prefix, read
// as a number, is at most the challenge's target) on a worker thread, then posts the lyrics as JSON with
// the token "prefix:nonce".
//
// Ownership: the submission owns one TLrclibPublisher. The message hook belongs to the user interface and
// must outlive it.

#include "database/IEHTTP3.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace database {

// A proof-of-work target: a 256-bit number, most significant byte first.
using TPowTarget = std::array<std::uint8_t, 32>;

// A target written as 1 to 64 hexadecimal digits (either case). False for anything else.
bool ParsePowTarget(const std::string& hex, TPowTarget& target);
// The digest, read as a big-endian number, is at most the target.
bool MeetsPowTarget(const std::vector<std::uint8_t>& digest, const TPowTarget& target);
// How many nonces a target needs on average: 2^256 / (target + 1).
double ExpectedPowTries(const TPowTarget& target);

enum class TPowResult { Found, Cancelled, OutOfTime };

// Tries the nonces 0, 1, 2 ... (in decimal) until SHA-256 (prefix + nonce) meets the target, cancel is set
// or the deadline passes; tries counts the nonces tried so far (read by other threads for progress).
TPowResult SolvePow(const std::string& prefix, const TPowTarget& target, const std::atomic<bool>& cancel,
                    std::atomic<std::uint64_t>& tries, std::chrono::steady_clock::time_point deadline,
                    std::string& nonce);

// What is published, all text in UTF-8; lines end with LF.
struct TLrclibTrack {
    std::string TrackName;
    std::string ArtistName;
    std::string AlbumName;
    std::int32_t DurationSeconds = 0;
    std::string PlainLyrics;
    std::string SyncedLyrics; // the LRC text, empty for plain lyrics
};

// The JSON body of a publish request (bytes that are not UTF-8 become U+FFFD).
std::string LrclibPublishBody(const TLrclibTrack& track);

// The User-Agent of the program's requests to web services: name, version and home page.
std::string ProgramUserAgent();

class TLrclibPublisher {
public:
    // Challenges whose targets need more nonces than this on average are given up at once.
    static constexpr double kMaxExpectedTries = 68719476736.0; // 2^36
    // Largest reply read; LRCLIB's answers are a few hundred bytes.
    static constexpr std::size_t kMaxReplyBytes = 64 * 1024;

    explicit TLrclibPublisher(IProcessMessages* messages = nullptr);
    TLrclibPublisher(const TLrclibPublisher&) = delete;
    TLrclibPublisher& operator=(const TLrclibPublisher&) = delete;

    // The requests: 30 seconds without a sign of life or 60 seconds in all end them.
    TIEHTTP Http;
    // The longest time the proof of work may take before it is given up.
    int ProofSeconds = 180;
    // Status texts while the work goes on, on the calling thread (may be empty).
    std::function<void(const std::string&)> OnProgress;

    // Publishes the track at the LRCLIB base address ("https://lrclib.net"); the calling thread waits and
    // lets the user interface run meanwhile. True when LRCLIB accepted it (201). Status() says what
    // happened in a line for the user.
    bool Publish(const std::string& baseUrl, const TLrclibTrack& track);
    const std::string& Status() const { return Status_; }

    // Safe from any thread: ends the running request or proof of work at once, and every later one until
    // the next Publish.
    void Cancel();
    bool Cancelled() const { return Cancelled_.load(); }

private:
    // Runs one request; false (with Status_ set) when it brought no HTTP reply.
    bool Request(const std::string& url, const std::string& body, const std::vector<std::string>& headers);
    bool FindProof(const std::string& prefix, const TPowTarget& target, std::string& nonce);
    void Progress(const std::string& text);
    std::string ErrorStatus() const;

    IProcessMessages* Messages_;
    std::atomic<bool> Cancelled_{false};
    std::string Status_;
};

} // namespace database
