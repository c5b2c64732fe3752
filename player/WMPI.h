#pragma once
// Windows Media Player driver: the player's "WMPlayerApp" window, whose caption the now-playing plugin sets
// to "Author - Name - Windows Media Player" while a song plays, and three keys. The player tells no position,
// length or file name. Free functions without state of their own.

#include "platform/Platform.h"

#include <string>

namespace player {

extern const char* const kWmpWindowClass; // "WMPlayerApp"

enum : std::uint32_t {
    WMP_KEY_PLAY = 250,        // the media play key
    WMP_KEY_VOLUME_UP = 121,   // F10
    WMP_KEY_VOLUME_DOWN = 120, // F9
};

platform::WindowHandle FindWmpWindow(platform::IWindowSystem& windows);
bool WmpRunning(platform::IWindowSystem& windows);
// The caption up to " - Windows Media Player", with the blank before the dash, as text of the active code
// page; empty without that suffix.
std::string WmpTitle(platform::IWindowSystem& windows);
std::string CleanWmpCaption(const std::string& caption);

// The play key, down then up, each sent and waited for.
void WmpPlay(platform::IWindowSystem& windows);
// F10 and F9, down then up, posted.
void WmpVolumeUp(platform::IWindowSystem& windows);
void WmpVolumeDown(platform::IWindowSystem& windows);

} // namespace player
