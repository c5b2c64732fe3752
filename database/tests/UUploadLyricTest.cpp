// The submission's decisions and helpers, without a network.

#include "database/UUploadLyric.h"
#include "database/tests/UploadWorld.h"
#include "toolkit/RoundLength.h"

#include <gtest/gtest.h>

using namespace database;
using database::test::IndexCode;
using database::test::TUploadWorld;

namespace {

TEST(UploadHelpers, RoundLength) {
    // The largest lengths (a song index lookup or an agent record may carry any) round down where rounding
    // up would not fit.
    const std::pair<int, int> cases[] = {{244, 240},
                                         {245, 250},
                                         {5, 10},
                                         {4, 0},
                                         {0, 0},
                                         {250, 250},
                                         {-7, 0},
                                         {INT32_MAX, 2147483640},
                                         {2147483635, 2147483640},
                                         {2147483644, 2147483640}};
    for (const auto& [seconds, rounded] : cases)
        EXPECT_EQ(toolkit::RoundLength(seconds), rounded) << seconds;
    EXPECT_FALSE(database::SongIndexHolds("--\r\nb\r\n", "blur", "tender", INT32_MAX, 0));
}

TEST(UploadHelpers, Md5Hex) {
    // RFC 1321's test suite.
    const std::pair<const char*, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, hex] : cases)
        EXPECT_EQ(Md5Hex(text), hex) << text;
    EXPECT_EQ(Md5Hex(std::string("a\0b", 3)).size(), 32u); // all bytes count, NUL included
}

TEST(UploadHelpers, SectionKeys) {
    struct {
        const char* name;
        const char* key;
        const char* next;
    } cases[] = {
        {"", "0", "0"},       {"blur", "b", "c"},           {"Blur", "b", "c"},
        {"2pac", "0", "3"},   {"0 zero", "0", ":"},         {"@home", "0", "A"},
        {"zz top", "z", "{"}, {"\xc4lbum", "\xe4", "\xe5"}, {"!!!", "0", "\""},
    };
    toolkit::SetActiveCodePage(1252);
    for (const auto& c : cases) {
        EXPECT_EQ(SectionKey(c.name), c.key) << c.name;
        EXPECT_EQ(NextSectionKey(c.name), c.next) << c.name;
    }
    // Under UTF-8 the first character is a whole sequence, and the next key the next code point.
    const struct {
        const char* name;
        const char* key;
        const char* next;
    } utf8[] = {
        {"\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe", "\xd0\xba", "\xd0\xbb"}, // Кино: к, then л
        {"\xc3\x84lbum", "\xc3\xa4", "\xc3\xa5"},                     // Älbum: ä, then å
        {"\xe5\x91\xa8", "\xe5\x91\xa8", "\xe5\x91\xa9"},             // 周 has no case
        {"blur", "b", "c"},
    };
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    for (const auto& c : utf8) {
        EXPECT_EQ(SectionKey(c.name), c.key) << c.name;
        EXPECT_EQ(NextSectionKey(c.name), c.next) << c.name;
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(UploadHelpers, TrimBlankLines) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" \r\n\t\r\n", ""},
        {"\r\n  \r\nOne\r\n\r\nTwo \r\n \r\n\n", "One\r\n\r\nTwo \r\n"},
        {"a\nb\rc", "a\r\nb\r\nc\r\n"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(TrimBlankLines(text), trimmed) << text;
}

TEST(UploadHelpers, PlainTextDropsTheDownloadNote) {
    using Lines = std::vector<std::string>;
    const std::pair<Lines, std::string> cases[] = {
        {{"", "One", "Two", "", "-----------", "DOWNLOADED FROM www.example.org"}, "One\r\nTwo\r\n"},
        {{"One", "----------- more", "Downloaded from"}, "One\r\n"},
        {{"One", "Two", "Downloaded from x"}, "One\r\nTwo\r\n"},
        {{"One", "-----------"}, "One\r\n-----------\r\n"}, // no note: the hyphens stay
        {{"-----------", "Downloaded from x"}, ""},
        {{"Downloaded from x", "One"}, "Downloaded from x\r\nOne\r\n"},        // only the last line counts
        {{"One", "----------", "Downloaded from x"}, "One\r\n----------\r\n"}, // ten hyphens stay
        {{"Downloaded fro"}, "Downloaded fro\r\n"},
    };
    for (const auto& [pane, text] : cases)
        EXPECT_EQ(SubmissionPlainText(pane), text) << pane.back();
}

TEST(UploadLogic, CanSubmit) {
    const std::pair<const char*, bool> cases[] = {
        {"Blur - Song 2", true},
        {"Unknown Artist - Song", false},
        {"UNKNOWN ARTIST - Song", false},
        {" unknown  - Song", false},
        {"Artist - Song", false},
        {"Blur - Track 07", false},
        {"Blur - track07", false},
        {"Blur -  TRACK  12 ", false},
        {"Blur - Trackin'", true},
        {"Blur - Track", true},
        {"Blur - Track 7b", true},
        {"Just a title", true}, // no " - ": empty artist passes
        {"Blur - ", false},
        {"Blur -    ", false},
    };
    for (const auto& [name, ok] : cases)
        EXPECT_EQ(CanSubmit(name), ok) << name;
}

// A song index with a few sections; lines before "--" never count.
std::string SampleIndex() {
    const std::string blur = IndexCode("blur");
    const std::string abba = IndexCode("abba");
    return "song index\r\n" + blur + "\r\n" + IndexCode("song 2 [120]") + "\r\n--\r\n" + "a\r\n" + abba +
           "\r\n" + IndexCode("waterloo") + "\r\n" + " B \r\n" +             // section key, trimmed
           "ffff " + abba + "\r\n" + IndexCode("beetlebum [250]") + "\r\n" + // a pair of another artist
           "0000 \"" + blur + "\" 1234\r\n" + "\"" + IndexCode("tender [240]") + "\" " +
           IndexCode("parklife") + "\r\n" + IndexCode("coffee & tv") + "\r\n" + blur +
           "\r\n" +                                                              // codes on the wrong lines
           "c\r\n" + blur + "\r\n" + IndexCode("charmless man [240]") + "\r\n" + // next section
           "0\r\n" + IndexCode("2 unlimited") + "\r\n" + IndexCode("no limit [220]") + "\r\n";
}

TEST(UploadLogic, IsSongKnownReadsTheSongIndex) {
    TUploadWorld w;
    w.WriteIndex(SampleIndex());
    struct {
        const char* artist;
        const char* title;
        int length;
        int mode;
        bool known;
    } cases[] = {
        {"Blur", "Tender", 244, 0, true}, // quoted codes, length rounded to [240]
        {" BLUR ", " TENDER ", 236, -1, true},
        {"Blur", "Tender", 245, 0, false},        // [250] is not listed
        {"Blur", "Parklife", 100, 0, false},      // only the plain version...
        {"Blur", "Parklife", 100, -1, true},      // ...which a negative mode accepts
        {"Blur", "Song 2", 120, 0, false},        // listed before "--" only
        {"Blur", "Charmless Man", 240, 0, false}, // in section c: the search stops at "c"
        {"Blur", "Coffee & TV", 0, -1, false},    // artist and title codes on the wrong lines of a pair
        {"Abba", "Waterloo", 0, -1, true},
        {"Abba", "Beetlebum", 250, 0, false},      // listed in section b, after abba's section ended
        {"2 Unlimited", "No Limit", 215, 0, true}, // section "0"
        {"", "Tender", 240, 0, false},
        {"Blur", "", 240, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(w.Submission.IsSongKnown(c.artist, c.title, c.length, c.mode), c.known)
            << c.artist << " / " << c.title << " " << c.length << " " << c.mode;
}

TEST(UploadLogic, IsSongKnownThroughTheUploadList) {
    TUploadWorld w;
    w.WriteIndex("--\r\n");
    w.Upload.Add("blur - song 2 [250]");
    w.Upload.Add("abba - sos");
    EXPECT_TRUE(w.Submission.IsSongKnown("Blur", "Song 2", 245, 0));
    EXPECT_TRUE(w.Submission.IsSongKnown("Blur", "Song 2", 245, -1));
    EXPECT_FALSE(w.Submission.IsSongKnown("Blur", "Song 2", 244, 0));
    EXPECT_TRUE(w.Submission.IsSongKnown("ABBA", "SOS", 1, -1));
    EXPECT_FALSE(w.Submission.IsSongKnown("ABBA", "SOS", 1, 0));

    // Without a user name, or without a song index file, nothing is known.
    w.Settings.SetUsername("  ");
    EXPECT_FALSE(w.Submission.IsSongKnown("Blur", "Song 2", 245, 0));
    w.Settings.SetUsername("alice");
    std::remove(w.IndexFileName().c_str());
    EXPECT_FALSE(w.Submission.IsSongKnown("Blur", "Song 2", 245, 0));
}

TEST(UploadLogic, IsNewSubmission) {
    struct {
        const char* song;
        bool found;
        const char* text; // "[" starts a timestamped text
        int lengthMs;
        const char* uploaded;
        const char* user;
        bool isNew;
    } cases[] = {
        {"Blur - Song 2", true, "One\nTwo", 121000, "", "alice", true},
        {"Blur - Song 2", false, "One\nTwo", 121000, "", "alice", false},
        {"Unknown Artist - Song", true, "One\nTwo", 121000, "", "alice", false},
        {"Blur - Track 07", true, "One\nTwo", 121000, "", "alice", false},
        {"Blur - Trackin'", true, "One\nTwo", 121000, "", "alice", true},
        {"Blur - Trackin'", true, "One\nTwo", 121000, "blur - trackin'", "alice", false},
        {"Just a title", true, "One\nTwo", 121000, "", "alice", false},
        {"Blur - Song 2", true, "[00:01]One\n[00:02]Two", 1999, "", "alice", false},
        {"Blur - Song 2", true, "[00:01]One\n[00:02]Two", 2000, "", "alice", true},
        {"Blur - Song 2", true, "[00:01]One\n[00:02]Two", 245000, "blur - song 2 [250]", "alice", false},
        {"Blur - Song 2", true, "[00:01]One\n[00:02]Two", 245000, "blur - song 2", "alice", true},
        {"Blur - Song 2", true, "One\nTwo", 245000, "blur - song 2", "alice", false},
        {"Blur - Song 2", true, "One\nTwo", 245000, "blur - song 2 [250]", "alice", false},
        {"Blur - Song 2", true, "One\nTwo", 245000, "blur - song 2", "", true},
    };
    for (const auto& c : cases) {
        TUploadWorld w;
        w.WriteIndex("--\r\n");
        w.Load(c.song, c.text);
        w.Document.Found = c.found;
        w.Host.Length = c.lengthMs;
        if (*c.uploaded)
            w.Upload.Add(c.uploaded);
        w.Settings.SetUsername(c.user);
        EXPECT_EQ(w.Submission.IsNewSubmission(), c.isNew)
            << c.song << " / " << c.text << " / " << c.lengthMs << " / " << c.uploaded << " / " << c.user;
        EXPECT_EQ(w.Submission.ReasonMissing(""), !c.isNew);
        EXPECT_FALSE(w.Submission.ReasonMissing("line 2 should be xx"));
    }
}

} // namespace
