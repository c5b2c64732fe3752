#include "Fixtures.h"

#include "lyrics/Id3v1Reader.h"
#include "lyrics/Id3v2Reader.h"
#include "lyrics/Lyrics3Reader.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

#include <random>

using namespace fixtures;

namespace {

std::string Lyrics3(const std::string& bytes) {
    toolkit::TMemoryByteSource source(bytes);
    return lyrics::ReadLyrics3Text(source);
}

} // namespace

TEST(Id3v2Lyrics, FirstLyricsFrameInAnyEncoding) {
    if (!lyrics::Id3v2ReaderAvailable())
        GTEST_SKIP() << "built without TagLib";
    TTempFolder tmp;
    const std::string utf8 = "L\xC3\xADne one\nLine tw\xC3\xB3";   // Líne one / Line twó
    const std::string cp1252 = "L\xEDne one\nLine tw\xF3";
    struct {
        const char* what;
        std::string tag;
        int codePage;
        std::string expected;
    } cases[] = {
        {"2.3 Latin-1 (bytes as they stand)", Id3v2Tag(3, {LyricsFrame(3, Latin1, cp1252)}), 1252, cp1252},
        {"2.3 UTF-16", Id3v2Tag(3, {LyricsFrame(3, Utf16Bom, utf8, "desc")}), 1252, cp1252},
        {"2.4 UTF-8", Id3v2Tag(4, {LyricsFrame(4, Utf8, utf8)}), 1252, cp1252},
        {"2.4 UTF-16 BE", Id3v2Tag(4, {LyricsFrame(4, Utf16Be, utf8)}), 1252, cp1252},
        {"2.4 UTF-16", Id3v2Tag(4, {LyricsFrame(4, Utf16Bom, utf8)}), 1252, cp1252},
        {"2.2 ULT", Id3v2Tag(2, {Frame(2, "TT2", std::string(1, '\0') + "T"), LyricsFrame(2, Utf16Bom, utf8)}), 1252,
         cp1252},
        {"first of two frames",
         Id3v2Tag(3, {TextFrame(3, "TIT2", Latin1, "T"), LyricsFrame(3, Latin1, "first", "x"),
                      LyricsFrame(3, Latin1, "second", "y")}),
         1252, "first"},
        {"to the active code page", Id3v2Tag(4, {LyricsFrame(4, Utf8, "\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x99\xAA")}), 1251,
         "\xCF\xF0\xE8 ?"},
        {"no lyrics frame", Id3v2Tag(3, {TextFrame(3, "TIT2", Latin1, "T")}), 1252, ""},
    };
    for (const auto& c : cases) {
        toolkit::SetActiveCodePage(c.codePage);
        const std::string path = tmp.Write("song.mp3", c.tag + Audio());
        EXPECT_EQ(lyrics::ReadId3v2LyricsText(path), c.expected) << c.what;
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(Id3v2Lyrics, DamagedTagsAndOtherFilesGiveNothing) {
    TTempFolder tmp;
    const std::string good = Id3v2Tag(3, {LyricsFrame(3, Latin1, "Hello")});
    std::string lyingFrame = Id3v2Tag(3, {Frame(3, "USLT", std::string("\0eng\0Hello", 10))});
    lyingFrame[14] = '\x7F'; // the frame claims far more bytes than the tag holds
    std::mt19937 random(5);
    std::string garbage = "ID3\x03";
    while (garbage.size() < 20000)
        garbage.push_back(char(random()));
    const std::string cases[] = {
        good.substr(0, 20),         // cut inside the frame
        lyingFrame + Audio(),
        garbage,
        "ID3",
        "",
        Audio(),
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(lyrics::ReadId3v2LyricsText(tmp.Write("bad.mp3", bytes)), "") << bytes.size();
    EXPECT_EQ(lyrics::ReadId3v2LyricsText((tmp.Path / "missing.mp3").string()), "");
    EXPECT_EQ(lyrics::ReadId3v2LyricsText(tmp.Root()), "");
}

TEST(Id3v2Names, TitleAndFirstArtist) {
    if (!lyrics::Id3v2ReaderAvailable())
        GTEST_SKIP() << "built without TagLib";
    TTempFolder tmp;
    lyrics::TId3v2Names names;
    ASSERT_TRUE(lyrics::ReadId3v2Names(
        tmp.Write("a.mp3", Id3v2Tag(4, {TextFrame(4, "TIT2", Utf8, "Caf\xC3\xA9"),
                                        TextFrame(4, "TPE1", Utf8, std::string("One\0Two", 7))}) +
                               Audio()),
        names));
    EXPECT_EQ(names.Title, "Caf\xE9");
    EXPECT_EQ(names.Artist, "One");
    EXPECT_FALSE(lyrics::ReadId3v2Names(tmp.Write("b.mp3", Audio()), names));
}

TEST(Id3v1Names, FieldsCutAtNul) {
    lyrics::TId3v1Names names;
    std::string file = Audio(300) + Id3v1Tag("Title  ", "Art\xE9st");
    toolkit::TMemoryByteSource source(file);
    ASSERT_TRUE(lyrics::ReadId3v1Names(source, names));
    EXPECT_EQ(names.Title, "Title  ");
    EXPECT_EQ(names.Artist, "Art\xE9st");
    const std::string full(30, 'x');
    std::string fullFields = Id3v1Tag(full, full);
    toolkit::TMemoryByteSource fullSource(fullFields);
    ASSERT_TRUE(lyrics::ReadId3v1Names(fullSource, names));
    EXPECT_EQ(names.Title, full);
    for (const std::string& bad : {Audio(300), std::string("TAG"), std::string()}) {
        toolkit::TMemoryByteSource badSource(bad);
        EXPECT_FALSE(lyrics::ReadId3v1Names(badSource, names));
    }
}

TEST(Lyrics3, Version200Blocks) {
    const std::string tag = Id3v1Tag("T", "A");
    const std::string audio = Audio(2000);
    struct {
        const char* what;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"lyrics field", audio + Lyrics3v2Block({{"IND", "10"}, {"LYR", "[00:01]Hi\r\nThere"}}) + tag,
         "[00:01]Hi\r\nThere\n"},
        {"fields before the lyrics",
         audio + Lyrics3v2Block({{"IND", "11"}, {"EAL", "Album"}, {"ETT", "Title"}, {"LYR", "Words"}}) + tag,
         "Words\n"},
        {"NUL in the lyrics", audio + Lyrics3v2Block({{"IND", "1"}, {"LYR", std::string("ab\0cd", 5)}}) + tag, "ab"},
        {"indication field says no lyrics", audio + Lyrics3v2Block({{"IND", "01"}, {"LYR", "Words"}}) + tag, ""},
        {"empty indication field", audio + Lyrics3v2Block({{"IND", ""}, {"LYR", "Words"}}) + tag, ""},
        {"no indication field first", audio + Lyrics3v2Block({{"LYR", "Words"}, {"IND", "10"}}) + tag, ""},
        {"no lyrics field", audio + Lyrics3v2Block({{"IND", "10"}, {"EAL", "Album"}}) + tag, ""},
        {"no ID3v1 tag after the block", audio + Lyrics3v2Block({{"IND", "10"}, {"LYR", "Words"}}), ""},
        {"block alone, file too short", Lyrics3v2Block({{"IND", "10"}, {"LYR", "W"}}).substr(20) + tag, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Lyrics3(c.bytes), c.expected) << c.what;
}

TEST(Lyrics3, LyingSizesGiveNothing) {
    const std::string tag = Id3v1Tag("T", "A");
    const std::string good = Lyrics3v2Block({{"IND", "10"}, {"LYR", "Words"}});
    const std::size_t sizeAt = good.size() - 15;
    auto withSize = [&](const std::string& size) { return std::string(good).replace(sizeAt, 6, size) + tag; };
    auto withField = [&](std::size_t at, const std::string& digits) {
        return std::string(good).replace(at, 5, digits) + tag;
    };
    const std::size_t lyrAt = good.find("LYR") + 3, indAt = good.find("IND") + 3;
    const std::string cases[] = {
        withSize("999999"),               // the block would start before the file
        withSize("00001x"),               // not a number
        withSize("-00001"),
        withSize("000005"),               // points inside the block, not at LYRICSBEGIN
        withField(lyrAt, "99999"),        // the lyrics field runs past the end of the file
        withField(lyrAt, "0x005"),
        withField(indAt, "99999"),
        Audio(5) + tag.substr(0, 100),
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(Lyrics3(Audio(100) + bytes), "") << bytes.substr(0, 40);
    // Every prefix and every single-byte change of a good file: no crash, no read outside.
    const std::string file = Audio(300) + good + tag;
    for (std::size_t cut = 0; cut < file.size(); cut += 7)
        Lyrics3(file.substr(0, cut));
    for (std::size_t at = 300; at < file.size() - 128; ++at) {
        std::string changed = file;
        changed[at] = char(changed[at] ^ 0x5A);
        Lyrics3(changed);
    }
}

TEST(Lyrics3, Version1Blocks) {
    const std::string tag = Id3v1Tag("T", "A");
    EXPECT_EQ(Lyrics3(Audio(6000) + Lyrics3v1Block("[00:01]One\r\nTwo") + tag), "[00:01]One\r\nTwo");
    // The block sits within the 5100 bytes before LYRICSEND, and the file must hold all of them.
    EXPECT_EQ(Lyrics3(Audio(5100 - 11 - 3) + Lyrics3v1Block("abc") + tag), "abc");
    EXPECT_EQ(Lyrics3(Audio(100) + Lyrics3v1Block("abc") + tag), "");
    // Lyrics longer than the window: the window's text from its 12th character on.
    std::string longLyrics;
    for (int i = 0; longLyrics.size() < 6000; ++i)
        longLyrics += std::to_string(i) + " ";
    const std::string window = longLyrics.substr(longLyrics.size() - 5100);
    EXPECT_EQ(Lyrics3(Audio(1000) + Lyrics3v1Block(longLyrics) + tag), window.substr(11));
}

TEST(Lyrics3, ReadsReadOnlyFilesAndNothingFromMissingOnes) {
    TTempFolder tmp;
    const std::string path =
        tmp.Write("song.mp3", Audio(500) + Lyrics3v2Block({{"IND", "10"}, {"LYR", "Words"}}) + Id3v1Tag("T", "A"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_EQ(lyrics::ReadLyrics3Text(path), "Words\n");
    EXPECT_EQ(lyrics::ReadLyrics3Text((tmp.Path / "missing.mp3").string()), "");
    EXPECT_EQ(lyrics::ReadLyrics3Text(tmp.Root()), "");
}
