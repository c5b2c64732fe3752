#include "display/UMainActions.h"

#include "config/USettings.h"
#include "toolkit/UrlText.h"

#include <QtCore/qnamespace.h>

namespace display {

const char* const kProductSite = config::kProductSite;

std::string PlayerSetupHelpAddress() {
    return std::string(kProductSite) + "/modules.php?name=FAQ&myfaq=yes&id_cat=5&categories=Player+Setup";
}

std::string HelpAddress() {
    return std::string(kProductSite) + "/modules.php?name=doc_running";
}

std::string EditorHelpAddress() {
    return std::string(kProductSite) + "/modules.php?name=doc_editor";
}

TMainAction KeyAction(const TKeyPress& press) {
    switch (press.Key) {
    case Qt::Key_Escape:
        return TMainAction::RestoreFromMaximized;
    case Qt::Key_Left:
        return TMainAction::Back5s;
    case Qt::Key_Right:
        return TMainAction::Forward5s;
    case Qt::Key_Up:
        return press.Ctrl ? TMainAction::ScrollUp : TMainAction::VolumeUp;
    case Qt::Key_Down:
        return press.Ctrl ? TMainAction::ScrollDown : TMainAction::VolumeDown;
    case Qt::Key_B:
        return TMainAction::Next;
    case Qt::Key_C:
        return TMainAction::Pause;
    case Qt::Key_E:
        return press.Ctrl ? TMainAction::Edit : TMainAction::None;
    case Qt::Key_P:
        return press.Ctrl ? TMainAction::Preferences : TMainAction::None;
    case Qt::Key_S:
        return press.Ctrl && press.Shift ? TMainAction::ManualSearch : TMainAction::None;
    case Qt::Key_V:
        return TMainAction::Stop;
    case Qt::Key_X:
        return TMainAction::Play;
    case Qt::Key_Z:
        return TMainAction::Prev;
    case Qt::Key_F1:
        return TMainAction::Help;
    // The main keyboard's plus and minus (the keypad's change the text size in the display engine).
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return TMainAction::LyricsEarlier;
    case Qt::Key_Minus:
        return TMainAction::LyricsLater;
    case Qt::Key_F4:
        // Exactly Alt: any other modifier held as well keeps the window open.
        return press.Alt && !press.Shift && !press.Ctrl && !press.Meta ? TMainAction::Close
                                                                       : TMainAction::None;
    default:
        return TMainAction::None;
    }
}

TMainAction GestureAction(const std::string& gesture) {
    struct TRow {
        const char* gesture;
        TMainAction action;
    };
    static const TRow rows[] = {
        {"DR", TMainAction::Close}, {"D3R", TMainAction::Close}, {"R", TMainAction::Next},
        {"3R", TMainAction::Next},  {"L", TMainAction::Prev},    {"3L", TMainAction::Prev},
        {"U", TMainAction::Play},   {"3U", TMainAction::Play},   {"D", TMainAction::Pause},
        {"3D", TMainAction::Pause},
    };
    for (const auto& row : rows)
        if (gesture == row.gesture)
            return row.action;
    return TMainAction::None;
}

const std::vector<TMenuItem>& PopupMenu() {
    using A = TMainAction;
    static const std::vector<TMenuItem> menu = {
        {"Preferences1", "Preferences..", "Ctrl+P", A::Preferences, false, {}},
        {"Edit1", "Edit Lyrics..", "Ctrl+E", A::Edit, false, {}},
        {},
        {"DisplayMode1",
         "Display Mode",
         "",
         A::None,
         false,
         {
             {"Default1", "Default", "", A::DisplayModeDefault, true, {}},
             {"Karaoke1", "Minimal", "", A::DisplayModeMinimal, true, {}},
         }},
        {"Fadeinlyrics1", "Fade in lyrics", "", A::FadeLyrics, true, {}},
        {"Playback1",
         "Playback",
         "",
         A::None,
         false,
         {
             {"Prev1", "Prev", "Z", A::Prev, false, {}},
             {"Play1", "Play", "X", A::Play, false, {}},
             {"Pause1", "Pause", "C", A::Pause, false, {}},
             {"Stop1", "Stop", "V", A::Stop, false, {}},
             {"Next1", "Next", "B", A::Next, false, {}},
             {"Back5seconds1", "Back 5 seconds", "Left", A::Back5s, false, {}},
             {"Fwd5seconds1", "Fwd 5 seconds", "Right", A::Forward5s, false, {}},
             {"Jumptofile1", "Jump to file..", "J", A::JumpToFile, false, {}},
             {"LyricsEarlier1", "Lyrics earlier (+0.1 s)", "+", A::LyricsEarlier, false, {}},
             {"LyricsLater1", "Lyrics later (-0.1 s)", "-", A::LyricsLater, false, {}},
         }},
        // The players on the session bus follow "Automatic" when the menu opens (the main window adds them).
        {"Player1",
         "Player",
         "",
         A::None,
         false,
         {
             {"Automatic1", "Automatic", "", A::PlayerAutomatic, true, {}},
         }},
        {"Characterset1",
         "Character set",
         "",
         A::None,
         false,
         {
             {"Englishdefault1", "English (default)", "", A::CharsetEnglish, false, {}},
             {"EasternEurope1", "Eastern European", "", A::CharsetCentralEurope, false, {}},
             {"Russian1", "Russian", "", A::CharsetRussian, false, {}},
             {"Greek1", "Greek", "", A::CharsetGreek, false, {}},
             {"Unicode1", "Unicode (all languages)", "", A::CharsetUnicode, false, {}},
         }},
        {},
        {"Search1", "Search", "", A::Search, false, {}},
        {"ManualSearch1", "Manual Search..", "Ctrl+Shift+S", A::ManualSearch, false, {}},
        {},
        {"Upload1", "&Submit Lyric..", "", A::Submit, false, {}},
        {},
        {"PlayerSetupHelp1",
         "Player Setup Help",
         "",
         A::None,
         false,
         {
             {"Winamp1", "Winamp..", "", A::PlayerSetupHelp, false, {}},
             {"Foobar20001", "Foobar2000..", "", A::PlayerSetupHelp, false, {}},
             {"QuitessentialPlayer1", "Quitessential Player..", "", A::PlayerSetupHelp, false, {}},
             {"Sonique1", "Sonique..", "", A::PlayerSetupHelp, false, {}},
             {"MediaMonkey1", "MediaMonkey..", "", A::PlayerSetupHelp, false, {}},
             {"WindowsMediaPlayer1", "Windows Media Player..", "", A::PlayerSetupHelp, false, {}},
         }},
        {"CantrelHelp1", "Cantrel Help..", "F1", A::Help, false, {}},
        {},
        {"Exit1", "E&xit", "", A::Close, false, {}},
    };
    return menu;
}

std::string ManualSearchAddress(const std::string& searchUrlTemplate, const std::string& artist,
                                const std::string& title, const std::string& song) {
    return toolkit::FillAddressTemplate(searchUrlTemplate, artist, title, song);
}

} // namespace display
