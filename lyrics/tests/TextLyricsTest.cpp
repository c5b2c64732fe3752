#include "Fixtures.h"

#include "lyrics/UTextLyrics.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using lyrics::TLyricTextLine;
using lyrics::TTextLyrics;

namespace lyrics {
bool operator==(const TLyricWord& a, const TLyricWord& b) {
    return a.Start == b.Start && a.Time == b.Time;
}
bool operator==(const TLyricTextLine& a, const TLyricTextLine& b) {
    return a.Text == b.Text && a.Time == b.Time && a.Words == b.Words;
}
void PrintTo(const TLyricTextLine& line, std::ostream* os) {
    *os << "{\"" << line.Text << "\", " << line.Time;
    for (const TLyricWord& word : line.Words)
        *os << " <" << word.Start << "@" << word.Time << ">";
    *os << "}";
}
} // namespace lyrics

namespace {

constexpr std::int32_t kNone = TTextLyrics::kNoTime;

// The lines one line of text adds on its own (before missing times are filled), and the tags it leaves.
struct TShape {
    const char* line;
    std::vector<TLyricTextLine> lines;
    std::vector<std::string> tags;
    const char* source;
};

} // namespace

TEST(ParseText, LineShapes) {
    const TShape shapes[] = {
        {"[01:23.45]Hello", {{"Hello", 83450}}, {}, ""},
        {"[01:23:45]Hello", {{"Hello", 83450}}, {}, ""},
        {"[01:23,45]Hello", {{"Hello", 83450}}, {}, ""},
        {"  [01:23]Hello  ", {{"Hello", 83000}}, {}, ""},
        {"[00:12.00][01:15.50]Chorus", {{"Chorus", 12000}, {"Chorus", 75500}}, {}, ""},
        {"[01:15.50][00:12.00] Chorus", {{"Chorus", 12000}, {"Chorus", 75500}}, {}, ""},
        {"[ar:Some artist]", {}, {"[ar:Some artist]"}, ""},
        {"[ti:Title][al:Album]", {}, {"[ti:Title][al:Album]"}, ""}, // the next group starts at position 8
        {"[dl:http://lyrics.example/x]", {}, {"[dl:http://lyrics.example/x]"}, "http://lyrics.example/x"},
        {"[DL:a]", {}, {"[DL:a]"}, "a"},
        // Key groups of other than two characters are tags too, and add no line.
        {"[offset:500]", {}, {"[offset:500]"}, ""},
        {"[length:3:05]", {}, {"[length:3:05]"}, ""},
        {"[length: 3:45]", {}, {"[length: 3:45]"}, ""},
        {"[re:Some editor]", {}, {"[re:Some editor]"}, ""},
        {"[ve:1.0]", {}, {"[ve:1.0]"}, ""},
        {"[#:a comment]", {}, {"[#:a comment]"}, ""},
        {"[# a comment]", {}, {"[# a comment]"}, ""},
        {"[offset:+250][ar:x]", {}, {"[offset:+250][ar:x]", "[ar:x]"}, ""},
        {"[a:b]", {}, {"[a:b]"}, ""},
        {"[12345]Hello", {{"Hello", 12345}}, {}, ""},
        {"[Chorus]", {{"", kNone}}, {}, ""},
        {"[Chorus]Sing", {{"Sing", kNone}}, {}, ""},
        // Fractions of 1 to 3 digits, minutes of 1 to 3 digits.
        {"[1:23.45]Hello", {{"Hello", 83450}}, {}, ""},
        {"[1:23]Hello", {{"Hello", 83000}}, {}, ""},
        {"[123:45.67]Hello", {{"Hello", 7425670}}, {}, ""},
        {"[01:23.456]Hello", {{"Hello", 83456}}, {}, ""},
        {"[01:23.4]Hello", {{"Hello", 83400}}, {}, ""},
        {"[01:23,456]Hello", {{"Hello", 83456}}, {}, ""},
        {"[00:01.5][0:02.25]Hi", {{"Hi", 1500}, {"Hi", 2250}}, {}, ""},
        {"[1234:56]Hello", {{"Hello", kNone}}, {}, ""}, // four digits of minutes are no time
        // Enhanced LRC: word stamps leave the text and become the line's word times.
        {"[00:12.00]<00:12.00>Never <00:12.40>gonna <00:12.90>give",
         {{"Never gonna give", 12000, {{0, 12000}, {6, 12400}, {12, 12900}}}},
         {},
         ""},
        {"[00:12.00] <00:12.00> Never <00:12.4>gonna<00:12.900>",
         {{"Never gonna", 12000, {{0, 12000}, {6, 12400}, {11, 12900}}}},
         {},
         ""},
        {"<00:01.00>a <00:02.00>b",
         {{"a b", 1000, {{0, 1000}, {2, 2000}}}},
         {},
         ""}, // sung from its first word
        {"[00:10][00:20]<00:10.00>a <00:10.50>b",
         {{"a b", 10000, {{0, 10000}, {2, 10500}}}, {"a b", 20000, {{0, 20000}, {2, 20500}}}},
         {},
         ""},
        {"[00:05]x <y> <1:2> z", {{"x <y> <1:2> z", 5000}}, {}, ""},
        {"Hello", {{"Hello", kNone}}, {}, ""},
        {"\n", {{"", kNone}}, {}, ""},                   // an empty line (an empty text has no line at all)
        {"[01:23.xx]Hello", {{"Hello", 83000}}, {}, ""}, // hundredths that do not read add nothing
        {"[01:23]", {{"", 83000}}, {}, ""},
        {"[0x:23]Hello", {}, {"[0x:23]Hello"}, ""}, // no time: the rest goes to the tags, nothing is added
        {"[00:10][Chorus]Sing", {{"Sing", 10000}, {"Sing", 10000}}, {}, ""}, // t keeps its value
        {"[]Hello", {{"Hello", kNone}}, {}, ""},
        {"[", {{"[", kNone}}, {}, ""},
        {"[5]", {{"", 5}}, {}, ""},
        {"[99999999999]x", {{"x", kNone}}, {}, ""},
        {"[00:01]A\x01", {{"A", 1000}}, {}, ""},
    };
    for (const TShape& shape : shapes) {
        TTextLyrics doc;
        // Alone in its text the line's first result is never filled, so untimed lines keep -1.
        doc.ParseText(shape.line);
        std::vector<TLyricTextLine> lines = doc.Lines;
        EXPECT_EQ(lines, shape.lines) << shape.line;
        EXPECT_EQ(doc.Tags, shape.tags) << shape.line;
        EXPECT_EQ(doc.DownloadSource, shape.source) << shape.line;
    }
}

// The offset holds for every time of the text, wherever its tag stands; a positive offset shows the lyrics
// earlier, and no time goes below 0.
TEST(ParseText, OffsetTakesEffectOnEveryTime) {
    struct {
        const char* text;
        std::vector<TLyricTextLine> lines;
        std::int32_t offset;
    } cases[] = {
        {"[offset:+250]\n[00:01.00]a <00:01.50>b\n[00:00.10]c\n[00:02]d",
         {{"c", 0}, {"a b", 750, {{2, 1250}}}, {"d", 1750}},
         250},
        {"[00:01]a\n[00:02]b\n[OFFSET: -500 ]", {{"a", 1500}, {"b", 2500}}, -500},
        {"[offset:100]\n[offset:200]\n[00:01]a\n[00:02]b", {{"a", 800}, {"b", 1800}}, 200}, // the last one
        {"[offset:abc]\n[00:01]a\n[00:02]b", {{"a", 1000}, {"b", 2000}}, 0},
        {"[offset:2147483647]\n[00:01]a\nb", {{"a", 0}, {"b", TTextLyrics::kEndTime}}, 2147483647},
        {"[offset:-2147483648]\n[999:59.999]a\n[00:00]b", {{"b", INT32_MAX}, {"a", INT32_MAX}}, INT32_MIN},
    };
    for (const auto& c : cases) {
        TTextLyrics doc;
        doc.ParseText(c.text);
        EXPECT_EQ(doc.Lines, c.lines) << c.text;
        EXPECT_EQ(doc.Offset, c.offset) << c.text;
        EXPECT_EQ(doc.LiveShift, 0);
    }
}

TEST(LineIndexAt, WordIndexAtFollowsTheCurrentLineRule) {
    TTextLyrics doc;
    doc.ParseText("[00:12.00]<00:12.00>Never <00:12.40>gonna <00:12.90>give\n[00:14]next");
    const TLyricTextLine& line = doc.Lines.front();
    const std::pair<std::int32_t, int> cases[] = {{0, -1},    {12000, -1}, {12001, 0}, {12400, 0},
                                                  {12401, 1}, {12900, 1},  {12901, 2}, {99999, 2}};
    for (const auto& [position, index] : cases)
        EXPECT_EQ(TTextLyrics::WordIndexAt(line, position), index) << position;
    EXPECT_EQ(TTextLyrics::WordIndexAt(doc.Lines.back(), 99999), -1); // a line without word times
}

// What the timing editor writes back for a line it did not retime: the word stamps where they stood.
TEST(ParseText, WordStampsRoundTrip) {
    const char* texts[] = {
        "[00:12.00]<00:12.00>Never <00:12.40>gonna <00:12.90>give",
        "[offset:+250]\n[01:02.50]Oh <01:02.75>ja <01:03.001>nein",
        "[00:05]<00:05.10><00:05.20>x",
        "[00:05]plain",
    };
    for (const char* text : texts) {
        TTextLyrics doc;
        doc.ParseText(text);
        ASSERT_FALSE(doc.Lines.empty());
        const TLyricTextLine line = doc.Lines.back();
        TTextLyrics again;
        again.ParseText("[00:00]" + lyrics::WordStampedText(line, doc.Offset) +
                        "\n[offset:" + std::to_string(doc.Offset) + "]");
        ASSERT_EQ(again.Lines.size(), 1u) << text;
        EXPECT_EQ(again.Lines[0].Text, line.Text) << text;
        EXPECT_EQ(again.Lines[0].Words, line.Words) << text;
    }
    TTextLyrics doc;
    doc.ParseText("[00:12.00]<00:12.00>Never <00:12.40>gonna");
    EXPECT_EQ(lyrics::WordStampedText(doc.Lines[0]), "<00:12.00>Never <00:12.40>gonna");
}

TEST(ParseText, LinesBreakAtCrLfAndEndAtNul) {
    TTextLyrics doc;
    doc.ParseText(std::string("[00:01]a\r\n[00:02]b\r[00:03]c\n\n[00:04]d\n") + '\0' + "[00:05]e");
    EXPECT_EQ(doc.Lines,
              (std::vector<TLyricTextLine>{{"a", 1000}, {"b", 2000}, {"c", 3000}, {"", 4000}, {"d", 4000}}));
    EXPECT_TRUE(doc.Timestamped);

    doc.ParseText("");
    EXPECT_TRUE(doc.Lines.empty());
    EXPECT_FALSE(doc.Timestamped);
    doc.ParseText("\n");
    EXPECT_EQ(doc.Lines, (std::vector<TLyricTextLine>{{"", kNone}}));
}

TEST(ParseText, LeavesTheLookupFieldsAndClearsTheRest) {
    TTextLyrics doc;
    doc.SongName = "A - B";
    doc.SongFileName = "/m/a.mp3";
    doc.LyricsFileName = "/l/A - B.lrc";
    doc.Found = true;
    doc.ParseText("[dl:http://site/]\n[ar:A]\n[00:01]x\n[00:02]y");
    EXPECT_EQ(doc.DownloadSource, "http://site/");
    EXPECT_EQ(doc.Tags, (std::vector<std::string>{"[dl:http://site/]", "[ar:A]"}));
    doc.ParseText("[00:01]x\n[00:02]y");
    EXPECT_EQ(doc.DownloadSource, "");
    EXPECT_TRUE(doc.Tags.empty());
    EXPECT_EQ(doc.SongName, "A - B");
    EXPECT_EQ(doc.SongFileName, "/m/a.mp3");
    EXPECT_EQ(doc.LyricsFileName, "/l/A - B.lrc");
    EXPECT_TRUE(doc.Found);
}

TEST(FillMissingTimes, Table) {
    struct {
        const char* text;
        std::vector<std::int32_t> times;
        bool timestamped;
    } cases[] = {
        {"a\nb\nc", {kNone, 5940000, 5940000}, false},                 // no times at all
        {"[00:05]a\nb\nc", {5000, 5940000, 5940000}, false},           // only the first line timed
        {"a\n[00:05]b\nc\n[00:09]d", {kNone, 5000, 9000, 9000}, true}, // a plain line takes the next time
        {"[00:01]a\nb\nc\n[00:09]d\ne", {1000, 9000, 9000, 9000, 5940000}, true},
        {"[00:20]B\n[00:10]A", {10000, 20000}, true},
        {"[00:07]one", {7000}, false}, // one line: never timestamped
        {"one", {kNone}, false},
    };
    for (const auto& c : cases) {
        TTextLyrics doc;
        doc.ParseText(c.text);
        std::vector<std::int32_t> times;
        for (const TLyricTextLine& line : doc.Lines)
            times.push_back(line.Time);
        EXPECT_EQ(times, c.times) << c.text;
        EXPECT_EQ(doc.Timestamped, c.timestamped) << c.text;
    }
}

TEST(AddLine, TimedLinesStaySortedAndStable) {
    TTextLyrics doc;
    doc.AddLine("  B ", 20000);
    doc.AddLine("plain", kNone);
    doc.AddLine("A", 10000);
    doc.AddLine("B2", 20000);
    doc.AddLine("C", 30000);
    doc.AddLine("A0", 5000);
    EXPECT_EQ(doc.Lines,
              (std::vector<TLyricTextLine>{
                  {"A0", 5000}, {"A", 10000}, {"B", 20000}, {"plain", kNone}, {"B2", 20000}, {"C", 30000}}));
}

// The parser builds its lines in one sweep; it must give what AddLine, called line by line, gives.
TEST(AddLine, ParseTextEqualsAddingLineByLine) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        TTextLyrics expected;
        const int count = int(random() % 12);
        for (int i = 0; i < count; ++i) {
            const std::string word = "w" + std::to_string(i);
            if (random() % 3 == 0) {
                text += word + "\n";
                expected.AddLine(word, kNone);
            } else {
                const int seconds = int(random() % 6);
                text += "[00:0" + std::to_string(seconds) + "]" + word + "\n";
                expected.AddLine(word, seconds * 1000);
            }
        }
        expected.FillMissingTimes();
        TTextLyrics doc;
        doc.ParseText(text);
        ASSERT_EQ(doc.Lines, expected.Lines) << text;
        ASSERT_EQ(doc.Timestamped, expected.Timestamped) << text;
    }
}

TEST(LineIndexAt, CurrentLineRule) {
    TTextLyrics doc;
    doc.ParseText("[00:00]a\n[00:01]b\n[00:02]c");
    const std::pair<std::int32_t, int> cases[] = {{0, -1},   {1, 0},    {1000, 0},
                                                  {1001, 1}, {2001, 2}, {9999999, 2}};
    for (const auto& [position, index] : cases)
        EXPECT_EQ(doc.LineIndexAt(position), index) << position;

    doc.ParseText("plain first\n[00:05]b\n[00:09]c"); // a first line without time is current from the start
    EXPECT_EQ(doc.LineIndexAt(0), 0);
    EXPECT_EQ(doc.LineIndexAt(5000), 0);
    EXPECT_EQ(doc.LineIndexAt(5001), 1);
    doc.Lines.clear();
    EXPECT_EQ(doc.LineIndexAt(100), -1);
}

// Text that would multiply into huge documents stops at the parse bounds instead of exhausting memory.
TEST(ParseText, HostileTextIsBounded) {
    std::string manyTimes;
    for (int i = 0; i < 200000; ++i)
        manyTimes += "[1]";
    manyTimes += std::string(2 * 1024 * 1024, 'x');
    TTextLyrics doc;
    doc.ParseText(manyTimes);
    std::size_t stored = 0;
    for (const TLyricTextLine& line : doc.Lines)
        stored += line.Text.size();
    EXPECT_LE(stored, TTextLyrics::kMaxParsedBytes);
    EXPECT_FALSE(doc.Lines.empty());

    std::string tagRun; // every "[ab:xyz" group stores the whole rest of its line as a tag
    for (int i = 0; i < 400000; ++i)
        tagRun += "[dl:xyz";
    doc.ParseText(tagRun);
    std::size_t tagBytes = 0;
    for (const std::string& tag : doc.Tags)
        tagBytes += tag.size();
    EXPECT_LE(tagBytes, TTextLyrics::kMaxParsedBytes);
}

// --- lyrics files -------------------------------------------------------------------------------------

namespace {

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = char(c >> 8), lo = char(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

} // namespace

TEST(LyricFile, EncodingsAndLineBreaks) {
    toolkit::SetActiveCodePage(1252);
    // Every form holds "[00:01]Café" / "[00:02]Ñandú" and reads as the same single-byte text.
    const std::string expected = "[00:01]Caf\xE9\r\n[00:02]\xD1"
                                 "and\xFA\r\n";
    const std::u16string wide = u"[00:01]Caf\u00E9\r\n[00:02]\u00D1and\u00FA";
    struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"code page 1252", "[00:01]Caf\xE9\r\n[00:02]\xD1"
                           "and\xFA"},
        {"UTF-16 LE", Utf16(wide, false)},
        {"UTF-16 BE", Utf16(wide, true)},
        {"UTF-8 with mark", "\xEF\xBB\xBF[00:01]Caf\xC3\xA9\n[00:02]\xC3\x91"
                            "and\xC3\xBA"},
        {"UTF-8 without mark", "[00:01]Caf\xC3\xA9\n[00:02]\xC3\x91"
                               "and\xC3\xBA\n"},
        {"UTF-16 with U+2028 and U+2029",
         Utf16(u"[00:01]Caf\u00E9\u2028[00:02]\u00D1and\u00FA\u2029", false)},
        {"vertical tab and form feed", "[00:01]Caf\xE9\x0B[00:02]\xD1"
                                       "and\xFA\x0C"},
        {"NUL ends the text", std::string("[00:01]Caf\xE9\r[00:02]\xD1"
                                          "and\xFA") +
                                  '\0' + "[00:03]gone"},
        {"UTF-16 NUL ends the text", Utf16(wide + u'\0' + u"[00:03]gone", false)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lyrics::DecodeLyricFile(c.bytes), expected) << c.what;
    // Under UTF-8 every form reads as UTF-8 text, the 8-bit file as Windows-1252.
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    for (const auto& c : cases)
        EXPECT_EQ(lyrics::DecodeLyricFile(c.bytes), "[00:01]Caf\xC3\xA9\r\n[00:02]\xC3\x91"
                                                    "and\xC3\xBA\r\n")
            << c.what;
    toolkit::SetActiveCodePage(1252);

    // Characters the active code page lacks become "?"; legacy bytes that are no valid UTF-8 stay as they
    // are.
    EXPECT_EQ(lyrics::DecodeLyricFile("\xEF\xBB\xBF\xE6\x97\xA5 \xE2\x82\xAC"), "? \x80\r\n");
    EXPECT_EQ(lyrics::DecodeLyricFile("Gr\xFC\xDF Gott \xC3"), "Gr\xFC\xDF Gott \xC3\r\n");
    toolkit::SetActiveCodePage(1251);
    EXPECT_EQ(lyrics::DecodeLyricFile("\xD0\x9F\xD1\x80\xD0\xB8"), "\xCF\xF0\xE8\r\n"); // При
    toolkit::SetActiveCodePage(1252);
    EXPECT_EQ(lyrics::DecodeLyricFile(""), "");
    EXPECT_EQ(lyrics::DecodeLyricFile("\xFF\xFE"), "");
    EXPECT_EQ(lyrics::DecodeLyricFile("\xFF\xFE\x41"), ""); // an odd last byte is dropped
}

TEST(LyricFile, ScriptsOfTheWorldUnderUtf8) {
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    const std::string lines[] = {
        "[00:01.00]\xd0\x9a\xd1\x80\xd0\xbe\xd0\xb2\xd1\x8c",                     // Кровь
        "[00:02.00]\xe5\xa4\x9c\xe3\x81\xab\xe9\xa7\x86\xe3\x81\x91\xe3\x82\x8b", // 夜に駆ける
        "[00:03.00]\xec\x82\xac\xeb\x9e\x91",                                     // 사랑
        "[00:04.00]\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d",                             // שלום
        "[00:05.00]G\xc3\xbczel \xc4\xb0stanbul \xc4\xb1\xc5\x9f\xc4\xb1k",       // Güzel İstanbul ışık
    };
    std::string file;
    for (const auto& line : lines)
        file += line + "\n";
    lyrics::TTextLyrics doc;
    doc.ParseText(lyrics::DecodeLyricFile(file));
    ASSERT_EQ(doc.Lines.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(doc.Lines[i].Text, lines[i].substr(10)) << i;
        EXPECT_EQ(doc.Lines[i].Time, std::int32_t(1000 * (i + 1)));
    }
    toolkit::SetActiveCodePage(1252);
}

TEST(LyricFile, LoadFromFileParsesAndReportsFailures) {
    fixtures::TTempFolder tmp;
    TTextLyrics doc;
    const std::string path =
        tmp.Write("A - B.lrc", Utf16(u"[ti:B]\r\n[00:01.50]\u00E9t\u00E9\r\n[00:03]x", true));
    ASSERT_TRUE(doc.LoadFromFile(path));
    EXPECT_EQ(doc.Lines, (std::vector<TLyricTextLine>{{"\xE9t\xE9", 1500}, {"x", 3000}}));
    EXPECT_EQ(doc.Tags, std::vector<std::string>{"[ti:B]"});
    EXPECT_TRUE(doc.Timestamped);

    std::string error;
    EXPECT_FALSE(doc.LoadFromFile((tmp.Path / "missing.lrc").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(doc.Lines.size(), 2u); // unchanged
}

TEST(LyricFile, HugeAndGarbageFilesAreReadBounded) {
    fixtures::TTempFolder tmp;
    // A 9 MiB UTF-8 file: the first 8 MiB are read, the line cut by the limit is dropped, the rest is absent.
    // A character split by the limit must not turn the file into single-byte text.
    std::string big = "[00:00]\xC3\xA9\n";
    const std::string line = "[00:01]" + std::string(1016, 'a') + "\n";
    while (big.size() < 9u * 1024 * 1024)
        big += line;
    big.insert(TTextLyrics::kMaxFileBytes - 1, "\xC3\xA9");
    const auto wholeLines = std::count(big.begin(), big.begin() + TTextLyrics::kMaxFileBytes, '\n');
    TTextLyrics doc;
    ASSERT_TRUE(doc.LoadFromFile(tmp.Write("big.lrc", big)));
    ASSERT_EQ(doc.Lines.size(), std::size_t(wholeLines));
    EXPECT_EQ(doc.Lines.front().Text, "\xE9");
    EXPECT_EQ(doc.Lines.back().Text, std::string(1016, 'a'));

    std::mt19937 random(3);
    std::string garbage(3 * 1024 * 1024, '\0');
    for (char& c : garbage)
        c = char(random());
    ASSERT_TRUE(doc.LoadFromFile(tmp.Write("garbage.lrc", garbage)));
    EXPECT_LE(doc.Lines.size(), garbage.size());
}
