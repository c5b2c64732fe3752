// The "[offset:]" tag written back into lyrics files: only the tag changes, in any encoding, and the file is
// replaced whole or not at all.
#include "Fixtures.h"

#include "lyrics/ULrcOffset.h"
#include "lyrics/UTextLyrics.h"
#include "toolkit/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

TEST(OffsetTag, OnlyTheTagChanges) {
    struct {
        const char* what;
        std::string before;
        std::int32_t offset;
        std::string after;
    } cases[] = {
        {"tag replaced", "[ar:A]\r\n[offset:+100]\r\n[00:01]a\r\n", 300,
         "[ar:A]\r\n[offset:+300]\r\n[00:01]a\r\n"},
        {"key case and blanks", "[ti:T]\n  [OFFSET: 5 ]  \n[00:01]a", -200,
         "[ti:T]\n  [OFFSET:-200]  \n[00:01]a"},
        {"back to zero", "[offset:-100]\n[00:01]a\n", 0, "[offset:0]\n[00:01]a\n"},
        {"among other groups", "[offset:1][ar:x]\r[00:01]a", 100, "[offset:+100][ar:x]\r[00:01]a"},
        {"every tag", "[offset:1]\n[offset:2]\n", 500, "[offset:+500]\n[offset:+500]\n"},
        {"unclosed tag", "[offset:12\n[00:01]a", 100, "[offset:+100]\n[00:01]a"},
        {"new tag, the file's line break", "[00:01]a\n[00:02]b", 100, "[offset:+100]\n[00:01]a\n[00:02]b"},
        {"new tag, no line break", "[00:01]a", -1200, "[offset:-1200]\r\n[00:01]a"},
        {"new tag in an empty file", "", 100, "[offset:+100]\r\n"},
        {"no tag and zero", "[00:01]a\n", 0, "[00:01]a\n"},
        {"inside text is no tag", "[00:01]a [offset:5]\n", 100, "[offset:+100]\n[00:01]a [offset:5]\n"},
        {"UTF-8 mark stays first", "\xEF\xBB\xBF[00:01]\xC3\xA9\n", 100,
         "\xEF\xBB\xBF[offset:+100]\n[00:01]\xC3\xA9\n"},
        {"8-bit text", "[offset:0]\r\n[00:01]Caf\xE9\r\n", 100, "[offset:+100]\r\n[00:01]Caf\xE9\r\n"},
        {"UTF-16 LE", Utf16("[ar:A]\r\n[offset:7]\r\n[00:01]a", false), 300,
         Utf16("[ar:A]\r\n[offset:+300]\r\n[00:01]a", false)},
        {"UTF-16 BE, new tag", Utf16("[00:01]a\n", true), -100, Utf16("[offset:-100]\n[00:01]a\n", true)},
        {"UTF-16, odd last byte", Utf16("[offset:1]", false) + "x", 2, Utf16("[offset:+2]", false) + "x"},
    };
    for (const auto& c : cases) {
        const std::string after = lyrics::WithOffsetTag(c.before, c.offset);
        EXPECT_EQ(after, c.after) << c.what;
        lyrics::TTextLyrics doc; // the parser reads back what was written
        doc.ParseText(lyrics::DecodeLyricFile(after));
        EXPECT_EQ(doc.Offset, c.offset) << c.what;
    }
}

TEST(OffsetTag, SavedFileDiffersOnlyInTheTagLine) {
    fixtures::TTempFolder tmp;
    const std::string before =
        "[ar:A]\r\n[ti:T]\r\n[offset:+100]\r\n[00:01.00]<00:01.00>one <00:01.50>two\r\n"
        "[00:03]three\r\n";
    const std::string path = tmp.Write("A - T.lrc", before);
    ASSERT_TRUE(lyrics::SaveOffsetTag(path, -400));
    const std::string after = toolkit::ReadFileBytes(path).value_or("");
    EXPECT_EQ(after, "[ar:A]\r\n[ti:T]\r\n[offset:-400]\r\n[00:01.00]<00:01.00>one <00:01.50>two\r\n"
                     "[00:03]three\r\n");
    lyrics::TTextLyrics doc;
    ASSERT_TRUE(doc.LoadFromFile(path));
    EXPECT_EQ(doc.Offset, -400);
    EXPECT_EQ(doc.Lines.front().Time, 1400);
    EXPECT_EQ(doc.Lines.front().Words.back().Time, 1900);
    // Nothing left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path), {}), 1);
}

TEST(OffsetTag, FailuresLeaveTheFileAsItWas) {
    fixtures::TTempFolder tmp;
    std::string error;
    EXPECT_FALSE(lyrics::SaveOffsetTag((tmp.Path / "missing.lrc").string(), 100, &error));
    EXPECT_FALSE(error.empty());

    const std::string path = tmp.Write("ro.lrc", "[00:01]a\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    error.clear();
    EXPECT_FALSE(lyrics::SaveOffsetTag(path, 100, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(toolkit::ReadFileBytes(path).value_or(""), "[00:01]a\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);

    // A file larger than a lyrics file is read is never written back cut down.
    const std::string big = tmp.Write("big.lrc", std::string(lyrics::TTextLyrics::kMaxFileBytes + 10, 'a'));
    EXPECT_FALSE(lyrics::SaveOffsetTag(big, 100, &error));
    EXPECT_EQ(std::filesystem::file_size(big), lyrics::TTextLyrics::kMaxFileBytes + 10);
}

TEST(OffsetTag, Notice) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {300, "Offset +0.3 s"},     {-100, "Offset -0.1 s"},
        {0, "Offset 0.0 s"},        {1200, "Offset +1.2 s"},
        {250, "Offset +0.3 s"},     {49, "Offset 0.0 s"},
        {-12345, "Offset -12.3 s"}, {INT32_MIN, "Offset -2147483.6 s"},
    };
    for (const auto& [offset, text] : cases)
        EXPECT_EQ(lyrics::OffsetNotice(offset), text) << offset;
}

} // namespace
