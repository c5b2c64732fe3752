// The window frame on its own: status strip text, search button states and clicks, the scroll thumb,
// borders of a maximised window, the download source link, the display mode's controls.
#include "display/UWinampSkin.h"

#include "display/USkinImage.h"
#include "platform/fake/FakeWinamp.h"
#include "player/EasyAmp.h"

#include "QtTestApp.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace display;

namespace {

struct TFakeFrameHost : IFrameHost {
    std::string Song = "Artist - Song";
    std::string Source;
    bool Found = false;
    bool Internet = true;
    bool SongInfo = true;
    int Mode = 0;
    bool OnTop = false;
    bool Maximized = false;
    std::string Notice;
    bool SubmitOn = false;
    std::string SearchCaption;
    int DragX = 0, DragY = 0;
    int ViewWidth = 0;
    int ScrollTo = -1;
    std::vector<std::string> Calls;

    std::string SongName() const override { return Song; }
    std::string DownloadSource() const override { return Source; }
    bool LyricsFound() const override { return Found; }
    bool SearchInternet() const override { return Internet; }
    void TurnSearchInternetOn() override {
        Internet = true;
        Calls.push_back("internet on");
    }
    bool ShowSongInfo() const override { return SongInfo; }
    int DisplayMode() const override { return Mode; }
    bool StaysOnTop() const override { return OnTop; }
    bool IsMaximized() const override { return Maximized; }
    std::string SearchNoticeText() const override { return Notice; }
    std::string SubmitCaption() const override { return "Submit Correction.."; }
    bool SubmitEnabled() const override { return SubmitOn; }
    void SetSearchActionCaption(const std::string& caption) override { SearchCaption = caption; }
    void SetDragOffset(int x, int y) override { DragX = x, DragY = y; }
    int DragOffsetX() const override { return DragX; }
    int DragOffsetY() const override { return DragY; }
    void SetSceneViewWidth(int width) override { ViewWidth = width; }
    void RemoveFromCancelList(const std::string& s) override { Calls.push_back("remove " + s); }
    void AddToCancelList(const std::string& s) override { Calls.push_back("add " + s); }
    void SearchLyrics(int site) override { Calls.push_back("search " + std::to_string(site)); }
    void SearchAgain() override { Calls.push_back("search again"); }
    void CancelSearch() override { Calls.push_back("cancel search"); }
    void EditLyrics() override { Calls.push_back("edit"); }
    void SubmitLyrics() override { Calls.push_back("submit"); }
    void ToggleStayOnTop() override { OnTop = !OnTop; }
    void OpenAddress(const std::string& a) override { Calls.push_back("open " + a); }
    void StartDeferredResize() override {}
    void SetScrollPosition(int position) override { ScrollTo = position; }
    void RestartAllowScroll() override { Calls.push_back("allow scroll"); }
    void AdvanceSceneClock() override {}
};

class WASkinTest : public ::testing::Test {
protected:
    WASkinTest() : Session(Windows, Clock), Skin(Session, Host, Scroll) {
        Window.resize(825, 326);
        Window.show();
        Skin.AttachFrame(&Window);
        Skin.LoadSkin(QImage(":/skin/ModernSkin.png"));
    }

    TSkinImage& C(const char* name) { return *Skin.Control(name); }
    void Click(const char* name, QPoint at = {5, 5}) {
        QTest::mouseClick(&C(name), Qt::LeftButton, Qt::NoModifier, at);
    }

    // The application exists before any widget of the fixture.
    struct TApp {
        TApp() { display::testing::TestApp(); }
    } App;
    platform::TFakeWindowSystem Windows;
    platform::TFakeClock Clock;
    player::TPlayerSession Session;
    TFakeFrameHost Host;
    QWidget Window;
    TScrollState Scroll;
    TWASkin Skin;
};

TEST_F(WASkinTest, SkinSheetHasTheLayoutsSize) {
    const QImage sheet(":/skin/ModernSkin.png");
    EXPECT_EQ(sheet.size(), QSize(132, 75));
    EXPECT_TRUE(Skin.HasSkin());
}

TEST_F(WASkinTest, StatusStripShowsPlayerSongAndClock) {
    platform::TFakeWinamp amp(Windows, "1. Artist - Song - Winamp");
    amp.PositionMs = 62000;
    amp.LengthSeconds = 185;
    Session.PollPlayer();
    Session.PollPlayer();
    Skin.PaintSongInfo();
    EXPECT_EQ(Skin.PlayerInfoText(), "[Winamp]");
    EXPECT_EQ(Skin.SongInfoText(), " Artist - Song  [1:02/3:05]");
    EXPECT_EQ(Skin.SourceInfoText(), "");

    // With the setting off the strip keeps its last painting.
    Host.SongInfo = false;
    amp.PositionMs = 70000;
    const QImage before = C("StatusStrip").Canvas().copy();
    Skin.PaintSongInfo();
    EXPECT_EQ(Skin.SongInfoText(), " Artist - Song  [1:02/3:05]");
    EXPECT_EQ(C("StatusStrip").Canvas(), before);
}

TEST_F(WASkinTest, ClockTexts) {
    const std::pair<int, const char*> cases[] = {
        {0, "0:00"}, {62000, "1:02"}, {185999, "3:05"}, {-5, "0:00"}, {3600000, "60:00"}};
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(MinutesSecondsText(ms), text);
}

TEST_F(WASkinTest, SearchButtonStatesHintsAndClicks) {
    struct TCase {
        int state;
        const char* caption;
        const char* hint;
        std::vector<std::string> calls;
    };
    Host.Found = false;
    const TCase cases[] = {
        {0, "Search", "Search for lyrics", {"remove Artist - Song", "search 0"}},
        {1, "Cancel Search", "Do not search lyrics for current song", {"add Artist - Song", "cancel search"}},
        {2, "Search Again", "Search next site for lyrics", {"search again"}},
    };
    for (const auto& c : cases) {
        Host.Calls.clear();
        Skin.SetSearchState(c.state);
        EXPECT_EQ(Host.SearchCaption, c.caption);
        EXPECT_EQ(C("SearchButton").toolTip().toStdString(), c.hint);
        Click("SearchButton");
        EXPECT_EQ(Host.Calls, c.calls) << c.caption;
    }
    // Cancelling a search for a song whose lyrics were found does not put it in the cancel list.
    Host.Found = true;
    Host.Calls.clear();
    Skin.SetSearchState(1);
    Click("SearchButton");
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"cancel search"});
}

TEST_F(WASkinTest, SearchButtonWithInternetOffOrAfterAConnectionError) {
    Host.Internet = false;
    Skin.SetSearchState(2);
    EXPECT_EQ(Host.SearchCaption, "Search");
    Host.Calls.clear();
    Click("SearchButton"); // turns the setting on, then acts by the stored state
    EXPECT_EQ(Host.Calls, (std::vector<std::string>{"internet on", "search again"}));

    Host.Notice = "Error Connecting";
    Host.SearchCaption = "unchanged";
    Skin.SetSearchState(1);
    EXPECT_EQ(C("SearchButton").toolTip().toStdString(), "Search for lyrics");
    EXPECT_EQ(Host.SearchCaption, "unchanged");
    EXPECT_EQ(Skin.SearchState(), 1);
}

TEST_F(WASkinTest, ScrollThumbFollowsTheScrollState) {
    // T = 326 - 47 = 279.
    struct TCase {
        int content, page, position;
        int top, height;
    };
    const TCase cases[] = {
        {100, 50, 50, 17 + 140, 140},  // rnd(139.5) = 140 (halves to even), top rnd(139.5)
        {100, 100, 0, 17, 279},        // page equal to content: the whole track
        {200, 50, 1000, 17 + 209, 70}, // position limited to content - page = 150: rnd(209.25)
        {200, 50, -30, 17, 70},        // and to 0
        {0, 50, 10, 17, 279},          // nothing to scroll
    };
    for (const auto& c : cases) {
        Skin.Scroll.ContentHeight = c.content;
        Skin.Scroll.PageHeight = c.page;
        Skin.Scroll.ScrollPosition = c.position;
        Skin.PaintScrollThumb();
        EXPECT_EQ(Skin.ThumbTop(), c.top) << c.content << " " << c.position;
        EXPECT_EQ(Skin.ThumbHeight(), c.height) << c.content << " " << c.position;
        EXPECT_EQ(C("ScrollThumb").geometry(), QRect(825 - 16, c.top, 14, c.height));
    }
}

TEST_F(WASkinTest, ScrollButtonsAndThumbDragMoveTheDisplay) {
    Skin.ShowScrollBar();
    EXPECT_EQ(Host.ViewWidth, 825 - 14 - 5);
    Skin.Scroll = {400, 100, 10, 20, 100, true};
    QTest::mousePress(&C("ScrollDownButton"), Qt::LeftButton, Qt::NoModifier, {5, 5});
    EXPECT_EQ(Host.ScrollTo, 120);
    QTest::mouseRelease(&C("ScrollDownButton"), Qt::LeftButton, Qt::NoModifier, {5, 5});
    QTest::mousePress(&C("ScrollUpButton"), Qt::LeftButton, Qt::NoModifier, {5, 5});
    EXPECT_EQ(Host.ScrollTo, 80);

    Skin.PaintScrollThumb();
    TSkinImage& thumb = C("ScrollThumb");
    const int top = thumb.y();
    QTest::mousePress(&thumb, Qt::LeftButton, Qt::NoModifier, {5, 10});
    EXPECT_TRUE(Skin.ThumbDragging);
    QTest::mouseMove(&thumb, {5, 40});
    // rnd((top + 40 - 10 - 17) / 279 * 400)
    EXPECT_EQ(Host.ScrollTo, int(std::nearbyint(double(top + 30 - 17) / 279 * 400)));
    // Moves above or below the thumb while dragging leave the display where it is.
    const int dragged = Host.ScrollTo;
    for (const int y : {-5, thumb.height(), thumb.height() + 30}) {
        QTest::mouseMove(&thumb, {5, y});
        EXPECT_EQ(Host.ScrollTo, dragged) << y;
    }
    QTest::mouseRelease(&thumb, Qt::LeftButton, Qt::NoModifier, {5, 40});
    EXPECT_FALSE(Skin.ThumbDragging);

    Skin.HideScrollBar();
    EXPECT_EQ(Host.ViewWidth, 825 - 5);
    EXPECT_FALSE(thumb.isVisibleTo(&Window));
}

TEST_F(WASkinTest, DownloadSourceOpensFromTheRightOfTheStrip) {
    Host.Source = "http://lyrics.example/song";
    Skin.PaintSongInfo();
    EXPECT_EQ(Skin.SourceInfoText(), "From: http://lyrics.example/song");
    QTest::mouseClick(&C("StatusStrip"), Qt::LeftButton, Qt::NoModifier, {825 - 25, 5});
    QTest::mouseClick(&C("StatusStrip"), Qt::LeftButton, Qt::NoModifier, {300, 5}); // the song text
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"open http://lyrics.example/song"});
    // Any button's press over the source text opens it.
    Host.Calls.clear();
    QTest::mouseClick(&C("StatusStrip"), Qt::RightButton, Qt::NoModifier, {825 - 25, 5});
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"open http://lyrics.example/song"});

    Host.Source.clear();
    Host.Calls.clear();
    QTest::mouseClick(&C("StatusStrip"), Qt::LeftButton, Qt::NoModifier, {825 - 25, 5});
    EXPECT_TRUE(Host.Calls.empty());
}

TEST_F(WASkinTest, BordersOnlyActWhenNotMaximised) {
    EXPECT_TRUE(Skin.BordersActive());
    EXPECT_EQ(C("RightBorder").cursor().shape(), Qt::SizeHorCursor);
    Host.Maximized = true;
    Skin.SetBordersActive();
    EXPECT_FALSE(Skin.BordersActive());
    EXPECT_EQ(C("RightBorder").cursor().shape(), Qt::ArrowCursor);
    const QRect before = Window.geometry();
    QTest::mousePress(&C("RightBorder"), Qt::LeftButton, Qt::NoModifier, {1, 100});
    QTest::mouseMove(&C("RightBorder"), {40, 100});
    EXPECT_EQ(Window.geometry(), before);
}

TEST_F(WASkinTest, ControlsFollowTheWindowAndTheDisplayMode) {
    Window.resize(600, 200);
    EXPECT_EQ(C("BottomBorder").geometry().top(), 197);
    EXPECT_EQ(C("StatusStrip").geometry().top(), 183);
    EXPECT_EQ(C("SubmitButton").geometry(), QRect(588, 184, 8, 12));
    EXPECT_EQ(C("ScrollDownButton").geometry(), QRect(584, 169, 14, 14));

    Host.SubmitOn = true;
    Skin.UpdateSubmitButton();
    EXPECT_TRUE(C("SubmitButton").isVisibleTo(&Window));
    EXPECT_EQ(C("SubmitButton").toolTip(), "Submit Correction..");
    Host.Mode = 1;
    Skin.UpdateSubmitButton();
    Skin.ShowFrameControls(false);
    for (const char* name : {"SubmitButton", "StatusStrip", "SearchButton", "EditButton", "OnTopButton"})
        EXPECT_FALSE(C(name).isVisibleTo(&Window)) << name;
    Skin.ShowFrameControls(true);
    EXPECT_TRUE(C("SearchButton").isVisibleTo(&Window));

    Click("EditButton");
    Click("OnTopButton", {2, 2});
    EXPECT_TRUE(Host.OnTop);
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"edit"});
}

} // namespace
