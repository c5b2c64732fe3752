// Publishing to LRCLIB without a server: proof-of-work targets and their search, the JSON body, and the
// texts made from the editor's panes.

#include "database/TLrclibPublish.h"
#include "database/UUploadLyric.h"
#include "platform/Hash.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace database;

namespace {

TPowTarget Target(const std::string& hex) {
    TPowTarget target{};
    EXPECT_TRUE(ParsePowTarget(hex, target)) << hex;
    return target;
}

} // namespace

TEST(PowTarget, ParsesHexNumbersOfUpTo256Bits) {
    struct {
        const char* hex;
        bool ok;
        std::uint8_t first, last; // bytes 0 and 31 when ok
    } cases[] = {
        {"000000FF00000000000000000000000000000000000000000000000000000000", true, 0x00, 0x00},
        {"ff", true, 0x00, 0xff},
        {"Abc", true, 0x00, 0xbc},
        {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", true, 0xff, 0xff},
        {"", false, 0, 0},
        {"0x10", false, 0, 0},
        {"12 34", false, 0, 0},
        {"-1", false, 0, 0},
        {"1FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", false, 0, 0}, // 65 digits
    };
    for (const auto& c : cases) {
        TPowTarget target{};
        ASSERT_EQ(ParsePowTarget(c.hex, target), c.ok) << c.hex;
        if (c.ok) {
            EXPECT_EQ(target[0], c.first) << c.hex;
            EXPECT_EQ(target[31], c.last) << c.hex;
        }
    }
    EXPECT_EQ(Target("abc")[30], 0x0a);
    EXPECT_EQ(Target("000000FF00000000000000000000000000000000000000000000000000000000")[3], 0xff);
}

TEST(PowTarget, ADigestMeetsATargetAtOrAboveIt) {
    const TPowTarget target = Target("0100000000000000000000000000000000000000000000000000000000000000");
    std::vector<std::uint8_t> digest(32, 0);
    digest[0] = 0x01;
    EXPECT_TRUE(MeetsPowTarget(digest, target)); // equal
    digest[31] = 0x01;
    EXPECT_FALSE(MeetsPowTarget(digest, target)); // one above
    digest[0] = 0x00;
    digest[1] = 0xff;
    EXPECT_TRUE(MeetsPowTarget(digest, target));
    EXPECT_FALSE(MeetsPowTarget(std::vector<std::uint8_t>(16, 0), target)); // not a SHA-256 digest

    // LRCLIB's usual target needs about 2^32 / 255 tries; a zero target 2^256.
    EXPECT_NEAR(ExpectedPowTries(Target("000000FF00000000000000000000000000000000000000000000000000000000")),
                std::ldexp(1.0, 32) / 255.0, 1.0);
    EXPECT_GT(ExpectedPowTries(Target("0")), TLrclibPublisher::kMaxExpectedTries);
}

TEST(ProofOfWork, FindsANonceThatMeetsTheTarget) {
    const TPowTarget target = Target("00FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> tries{0};
    std::string nonce;
    ASSERT_EQ(SolvePow("prefix", target, cancel, tries,
                       std::chrono::steady_clock::now() + std::chrono::minutes(1), nonce),
              TPowResult::Found);
    const std::string text = "prefix" + nonce;
    EXPECT_TRUE(
        MeetsPowTarget(platform::HashBytes(platform::THashKind::Sha256, text.data(), text.size()), target));
    EXPECT_EQ(tries.load(), std::stoull(nonce) + 1);
    // The first that meets it: no smaller nonce does.
    for (std::uint64_t n = 0; n < std::stoull(nonce); ++n) {
        const std::string smaller = "prefix" + std::to_string(n);
        EXPECT_FALSE(MeetsPowTarget(
            platform::HashBytes(platform::THashKind::Sha256, smaller.data(), smaller.size()), target));
    }
}

TEST(ProofOfWork, EndsWhenCancelledOrOutOfTime) {
    const TPowTarget impossible = Target("0");
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> tries{0};
    std::string nonce;
    EXPECT_EQ(SolvePow("p", impossible, cancel, tries,
                       std::chrono::steady_clock::now() + std::chrono::milliseconds(50), nonce),
              TPowResult::OutOfTime);
    EXPECT_GT(tries.load(), 0u);

    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = true;
    });
    EXPECT_EQ(SolvePow("p", impossible, cancel, tries,
                       std::chrono::steady_clock::now() + std::chrono::hours(1), nonce),
              TPowResult::Cancelled);
    canceller.join();
    EXPECT_TRUE(nonce.empty());
}

TEST(LrclibBody, HoldsEveryFieldAsJson) {
    TLrclibTrack track;
    track.TrackName = "Song \"2\"";
    track.ArtistName = "Bj\xc3\xb6rk";
    track.AlbumName = "";
    track.DurationSeconds = 245;
    track.PlainLyrics = "One\nTwo";
    track.SyncedLyrics = "[00:01.00]One\n[00:02.00]Two";
    const auto body = nlohmann::json::parse(LrclibPublishBody(track));
    EXPECT_EQ(body, nlohmann::json({{"trackName", "Song \"2\""},
                                    {"artistName", "Bj\xc3\xb6rk"},
                                    {"albumName", ""},
                                    {"duration", 245},
                                    {"plainLyrics", "One\nTwo"},
                                    {"syncedLyrics", "[00:01.00]One\n[00:02.00]Two"}}));
    // Bytes that are no UTF-8 do not break the body.
    track.PlainLyrics = "bad \xff byte";
    EXPECT_EQ(nlohmann::json::parse(LrclibPublishBody(track))["plainLyrics"], "bad \xef\xbf\xbd byte");
    EXPECT_EQ(ProgramUserAgent().rfind("Cantrel/", 0), 0u);
}

TEST(LrclibTexts, WithoutTheDownloadNoteAndBlankEnds) {
    const std::vector<std::string> timing = {"0:00.00", "0:01.00", "0:02.50", "1:03.07",
                                             "1:04.00", "1:05.00", "1:06.00"};
    const std::vector<std::string> lyric = {
        "", "Woo hoo", "", "When I feel heavy metal", "", "-----------", "downloaded FROM www.example.org"};
    EXPECT_EQ(LrclibPlainText(lyric), "Woo hoo\n\nWhen I feel heavy metal");
    // The timed text keeps blank lines at the start (they carry times), not the note.
    EXPECT_EQ(LrclibSyncedText(timing, lyric),
              "[00:00.00]\n[00:01.00]Woo hoo\n[00:02.50]\n[01:03.07]When I feel heavy metal");
    EXPECT_EQ(LrclibPlainText({}), "");
    EXPECT_EQ(LrclibSyncedText({}, {}), "");
}

TEST(LrclibHttp, HeaderLinesThatWouldSplitAreRefused) {
    TIEHTTP http;
    EXPECT_NO_THROW(http.SetExtraHeaders({"X-Publish-Token: abc:123"}));
    EXPECT_THROW(http.SetExtraHeaders({"X-Publish-Token: a\r\nX-Other: b"}), TIEHTTPError);
    EXPECT_THROW(http.SetExtraHeaders({"NoColon"}), TIEHTTPError);
    EXPECT_THROW(http.SetPostBody("application/json\r\nX-Other: b", "{}"), TIEHTTPError);
}
