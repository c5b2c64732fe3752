#include "Fixtures.h"

#include "lyrics/Id3v2Reader.h"
#include "lyrics/UMp3Tag.h"
#include "lyrics/UTextLyrics.h"
#include "toolkit/CodePage.h"
#include "toolkit/RoundLength.h"

#include <set>

#include <gtest/gtest.h>

using namespace fixtures;
using lyrics::TMp3Tag;
using lyrics::TTextLyrics;

namespace {

struct TFakeSong : lyrics::ISongInfo {
    std::string Title;
    std::string FileName;
    std::int32_t Length = 0;
    std::string GetSongTitle() override { return Title; }
    std::string GetSongFileName() override { return FileName; }
    std::int32_t GetSongLength() override { return Length; }
};

struct TFakeView : lyrics::ILookupView {
    int Progress = 0;
    int Hidden = 0;
    void SearchProgress() override { ++Progress; }
    void HideLoadingLabel() override { ++Hidden; }
};

struct TRig {
    TTempFolder Tmp;
    TFakeSong Song;
    TFakeView View;
    TMp3Tag Tag{Song, &View};
    TTextLyrics Doc;
    TRig() {
        Tag.Settings.LyricsDir = (Tmp.Path / "lyrics").string();
        std::filesystem::create_directories(Tag.Settings.LyricsDir);
        Song.Title = "Artist - Song";
        Song.Length = 185000;
    }
    std::string Lyric(const std::string& relative, const std::string& text = "[00:01]a\n[00:02]b") {
        return Tmp.Write("lyrics/" + relative, text);
    }
    std::string Found() {
        const std::vector<std::string> files = Tag.FindLyricFiles();
        EXPECT_LE(files.size(), 1u);
        return files.empty() ? "" : std::filesystem::path(files[0]).filename().string();
    }
};

} // namespace

TEST(SongName, NormaliseTable) {
    struct {
        const char* given;
        bool brackets;
        bool trackNumber;
        const char* result;
    } cases[] = {
        {"Some_Artist_-_Some_Title.mp3", false, false, "Some Artist - Some Title"},
        {"Artist -Title", false, false, "Artist - Title"},
        {"Artist - Title (Live) (Remix)", true, false, "Artist - Title"},
        {"Artist - Ti)tle (Live)", true, false, "Artist - Title"},
        {"Artist - Ti)tle", true, false, "Artist - Ti)tle"},
        {"Artist - Title [Live]", true, false, "Artist - Title [Live]"},
        {"Artist - Title (Live)", false, false, "Artist - Title (Live)"},
        {"Artist - 05 Title", false, true, "Artist - Title"},
        {"Artist - Track05 Title", false, true, "Artist - Title"},
        {"Artist - track 5 Title", false, true, "Artist - Title"},
        {"Artist - 05 - Title", false, true, "Artist - Title"},
        {"Artist - 99 Balloons", false, true, "Artist - Balloons"},
        {"Artist - Title 5", false, true, "Artist - Title 5"},
        {"Artist - Track", false, true, "Artist - Track"},
        {"Artist - 05 Title", false, false, "Artist - 05 Title"},
        {"Artist%20-%20Title.MP3", false, false, "Artist - Title"},
        {"A?r*t/i\\s:t| - <T>i\"tle", false, false, "Artist - Title"},
        {"  Artist     -      Title  ", false, false, "Artist - Title"},
        {"Artist -Title - Live", false, false, "Artist -Title - Live"}, // a " - " is there: " -" stays
        {"Artist - (Intro) 01 Title (Live)", true, true, "Artist - Title"},
        {"Title", true, true, "Title"},
        {"", true, true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lyrics::NormaliseSongName(c.given, c.brackets, c.trackNumber), c.result) << c.given;

    std::string manyBrackets = "A - B";
    for (int i = 0; i < 150; ++i)
        manyBrackets += " (x)";
    const std::string left = lyrics::NormaliseSongName(manyBrackets, true, false);
    std::size_t kept = 0;
    for (std::size_t at = left.find("(x)"); at != std::string::npos; at = left.find("(x)", at + 1))
        ++kept;
    EXPECT_EQ(kept, 50u); // at most 100 removals
}

TEST(SongName, ArtistAndTitle) {
    struct {
        const char* name;
        const char* artist;
        const char* title;
    } cases[] = {
        {"Artist - Title", "Artist", "Title"},
        {"A - B - C", "A", "B - C"},
        {"Title only", "", "Title only"}, // a name without " - " is all title
        {"", "", ""},
        {" - Title", "", "Title"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lyrics::ArtistOf(c.name), c.artist) << c.name;
        EXPECT_EQ(lyrics::TitleOf(c.name), c.title) << c.name;
    }
}

TEST(SongName, RoundLength) {
    const std::pair<int, int> cases[] = {{185, 190}, {184, 180}, {244, 240}, {245, 250},
                                         {5, 10},    {4, 0},     {0, 0}};
    for (const auto& [seconds, rounded] : cases)
        EXPECT_EQ(toolkit::RoundLength(seconds), rounded) << seconds;
}

TEST(SongName, FromTagsPlayerTitleOrFile) {
    TRig rig;
    rig.Tag.Settings.ReadTitleInfoFromTag = true;
    // Falling back to the player's title, the name keeps ".mp3": the blank after it hides it from removal.
    // Only a song without a file has its title trimmed first.
    const std::string title = "  Player_-_Title.mp3 ";
    const bool v2 = lyrics::Id3v2ReaderAvailable();
    struct {
        const char* what;
        std::string bytes;
        std::string expected;
        bool needsTagLib;
    } cases[] = {
        {"2.3 title and artist",
         Id3v2Tag(3, {TextFrame(3, "TIT2", Latin1, " Tag Title "),
                      TextFrame(3, "TPE1", Utf16Bom, " Tag Artist ")}) +
             Audio() + Id3v1Tag("V1 Title", "V1 Artist"),
         "Tag Artist - Tag Title", true},
        {"2.4 title only", Id3v2Tag(4, {TextFrame(4, "TIT2", Utf8, "Track05 Song")}) + Audio(),
         "Track05 Song", true},
        {"2.4 blank title: ID3v1",
         Id3v2Tag(4, {TextFrame(4, "TIT2", Utf8, "  "), TextFrame(4, "TPE1", Utf8, "X")}) + Audio() +
             Id3v1Tag("V1 Title", "V1 Artist"),
         "V1 Artist - V1 Title", false},
        {"ID3v1", Audio() + Id3v1Tag(" V1 Title ", " V1 Artist "), "V1 Artist - V1 Title", false},
        {"ID3v1 without artist", Audio() + Id3v1Tag("V1 Title", "   "), "V1 Title", false},
        {"ID3v1 blank title", Audio() + Id3v1Tag("   ", "V1 Artist"), "Player - Title.mp3", false},
        {"no tags", Audio(), "Player - Title.mp3", false},
        {"damaged ID3v2", std::string("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + "TIT2garbage",
         "Player - Title.mp3", false},
    };
    for (const auto& c : cases) {
        if (c.needsTagLib && !v2)
            continue;
        const std::string file = rig.Tmp.Write("music/song.mp3", c.bytes);
        EXPECT_EQ(rig.Tag.SongNameFor(file, title), c.expected) << c.what;
    }
    const std::string tagged = rig.Tmp.Write("music/tagged.mp3", Audio() + Id3v1Tag("V1 Title", "V1 Artist"));
    EXPECT_EQ(rig.Tag.SongNameFor((rig.Tmp.Path / "missing.mp3").string(), title), "Player - Title");
    rig.Tag.Settings.ReadTitleInfoFromTag = false;
    EXPECT_EQ(rig.Tag.SongNameFor(tagged, title), "Player - Title.mp3");
}

TEST(Lookup, PatternOrderAndRoundedLength) {
    TRig rig;
    rig.Lyric("Artist - Song.txt");
    EXPECT_EQ(rig.Found(), "Artist - Song.txt");
    rig.Lyric("deep/er/Artist - Song.lrc"); // a ".lrc" anywhere wins over a ".txt"
    EXPECT_EQ(rig.Found(), "Artist - Song.lrc");
    rig.Lyric("Artist - Song [180].lrc"); // 185 s is L = 190: not this one
    EXPECT_EQ(rig.Found(), "Artist - Song.lrc");
    rig.Lyric("sub/ARTIST - SONG [190].LRC");
    EXPECT_EQ(rig.Found(), "ARTIST - SONG [190].LRC");

    struct {
        std::int32_t length;
        const char* found;
    } lengths[] = {
        {184999, "Artist - Song [180].lrc"},
        {1999, "Artist - Song [180].lrc"}, // below 2 s any bracketed length: the root's file comes first
        {0, "Artist - Song [180].lrc"},
        {2000, "Artist - Song.lrc"}, // L = 0
        {195000, "Artist - Song.lrc"},
    };
    for (const auto& c : lengths) {
        rig.Song.Length = c.length;
        EXPECT_EQ(rig.Found(), c.found) << c.length;
    }
    rig.Tag.Settings.IncludeSubDirecoriesInSearch = false;
    rig.Song.Length = 185000;
    std::filesystem::remove(rig.Tag.Settings.LyricsDir + "/Artist - Song [180].lrc");
    EXPECT_EQ(rig.Found(), "Artist - Song.txt");
    EXPECT_GT(rig.View.Progress, 0);
    EXPECT_EQ(rig.View.Hidden, 10); // once per lookup

    rig.Tag.Settings.LyricsDir = (rig.Tmp.Path / "no such folder").string();
    EXPECT_EQ(rig.Found(), "");
}

TEST(Lookup, LoadForCurrentSongFillsTheDocument) {
    TRig rig;
    rig.Song.FileName =
        rig.Tmp.Write("music/Song.mp3", Id3v2Tag(3, {LyricsFrame(3, Latin1, "tag words")}) + Audio());
    const std::string lrc = rig.Lyric("Artist - Song.lrc", "[dl:http://site/]\n[00:01]one\n[00:02]two");
    rig.Doc.Timestamped = false;
    ASSERT_TRUE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_TRUE(rig.Doc.Found);
    EXPECT_EQ(rig.Doc.LyricsFileName, lrc);
    EXPECT_EQ(rig.Doc.SongName, "Artist - Song");
    EXPECT_EQ(rig.Doc.SongFileName, rig.Song.FileName);
    EXPECT_EQ(rig.Doc.DownloadSource, "http://site/");
    ASSERT_EQ(rig.Doc.Lines.size(), 2u);
    EXPECT_TRUE(rig.Doc.Timestamped);

    std::filesystem::remove(lrc);
    rig.Song.Title = "Nobody - Nothing";
    rig.Song.FileName = rig.Tmp.Write("music/Song.ogg", Audio());
    EXPECT_FALSE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_FALSE(rig.Doc.Found);
    EXPECT_TRUE(rig.Doc.Lines.empty());
    EXPECT_EQ(rig.Doc.LyricsFileName, "");
    EXPECT_EQ(rig.Doc.SongName, "Nobody - Nothing");
}

TEST(Lookup, TagLyricsOnlyForMp3Songs) {
    TRig rig;
    const std::string both = Id3v2Tag(3, {LyricsFrame(3, Latin1, "[00:01]id3v2\n[00:02]x")}) + Audio(1000) +
                             Lyrics3v2Block({{"IND", "10"}, {"LYR", "lyrics3"}}) + Id3v1Tag("T", "A");
    const std::string v2Only = Id3v2Tag(3, {LyricsFrame(3, Latin1, "id3v2")}) + Audio();
    const bool v2 = lyrics::Id3v2ReaderAvailable();
    struct {
        const char* what;
        const char* name;
        std::string bytes;
        bool id3v2, lyrics3;
        const char* firstLine; // nullptr: nothing found
    } cases[] = {
        {"ID3v2 before Lyrics3", "s.mp3", both, true, true, v2 ? "id3v2" : "lyrics3"},
        {"ID3v2 off", "s.mp3", both, false, true, "lyrics3"},
        {"both off", "s.mp3", both, false, false, nullptr},
        {"Lyrics3 off", "s.mp3", v2Only, true, false, v2 ? "id3v2" : nullptr},
        {"upper-case extension", "S.MP3", both, false, true, "lyrics3"},
        {"not an mp3", "s.ogg", both, true, true, nullptr},
        {"mp3 in the folder name only", "s.mp3.wav", both, true, true, nullptr},
        {"no file", "", "", true, true, nullptr},
    };
    for (const auto& c : cases) {
        rig.Tag.Settings.SearchID3v2 = c.id3v2;
        rig.Tag.Settings.SearchLyrics3 = c.lyrics3;
        rig.Song.FileName = *c.name ? rig.Tmp.Write(std::string("music/") + c.name, c.bytes) : "";
        const bool found = rig.Tag.LoadForCurrentSong(rig.Doc);
        EXPECT_EQ(found, c.firstLine != nullptr) << c.what;
        if (found && c.firstLine) {
            EXPECT_EQ(rig.Doc.Lines.at(0).Text, c.firstLine) << c.what;
            EXPECT_EQ(rig.Doc.LyricsFileName, "") << c.what;
        }
        if (!found) {
            EXPECT_TRUE(rig.Doc.Lines.empty()) << c.what;
        }
        std::filesystem::remove_all(rig.Tmp.Path / "music");
    }
    // A lyrics file wins over the tags.
    rig.Tag.Settings.SearchID3v2 = rig.Tag.Settings.SearchLyrics3 = true;
    rig.Song.FileName = rig.Tmp.Write("music/s.mp3", both);
    rig.Lyric("Artist - Song.txt", "from the file");
    ASSERT_TRUE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_EQ(rig.Doc.Lines.at(0).Text, "from the file");
}

TEST(Lookup, UnreadableLyricsFileIsReported) {
    TRig rig;
    std::error_code ec;
    std::filesystem::create_symlink(
        rig.Tmp.Path / "gone", std::filesystem::path(rig.Tag.Settings.LyricsDir) / "Artist - Song.lrc", ec);
    if (ec)
        GTEST_SKIP() << "symbolic links cannot be made here";
    rig.Doc.ParseText("old\nlines");
    EXPECT_FALSE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_FALSE(rig.Tag.LastError().empty());
    EXPECT_FALSE(rig.Doc.Found);
    EXPECT_TRUE(rig.Doc.Lines.empty());
    EXPECT_EQ(rig.Doc.SongName, "Artist - Song");
}

// Under the Unicode character set the titles of every script name their own songs and find their files.
TEST(Lookup, TitlesOfEveryScriptUnderUtf8) {
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    TRig rig;
    const std::string titles[] = {
        "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe - \xd0\x93\xd1\x80\xd1\x83\xd0\xbf\xd0\xbf\xd0\xb0 "
        "\xd0\xba\xd1\x80\xd0\xbe\xd0\xb2\xd0\xb8", // Кино - Группа крови
        "YOASOBI - \xe5\xa4\x9c\xe3\x81\xab\xe9\xa7\x86\xe3\x81\x91\xe3\x82\x8b",      // 夜に駆ける
        "\xec\x95\x84\xec\x9d\xb4\xec\x9c\xa0 - \xeb\xb0\xa4\xed\x8e\xb8\xec\xa7\x80", // 아이유 - 밤편지
        "\xe5\x91\xa8\xe6\x9d\xb0\xe5\x80\xab - \xe6\x99\xb4\xe5\xa4\xa9",             // 周杰倫 - 晴天
        "\xd7\xa2\xd7\x95\xd7\x9e\xd7\xa8 \xd7\x90\xd7\x93\xd7\x9d - \xd7\xaa\xd7\x9c "
        "\xd7\x90\xd7\x91\xd7\x99\xd7\x91",             // עומר אדם - תל אביב
        "Bar\xc4\xb1\xc5\x9f Man\xc3\xa7o - Gibi Gibi", // Barış Manço
    };
    for (const std::string& title : titles)
        rig.Lyric(title + ".lrc", "[00:01]" + title);
    std::set<std::string> names;
    for (const std::string& title : titles) {
        rig.Song.Title = title;
        ASSERT_TRUE(rig.Tag.LoadForCurrentSong(rig.Doc)) << title;
        EXPECT_EQ(rig.Doc.SongName, title);
        EXPECT_EQ(rig.Doc.Lines.at(0).Text, title);
        names.insert(rig.Doc.SongName);
    }
    EXPECT_EQ(names.size(), std::size(titles));

    // The same Russian title under a single-byte set that lacks its letters names no song: no file is looked
    // for, though a file named "-.lrc" (what every such title would become) stands there.
    rig.Lyric("-.lrc", "[00:01]wrong song");
    toolkit::SetActiveCodePage(1252);
    rig.Song.Title = toolkit::Utf8ToActive(titles[0]); // "???? - ?????? ?????"
    EXPECT_FALSE(lyrics::IsUsableSongName(rig.Tag.SongNameFor("", rig.Song.Title)));
    EXPECT_FALSE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_TRUE(rig.Doc.Lines.empty());
}

TEST(Lookup, TagLyricsOfASongUnderANonAsciiFolder) {
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    TRig rig;
    rig.Song.Title = "Mot\xc3\xb6rhead - Ace of Spades";
    const std::string lyrics = "[00:01]\xc3\x9c\xc3\xb1\xc3\xaf\xc3\xa7\xc3\xb8"
                               "d\xc3\xa9"; // Üñïçødé
    rig.Song.FileName = rig.Tmp.Write("M\xc3\xbasica/Mot\xc3\xb6rhead/Ace.mp3",
                                      Id3v2Tag(3, {LyricsFrame(3, Utf16Bom, lyrics)}) + Audio() +
                                          Lyrics3v2Block({{"IND", "10"},
                                                          {"LYR", "Gr\xfc\xdf"
                                                                  "e"}}) +
                                          Id3v1Tag("T", "A"));
    const bool v2 = lyrics::Id3v2ReaderAvailable();
    rig.Tag.Settings.SearchID3v2 = true;
    rig.Tag.Settings.SearchLyrics3 = true;
    ASSERT_TRUE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_EQ(rig.Doc.SongFileName, rig.Song.FileName);
    EXPECT_EQ(rig.Doc.Lines.at(0).Text, v2 ? lyrics.substr(7)
                                           : "Gr\xc3\xbc\xc3\x9f"
                                             "e");
    // Lyrics3 text is 8-bit: under UTF-8 it reads as Windows-1252.
    rig.Tag.Settings.SearchID3v2 = false;
    ASSERT_TRUE(rig.Tag.LoadForCurrentSong(rig.Doc));
    EXPECT_EQ(rig.Doc.Lines.at(0).Text, "Gr\xc3\xbc\xc3\x9f"
                                        "e");
    toolkit::SetActiveCodePage(1252);
}
