// The main window's tables: keys, gestures, the popup menu's structure, the web addresses it opens.
#include "display/UMainActions.h"

#include <QtCore/qnamespace.h>

#include <gtest/gtest.h>

using namespace display;

namespace {

TEST(MainKeys, KeyTable) {
    using A = TMainAction;
    struct TCase {
        TKeyPress press;
        A action;
    };
    const TCase cases[] = {
        {{Qt::Key_Escape}, A::RestoreFromMaximized},
        {{Qt::Key_Left}, A::Back5s},
        {{Qt::Key_Right, true, true, true}, A::Forward5s}, // other modifiers are ignored
        {{Qt::Key_Up}, A::VolumeUp},
        {{Qt::Key_Up, true}, A::VolumeUp},
        {{Qt::Key_Up, false, true}, A::ScrollUp},
        {{Qt::Key_Down}, A::VolumeDown},
        {{Qt::Key_Down, false, true}, A::ScrollDown},
        {{Qt::Key_B}, A::Next},
        {{Qt::Key_C}, A::Pause},
        {{Qt::Key_E}, A::None},
        {{Qt::Key_E, false, true}, A::Edit},
        {{Qt::Key_P, false, true}, A::Preferences},
        {{Qt::Key_P}, A::None},
        {{Qt::Key_S, true, true}, A::ManualSearch},
        {{Qt::Key_S, false, true}, A::None}, // Ctrl+S alone does nothing
        {{Qt::Key_S, true, false}, A::None},
        {{Qt::Key_V}, A::Stop},
        {{Qt::Key_X}, A::Play},
        {{Qt::Key_Z}, A::Prev},
        {{Qt::Key_F1}, A::Help},
        {{Qt::Key_J}, A::None}, // the display engine's key
        {{Qt::Key_Q}, A::None},
        {{Qt::Key_Plus, true}, A::LyricsEarlier},
        {{Qt::Key_Equal}, A::LyricsEarlier},
        {{Qt::Key_Minus}, A::LyricsLater},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyAction(c.press), c.action) << c.press.Key;
}

TEST(MainKeys, AltF4OnlyWithExactlyAlt) {
    struct TCase {
        bool shift, ctrl, alt, meta;
        bool closes;
    };
    const TCase cases[] = {
        {false, false, true, false, true},  {false, false, false, false, false},
        {true, false, true, false, false},  {false, true, true, false, false},
        {false, false, true, true, false},  {true, true, true, true, false},
        {false, true, false, false, false},
    };
    for (const auto& c : cases) {
        const TKeyPress press{Qt::Key_F4, c.shift, c.ctrl, c.alt, c.meta};
        EXPECT_EQ(KeyAction(press) == TMainAction::Close, c.closes) << c.shift << c.ctrl << c.alt << c.meta;
    }
}

TEST(MainGestures, GestureTable) {
    using A = TMainAction;
    const std::pair<const char*, A> cases[] = {
        {"DR", A::Close}, {"D3R", A::Close}, {"R", A::Next},  {"3R", A::Next},  {"L", A::Prev},
        {"3L", A::Prev},  {"U", A::Play},    {"3U", A::Play}, {"D", A::Pause},  {"3D", A::Pause},
        {"", A::None},    {"RL", A::None},   {"9", A::None},  {"DRR", A::None}, {"d", A::None},
    };
    for (const auto& [gesture, action] : cases)
        EXPECT_EQ(GestureAction(gesture), action) << gesture;
}

std::string Describe(const std::vector<TMenuItem>& items) {
    std::string text;
    for (const auto& item : items) {
        if (item.IsSeparator()) {
            text += "-|";
            continue;
        }
        text += item.Caption;
        if (!item.Shortcut.empty())
            text += "\t" + item.Shortcut;
        if (!item.Items.empty())
            text += "{" + Describe(item.Items) + "}";
        text += "|";
    }
    return text;
}

TEST(MainMenu, PopupMenuInOrder) {
    EXPECT_EQ(Describe(PopupMenu()),
              "Preferences..\tCtrl+P|Edit Lyrics..\tCtrl+E|-|"
              "Display Mode{Default|Minimal|}|Fade in lyrics|"
              "Playback{Prev\tZ|Play\tX|Pause\tC|Stop\tV|Next\tB|Back 5 seconds\tLeft|Fwd 5 seconds\tRight|"
              "Jump to file..\tJ|Lyrics earlier (+0.1 s)\t+|Lyrics later (-0.1 s)\t-|}|Player{Automatic|}|"
              "Character set{English (default)|Eastern European|Russian|Greek|Unicode (all languages)|}|-|"
              "Search|Manual Search..\tCtrl+Shift+S|-|&Submit Lyric..|-|"
              "Player Setup Help{Winamp..|Foobar2000..|Quitessential Player..|Sonique..|MediaMonkey..|"
              "Windows Media Player..|}|Cantrel Help..\tF1|-|E&xit|");
}

TEST(MainAddresses, HelpPages) {
    const std::string site = kProductSite;
    EXPECT_EQ(PlayerSetupHelpAddress(),
              site + "/modules.php?name=FAQ&myfaq=yes&id_cat=5&categories=Player+Setup");
    EXPECT_EQ(HelpAddress(), site + "/modules.php?name=doc_running");
}

TEST(MainAddresses, URLEncode) {
    struct TCase {
        const char* text;
        bool plus;
        const char* encoded;
    };
    const TCase cases[] = {
        {"a b&c/d", false, "a%20b%26c%2Fd"}, {"a b&c/d", true, "a+b%26c%2Fd"}, {"AZaz09", false, "AZaz09"},
        {"-_.~", false, "%2D%5F%2E%7E"},     {"\xe9\xff", false, "%E9%FF"},    {"", false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(URLEncode(c.text, c.plus), c.encoded) << c.text;
    EXPECT_EQ(URLEncode(std::string("a\0b", 3), false), "a%00b");
}

TEST(MainAddresses, ManualSearchAddress) {
    EXPECT_EQ(ManualSearchAddress("http://s.example/?q=%Artist%+%Title%", "AC/DC", "Back In Black",
                                  "AC/DC - Back In Black"),
              "http://s.example/?q=AC%2FDC+Back%20In%20Black");
    EXPECT_EQ(ManualSearchAddress("%ARTIST%/%title%/%Song%/%artist%", "A", "T", "A - T"),
              "A/T/A%20%2D%20T/A");
    EXPECT_EQ(ManualSearchAddress("no placeholders", "A", "T", "S"), "no placeholders");
    // The encoded artist is not searched again for the later placeholders.
    EXPECT_EQ(ManualSearchAddress("%Artist%", "%Title%", "T", "S"), "%25Title%25");
}

} // namespace
