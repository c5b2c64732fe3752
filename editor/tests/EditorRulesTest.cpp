// The timing editor's rules on plain lines: the alignment of the timing pane, the output text, the file OK
// writes, shifted times and the timing pane's key table.

#include "editor/EditorRules.h"

#include <QtCore/qnamespace.h>

#include <gtest/gtest.h>

using namespace editor;

namespace {

using TLines = std::vector<std::string>;

// The timing pane after the alignment rule has run for a lyric pane of lyricCount lines, caret on
// caretLine (1-based).
TLines Aligned(TLines timing, int lyricCount, int caretLine) {
    const TPaneAlignment edit = AlignTimingPane(caretLine, lyricCount, int(timing.size()),
                                                [&](int row) { return timing[std::size_t(row)]; });
    timing.insert(timing.begin() + edit.Index, std::size_t(edit.Insert), edit.Text);
    timing.erase(timing.begin() + edit.Index, timing.begin() + edit.Index + edit.Delete);
    return timing;
}

TEST(EditorRules, AlignmentRule) {
    const TLines four = {"0:01.00", "0:02.00", "0:03.00", "0:04.00"};
    struct TCase {
        const char* what;
        TLines timing;
        int lyricCount;
        int caretLine;
        TLines expected;
    } cases[] = {
        // Enter inside line 2: the new line 3 (the part after the caret) takes the time of the line after.
        {"split", four, 5, 3, {"0:01.00", "0:02.00", "0:03.00", "0:03.00", "0:04.00"}},
        // Enter inside the last line: the new last line has no time yet.
        {"split last", four, 5, 5, {"0:01.00", "0:02.00", "0:03.00", "0:04.00", "99:00.00"}},
        // Three lines pasted inside line 2, the caret ending on line 5: all three take the next line's time.
        {"paste 3",
         four,
         7,
         5,
         {"0:01.00", "0:02.00", "0:03.00", "0:03.00", "0:03.00", "0:03.00", "0:04.00"}},
        {"paste 3 at end",
         four,
         7,
         7,
         {"0:01.00", "0:02.00", "0:03.00", "0:04.00", "99:00.00", "99:00.00", "99:00.00"}},
        // Backspace at the start of line 3 joins it to line 2, which keeps its time.
        {"join", four, 3, 2, {"0:01.00", "0:02.00", "0:04.00"}},
        // Lines 3 and 4 deleted from the end of line 2.
        {"delete at end", four, 2, 2, {"0:01.00", "0:02.00"}},
        {"delete all but one", four, 1, 1, {"0:01.00"}},
        {"typing in a line", four, 4, 2, four},
        // A blank reference row counts as no time.
        {"blank reference", {"0:01.00", "  "}, 3, 2, {"0:01.00", "99:00.00", "  "}},
        // A caret above the new rows (after an undo) still inserts them, at the top.
        {"caret above", {"0:01.00"}, 3, 1, {"99:00.00", "99:00.00", "0:01.00"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Aligned(c.timing, c.lyricCount, c.caretLine), c.expected) << c.what;
}

TEST(EditorRules, OutputText) {
    const TLines tags = {"[ar:Band]", "   ", " [ti:Tune] ", ""};
    const TLines timing = {"3:07.45", "12:03.10", "99:00.00", "100:00.00"};
    const TLines lyric = {"Hello", "x", "", "late"};
    EXPECT_EQ(
        OutputText(tags, timing, lyric, true),
        "[ar:Band]\r\n [ti:Tune] \r\n[03:07.45]Hello\r\n[12:03.10]x\r\n[99:00.00]\r\n[100:00.00]late\r\n");
    EXPECT_EQ(OutputText(tags, timing, lyric, false),
              "[ar:Band]\r\n [ti:Tune] \r\nHello\r\nx\r\n\r\nlate\r\n");
    EXPECT_EQ(OutputText({}, {"0:00.00"}, {""}, false), "\r\n");
}

TEST(EditorRules, OkFileName) {
    struct TCase {
        std::string dir;
        std::string lyricsFile;
        std::int32_t lengthMs;
        bool timestamps;
        std::string expected;
    } cases[] = {
        {"/l", "", 244990, true, "/l/Band - Tune [240].lrc"}, // 4:04.99
        {"/l", "", 245000, true, "/l/Band - Tune [250].lrc"}, // 4:05.00
        {"/l/", "", 185000, true, "/l/Band - Tune [190].lrc"},
        {"/l", "/l/Band - Tune.lrc", 185000, true, "/l/Band - Tune [190].lrc"},
        // A player that tells no length: a name without a length, which the lookup finds at any length.
        {"/l", "", 0, true, "/l/Band - Tune.lrc"},
        {"/l", "", 999, true, "/l/Band - Tune.lrc"},
        // Plain text goes back into the file the lyrics came from, whatever its ending.
        {"/l", "/l/Band - Tune.lrc", 185000, false, "/l/Band - Tune.lrc"},
        {"/l", "", 185000, false, "/l/Band - Tune.txt"},
    };
    for (const TCase& c : cases) {
        TSaveTarget target;
        target.LyricsDir = c.dir;
        target.Separator = '/';
        target.BaseName = "Band - Tune";
        target.LyricsFileName = c.lyricsFile;
        target.LengthMs = c.lengthMs;
        target.TimestampMode = c.timestamps;
        EXPECT_EQ(OkFileName(target), c.expected) << c.lengthMs << " " << c.timestamps;
    }
    TSaveTarget target;
    target.LyricsDir = "C:\\Lyrics";
    target.Separator = '\\';
    target.BaseName = "A - B";
    EXPECT_EQ(SaveToPath(target), "C:\\Lyrics\\A - B.lrc");
    target.LyricsFileName = "C:\\x.txt";
    EXPECT_EQ(SaveToPath(target), "C:\\x.txt");
}

TEST(EditorRules, ShiftedTimeNeverGoesBelowZero) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"0:00.05", -100, "0:00.00"},  {"1:00.00", 100, "1:00.10"},  {"0:59.95", 100, "1:00.05"},
        {"99:00.00", 100, "99:00.10"}, {"1:00.00", -100, "0:59.90"}, {"0:00.00", -100, "0:00.00"},
    };
    for (const auto& [text, delta, expected] : cases)
        EXPECT_EQ(ShiftedTime(text, delta), expected) << text << " " << delta;
}

TEST(EditorRules, TimingPaneKeyTable) {
    using K = TTimingKey;
    struct TCase {
        int key;
        bool shift, ctrl, alt;
        K action;
        int digit;
    } cases[] = {
        {Qt::Key_Return, false, false, false, K::Stamp, 0},
        {Qt::Key_Enter, false, false, true, K::Stamp, 0}, // Alt does not matter
        {Qt::Key_Space, false, false, false, K::Stamp, 0},
        {Qt::Key_Space, false, false, true, K::Stamp, 0},
        {Qt::Key_Return, true, false, false, K::PlayFromHere, 0}, // Shift+Enter alone
        {Qt::Key_Return, false, true, false, K::StampModePlayFromHere, 0},
        {Qt::Key_Return, true, true, false, K::StampModePlayFromHere, 0},
        {Qt::Key_Space, true, false, false, K::StampModePlayFromHere, 0},
        {Qt::Key_Space, false, true, false, K::StampModePlayFromHere, 0},
        {Qt::Key_Left, false, false, false, K::Back5s, 0},
        {Qt::Key_Left, true, false, true, K::Back5s, 0},
        {Qt::Key_Right, false, false, false, K::Forward5s, 0},
        {Qt::Key_Left, false, true, false, K::LineEarlier, 0},
        {Qt::Key_Right, true, true, false, K::LineLater, 0},
        {Qt::Key_Left, false, true, true, K::FollowingEarlier, 0},
        {Qt::Key_Right, false, true, true, K::FollowingLater, 0},
        {Qt::Key_1, false, false, false, K::SeekBack, 1},
        {Qt::Key_9, false, false, true, K::SeekBack, 9},
        {Qt::Key_5, false, true, false, K::SeekForward, 5},
        {Qt::Key_0, false, false, false, K::None, 0},
        {Qt::Key_X, false, false, false, K::Play, 0},
        {Qt::Key_X, true, false, false, K::Play, 0},
        {Qt::Key_C, false, false, true, K::Pause, 0},
        {Qt::Key_V, false, false, false, K::Stop, 0},
        {Qt::Key_X, false, true, false, K::None, 0}, // Ctrl+X, Ctrl+C, Ctrl+V are the clipboard's
        {Qt::Key_C, false, true, false, K::None, 0},
        {Qt::Key_V, false, true, false, K::None, 0},
        {Qt::Key_A, false, false, false, K::None, 0},
        {Qt::Key_Escape, false, false, false, K::None, 0},
    };
    for (const TCase& c : cases) {
        const TTimingKeyEffect effect = TimingKeyEffect(c.key, c.shift, c.ctrl, c.alt);
        EXPECT_EQ(effect.Action, c.action) << std::hex << c.key << " " << c.shift << c.ctrl << c.alt;
        EXPECT_EQ(effect.Digit, c.digit) << std::hex << c.key;
    }
}

} // namespace
