// The lyric display engine against a fake Winamp (the song clock), the real settings store with its
// defaults, the lyric scene as plain data and a recording main window.
#include "config/TNullSettingsView.h"
#include "config/TSongList.h"
#include "config/USettings.h"
#include "display/DisplayInput.h"
#include "display/MainScene.h"
#include "display/UDisplayTextNoTimestamp.h"
#include "lyrics/UTextLyrics.h"
#include "player/AmpI.h"
#include "player/EasyAmp.h"
#include "toolkit/GLSceneView.h"

#include "platform/fake/FakeWinamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace display;
using lyrics::TLyricTextLine;
using toolkit::TGLHUDText;
namespace fs = std::filesystem;

namespace {

class TRecordingHost : public IDisplayHost {
public:
    int Width = 816;
    int Height = 326;
    bool AllowScroll = false;
    int AllowScrollRestarts = 0;
    bool ResizeTimer = false;
    int ResizeStarts = 0;
    bool Fps = false;
    int Advances = 0;
    bool Skin = true;
    int ThumbPaints = 0;
    std::vector<bool> ScrollBarChanges;
    TCursorKind Cursor = TCursorKind::Default;
    int PreferencesPage = -1;
    int NoPopupMarks = 0;
    std::vector<float> Gains;
    int MainDowns = 0, MainMoves = 0, MainDoubleClicks = 0, MainResizes = 0;

    int WindowWidth() override { return Width; }
    int WindowHeight() override { return Height; }
    bool AllowScrollTimerRunning() override { return AllowScroll; }
    void RestartAllowScrollTimer() override {
        AllowScroll = true;
        ++AllowScrollRestarts;
    }
    bool ResizeTimerRunning() override { return ResizeTimer; }
    void StartResizeTimer() override {
        ResizeTimer = true;
        ++ResizeStarts;
    }
    bool FpsTimerRunning() override { return Fps; }
    void SetFpsTimerRunning(bool running) override { Fps = running; }
    void AdvanceSceneClock() override { ++Advances; }
    bool FrameHasSkin() override { return Skin; }
    void PaintScrollThumb() override { ++ThumbPaints; }
    void ShowScrollBar(bool shown) override { ScrollBarChanges.push_back(shown); }
    void SetCursor(TCursorKind cursor) override { Cursor = cursor; }
    void OpenPreferencesPage(int index) override { PreferencesPage = index; }
    void MarkContextMenuNoPopup() override { ++NoPopupMarks; }
    void MultiplyVisualizationGain(float factor) override { Gains.push_back(factor); }
    void MainMouseDown(TMouseButton, TShiftState, int, int) override { ++MainDowns; }
    void MainMouseMove(TShiftState, int, int) override { ++MainMoves; }
    void MainDoubleClick() override { ++MainDoubleClicks; }
    void MainResize() override { ++MainResizes; }
};

// A fresh program folder whose settings folder holds the lyric font files the build made.
fs::path MakeProgramFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("cantrel_display_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
        if (c == '/' || c == '<' || c == '>' || c == ' ')
            c = '_';
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder / "Cantrel");
    for (const char* font : {"charset_english14.gsf", "charset_english22.gsf"})
        fs::copy_file(fs::path(CANTREL_SETTINGS_DIR) / font, folder / "Cantrel" / font);
    return folder;
}

class DisplayEngineTest : public ::testing::Test {
protected:
    DisplayEngineTest() {
        Settings.LoadSettings();                // every value at its default
        Settings.SetCharset("charset_english"); // drawn with the stored fonts of the test folder
        Clock.Now = 1000000;
        Amp = std::make_unique<platform::TFakeWinamp>(Windows, "1. Artist - Song - Winamp");
        Amp->LengthSeconds = 200;
        Session.PollPlayer(); // detection
        Session.PollPlayer(); // song change: the clock starts at 0
        SongStart = Clock.Now;
        View.Scene = &Scene.GLSceneTextNoTimestamp;
        View.Camera = Scene.GLCameraTextNoTimestamp;
        View.Width = 810;
        View.Height = 306;
        Scene.GLCameraTextNoTimestamp->SceneScale = 488.0f / 810;
    }
    ~DisplayEngineTest() override {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }

    // Moves the song clock to a play position.
    void At(std::int32_t ms) { Clock.Now = SongStart + std::uint32_t(ms); }

    void Load(std::vector<TLyricTextLine> lines, bool timestamped, bool found = true) {
        Lyrics.Lines = std::move(lines);
        Lyrics.Timestamped = timestamped;
        Lyrics.Found = found;
        Engine.RebuildLines();
    }
    // Lays the window out (the separator at window height - 158 = 168) and draws one frame.
    void LayOut() {
        Engine.LayoutWindow();
        Engine.UpdateFrame(0, 0);
    }

    int Count() { return Scene.GLHUDTextNoTimestampContainer->Count(); }
    TGLHUDText& Line(int i) {
        return static_cast<TGLHUDText&>(Scene.GLHUDTextNoTimestampContainer->Child(i));
    }
    float SeparatorY() { return Scene.GLHUDTextNoTimestampSeperator->Position.Y; }

    const fs::path Folder = MakeProgramFolder();
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session{Windows, Clock};
    std::unique_ptr<platform::TFakeWinamp> Amp;
    std::uint32_t SongStart = 0;
    TMainScene Scene{Clock};
    toolkit::TGLSceneView View;
    lyrics::TTextLyrics Lyrics;
    config::TNullSettingsView SettingsView;
    config::TSongList CancelList, UploadList;
    config::TSettings Settings{SettingsView, CancelList, UploadList, Folder.string(), "", '/'};
    TScrollState Scroll;
    TRecordingHost Host;
    TDisplayTextNoTimestamp Engine{Scene, View, Lyrics, Settings, Session, Scroll, Host};
};

// Seven lines once the blank line 0 is put on top: a blank line (index 3) between B and C.
std::vector<TLyricTextLine> SongWithBlank() {
    return {{"A", 1000}, {"B", 3000}, {"", 5000}, {"C", 9000}, {"D", 11000}, {"E", 13000}};
}

} // namespace

TEST_F(DisplayEngineTest, TheSongClockIsTheFakePlayersClock) {
    At(12345);
    EXPECT_EQ(Session.GetSongPosition(), 12345);
    EXPECT_EQ(Session.GetSongLength(), 200000);
}

TEST_F(DisplayEngineTest, RebuildPutsABlankLineOnTopWhenFading) {
    struct {
        const char* what;
        bool fade, timestamped;
        std::vector<TLyricTextLine> lines;
        std::vector<TLyricTextLine> expected;
    } cases[] = {
        {"fading, first line with text",
         true,
         true,
         {{"A", 5000}, {"B", 7000}},
         {{"", 0}, {"A", 5000}, {"B", 7000}}},
        {"fading, blank first line gets time 0",
         true,
         true,
         {{"", 2000}, {"B", 7000}},
         {{"", 0}, {"B", 7000}}},
        {"not fading, timestamped", false, true, {{"A", 5000}, {"B", 7000}}, {{"A", 5000}, {"B", 7000}}},
        {"plain lyrics", false, false, {{"A", -1}, {"B", 5940000}}, {{"", 0}, {"A", -1}, {"B", 5940000}}},
        {"plain lyrics, fading",
         true,
         false,
         {{"A", -1}, {"B", 5940000}},
         {{"", 0}, {"A", -1}, {"B", 5940000}}},
        {"one line", true, true, {{"A", 5000}}, {{"A", 5000}}},
    };
    for (const auto& c : cases) {
        Settings.SetFadeLyrics(c.fade);
        Load(c.lines, c.timestamped);
        ASSERT_EQ(Lyrics.Lines.size(), c.expected.size()) << c.what;
        ASSERT_EQ(Count(), int(c.expected.size())) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(Lyrics.Lines[i].Text, c.expected[i].Text) << c.what;
            EXPECT_EQ(Lyrics.Lines[i].Time, c.expected[i].Time) << c.what;
            EXPECT_EQ(Line(int(i)).Text, c.expected[i].Text) << c.what;
            EXPECT_EQ(Line(int(i)).Tag, int(i)) << c.what;
        }
    }
}

TEST_F(DisplayEngineTest, PageAndContentHeightsFollowTheTextSize) {
    struct {
        int size;
        const char* fontFile;
        int fontSize;
        int pageHeight, contentHeight, pageStep, lineStep;
    } cases[] = {
        // Plain lyrics of 3 lines get a blank line on top: n = 4. 15: L = 22.5; 16: L = 24.
        {15, "charset_english14.gsf", 14, 90, 112, 68,
         22}, // rnd(112.5) = 112, rnd(67.5) = 68, rnd(22.5) = 22
        {16, "charset_english22.gsf", 22, 96, 120, 72, 24},
    };
    for (const auto& c : cases) {
        Settings.SelectTextSize(c.size - 11);
        Load({{"a", -1}, {"b", 5940000}, {"c", 5940000}}, false);
        EXPECT_DOUBLE_EQ(Engine.LineHeight(), 1.5 * c.size);
        EXPECT_EQ(Scroll.PageHeight, c.pageHeight) << c.size;
        EXPECT_EQ(Scroll.ContentHeight, c.contentHeight) << c.size;
        EXPECT_EQ(Scroll.PageStep, c.pageStep) << c.size;
        EXPECT_EQ(Scroll.LineStep, c.lineStep) << c.size;
        auto& font = Scene.GLWindowsBitmapFontTextNoTimestamp;
        EXPECT_EQ(font.FontSize(), c.fontSize);
        EXPECT_TRUE(font.Loaded());
        display::TGLStoredBitmapFont expected("x", 1);
        ASSERT_TRUE(expected.LoadFromFile((Folder / "Cantrel" / c.fontFile).string()));
        EXPECT_EQ(font.CharHeight(), expected.CharHeight()) << c.fontFile;
        EXPECT_FLOAT_EQ(Line(1).Scale.X, float(c.size) / float(c.fontSize));
        EXPECT_FLOAT_EQ(Line(1).Scale.Y, float(c.size) / float(c.fontSize));
    }
    // Timestamped and fading: the content grows by the separator's height.
    Settings.SelectTextSize(15 - 11);
    Scene.GLHUDTextNoTimestampSeperator->Position.Y = 167;
    Load({{"a", 1000}, {"b", 2000}, {"c", 3000}}, true);
    EXPECT_EQ(Scroll.ContentHeight, 112 + 167);
}

// UTF-8 lyrics have no font file: every size from 11 to 30 draws from the system's fonts at exactly that
// many pixels; back in a single-byte set the font file is loaded again.
TEST_F(DisplayEngineTest, UnicodeLinesDrawFromTheSystemFontAtTheTextSize) {
    auto& font = Scene.GLWindowsBitmapFontTextNoTimestamp;
    Settings.SetCharset("charset_unicode");
    for (int size = 11; size <= 30; ++size) {
        Settings.SelectTextSize(size - 11);
        Load({{"Группа крови", -1}, {"אני אוהב אותך", 5940000}}, false);
        EXPECT_TRUE(font.DrawsSystemFont()) << size;
        EXPECT_EQ(font.FontSize(), size < 16 ? 14 : 22) << size;
        EXPECT_EQ(font.SystemPixelSize(Line(1).Scale.Y), size);
        EXPECT_DOUBLE_EQ(Engine.LineHeight(), 1.5 * size);
    }
    Settings.SetCharset("charset_english");
    Load({{"a", -1}, {"b", 5940000}}, false);
    EXPECT_TRUE(font.Loaded());
    EXPECT_FALSE(font.DrawsSystemFont());
}

TEST_F(DisplayEngineTest, TextSizeStaysWithin11And30) {
    struct {
        int from;
        bool larger;
        int to;
    } cases[] = {{30, true, 30}, {29, true, 30}, {11, false, 11}, {12, false, 11}, {15, true, 16}};
    for (const auto& c : cases) {
        Settings.SelectTextSize(c.from - 11);
        Load({{"a", -1}, {"b", 5940000}}, false);
        const int starts = Host.ResizeStarts;
        Engine.ChangeFontSize(c.larger);
        EXPECT_EQ(Settings.TextSize(), c.to) << c.from;
        EXPECT_EQ(Host.ResizeStarts, starts + 1);
        EXPECT_FLOAT_EQ(Line(0).Scale.X, float(c.to) / (c.to < 16 ? 14 : 22)) << c.from; // rebuilt
    }
    // The keypad keys do the same and draw at once; with Shift they scale the visualization.
    Settings.SelectTextSize(30 - 11);
    const int advances = Host.Advances;
    EXPECT_TRUE(Engine.KeyDown(TDisplayKey::NumPlus, {}));
    EXPECT_EQ(Settings.TextSize(), 30);
    EXPECT_TRUE(Engine.KeyDown(TDisplayKey::NumMinus, {}));
    EXPECT_EQ(Settings.TextSize(), 29);
    EXPECT_EQ(Host.Advances, advances + 2);
    const float scale = Settings.Scale();
    TShiftState shift;
    shift.Shift = true;
    Engine.KeyDown(TDisplayKey::NumPlus, shift);
    EXPECT_GT(Settings.Scale(), scale);
    EXPECT_EQ(Settings.TextSize(), 29);
}

TEST_F(DisplayEngineTest, FadeAlphaAtChosenTimes) {
    struct {
        const char* what;
        std::int32_t at;
        int fadeRatio;
        int line;
        float alpha;
    } cases[] = {
        // h = 1 (A at 1000, B at 3000): f = 0.5, virtual line 1.32; k = 3.
        {"between two lines", 2000, 100, 1, (3 - 0.32f) / 3},
        {"between two lines, far line", 2000, 100, 4, (3 - 2.68f) / 3},
        {"between two lines, beyond k", 2000, 100, 5, (3 - 3.68f) / 3},
        {"k = 1", 2000, 120, 1, 1 - 0.32f},
        // h = 2 (B), the next line is blank: reached halfway to C: f = 1000 / 3000.
        {"blank next line", 4000, 100, 2, (3 - float(1.0 / 3 - 0.18)) / 3},
        // h = 3 (the blank line at 5000): f = (6000 - 3000) / 3000 - 1 = 0, virtual line 2.82.
        {"blank current line", 6000, 100, 3, (3 - 0.18f) / 3},
        {"blank current line, previous", 6000, 100, 2, (3 - 0.82f) / 3},
        // h = 6 (E at 13000, last): f = min(1, (t - 13000) / song length of 200 s).
        {"last line", 20000, 100, 6, float(3 - std::abs(7000.0 / 200000 - 0.18)) / 3},
        {"last line, capped", 263000, 100, 6, (3 - 0.82f) / 3},
        // Before the first line the blank line on top is current: h = 0, f = 500 / 1000.
        {"blank top line", 500, 100, 0, (3 - 0.32f) / 3},
    };
    for (const auto& c : cases) {
        Settings.SetFadeRatio(c.fadeRatio);
        Load(SongWithBlank(), true);
        At(c.at);
        Engine.UpdateFrame(0.012, 1);
        EXPECT_NEAR(Line(c.line).ModulateColor.A, c.alpha, 1e-5) << c.what;
    }
}

TEST_F(DisplayEngineTest, ZeroTimeSpanKeepsTheOldAlpha) {
    // Two lines at 0: at position 0 nothing is current yet, h = 0 and the span to line 1 is 0.
    Load({{"A", 0}, {"B", 0}, {"C", 4000}}, true);
    ASSERT_EQ(Count(), 4);
    for (int i = 0; i < Count(); ++i)
        Line(i).ModulateColor.A = 0.42f;
    At(0);
    Engine.UpdateFrame(0.012, 1);
    for (int i = 0; i < Count(); ++i)
        EXPECT_FLOAT_EQ(Line(i).ModulateColor.A, 0.42f) << i;

    // An unknown song length on the last line does the same.
    Amp->LengthSeconds = 0;
    Load({{"A", 1000}, {"B", 2000}}, true);
    for (int i = 0; i < Count(); ++i)
        Line(i).ModulateColor.A = 0.37f;
    At(3000);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_EQ(Engine.CurrentLine, 2);
    for (int i = 0; i < Count(); ++i)
        EXPECT_FLOAT_EQ(Line(i).ModulateColor.A, 0.37f) << i;
}

TEST_F(DisplayEngineTest, ManualScrollKeepsFadedLinesReadableAndHoldsTheScroll) {
    Load(SongWithBlank(), true);
    LayOut();
    At(2000);
    Engine.UpdateFrame(0.012, 1);
    const float y = Line(0).Position.Y;
    ASSERT_LT(Line(6).ModulateColor.A, 0.6f);
    const float current = Line(1).ModulateColor.A;
    ASSERT_GT(current, 0.6f);

    Host.AllowScroll = true;
    At(12000);
    Engine.UpdateFrame(0.012, 2);
    EXPECT_FLOAT_EQ(Line(6).ModulateColor.A, 0.6f);
    EXPECT_FLOAT_EQ(Line(1).ModulateColor.A, current);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, y); // no automatic scrolling
    EXPECT_EQ(Engine.CurrentLine, 5);       // the highlight still follows
    EXPECT_FLOAT_EQ(Line(5).ModulateColor.B, 0);
    EXPECT_FLOAT_EQ(Line(1).ModulateColor.B, 0.75f);
}

TEST_F(DisplayEngineTest, HighlightsTheCurrentLineOnly) {
    Settings.SetFadeLyrics(false);
    Load({{"A", 5000}, {"B", 7000}, {"C", 9000}}, true);
    At(100);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_EQ(Engine.CurrentLine, -1); // nothing is current before the first line
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(Line(i).ModulateColor.B, 0.75f);
    At(7500);
    Engine.UpdateFrame(0.012, 2);
    EXPECT_EQ(Engine.CurrentLine, 1);
    EXPECT_FLOAT_EQ(Line(1).ModulateColor.B, 0);
    At(9500);
    Engine.UpdateFrame(0.012, 3);
    EXPECT_FLOAT_EQ(Line(1).ModulateColor.B, 0.75f);
    EXPECT_FLOAT_EQ(Line(2).ModulateColor.B, 0);
    EXPECT_FLOAT_EQ(Line(2).ModulateColor.R, 0.75f);

    Settings.SetHighlightLine(false);
    Engine.UpdateFrame(0.012, 4);
    EXPECT_FLOAT_EQ(Line(2).ModulateColor.B, 0.75f);
}

// Enhanced LRC: the current line's sung words are drawn in the highlight colour, the rest stays grey; the
// live offset moves the position the words are compared with.
TEST_F(DisplayEngineTest, WordsHighlightAsTheyAreSung) {
    Lyrics.ParseText("[00:05.00]Oh <00:05.20>never <00:05.40>gonna <00:05.90>give\n[00:08]next");
    Lyrics.Found = true;
    Engine.RebuildLines(); // a blank line goes on top: the word line is line 1
    ASSERT_EQ(Line(1).Text, "Oh never gonna give");
    struct {
        std::int32_t at, shift;
        int current;
        std::size_t highlightEnd; // bytes of line 1 in the highlight colour
    } cases[] = {
        {4000, 0, 0, 0},  {5001, 0, 1, 3}, {5200, 0, 1, 3},   {5201, 0, 1, 9},    {5500, 0, 1, 15},
        {5901, 0, 1, 19}, {8001, 0, 2, 0}, {4701, 500, 1, 9}, {5501, 400, 1, 19}, {5500, -400, 1, 3},
    };
    for (const auto& c : cases) {
        Lyrics.LiveShift = c.shift;
        At(c.at);
        Engine.UpdateFrame(0.012, 1);
        EXPECT_EQ(Engine.CurrentLine, c.current) << c.at << " " << c.shift;
        EXPECT_EQ(Line(1).HighlightEnd, c.highlightEnd) << c.at << " " << c.shift;
        if (c.current == 1 && c.highlightEnd > 0) {
            EXPECT_FLOAT_EQ(Line(1).ModulateColor.B, 0.75f); // unsung words stay grey
            EXPECT_FLOAT_EQ(Line(1).HighlightColor.B, 0);
        }
        if (c.current == 2) { // a line without word times is highlighted whole
            EXPECT_FLOAT_EQ(Line(2).ModulateColor.B, 0);
            EXPECT_EQ(Line(2).HighlightEnd, 0u);
        }
    }

    Lyrics.LiveShift = 0;
    Settings.SetHighlightWords(false); // the option off: the whole line, as before
    At(5500);
    Engine.UpdateFrame(0.012, 2);
    EXPECT_EQ(Line(1).HighlightEnd, 0u);
    EXPECT_FLOAT_EQ(Line(1).ModulateColor.B, 0);
}

TEST_F(DisplayEngineTest, ScrollTargetWithAndWithoutSmoothing) {
    // Fading: the lines are placed at the unclamped target, line 0 at y = 5 - target with
    // target = L x h - separator / 2 (+ the glide). L = 22.5, separator at 168. The target and each line's
    // distance from line 0 are put on whole pixels (halves up).
    struct {
        const char* what;
        bool smooth;
        std::int32_t at;
        int h;
        double glide; // fraction of a line
    } cases[] = {
        {"halfway between A and B", true, 2000, 1, 0.5},
        {"jumps line by line", false, 2000, 1, 0},
        {"blank next line reached halfway to C", true, 4000, 2, 1.0 / 3},
        {"blank current line waits for the halfway point", true, 5500, 3, -1.0 / 6},
        {"blank current line moves after it", true, 7000, 3, 1.0 / 3},
        {"after the blank line", true, 10000, 4, 0.5},
        {"last line does not glide", true, 20000, 6, 0},
    };
    for (const auto& c : cases) {
        Settings.SetScrollSmooth(c.smooth);
        Load(SongWithBlank(), true);
        LayOut();
        ASSERT_FLOAT_EQ(SeparatorY(), 168);
        At(c.at);
        Engine.UpdateFrame(0.012, 1);
        ASSERT_EQ(Engine.CurrentLine, c.h) << c.what;
        const double target = std::floor(22.5 * c.h - 84 + c.glide * 22.5 + 0.5);
        EXPECT_FLOAT_EQ(Line(0).Position.Y, float(5 - target)) << c.what;
        EXPECT_FLOAT_EQ(Line(3).Position.Y, float(5 - target + 68)) << c.what; // 3 x 22.5 = 67.5
    }
    // Without Scroll the text never moves by itself.
    Settings.SetScroll(false);
    Load(SongWithBlank(), true);
    LayOut();
    const float y = Line(0).Position.Y;
    At(12000);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, y);
}

// The engine tells when the lyrics next look different by themselves: walking the song from one such
// instant to the next, every line stands still until then and then moves by exactly one device pixel (or
// the current line changes), for a glide at pixel ratios 1 and 2; without a glide, the fades step once per
// pixel a glide would move; plain lyrics never change by themselves.
TEST_F(DisplayEngineTest, NextChangeIsTheNextDevicePixelOfTheGlide) {
    for (const double ratio : {1.0, 2.0}) {
        View.PixelRatio = ratio;
        Settings.SetScrollSmooth(true);
        Load(SongWithBlank(), true);
        LayOut();
        std::int32_t at = 1500;
        At(at);
        Engine.UpdateFrame(0.012, 1);
        int changes = 0, lineChanges = 0;
        while (at < 12000) {
            const std::int64_t next = Engine.NextChangePosition();
            ASSERT_GT(next, at) << ratio;
            const float y = Line(0).Position.Y, alpha = Line(2).ModulateColor.A;
            const int line = Engine.CurrentLine;
            if (next - 1 > at) {
                At(std::int32_t(next - 1));
                Engine.UpdateFrame(0.012, 1);
                ASSERT_EQ(Line(0).Position.Y, y) << ratio << " at " << next - 1;
                ASSERT_EQ(Engine.CurrentLine, line) << ratio << " at " << next - 1;
            }
            at = std::int32_t(next);
            At(at);
            Engine.UpdateFrame(0.012, 1);
            const float step = std::fabs(Line(0).Position.Y - y) * float(ratio);
            if (Engine.CurrentLine != line) {
                ++lineChanges;
                EXPECT_LE(step, 1.0f) << ratio << " at " << at;
            } else {
                ASSERT_FLOAT_EQ(step, 1.0f) << ratio << " at " << at;
                EXPECT_LT(std::fabs(Line(2).ModulateColor.A - alpha), 0.02f) << ratio << " at " << at;
            }
            ++changes;
        }
        EXPECT_EQ(lineChanges, 4) << ratio; // B, the blank line, C and D
        // 1.5 s to 12 s glides from line 1 - 1/4 to line 5 - 1/2: 4.25 lines of 22.5 pixels.
        EXPECT_NEAR(changes - lineChanges, 4.25 * 22.5 * ratio, 2) << ratio;
    }
    View.PixelRatio = 1;

    // Fades without a glide step once per 22.5 pixels of a line: every 89 ms for 2 s lines.
    Settings.SetScrollSmooth(false);
    Load(SongWithBlank(), true);
    LayOut();
    At(1500);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_EQ(Engine.NextChangePosition(), 1500 + 89);

    // The last line fades for the rest of the song; once it is fully there, only the song's end is left.
    Settings.SetFadeLyrics(false);
    Load(SongWithBlank(), true);
    LayOut();
    At(1500);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_EQ(Engine.NextChangePosition(), 3001); // B becomes current: no fades, no glide
    At(14000);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_EQ(Engine.NextChangePosition(), -1);

    Load({{"A", -1}, {"B", 5940000}}, false);
    LayOut();
    EXPECT_EQ(Engine.NextChangePosition(), -1);
}

TEST_F(DisplayEngineTest, ScrollPositionClampsWithAndWithoutFading) {
    struct {
        const char* what;
        bool fade;
        int value;
        int expected; // in terms of range = ContentHeight - PageHeight
        int rangeOffset;
    } cases[] = {
        {"fading, below 0", true, -30, 0, -1},
        {"fading, beyond the range", true, 100000, 0, 0},
        {"fading, inside", true, 40, 40, -1},
        {"no fading, below 0", false, -30, 0, -1},
        {"no fading, beyond the range: one more pixel", false, 100000, 0, 1},
        {"no fading, inside", false, 40, 40, -1},
    };
    std::vector<TLyricTextLine> lines;
    for (int i = 0; i < 20; ++i)
        lines.push_back({"line " + std::to_string(i), 1000 * (i + 1)});
    for (const auto& c : cases) {
        Settings.SetFadeLyrics(c.fade);
        Load(lines, true);
        LayOut();
        const int range = Scroll.ContentHeight - Scroll.PageHeight;
        ASSERT_GT(range, 40) << c.what;
        const int paints = Host.ThumbPaints;
        Engine.SetScrollPosition(c.value);
        const int expected = c.rangeOffset == -1 ? c.expected : range + c.rangeOffset;
        EXPECT_EQ(Scroll.ScrollPosition, expected) << c.what;
        EXPECT_EQ(Host.ThumbPaints, paints + 1) << c.what;
        // The lines follow: with fading the offset is the position less half the separator's height.
        const double offset = c.fade ? expected - 84.0 : expected;
        EXPECT_NEAR(Line(0).Position.Y, 5 - offset, 1e-3) << c.what;
    }

    // PlaceLines clamps the offset only without fading.
    Settings.SetFadeLyrics(false);
    Load(lines, true);
    LayOut();
    Engine.PlaceLines(-100);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, 5);
    Engine.PlaceLines(1e6);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, float(5 - (Scroll.ContentHeight - Scroll.PageHeight + 1)));
    Settings.SetFadeLyrics(true);
    Load(lines, true);
    LayOut();
    Engine.PlaceLines(-100);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, 105);

    // Without fading the automatic target stops one pixel past the content at the end of the song.
    Settings.SetFadeLyrics(false);
    Load(lines, true);
    LayOut();
    At(100000);
    Engine.UpdateFrame(0.012, 1);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, float(5 - (Scroll.ContentHeight - Scroll.PageHeight + 1)));

    // Without the frame's skin the position is only stored.
    Host.Skin = false;
    const float y = Line(0).Position.Y;
    Engine.SetScrollPosition(10);
    EXPECT_EQ(Scroll.ScrollPosition, 10);
    EXPECT_FLOAT_EQ(Line(0).Position.Y, y);
}

TEST_F(DisplayEngineTest, LinesShowOnlyInsideTheLyricArea) {
    std::vector<TLyricTextLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({"line " + std::to_string(i), -1});
    Load(lines, false);
    LayOut();
    int shown = 0;
    for (int i = 0; i < Count(); ++i) {
        const float y = Line(i).Position.Y;
        EXPECT_EQ(Line(i).Visible, y > 2 && y < SeparatorY() - 10) << i;
        shown += Line(i).Visible;
    }
    EXPECT_EQ(shown, 7); // y = 5 + 22.5 i below 158
    EXPECT_TRUE(Line(0).Visible);
    Engine.SetScrollPosition(10); // line 0 moves above y = 2, line 7 into the area
    Engine.UpdateFrame(0.012, 1);
    EXPECT_FALSE(Line(0).Visible);
    EXPECT_TRUE(Line(7).Visible);
}

TEST_F(DisplayEngineTest, WheelScrollsOnlyWhenLyricsWereFound) {
    struct {
        const char* what;
        bool found;
        bool down;
        TShiftState shift;
        bool handled;
        int scrolled; // change of the scroll position
        std::vector<std::uintptr_t> commands;
    } cases[] = {
        {"down, found", true, true, {}, false, 20, {}},
        {"up, found", true, false, {}, false, -20, {}},
        {"down, not found", false, true, {}, false, 0, {}},
        {"right button: volume, no menu",
         true,
         true,
         {false, false, false, false, true},
         true,
         0,
         {player::AMP_VOLUME_DOWN}},
        {"right button up",
         true,
         false,
         {false, false, false, false, true},
         true,
         0,
         {player::AMP_VOLUME_UP}},
        {"shift: volume, not handled", true, false, {true}, false, 0, {player::AMP_VOLUME_UP}},
    };
    std::vector<TLyricTextLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({"line " + std::to_string(i), -1});
    for (const auto& c : cases) {
        Load(lines, false, c.found);
        LayOut();
        Engine.SetScrollPosition(100);
        Host.AllowScroll = false;
        Host.AllowScrollRestarts = 0;
        Amp->Commands.clear();
        const int marks = Host.NoPopupMarks;
        const int advances = Host.Advances;
        const bool handled = c.down ? Engine.MouseWheelDown(c.shift) : Engine.MouseWheelUp(c.shift);
        EXPECT_EQ(handled, c.handled) << c.what;
        EXPECT_EQ(Scroll.ScrollPosition, 100 + c.scrolled) << c.what;
        EXPECT_EQ(Host.AllowScrollRestarts, c.scrolled != 0 ? 1 : 0) << c.what;
        EXPECT_EQ(Amp->Commands, c.commands) << c.what;
        EXPECT_EQ(Host.NoPopupMarks, marks + (c.shift.Right ? 1 : 0)) << c.what;
        EXPECT_EQ(Host.Advances, advances + 1) << c.what;
    }
    // Ctrl changes the text size.
    Settings.SelectTextSize(15 - 11);
    TShiftState ctrl;
    ctrl.Ctrl = true;
    EXPECT_TRUE(Engine.MouseWheelUp(ctrl));
    EXPECT_EQ(Settings.TextSize(), 16);
}

TEST_F(DisplayEngineTest, MinimalModePlaceholderStandsAtMidHeight) {
    Settings.SetDisplayMode(1);
    // The placeholder of a song without lyrics: its name at 0:00 above an empty line.
    Load({{"Artist - Song", 0}, {"", 0}}, false, false);
    LayOut();
    ASSERT_EQ(Count(), 3);
    for (int i = 0; i < Count(); ++i)
        EXPECT_FLOAT_EQ(Line(i).Position.Y, 153) << i;
    EXPECT_EQ(Scroll.PageHeight, 168);
    EXPECT_TRUE(Host.ScrollBarChanges.empty()); // hidden already
    EXPECT_FLOAT_EQ(Scene.GLHUDTextNoTimestampDownloading->Position.Y, 326 - 34);

    // Found lyrics in the Minimal mode are laid out by the scroll rules: the page is the whole lyric area,
    // so a short text is pushed down by page - content - 1 = 168 - 90 - 1 pixels.
    Load({{"A", -1}, {"B", 5940000}}, false, true);
    LayOut();
    EXPECT_FLOAT_EQ(Line(1).Position.Y, 5 + 77 + 23); // 22.5 on a whole pixel
}

TEST_F(DisplayEngineTest, LayoutPlacesAnchorsMarksAndTheScrollBar) {
    std::vector<TLyricTextLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({"line " + std::to_string(i), -1});
    Load(lines, false);
    Engine.LayoutWindow();
    EXPECT_FLOAT_EQ(SeparatorY(), 326 - 158);
    EXPECT_FLOAT_EQ(Line(4).Position.X, 408);
    EXPECT_FLOAT_EQ(Scene.GLHUDTextNoTimestampExit->Position.X, 802);
    EXPECT_FLOAT_EQ(Scene.GLHUDTextNoTimestampMinimize->Position.X, 792);
    EXPECT_EQ(Host.ScrollBarChanges, std::vector<bool>{true});
    EXPECT_EQ(Host.ResizeStarts, 1);
    EXPECT_EQ(Scroll.PageHeight, 168);
    EXPECT_TRUE(Scroll.ScrollBarShown);
    EXPECT_EQ(Host.MainResizes, 1);
    EXPECT_GE(Host.Advances, 1);
    EXPECT_FLOAT_EQ(Scene.GLHUDTextNoTimestampDownloading->Position.Y, 326 - 37);

    // The anchors stand under their pixels: the visualization 62 pixels above the bottom, in the middle.
    const toolkit::TVector3 vis = View.WorldToScreen(Scene.GLDummyCubeVisualization->AbsolutePosition());
    EXPECT_NEAR(vis.X, 405, 0.01);
    EXPECT_NEAR(vis.Y, 306 - 62, 0.01);
    const toolkit::TVector3 buttons = View.WorldToScreen(Scene.GLDummyCubeButtons->AbsolutePosition());
    EXPECT_NEAR(buttons.X, 12, 0.01);
    EXPECT_NEAR(buttons.Y, 306 - 12, 0.01);
    EXPECT_NEAR(Scene.GLDummyCubeButtons->AbsolutePosition().Z, 10, 1e-3);

    // A second layout changes nothing more (no endless resize timer), a short text hides the bar again.
    Engine.LayoutWindow();
    EXPECT_EQ(Host.ResizeStarts, 1);
    Load({{"a", -1}, {"b", 5940000}}, false);
    Settings.SetShowButtons(true);
    Engine.LayoutWindow();
    EXPECT_EQ(Host.ScrollBarChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(Host.ResizeStarts, 2);
    EXPECT_FLOAT_EQ(Scene.GLHUDTextNoTimestampDownloading->Position.Y, 326 - 56);
}

TEST_F(DisplayEngineTest, DoubleClickOnALineSeeksToIt) {
    Load(SongWithBlank(), true);
    LayOut();
    At(4000);
    Engine.UpdateFrame(0.012, 1);
    TGLHUDText& line = Line(4); // "C" at 9000
    ASSERT_TRUE(line.Visible);
    const toolkit::TPixelRect r = line.ScreenRect();
    const int x = int((r.Left + r.Right) / 2), y = int((r.Top + r.Bottom) / 2);
    Engine.MouseMove({}, x, y);
    EXPECT_EQ(Engine.HoverObject, &line);
    EXPECT_FLOAT_EQ(line.ModulateColor.B, 0); // hovered lines light up like the highlight
    Engine.MouseDown(TMouseButton::Left, {}, x, y);
    EXPECT_EQ(Engine.PressedObject, &line);
    Engine.DoubleClick();
    EXPECT_EQ(Amp->Seeks, std::vector<std::int32_t>{9000});
    EXPECT_EQ(Host.MainDoubleClicks, 0);

    // Another text does nothing; empty space toggles the window and rebuilds timestamped lyrics.
    const toolkit::TPixelRect s = Scene.GLHUDTextNoTimestampSeperator->ScreenRect();
    Engine.MouseMove({}, int(s.Left + 2), int(s.Top + 2));
    EXPECT_EQ(Host.Cursor, TCursorKind::VSplit);
    EXPECT_FLOAT_EQ(line.ModulateColor.B, 0.75f);
    Engine.DoubleClick();
    EXPECT_EQ(Amp->Seeks.size(), 1u);
    EXPECT_EQ(Host.MainDoubleClicks, 0);
    Engine.MouseMove({}, 3, 3);
    Engine.DoubleClick();
    EXPECT_EQ(Host.MainDoubleClicks, 1);
    EXPECT_EQ(Engine.HoverObject, nullptr); // rebuilt

    // With the playback buttons shown, double clicks on them do nothing.
    Settings.SetShowButtons(true);
    Engine.MouseMove({}, 50, 320);
    Engine.DoubleClick();
    EXPECT_EQ(Host.MainDoubleClicks, 1);
}

TEST_F(DisplayEngineTest, PlaybackButtonsActAndLightUnderTheMouse) {
    Settings.SetShowButtons(true);
    struct {
        int x;
        std::uintptr_t command;
    } cases[] = {{5, player::AMP_PREV},
                 {30, player::AMP_PLAY},
                 {60, player::AMP_PAUSE},
                 {80, player::AMP_STOP},
                 {100, player::AMP_NEXT}};
    for (const auto& c : cases) {
        Amp->Commands.clear();
        Engine.MouseDown(TMouseButton::Left, {}, c.x, 300);
        ASSERT_FALSE(Amp->Commands.empty()) << c.x;
        EXPECT_EQ(Amp->Commands.back(), c.command) << c.x;
    }
    Amp->Commands.clear();
    Engine.MouseDown(TMouseButton::Left, {}, 150, 300); // beyond the row
    Engine.MouseDown(TMouseButton::Left, {}, 30, 200);  // above it
    Host.ResizeTimer = true;
    Engine.MouseDown(TMouseButton::Left, {}, 30, 300); // while the layout settles
    EXPECT_TRUE(Amp->Commands.empty());
    EXPECT_EQ(Host.MainDowns, 8);

    Engine.MouseMove({}, 60, 300);
    EXPECT_EQ(Scene.GLTorusPause->Tag, 1);
    EXPECT_FLOAT_EQ(Scene.GLTorusPause->Material.Diffuse.B, 1.0f);
    EXPECT_FLOAT_EQ(static_cast<toolkit::TGLTorus&>(Scene.GLTorusPause->Child(0)).Material.Diffuse.B, 1.0f);
    EXPECT_FLOAT_EQ(Scene.GLTorusPlay->Material.Diffuse.B, 0.8f);
    Engine.MouseMove({}, 60, 100);
    EXPECT_FLOAT_EQ(Scene.GLTorusPause->Material.Diffuse.B, 0.8f);
    EXPECT_FLOAT_EQ(Scene.GLCube1->Material.Diffuse.B, 0.8f);
}

TEST_F(DisplayEngineTest, MarksReminderKeysAndTurning) {
    // The close and minimize marks show near the top right corner only.
    struct {
        int x, y;
        bool close, minimize;
    } cases[] = {
        {800, 5, true, false}, {790, 5, false, true}, {790, 20, false, false}, {400, 5, false, false}};
    for (const auto& c : cases) {
        Engine.MouseMove({}, c.x, c.y);
        EXPECT_EQ(Scene.GLHUDTextNoTimestampExit->Visible, c.close) << c.x;
        EXPECT_EQ(Scene.GLHUDTextEditExit->Visible, c.close) << c.x;
        EXPECT_EQ(Scene.GLHUDTextNoTimestampMinimize->Visible, c.minimize) << c.x;
    }
    EXPECT_EQ(Host.MainMoves, 4);

    // The account reminder opens the preferences on the account page while its tag is 0.
    toolkit::TGLHUDText& reminder = *Scene.GLHUDTextReminder;
    reminder.Visible = true;
    reminder.Position.Y = 100;
    const toolkit::TPixelRect r = reminder.ScreenRect();
    Engine.MouseMove({}, int(r.Left + 5), int(r.Top + 3));
    EXPECT_EQ(Host.Cursor, TCursorKind::HandPoint);
    Engine.MouseDown(TMouseButton::Left, {}, int(r.Left + 5), int(r.Top + 3));
    EXPECT_EQ(Host.PreferencesPage, 3);
    reminder.Tag = 1;
    Host.PreferencesPage = -1;
    Engine.MouseDown(TMouseButton::Left, {}, int(r.Left + 5), int(r.Top + 3));
    EXPECT_EQ(Host.PreferencesPage, -1);

    // Keys.
    EXPECT_TRUE(Engine.KeyDown(TDisplayKey::F, {}));
    EXPECT_TRUE(Host.Fps);
    EXPECT_TRUE(Scene.GLHUDTextNoTimestampFPS->Visible);
    Engine.KeyDown(TDisplayKey::F, {});
    EXPECT_FALSE(Scene.GLHUDTextNoTimestampFPS->Visible);
    Engine.KeyDown(TDisplayKey::K, {});
    Engine.KeyDown(TDisplayKey::L, {});
    EXPECT_EQ(Host.Gains, (std::vector<float>{0.9f, 1.1f}));
    Engine.KeyDown(TDisplayKey::J, {});
    EXPECT_FALSE(Amp->Commands.empty());
    EXPECT_FALSE(Engine.KeyDown(TDisplayKey::Other, {}));

    // Shift and the left button turn the visualization and nothing else happens.
    const int moves = Host.MainMoves;
    const auto before = Scene.GLDummyCubeVisualization->AbsoluteMatrix();
    TShiftState turn;
    turn.Shift = turn.Left = true;
    Engine.MouseMove(turn, 420, 90);
    EXPECT_EQ(Host.MainMoves, moves);
    EXPECT_NE(Scene.GLDummyCubeVisualization->AbsoluteMatrix().M, before.M);
}

TEST_F(DisplayEngineTest, SongChangeDuringTheClockReadRebuildsSafely) {
    // A paused player is polled by the clock read; a new title found there runs the song change, which
    // rebuilds the lines in the middle of the frame.
    struct TListener : player::ISongChangeListener {
        std::function<void()> Changed;
        void UpdateSong() override { Changed(); }
    } listener;
    listener.Changed = [&] {
        Lyrics.Lines = {{"Other - Song", 0}};
        Lyrics.Timestamped = false;
        Lyrics.Found = false;
        Engine.RebuildLines();
    };
    Session.SetSongChangeListener(&listener);
    std::vector<TLyricTextLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({"line " + std::to_string(i), 1000 * (i + 1)});
    Load(lines, true);
    LayOut();
    Amp->IsPlaying = 0;
    Amp->PositionMs = 25000;
    At(25500);
    Session.PollPlayer();
    At(25600);
    Session.PollPlayer(); // the position stands at 25 s while the clock runs on: paused
    Engine.UpdateFrame(0.012, 1);
    ASSERT_EQ(Engine.HighlightedLine, 24); // line 24 (at 24 s, the blank line being 0)

    Amp->SetCaption("2. Other - Song - Winamp");
    At(25700);
    Engine.UpdateFrame(0.012, 2);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Line(0).Text, "Other - Song");
}

TEST(DisplayInput, QtKeysAndButtons) {
    struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        TDisplayKey expected;
    } cases[] = {
        {Qt::Key_F, Qt::NoModifier, TDisplayKey::F},
        {Qt::Key_L, Qt::ShiftModifier, TDisplayKey::L},
        {Qt::Key_Plus, Qt::KeypadModifier, TDisplayKey::NumPlus},
        {Qt::Key_Plus, Qt::NoModifier, TDisplayKey::Other}, // the main keyboard's plus is not the keypad's
        {Qt::Key_Minus, Qt::KeypadModifier | Qt::ShiftModifier, TDisplayKey::NumMinus},
        {Qt::Key_X, Qt::NoModifier, TDisplayKey::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayKeyOf(c.key, c.modifiers), c.expected) << c.key;
    const TShiftState s = ShiftStateOf(Qt::ControlModifier | Qt::ShiftModifier, Qt::RightButton);
    EXPECT_TRUE(s.Ctrl && s.Shift && s.Right);
    EXPECT_FALSE(s.Alt || s.Left || s.Middle);
    EXPECT_EQ(MouseButtonOf(Qt::RightButton), TMouseButton::Right);
}
