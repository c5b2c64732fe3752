// Clock texts both ways, the LRC line form and the editor's panes made from a document.

#include "lyrics/ClockText.h"
#include "lyrics/TEditorPanes.h"
#include "lyrics/UTextLyrics.h"

#include <gtest/gtest.h>

#include <climits>

using namespace lyrics;

namespace {

TEST(ClockText, TimeToTextTruncatesToHundredths) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0:00.00"},         {1999, "0:01.99"},      {62500, "1:02.50"},
        {5940000, "99:00.00"},  {6000000, "100:00.00"}, {-1, "0:00.00"},
        {607450, "10:07.45"},   {9, "0:00.00"},         {INT32_MAX, "35791:23.64"},
        {INT32_MIN, "0:00.00"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(TimeToText(ms), text) << ms;
}

TEST(ClockText, TextToTime) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"1:02.50", 62500},
        {"1:02,50", 62500}, // the separator is not looked at
        {"0:00.00", 0},
        {"99:00.00", 5940000},
        {"100:00.00", 6000000},
        {"0:01.99", 1990},
        {"12:03.10", 723100},
        {"no colon", 0},
        {"", 0},
        {"x:01.00", 0},
        {"2:xx.50", 120000}, // seconds do not read: the minutes alone
        {"2:03", 123000},    // no hundredths
        {"2:03.", 123000},
        {"2:03.5", 123050},
        {"2:03.xy", 123000},
        {"1:5", 65000},
        {"99999:00.00", INT32_MAX}, // held within 32 bits
    };
    for (const auto& [text, ms] : cases)
        EXPECT_EQ(TextToTime(text), ms) << text;
    // Every clock text reads back as the time it was made from, truncated to hundredths.
    for (std::int32_t ms : {0, 10, 990, 1000, 59990, 60000, 3599990, 5940000, 6000000, 60000000})
        EXPECT_EQ(TextToTime(TimeToText(ms)), ms) << ms;
}

TEST(ClockText, LrcLine) {
    EXPECT_EQ(LrcLine("3:07.45", "Hello"), "[03:07.45]Hello");
    EXPECT_EQ(LrcLine("12:03.10", "x"), "[12:03.10]x");
    EXPECT_EQ(LrcLine("99:00.00", ""), "[99:00.00]");
    EXPECT_EQ(LrcLine("100:00.00", "y"), "[100:00.00]y");
}

TEST(EditorPanes, FillFromDocument) {
    TTextLyrics doc;
    doc.SongName = "Blur - Song 2";
    TEditorPanes panes = FillPanes(doc);
    EXPECT_EQ(panes.Timing, std::vector<std::string>{"0:00.00"});
    EXPECT_EQ(panes.Lyric, std::vector<std::string>{"[Blur - Song 2]"});

    doc.ParseText("[00:01.50]One\r\nTwo\r\n[01:02.03]Three");
    ASSERT_TRUE(doc.Timestamped);
    panes = FillPanes(doc);
    EXPECT_TRUE(panes.TimestampMode);
    EXPECT_EQ(panes.Timing, (std::vector<std::string>{"0:01.50", "1:02.03", "1:02.03"}));
    EXPECT_EQ(panes.Lyric, (std::vector<std::string>{"One", "Two", "Three"}));

    doc.ParseText("One\r\nTwo\r\nThree");
    panes = FillPanes(doc);
    EXPECT_FALSE(panes.TimestampMode);
    EXPECT_EQ(panes.Timing, (std::vector<std::string>{"0:00.00", "99:00.00", "99:00.00"}));
    EXPECT_TRUE(RemovedTimestamps(0).empty());
}

// Word times survive the panes: the lyric pane holds their stamps, and the line written back from the panes
// reads as the same line.
TEST(EditorPanes, WordStampsRoundTrip) {
    lyrics::TTextLyrics doc;
    doc.ParseText("[00:12.00]<00:12.00>Never <00:12.40>gonna <00:12.905>give\r\n[00:14.00]plain");
    const TEditorPanes panes = FillPanes(doc);
    EXPECT_EQ(panes.Lyric,
              (std::vector<std::string>{"<00:12.00>Never <00:12.40>gonna <00:12.905>give", "plain"}));
    std::string text;
    for (std::size_t i = 0; i < panes.Lyric.size(); ++i)
        text += LrcLine(panes.Timing[i], panes.Lyric[i]) + "\r\n";
    lyrics::TTextLyrics again;
    again.ParseText(text);
    ASSERT_EQ(again.Lines.size(), doc.Lines.size());
    for (std::size_t i = 0; i < doc.Lines.size(); ++i) {
        EXPECT_EQ(again.Lines[i].Text, doc.Lines[i].Text);
        EXPECT_EQ(again.Lines[i].Time, doc.Lines[i].Time);
        ASSERT_EQ(again.Lines[i].Words.size(), doc.Lines[i].Words.size());
        for (std::size_t w = 0; w < doc.Lines[i].Words.size(); ++w) {
            EXPECT_EQ(again.Lines[i].Words[w].Start, doc.Lines[i].Words[w].Start);
            EXPECT_EQ(again.Lines[i].Words[w].Time, doc.Lines[i].Words[w].Time);
        }
    }
}

} // namespace
