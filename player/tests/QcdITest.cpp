#include "player/QCDI.h"

#include "platform/fake/FakeQcd.h"
#include "toolkit/CodePage.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace player;
using platform::TFakeQcd;
using platform::TFakeWindowSystem;

TEST(QcdI, NoWindowAnswersZeroAndSendsNothing) {
    TFakeWindowSystem windows;
    EXPECT_FALSE(QcdRunning(windows));
    EXPECT_EQ(QcdLength(windows), 0);
    EXPECT_EQ(QcdPosition(windows, platform::kNoWindow), 0);
    EXPECT_EQ(QcdTitle(windows), "");
    QcdPlay(windows);
    QcdSeek(windows, 60000);
    QcdShow(windows);
    EXPECT_TRUE(windows.Messages.empty());
    EXPECT_TRUE(windows.BroughtToTop.empty());
}

TEST(QcdI, QueriesCarryAllBitsSetInBothParameters) {
    TFakeWindowSystem windows;
    TFakeQcd qcd(windows, "QCD: [1/3] A / B");
    qcd.PositionMs = 61234;
    qcd.LengthMs = 185999;
    EXPECT_EQ(QcdPosition(windows, qcd.Window()), 61234);
    EXPECT_EQ(QcdLength(windows), 185); // whole seconds, the remainder dropped
    ASSERT_EQ(qcd.Queries.size(), 2u);
    for (const auto& q : qcd.Queries) {
        EXPECT_EQ(q.wParam, ~std::uintptr_t(0));
        EXPECT_EQ(q.lParam, -1);
    }
    EXPECT_EQ(qcd.Queries[0].message, QCD_GET_POSITION);
    EXPECT_EQ(qcd.Queries[1].message, QCD_GET_LENGTH);
    qcd.LengthMs = -1999;
    EXPECT_EQ(QcdLength(windows), -1) << "truncated towards zero";
}

TEST(QcdI, PositionGoesToTheGivenWindowEvenWhenItHasGone) {
    TFakeWindowSystem windows;
    auto qcd = std::make_unique<TFakeQcd>(windows, "x");
    const auto stale = qcd->Window();
    qcd.reset();
    TFakeQcd restarted(windows, "x");
    restarted.PositionMs = 5000;
    EXPECT_EQ(QcdPosition(windows, stale), 0);
    EXPECT_TRUE(restarted.Queries.empty());
}

TEST(QcdCaption, CleaningTable) {
    struct {
        std::string caption;
        std::string title;
    } cases[] = {
        {"QCD: [1/12] Artist / Song", " Artist - Song"},
        {"Quintessential Player", kQcdNoSongTitle},
        {"QCD: [1/12 Artist / Song", "1-12 Artist - Song"}, // no "]": everything after the marker
        {"QCD: [3] A/B] C", " A-B] C"},                     // only the first "]" counts
        {"Now QCD: [2] X - Y", " X - Y"},                   // the marker may come later
        {"Hello World] Tune", " Tune"},                     // no marker: five characters dropped first
        {"abc", ""},
        {"", ""},
        {"QCD: [", ""},
        {"QCD: []", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanQcdCaption(c.caption), c.title) << '"' << c.caption << '"';
}

TEST(QcdCaption, FiveCharactersNotBytesAreDroppedInUtf8) {
    const int saved = toolkit::ActiveCodePage();
    const std::string five = "\xc3\x91\xc3\x91\xc3\x91\xc3\x91\xc3\x91"; // five times "Ñ"
    toolkit::SetActiveCodePage(toolkit::kCodePageUtf8);
    EXPECT_EQ(CleanQcdCaption(five + "Tune"), "Tune");
    EXPECT_EQ(CleanQcdCaption("\xc3\x91\xc3"), "") << "a cut sequence at the end";
    toolkit::SetActiveCodePage(1252);
    EXPECT_EQ(CleanQcdCaption("\xd1\xd1\xd1\xd1\xd1Tune"), "Tune");
    toolkit::SetActiveCodePage(saved);
}

TEST(QcdCaption, TitleReadFromTheWindowAndHugeCaption) {
    TFakeWindowSystem windows;
    TFakeQcd qcd(windows, "QCD: [1/12] Artist / Song");
    EXPECT_EQ(QcdTitle(windows), " Artist - Song");
    const std::string name(64 * 1024, '/');
    qcd.SetCaption("QCD: [1] " + name);
    EXPECT_EQ(QcdTitle(windows), " " + std::string(name.size(), '-'));
}

TEST(QcdSeek, StepsTable) {
    struct {
        std::int32_t position, target;
        std::vector<std::uintptr_t> commands;
    } cases[] = {
        {60000, 48000, {QCD_BACK_5S, QCD_BACK_5S, QCD_BACK_5S}}, // 12 s back
        {60000, 72000, {QCD_FORWARD_5S, QCD_FORWARD_5S}},        // 12 s on
        {60000, 55000, {QCD_BACK_5S, QCD_BACK_5S}},              // d = 5000
        {60000, 55001, {}},                                      // d = 4999
        {60000, 64999, {}},                                      // d = -4999
        {60000, 65000, {QCD_FORWARD_5S}},                        // d = -5000
        {60000, 60000, {}},
        {60000, 50001, {QCD_BACK_5S, QCD_BACK_5S}}, // d = 9999: one whole step
        {0, -3000, {}},
    };
    for (const auto& c : cases) {
        TFakeWindowSystem windows;
        TFakeQcd qcd(windows, "x");
        qcd.PositionMs = c.position;
        QcdSeek(windows, c.target);
        EXPECT_EQ(qcd.Commands, c.commands) << c.position << " -> " << c.target;
        ASSERT_EQ(qcd.Queries.size(), 1u);
        EXPECT_EQ(qcd.Queries[0].message, QCD_GET_POSITION);
    }
}

TEST(QcdSeek, WildPositionSendsAtMostADayOfSteps) {
    TFakeWindowSystem windows;
    TFakeQcd qcd(windows, "x");
    qcd.PositionMs = INT32_MAX;
    QcdSeek(windows, INT32_MIN);
    EXPECT_EQ(qcd.Commands.size(), std::size_t(kQcdMaxSeekSteps));
    qcd.Commands.clear();
    qcd.PositionMs = INT32_MIN;
    QcdSeek(windows, INT32_MAX);
    EXPECT_EQ(qcd.Commands.size(), std::size_t(kQcdMaxSeekSteps));
}

TEST(QcdSeek, PlayerClosingMidwayEndsTheSteps) {
    TFakeWindowSystem windows;
    TFakeQcd qcd(windows, "x");
    qcd.PositionMs = 100000;
    qcd.OnCommand = [&] { qcd.Quit(); };
    QcdSeek(windows, 40000); // 13 steps back asked
    EXPECT_EQ(qcd.Commands, std::vector<std::uintptr_t>{QCD_BACK_5S});
    EXPECT_EQ(windows.Messages.size(), 2u); // the query and the one command
}

TEST(QcdI, CommandsGoToTheWindowFoundAnew) {
    struct {
        void (*op)(platform::IWindowSystem&);
        std::uintptr_t command;
    } cases[] = {
        {QcdPlay, QCD_PLAY},
        {QcdPause, QCD_PAUSE},
        {QcdStop, QCD_STOP},
        {QcdNext, QCD_NEXT},
        {QcdPrev, QCD_PREV},
        {QcdVolumeUp, QCD_VOLUME_UP},
        {QcdVolumeDown, QCD_VOLUME_DOWN},
        {QcdForward5s, QCD_FORWARD_5S},
        {QcdBack5s, QCD_BACK_5S},
    };
    TFakeWindowSystem windows;
    auto first = std::make_unique<TFakeQcd>(windows, "x");
    first.reset();
    TFakeQcd qcd(windows, "x");
    std::vector<std::uintptr_t> expected;
    for (const auto& c : cases) {
        c.op(windows);
        expected.push_back(c.command);
    }
    EXPECT_EQ(qcd.Commands, expected);
    for (const auto& m : windows.Messages) {
        EXPECT_EQ(m.message, platform::WM_COMMAND_);
        EXPECT_EQ(m.lParam, 0);
        EXPECT_FALSE(m.posted);
    }
    QcdShow(windows);
    EXPECT_EQ(windows.BroughtToTop, std::vector<platform::WindowHandle>{qcd.Window()});
}
