#pragma once
// What the main window's keys, gestures and menu do, as data, plus the addresses it opens: the key table,
// the gesture table, the popup menu's structure, the help pages and the manual web search address.
// The main window (UMain) carries the actions out; keeping the tables here lets them be read and tested
// on their own.

#include "toolkit/UrlText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace display {

// Everything a key, a gesture or a menu item of the main window can do.
enum class TMainAction {
    None,
    // player commands
    Play,
    Pause,
    Stop,
    Next,
    Prev,
    VolumeUp,
    VolumeDown,
    Forward5s,
    Back5s,
    JumpToFile,
    LyricsEarlier, // "+" (or "=", the same key unshifted): the live offset 100 ms up
    LyricsLater,   // "-": 100 ms down
    // window
    RestoreFromMaximized, // Esc: only acts on a maximised window
    ScrollUp,             // Ctrl+Up: the display engine's wheel-up handling
    ScrollDown,           // Ctrl+Down
    Close,
    // menu actions
    Preferences,
    Edit,
    DisplayModeDefault,
    DisplayModeMinimal,
    FadeLyrics,
    CharsetEnglish,
    CharsetCentralEurope,
    CharsetRussian,
    CharsetGreek,
    CharsetUnicode,
    PlayerAutomatic, // follow whichever player on the session bus plays
    Search,
    ManualSearch,
    Submit,
    PlayerSetupHelp,
    Help,
};

// Keys as the window system reports them (Qt key codes) with the modifier state.
struct TKeyPress {
    int Key = 0;
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
    bool Meta = false;
};

// The action of a key that reached the main window's key handler (after the display engine's own keys).
// Every key reaching the handler is consumed, whether it acts or not.
TMainAction KeyAction(const TKeyPress& press);

// The action of a recognised gesture ("DR", "R", "3L" ...), None for any other.
TMainAction GestureAction(const std::string& gesture);

// One row of the popup menu: a separator, an item, or a submenu with its items.
struct TMenuItem {
    std::string Name;     // component name, e.g. "Preferences1"; empty for a separator
    std::string Caption;  // with "&" marking the accelerator where it has one
    std::string Shortcut; // as shown in the menu ("Ctrl+P", "Z", "Left"), empty for none
    TMainAction Action = TMainAction::None;
    bool Checkable = false;
    std::vector<TMenuItem> Items; // the submenu's items
    bool IsSeparator() const { return Name.empty(); }
};

// The popup menu, in order.
const std::vector<TMenuItem>& PopupMenu();

// The product's web site and the pages the help items open.
extern const char* const kProductSite;
std::string PlayerSetupHelpAddress();
std::string HelpAddress();
std::string EditorHelpAddress();

// Percent-encoding of the address templates (toolkit/UrlText.h).
using toolkit::URLEncode;

// The manual web search address: the template with every "%Artist%", then every "%Title%", then every
// "%Song%" (letter case ignored) replaced by the encoded artist, title and song (spaces as "%20").
std::string ManualSearchAddress(const std::string& searchUrlTemplate, const std::string& artist,
                                const std::string& title, const std::string& song);

} // namespace display
