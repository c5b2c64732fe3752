// The timing editor window as the user drives it: filling, stamping a whole song and reading the saved file
// back, the alignment of the panes, the timing pane's keys, saving (and failing to), importing, exporting,
// closing.

#include "editor/tests/EditorWorld.h"

#include "editor/UEditTags.h"
#include "lyrics/ClockText.h"
#include "player/AmpI.h"
#include "toolkit/CodePage.h"
#include "toolkit/GLHUDText.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>

using namespace editor;
using namespace editor::testing;
using TLines = std::vector<std::string>;

namespace {

TEST_F(EditorTest, AnEmptyDocumentGivesOneLineWithTheSongName) {
    Open();
    EXPECT_EQ(Editor->windowTitle().toStdString(), "Edit Lyrics");
    EXPECT_EQ(Editor->size(), QSize(TFormEdit::kDesignWidth, TFormEdit::kDesignHeight));
    EXPECT_EQ(Editor->TimingLines(), TLines{"0:00.00"});
    EXPECT_EQ(Editor->LyricLines(), TLines{"[Band - Tune]"});
    EXPECT_FALSE(Editor->TimestampMode());
    EXPECT_EQ(Scene.GLHUDTextLength->Text, "3:05.00");
    EXPECT_FLOAT_EQ(Scene.GLHUDTextEditSong->ModulateColor.R, 0.45f);
    EXPECT_EQ(Editor->SynEditTiming().width(), 70);
    EXPECT_EQ(Editor->BottomBar().height(), 35);
}

TEST_F(EditorTest, FillsPanesTagsAndModeFromTheDocument) {
    Document.ParseText("[ar:Band]\r\n[ti:Tune]\r\n[00:01.50]One\r\nTwo\r\n[01:02.03]Three\r\n");
    Open();
    EXPECT_TRUE(Editor->TimestampMode());
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.50", "1:02.03", "1:02.03"}));
    EXPECT_EQ(Editor->LyricLines(), (TLines{"One", "Two", "Three"}));
    EXPECT_EQ(Editor->TagsForm().TagLines(), (TLines{"[ar:Band]", "[ti:Tune]"}));
    const QColor timed = Editor->SynEditTiming().palette().color(QPalette::Base);

    // A fill from an untimed document turns the mode off and rewrites the times; the pane turns grey.
    Document.ParseText("One\r\nTwo\r\n");
    Editor->FillFromDocument();
    EXPECT_FALSE(Editor->TimestampMode());
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:00.00", "99:00.00"}));
    EXPECT_NE(Editor->SynEditTiming().palette().color(QPalette::Base), timed);
    EXPECT_TRUE(Editor->TagsForm().TagLines() == TLines{""} || Editor->TagsForm().TagLines().empty());
}

// The user stamps every line while the song plays, saves, and the file reads back with the same lines at
// the same times.
TEST_F(EditorTest, StampingAWholeSongRoundTripsThroughTheSavedFile) {
    const TLines texts = {"Hello darkness", "my old friend", "", "I've come to talk", "with you again"};
    std::string text;
    for (const auto& line : texts)
        text += line + "\r\n";
    Document.ParseText(text);
    ASSERT_FALSE(Document.Timestamped);
    Open();
    const int starts[] = {1230, 4561, 8000, 15999, 61010};
    std::vector<std::int32_t> stamped;
    int now = 0;
    for (int i = 0; i < int(texts.size()); ++i) {
        Play(starts[i] - now);
        now = starts[i];
        EXPECT_EQ(Editor->TimingCaretLine(), i);
        Key(i % 2 ? Qt::Key_Space : Qt::Key_Return);
        stamped.push_back(now / 10 * 10);
    }
    EXPECT_TRUE(Editor->TimestampMode());
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.23", "0:04.56", "0:08.00", "0:15.99", "1:01.01"}));

    Editor->Action("ActionOk")->trigger();
    EXPECT_TRUE(Errors.empty());
    EXPECT_FALSE(Editor->isVisible());
    const fs::path saved = Folder / "lyrics" / "Band - Tune [190].lrc";
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(Read(saved), "[00:01.23]Hello darkness\r\n[00:04.56]my old friend\r\n[00:08.00]\r\n"
                           "[00:15.99]I've come to talk\r\n[01:01.01]with you again\r\n");

    lyrics::TTextLyrics back;
    ASSERT_TRUE(back.LoadFromFile(saved.string()));
    EXPECT_TRUE(back.Timestamped);
    ASSERT_EQ(back.Lines.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(back.Lines[i].Text, texts[i]);
        EXPECT_EQ(back.Lines[i].Time, stamped[i]);
    }
    // Closing returns the main window to its lyric view and reloads the song 100 ms later.
    EXPECT_EQ(Host.Returns, 1);
    EXPECT_EQ(Host.Reloads, 0);
    QTest::qWait(150);
    EXPECT_EQ(Host.Reloads, 1);
    EXPECT_FALSE(Editor->TimerReloadNewSong.isActive());
}

// A file with an offset and word times: the editor shows the times the display uses (offset applied) and
// saves them without the offset tag, so the saved file plays exactly as the old one did; word times of lines
// the user did not retime stay.
TEST_F(EditorTest, OffsetAndWordTimesSurviveASave) {
    Document.ParseText("[ar:Band]\r\n[offset:+500]\r\n[ti:Tune][offset:+500]\r\n"
                       "[00:02.00]<00:02.00>Never <00:02.40>gonna\r\n[00:05.00]give\r\n");
    Open();
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.50", "0:04.50"}));
    EXPECT_EQ(Editor->LyricLines(), (TLines{"<00:01.50>Never <00:01.90>gonna", "give"}));
    EXPECT_EQ(Editor->TagsForm().TagLines(), (TLines{"[ar:Band]", "[ti:Tune][offset:0]"}));

    // The second line is stamped anew at 6.00 s.
    Play(6000);
    Editor->SetTimingCaretLine(1);
    Key(Qt::Key_Return);
    Editor->Action("ActionOk")->trigger();
    EXPECT_TRUE(Errors.empty());
    lyrics::TTextLyrics back;
    ASSERT_TRUE(back.LoadFromFile((Folder / "lyrics" / "Band - Tune [190].lrc").string()));
    ASSERT_EQ(back.Lines.size(), 2u);
    EXPECT_EQ(back.Lines[0].Time, Document.Lines[0].Time);
    EXPECT_EQ(back.Lines[0].Text, "Never gonna");
    ASSERT_EQ(back.Lines[0].Words.size(), 2u);
    EXPECT_EQ(back.Lines[0].Words[0].Time, 1500);
    EXPECT_EQ(back.Lines[0].Words[1].Time, 1900);
    EXPECT_EQ(back.Lines[1].Time, 6000);
}

TEST_F(EditorTest, EnterOnTheLastLineStampsItAgainAndStays) {
    Document.ParseText("One\r\nTwo\r\n");
    Open();
    Editor->SetTimingCaretLine(1);
    Play(2000);
    Key(Qt::Key_Return);
    EXPECT_EQ(Editor->TimingCaretLine(), 1);
    EXPECT_EQ(Editor->TimingLines()[1], "0:02.00");
    Play(500);
    Key(Qt::Key_Return);
    EXPECT_EQ(Editor->TimingCaretLine(), 1);
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:00.00", "0:02.50"}));
}

// Every key of the timing pane's table, pressed on the pane, against the fake player.
TEST_F(EditorTest, TimingPaneKeys) {
    const TLines kSame = {"0:00.00", "0:00.05", "0:20.00"};
    struct TCase {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
        TLines timing;                        // after the key, from kSame with the caret on the second line
        std::vector<std::uintptr_t> commands; // sent to the player
        std::vector<std::int32_t> seeks;
        bool timestampMode;
    } cases[] = {
        {"Left", Qt::Key_Left, {}, kSame, {player::AMP_BACK_5S}, {}, false},
        {"Right", Qt::Key_Right, {}, kSame, {player::AMP_FORWARD_5S}, {}, false},
        {"Ctrl+Left at 0:00.05",
         Qt::Key_Left,
         Qt::ControlModifier,
         {"0:00.00", "0:00.00", "0:20.00"},
         {},
         {},
         false},
        {"Ctrl+Right", Qt::Key_Right, Qt::ControlModifier, {"0:00.00", "0:00.15", "0:20.00"}, {}, {}, false},
        {"Ctrl+Alt+Left",
         Qt::Key_Left,
         Qt::ControlModifier | Qt::AltModifier,
         {"0:00.00", "0:00.00", "0:19.90"},
         {},
         {},
         false},
        {"Ctrl+Alt+Right",
         Qt::Key_Right,
         Qt::ControlModifier | Qt::AltModifier,
         {"0:00.00", "0:00.15", "0:20.10"},
         {},
         {},
         false},
        {"3", Qt::Key_3, {}, kSame, {}, {27000}, false},
        {"keypad 9", Qt::Key_9, Qt::KeypadModifier, kSame, {}, {21000}, false},
        {"Ctrl+4", Qt::Key_4, Qt::ControlModifier, kSame, {}, {34000}, false},
        {"0 does nothing", Qt::Key_0, {}, kSame, {}, {}, false},
        {"X", Qt::Key_X, {}, kSame, {player::AMP_PLAY}, {}, false},
        {"Shift+C", Qt::Key_C, Qt::ShiftModifier, kSame, {player::AMP_PAUSE}, {}, false},
        {"Alt+V", Qt::Key_V, Qt::AltModifier, kSame, {player::AMP_STOP}, {}, false},
        {"Space", Qt::Key_Space, {}, {"0:00.00", "0:30.00", "0:20.00"}, {}, {}, true},
        {"Shift+Enter", Qt::Key_Return, Qt::ShiftModifier, kSame, {}, {50}, false},
        {"Ctrl+Enter", Qt::Key_Return, Qt::ControlModifier, kSame, {}, {50}, true},
        {"Shift+Space", Qt::Key_Space, Qt::ShiftModifier, kSame, {}, {50}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        Document.ParseText("[00:00.00]a\r\n[00:00.05]b\r\n[00:20.00]c\r\n");
        Amp->PositionMs = 30000;
        Play(0);
        Open();
        Editor->SetTimestampMode(false); // the times stay; only stamping keys turn the mode on
        Editor->SetTimingCaretLine(1);
        Amp->Commands.clear();
        Amp->Seeks.clear();
        Key(c.key, c.mods);
        EXPECT_EQ(Editor->TimingLines(), c.timing);
        EXPECT_EQ(Amp->Commands, c.commands);
        EXPECT_EQ(Amp->Seeks, c.seeks);
        EXPECT_EQ(Editor->TimestampMode(), c.timestampMode);
        EXPECT_TRUE(Editor->isVisible()); // no key closes the editor
    }
}

TEST_F(EditorTest, SeekingByDigitsStopsAtTheSongStart) {
    Amp->PositionMs = 2000;
    Play(0);
    Open();
    Key(Qt::Key_5);
    EXPECT_EQ(Amp->Seeks, std::vector<std::int32_t>{0});
}

TEST_F(EditorTest, PlayFromHereStopsJustBeforeTheSongEnd) {
    Document.ParseText("[00:10.00]a\r\n[00:20.00]b\r\nc\r\n");
    Open();
    ASSERT_EQ(Editor->TimingLines()[2], "99:00.00");
    Editor->SetTimingCaretLine(2);
    Editor->PlayFromHere();
    EXPECT_EQ(Amp->Seeks.back(), 185000 - 100);
    // A double click on a line plays from its time.
    Amp->Seeks.clear();
    const QRect first =
        Editor->SynEditTiming().cursorRect(QTextCursor(Editor->SynEditTiming().document()->begin()));
    QTest::mouseDClick(Editor->SynEditTiming().viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(Editor->TimingCaretLine(), 0);
    EXPECT_EQ(Amp->Seeks, std::vector<std::int32_t>{10000});
}

TEST_F(EditorTest, SetTimestampLeavesModeAndCaret) {
    Document.ParseText("One\r\nTwo\r\n");
    Open();
    Play(7000);
    Editor->SetTimingCaretLine(1);
    Editor->Action("SetTimestamp1")->trigger();
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:00.00", "0:07.00"}));
    EXPECT_EQ(Editor->TimingCaretLine(), 1);
    EXPECT_FALSE(Editor->TimestampMode());
}

TEST_F(EditorTest, RemoveTimestamps) {
    Document.ParseText("[00:10.00]a\r\n[00:12.00]b\r\n[00:20.00]c\r\n");
    Open();
    ASSERT_TRUE(Editor->TimestampMode());
    Editor->Action("ActionRemoveTimestamps")->trigger();
    EXPECT_FALSE(Editor->TimestampMode());
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:00.00", "99:00.00", "99:00.00"}));
}

TEST_F(EditorTest, LongTimesKeepAllTheirMinuteDigits) {
    Document.ParseText("[00:01.00]a\r\n[00:02.00]b\r\n");
    Open();
    Editor->SetTimingCaretLine(1);
    Amp->PositionMs = 6000000; // 100 minutes
    Play(0);
    Editor->SetTimestamp();
    EXPECT_EQ(Editor->TimingLines()[1], "100:00.00");
    EXPECT_EQ(Editor->OutputText(), "[00:01.00]a\r\n[100:00.00]b\r\n");
}

// The alignment rule on the real panes: what the user does in the lyric pane.
TEST_F(EditorTest, PanesStayAlignedWhileTheLyricsAreEdited) {
    Document.ParseText("[00:01.00]one\r\n[00:02.00]two\r\n[00:03.00]three\r\n[00:04.00]four\r\n");
    Open();
    QPlainTextEdit& lyric = Editor->SynEditLyric();
    auto caretAt = [&](int line, int column) {
        QTextCursor cursor(lyric.document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        lyric.setTextCursor(cursor);
    };

    // Enter inside "two": the part after the caret takes the time of the line that follows.
    caretAt(1, 1);
    QTest::keyClick(&lyric, Qt::Key_Return);
    EXPECT_EQ(Editor->LyricLines(), (TLines{"one", "t", "wo", "three", "four"}));
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00", "0:03.00", "0:03.00", "0:04.00"}));

    // Backspace at the start of "wo" joins it again: "t" keeps its time.
    QTest::keyClick(&lyric, Qt::Key_Backspace);
    EXPECT_EQ(Editor->LyricLines(), (TLines{"one", "two", "three", "four"}));
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00", "0:03.00", "0:04.00"}));

    // Typing within a line changes no time.
    QTest::keyClicks(&lyric, "xyz");
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00", "0:03.00", "0:04.00"}));

    // Three lines pasted at the end of the pane: three new lines at 99:00.00.
    Clipboard = "\nfive\nsix\nseven";
    lyric.moveCursor(QTextCursor::End);
    Editor->Action("ActionPaste")->trigger();
    EXPECT_EQ(Editor->LyricLines().size(), 7u);
    EXPECT_EQ(Editor->TimingLines(),
              (TLines{"0:01.00", "0:02.00", "0:03.00", "0:04.00", "99:00.00", "99:00.00", "99:00.00"}));

    // Three lines pasted inside a line: all three take the time of the line after it.
    Clipboard = "A\nB\nC\nD";
    caretAt(0, 1);
    Editor->Action("ActionPaste")->trigger();
    EXPECT_EQ(Editor->LyricLines()[0], "oA");
    EXPECT_EQ(Editor->LyricLines()[3], "Dne");
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00", "0:02.00", "0:02.00", "0:02.00", "0:03.00",
                                             "0:04.00", "99:00.00", "99:00.00", "99:00.00"}));

    // Undo takes the paste back and the panes follow.
    Editor->Action("ActionUndo")->trigger();
    EXPECT_EQ(Editor->LyricLines().size(), 7u);
    EXPECT_EQ(Editor->TimingLines().size(), 7u);

    // The last four lines selected from the end of line 3 and deleted.
    QTextCursor cursor(lyric.document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    lyric.setTextCursor(cursor);
    QTest::keyClick(&lyric, Qt::Key_Delete);
    EXPECT_EQ(Editor->LyricLines().size(), 3u);
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00", "0:03.00"}));

    // Everything deleted: one empty line keeps the first time.
    Editor->Action("ActionSelectAll")->trigger();
    QTest::keyClick(&lyric, Qt::Key_Delete);
    EXPECT_EQ(Editor->LyricLines(), TLines{""});
    EXPECT_EQ(Editor->TimingLines(), TLines{"0:01.00"});
}

TEST_F(EditorTest, LyricPaneTurnsTabsIntoSpacesAndDropsTrailingBlanks) {
    Open();
    QPlainTextEdit& lyric = Editor->SynEditLyric();
    lyric.moveCursor(QTextCursor::End);
    QTest::keyClick(&lyric, Qt::Key_Tab);
    QTest::keyClicks(&lyric, "x   ");
    EXPECT_EQ(Editor->LyricLines(), TLines{"[Band - Tune]   x"});
    Clipboard = "\na\tb";
    Editor->Action("ActionPaste")->trigger();
    EXPECT_EQ(Editor->LyricLines()[1], "a       b");
}

// While the window is active its clipboard shortcuts act on the lyric pane, even from the timing pane.
TEST_F(EditorTest, ClipboardShortcutsActOnTheLyricPane) {
    Document.ParseText("[00:01.00]one\r\n[00:02.00]two\r\n");
    Open();
    Editor->activateWindow();
    if (!QTest::qWaitForWindowActive(Editor.get()))
        GTEST_SKIP() << "the window cannot be made active here";
    Editor->SynEditTiming().setFocus();
    QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Editor->SynEditLyric().textCursor().selectedText().toStdString(), "one\u2029two");
    QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard.toStdString(), "one\ntwo");
    EXPECT_TRUE(Amp->Commands.empty()); // Ctrl+C is not Pause
    QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Editor->LyricLines(), TLines{""});
    EXPECT_EQ(Editor->TimingLines(), TLines{"0:01.00"});
    QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Editor->LyricLines(), (TLines{"one", "two"}));
    EXPECT_TRUE(Amp->Commands.empty());
    // Alt+C pauses in the timing pane instead of pressing "&Cancel".
    QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{player::AMP_PAUSE});
}

TEST_F(EditorTest, CurrentLineFollowsThePlayPosition) {
    Document.ParseText("[00:01.00]one\r\n[00:02.00]two\r\n[00:03.00]three\r\n");
    Open();
    const std::pair<int, int> steps[] = {{0, -1}, {1000, -1}, {1, 0}, {1500, 1}, {2000, 2}, {60000, 2}};
    for (const auto& [ms, line] : steps) {
        Play(ms);
        Editor->UpdatePlayback();
        EXPECT_EQ(Editor->CurrentLineIndex(), line) << Amp->PositionMs;
        const auto highlighted = Editor->SynEditLyric().extraSelections();
        EXPECT_EQ(highlighted.size(), line < 0 ? 0 : 1);
        if (line >= 0) {
            EXPECT_EQ(highlighted.front().cursor.blockNumber(), line);
            EXPECT_EQ(highlighted.front().format.background().color(), QColor(207, 232, 245));
            EXPECT_EQ(Editor->SynEditTiming().extraSelections().front().cursor.blockNumber(), line);
        }
    }
    EXPECT_EQ(Scene.GLHUDTextEditLyricLyrics->Text, "three");
    EXPECT_EQ(Scene.GLHUDTextEditTime->Text, "1:04.50");
    EXPECT_EQ(Scene.GLHUDTextEditSong->Text, "Band - Tune");
    EXPECT_EQ(Scene.GLHUDTextEditSaveTo->Text, Host.Dir + "/Band - Tune.lrc");
    EXPECT_FLOAT_EQ(Scene.GLHUDTextEditLyricLyrics->Position.X, 825 / 2);
}

TEST_F(EditorTest, PanesScrollTogether) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "[00:" + std::to_string(10 + i % 50) + ".00]line " + std::to_string(i) + "\r\n";
    Document.ParseText(text);
    Open();
    Editor->SynEditLyric().verticalScrollBar()->setValue(120);
    EXPECT_EQ(Editor->SynEditTiming().verticalScrollBar()->value(), 120);
    Editor->SynEditTiming().verticalScrollBar()->setValue(40);
    EXPECT_EQ(Editor->SynEditLyric().verticalScrollBar()->value(), 40);
}

// The player is paused once as the song reaches its last 100 ms (its pause command toggles).
TEST_F(EditorTest, NearEndPausesThePlayerOnce) {
    Open();
    Amp->PositionMs = 184000;
    Play(0);
    Editor->NearEndPause();
    EXPECT_TRUE(Amp->Commands.empty());
    Play(950); // 184.950 s: within the last 100 ms
    for (int frame = 0; frame < 5; ++frame) {
        Editor->NearEndPause();
        Clock.Advance(12);
    }
    EXPECT_EQ(Amp->Commands, std::vector<std::uintptr_t>{player::AMP_PAUSE});
    // Back in the song and at the end again: paused again.
    Amp->PositionMs = 100000;
    Play(0);
    Editor->NearEndPause();
    Amp->PositionMs = 184950;
    Play(0);
    Editor->NearEndPause();
    EXPECT_EQ(Amp->Commands.size(), 2u);
}

TEST_F(EditorTest, NearEndDoesNothingWithoutASongLength) {
    Amp->LengthSeconds = 0;
    Amp->PositionMs = 500000;
    Play(0);
    Open();
    Editor->NearEndPause();
    EXPECT_TRUE(Amp->Commands.empty());
}

// Where OK saves and what it writes.
TEST_F(EditorTest, OkTargets) {
    struct TCase {
        const char* what;
        int lengthSeconds;
        std::string text;
        std::string lyricsFile; // within the lyrics folder; empty for none
        bool removeTimestamps;
        std::string file;
        std::string bytes;
    } cases[] = {
        {"timed, 4:04.99", 244, "[00:01.00]a\r\n[00:02.00]b\r\n", "", false, "Band - Tune [240].lrc",
         "[00:01.00]a\r\n[00:02.00]b\r\n"},
        {"timed, 4:05", 245, "[00:01.00]a\r\n[00:02.00]b\r\n", "", false, "Band - Tune [250].lrc",
         "[00:01.00]a\r\n[00:02.00]b\r\n"},
        {"timed, no length", 0, "[00:01.00]a\r\n[00:02.00]b\r\n", "", false, "Band - Tune.lrc",
         "[00:01.00]a\r\n[00:02.00]b\r\n"},
        {"plain into the .lrc it came from", 185, "[ar:Band]\r\n[00:01.00]a\r\n[00:02.00]b\r\n",
         "Band - Tune.lrc", true, "Band - Tune.lrc", "[ar:Band]\r\na\r\nb\r\n"},
        {"plain, no file", 185, "a\r\nb\r\n", "", false, "Band - Tune.txt", "a\r\nb\r\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Folder / "lyrics");
        fs::create_directories(Folder / "lyrics");
        Amp->LengthSeconds = c.lengthSeconds;
        Amp->SetCaption("2. Other - Song - Winamp");
        Play(200);
        Amp->SetCaption("1. Band - Tune - Winamp");
        Play(200);
        Document.ParseText(c.text);
        Document.LyricsFileName = c.lyricsFile.empty() ? "" : (Folder / "lyrics" / c.lyricsFile).string();
        if (!c.lyricsFile.empty())
            Write(Folder / "lyrics" / c.lyricsFile, "old");
        Open();
        if (c.removeTimestamps)
            Editor->RemoveTimestamps();
        EXPECT_EQ(Editor->OkFileName(), (Folder / "lyrics" / c.file).string());
        QTest::mouseClick(Editor->BottomBar().findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
        EXPECT_TRUE(Errors.empty());
        EXPECT_EQ(Read(Folder / "lyrics" / c.file), c.bytes);
        EXPECT_FALSE(Editor->isVisible());
    }
}

// A write that fails keeps the editor open with its panes as they were, says why, and leaves the old file.
TEST_F(EditorTest, AFailedSaveKeepsTheEditorAndTheOldFile) {
    Write(Folder / "afile", "x");
    struct TCase {
        const char* what;
        fs::path dir;
        bool readOnlyOldFile;
        const char* reason;
    } cases[] = {
        {"missing folder", Folder / "missing", false, "No such file or directory"},
        {"a file where the folder should be", Folder / "afile", false, "Not a directory"},
        {"read-only old file", Folder / "lyrics", true, "read-only"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        Errors.clear();
        Host.Returns = 0;
        Host.Dir = c.dir.string();
        const fs::path old = Folder / "lyrics" / "Band - Tune [190].lrc";
        Write(old, "old lyrics");
        if (c.readOnlyOldFile)
            fs::permissions(old, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        Document.ParseText("[00:01.00]a\r\n[00:02.00]b\r\n");
        Open();
        Play(3000);
        Editor->SetTimingCaretLine(1);
        Key(Qt::Key_Space);
        const TLines timing = Editor->TimingLines(), lyric = Editor->LyricLines();

        Editor->Action("ActionOk")->trigger();
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_NE(Errors[0].find(c.reason), std::string::npos) << Errors[0];
        EXPECT_TRUE(Editor->isVisible());
        EXPECT_EQ(Editor->TimingLines(), timing);
        EXPECT_EQ(Editor->LyricLines(), lyric);
        EXPECT_EQ(Host.Returns, 0);
        EXPECT_EQ(Read(old), "old lyrics");
        fs::permissions(old, fs::perms::owner_all, fs::perm_options::add);
        for (const auto& entry : fs::directory_iterator(Folder / "lyrics"))
            EXPECT_EQ(entry.path().filename(), old.filename()); // no half-written file left beside it
        Editor->reject();
    }
}

TEST_F(EditorTest, ASongWithoutANameIsNotSavedUnderNoName) {
    Document.SongName = "";
    Document.ParseText("[00:01.00]a\r\n[00:02.00]b\r\n");
    Open();
    Editor->Action("ActionOk")->trigger();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_TRUE(fs::is_empty(Folder / "lyrics"));
    // "To Textfile.." still saves them.
    SaveAnswer = QString::fromStdString((Folder / "mine.lrc").string());
    Editor->Action("ActionSaveAs")->trigger();
    EXPECT_EQ(Read(Folder / "mine.lrc"), "[00:01.00]a\r\n[00:02.00]b\r\n");
}

TEST_F(EditorTest, ImportsFromFileDropAndClipboard) {
    Open();
    const fs::path lrc = Folder / "Import.LRC";
    Write(lrc, "\xEF\xBB\xBF[ti:Imported]\r\n[00:05.00]Five\r\n[00:06.00]Six\r\n");
    OpenAnswer = QString::fromStdString(lrc.string());
    Editor->Action("ActionOpenFile")->trigger();
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Five", "Six"}));
    EXPECT_EQ(Editor->TimingLines(), (TLines{"0:05.00", "0:06.00"}));
    EXPECT_EQ(Editor->TagsForm().TagLines(), TLines{"[ti:Imported]"});
    // The import replaces the document's lines, not its song name or file.
    EXPECT_EQ(Document.SongName, "Band - Tune");
    EXPECT_EQ(Document.Lines.size(), 2u);

    auto drop = [&](QWidget& pane, const std::vector<fs::path>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& file : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&pane, &enter);
        QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&pane, &dropEvent);
    };
    const fs::path txt = Folder / "plain.txt", mp3 = Folder / "song.mp3";
    Write(txt, "Plain one\r\nPlain two\r\n");
    Write(mp3, "[00:01.00]not lyrics");
    drop(*Editor->SynEditTiming().viewport(), {mp3, txt}); // only the first file counts: ignored
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Five", "Six"}));
    drop(*Editor->SynEditLyric().viewport(), {txt, mp3});
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Plain one", "Plain two"}));
    EXPECT_FALSE(Editor->TimestampMode());
    drop(*Editor->SynEditTiming().viewport(), {lrc});
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Five", "Six"}));

    Clipboard = "[00:07.00]Seven\n[00:08.00]Eight";
    Editor->Action("ActionPasteSpecial")->trigger();
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Seven", "Eight"}));
    EXPECT_TRUE(Editor->TimestampMode());
    EXPECT_TRUE(Errors.empty());

    // A file that cannot be read says so and changes nothing.
    OpenAnswer = QString::fromStdString((Folder / "gone.lrc").string());
    Editor->Action("ActionOpenFile")->trigger();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("No such file or directory"), std::string::npos) << Errors[0];
    EXPECT_EQ(Editor->LyricLines(), (TLines{"Seven", "Eight"}));
}

// Binary files read up to their first zero byte; files, clipboard texts and pastes larger than the editor
// holds are refused with a message and change nothing.
TEST_F(EditorTest, HugeAndBinaryInputIsRefusedOrBounded) {
    Document.ParseText("[00:01.00]kept\r\n[00:02.00]lines\r\n");
    Open();
    const fs::path binary = Folder / "binary.lrc";
    std::string bytes = "[00:01.00]Start\r\n[00:02.00]x";
    for (int i = 0; i < 4096; ++i)
        bytes += char(1 + i * 37 % 255);
    bytes += '\0';
    bytes += std::string(100000, '\n');
    Write(binary, bytes);
    EXPECT_TRUE(Editor->ImportFile(binary.string()));
    EXPECT_EQ(Editor->LyricLines().size(), Editor->TimingLines().size());
    EXPECT_LT(Editor->LyricLines().size(), 100u);
    EXPECT_TRUE(Errors.empty());
    Document.ParseText("[00:01.00]kept\r\n[00:02.00]lines\r\n");
    Editor->FillFromDocument();

    struct TCase {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"20 MB file",
         [&] {
             const fs::path huge = Folder / "huge.txt";
             {
                 std::ofstream out(huge, std::ios::binary);
                 const std::string line(99, 'x');
                 for (int i = 0; i < 200000; ++i)
                     out << line << "\n";
             }
             EXPECT_FALSE(Editor->ImportFile(huge.string()));
         }},
        {"30001 short lines",
         [&] {
             std::string text;
             for (int i = 0; i <= 30000; ++i)
                 text += "[00:01.00]a\r\n";
             Write(Folder / "many.lrc", text);
             EXPECT_FALSE(Editor->ImportFile((Folder / "many.lrc").string()));
         }},
        {"one line of 2 MB",
         [&] {
             Write(Folder / "long.txt", std::string(2000000, 'w'));
             EXPECT_FALSE(Editor->ImportFile((Folder / "long.txt").string()));
         }},
        {"clipboard of 40 MB",
         [&] {
             Clipboard = QString("z\n").repeated(20 * 1024 * 1024);
             Editor->Action("ActionPasteSpecial")->trigger();
         }},
        {"clipboard of 3 MB",
         [&] {
             Clipboard = QString("[00:01.00]zz\n").repeated(250000);
             Editor->Action("ActionPasteSpecial")->trigger();
         }},
        {"paste of 30000 lines",
         [&] {
             Clipboard = QString("p\n").repeated(30000);
             Editor->Action("ActionPaste")->trigger();
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        Errors.clear();
        c.act();
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_EQ(Errors[0], kTooLongMessage);
        EXPECT_EQ(Editor->LyricLines(), (TLines{"kept", "lines"}));
        EXPECT_EQ(Editor->TimingLines(), (TLines{"0:01.00", "0:02.00"}));
        EXPECT_EQ(Document.Lines.size(), 2u);
    }
}

// Lyrics the lookup found that are larger than the editor holds: it shows their beginning and saves nothing.
TEST_F(EditorTest, LyricsLargerThanTheEditorAreNeverSavedCut) {
    std::string text;
    for (int i = 0; i < kMaxEditorLines + 10; ++i)
        text += "[00:01.00]line\r\n";
    Document.ParseText(text);
    const fs::path file = Folder / "lyrics" / "Band - Tune [190].lrc";
    Write(file, text);
    Document.LyricsFileName = file.string();
    Open();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Editor->LyricLines().size(), std::size_t(kMaxEditorLines));
    EXPECT_EQ(Editor->TimingLines().size(), std::size_t(kMaxEditorLines));
    Editor->Action("ActionOk")->trigger();
    Editor->Action("ActionCopyAllTimestamped")->trigger();
    EXPECT_EQ(Errors.size(), 3u);
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_EQ(Read(file), text);
}

TEST_F(EditorTest, ExportsToTheClipboardAndToAFile) {
    Document.ParseText("[ar:Band]\r\n[00:01.00]a\r\n[00:02.00]b\r\n");
    Open();
    Editor->Action("ActionCopyAllTimestamped")->trigger();
    EXPECT_EQ(Clipboard.toStdString(), "[ar:Band]\r\n[00:01.00]a\r\n[00:02.00]b");

    SaveAnswer = QString::fromStdString((Folder / "out.lrc").string());
    Editor->Action("ActionSaveAs")->trigger();
    EXPECT_EQ(SaveInitial.toStdString(), Host.Dir + "/Band - Tune");
    EXPECT_EQ(Read(Folder / "out.lrc"), "[ar:Band]\r\n[00:01.00]a\r\n[00:02.00]b\r\n");
    EXPECT_TRUE(Editor->isVisible()); // exporting does not close

    SaveAnswer.clear(); // cancelled
    Editor->Action("ActionSaveAs")->trigger();
    EXPECT_TRUE(Errors.empty());
}

// Under UTF-8 the files are UTF-8 and read back as the same text.
TEST_F(EditorTest, SavesTextOfAnyScriptInTheActiveCharacterSet) {
    const int before = toolkit::ActiveCodePage();
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    const std::string kino = "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe"; // Кино
    const std::string line = "\xe6\x84\x9b \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d";
    Document.SongName = kino + " - " + kino;
    Document.ParseText("[00:01.00]" + line + "\r\n[00:02.00]b\r\n");
    Open();
    EXPECT_EQ(Editor->LyricLines()[0], line);
    Editor->Action("ActionOk")->trigger();
    const fs::path saved = Folder / "lyrics" / (kino + " - " + kino + " [190].lrc");
    EXPECT_EQ(Read(saved), "[00:01.00]" + line + "\r\n[00:02.00]b\r\n");
    toolkit::SetActiveCodePage(before);
}

TEST_F(EditorTest, TagsDialogKeepsItsTextAndGoesIntoTheOutput) {
    Document.ParseText("[ar:Band]\r\n[00:01.00]a\r\n[00:02.00]b\r\n");
    Open();
    Editor->BottomBar().findChild<QPushButton*>("ButtonEditTags")->click();
    TFormEditLyricsTags& tags = Editor->TagsForm();
    EXPECT_TRUE(tags.isVisible());
    EXPECT_EQ(tags.windowTitle().toStdString(), "Tags");
    EXPECT_EQ(tags.size(), QSize(275, 179));
    tags.MemoTags().setPlainText("[ar:Band]\n\n[al:Album]");
    tags.ButtonOk().click();
    EXPECT_FALSE(tags.isVisible());
    EXPECT_EQ(tags.TagLines(), (TLines{"[ar:Band]", "", "[al:Album]"}));
    EXPECT_EQ(Editor->OutputText(), "[ar:Band]\r\n[al:Album]\r\n[00:01.00]a\r\n[00:02.00]b\r\n");
}

TEST_F(EditorTest, EveryWayOfClosingReturnsToTheLyricView) {
    const std::function<void()> ways[] = {
        [&] { Editor->Action("ActionCancel")->trigger(); },
        [&] { Editor->Action("ActionClose")->trigger(); },
        [&] { Editor->close(); },
        [&] { QTest::keyClick(&Editor->SynEditTiming(), Qt::Key_Escape); },
        [&] { Editor->BottomBar().findChild<QPushButton*>("ButtonCancel")->click(); },
    };
    int n = 0;
    for (const auto& close : ways) {
        SCOPED_TRACE(n);
        Open();
        close();
        EXPECT_FALSE(Editor->isVisible());
        EXPECT_EQ(Host.Returns, ++n);
        EXPECT_TRUE(Editor->TimerReloadNewSong.isActive());
        QTest::qWait(150);
        EXPECT_EQ(Host.Reloads, n);
    }
    EXPECT_TRUE(fs::is_empty(Folder / "lyrics")); // nothing saved
}

TEST_F(EditorTest, MenusHoldEveryAction) {
    auto captions = [](const QList<QAction*>& actions) {
        QStringList list;
        for (QAction* a : actions)
            list << (a->isSeparator() ? "-" : a->text());
        return list.join('|').toStdString();
    };
    EXPECT_EQ(captions(Editor->MainMenu().actions()), "&File|Edit|Timestamps|Help");
    const QList<QAction*> menus = Editor->MainMenu().actions();
    EXPECT_EQ(captions(menus[0]->menu()->actions()), "Open..|-|Import|Export|-|Close");
    EXPECT_EQ(captions(menus[0]->menu()->actions()[2]->menu()->actions()), "From Clipboard");
    EXPECT_EQ(captions(menus[0]->menu()->actions()[3]->menu()->actions()), "To Clipboard|To Textfile..");
    EXPECT_EQ(captions(menus[1]->menu()->actions()), "Undo|Redo|-|Cut|Copy|Paste|-|Select All");
    EXPECT_EQ(captions(menus[2]->menu()->actions()), "Remove Timestamps");
    EXPECT_EQ(captions(menus[3]->menu()->actions()), "Lyric Editor Help..");
    EXPECT_EQ(captions(Editor->LyricMenu().actions()), "Cut|Copy|Paste|-|Select All");
    EXPECT_EQ(captions(Editor->TimingMenu().actions()), "Set Timestamp|Play from here");

    const std::pair<const char*, const char*> shortcuts[] = {
        {"ActionUndo", "Ctrl+Z"}, {"ActionRedo", "Ctrl+Shift+Z"},    {"ActionCut", "Ctrl+X"},
        {"ActionCopy", "Ctrl+C"}, {"ActionPaste", "Ctrl+V"},         {"ActionSelectAll", "Ctrl+A"},
        {"ActionHelp", "F1"},     {"Playfromhere1", "Shift+Return"},
    };
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(Editor->Action(name)->shortcut().toString().toStdString(), keys) << name;
    EXPECT_EQ(Editor->Action("ActionPasteSpecial")->toolTip().toStdString(), "Paste using Timestamps");
    EXPECT_EQ(Editor->findChild<QWidget*>("ButtonPlay")->toolTip().toStdString(), "Play");
    EXPECT_EQ(Editor->findChild<QWidget*>("ButtonPause")->toolTip().toStdString(), "Pause");
    EXPECT_EQ(Editor->findChild<QWidget*>("ButtonStop")->toolTip().toStdString(), "Stop");
    EXPECT_TRUE(Editor->BottomBar().findChild<QPushButton*>("ButtonOk")->isDefault());

    Editor->Action("ActionHelp")->trigger();
    EXPECT_EQ(Host.Opened, std::vector<std::string>{"http://help.example/modules.php?name=doc_editor"});
    Editor->Action("ActionPlay")->trigger();
    Editor->Action("ActionPause")->trigger();
    Editor->Action("ActionStop")->trigger();
    EXPECT_EQ(Amp->Commands,
              (std::vector<std::uintptr_t>{player::AMP_PLAY, player::AMP_PAUSE, player::AMP_STOP}));
}

TEST_F(EditorTest, DraggingTheBottomBarMovesTheWindow) {
    Open();
    QWidget& bar = Editor->BottomBar();
    const QPoint start = Editor->pos();
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(200, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(240, 30), bar.mapToGlobal(QPointF(240, 30)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(Editor->pos(), start + QPoint(40, 20));
}

TEST_F(EditorTest, EditViewResizePlacesTheExitMark) {
    Editor->EditViewResize();
    EXPECT_FLOAT_EQ(Scene.GLHUDTextEditExit->Position.X, 812);
    EXPECT_EQ(Host.Resizes, 1);
}

TEST_F(EditorTest, FollowsStayOnTop) {
    Open();
    Editor->SetStayOnTop(true);
    EXPECT_TRUE(Editor->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Editor->isVisible());
    Editor->SetStayOnTop(false);
    EXPECT_FALSE(Editor->windowFlags() & Qt::WindowStaysOnTopHint);
}

} // namespace
