#pragma once
// Winamp-protocol driver: the window-message interface that Winamp answers, and foobar2000 and MediaMonkey
// through the Winamp-compatible window they create. Free functions without state of their own; every call
// goes through the window-system interface.

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace player {

using platform::IWindowSystem;
using platform::WindowHandle;

extern const char* const kAmpWindowClass; // "Winamp v1.x"

// Query numbers (WM_USER, number in lParam, data in wParam).
enum : std::int32_t {
    IPC_GETVERSION = 0,
    IPC_ISPLAYING = 104,
    IPC_GETOUTPUTTIME = 105,
    IPC_JUMPTOTIME = 106,
    IPC_GETLISTLENGTH = 124,
    IPC_GETLISTPOS = 125,
    IPC_GETPLAYLISTFILE = 211,
};

// Menu command numbers (WM_COMMAND, number in wParam).
enum : std::uint32_t {
    AMP_PREV = 40044,
    AMP_PLAY = 40045,
    AMP_PAUSE = 40046,
    AMP_STOP = 40047,
    AMP_NEXT = 40048,
    AMP_VOLUME_UP = 40058,
    AMP_VOLUME_DOWN = 40059,
    AMP_FORWARD_5S = 40060,
    AMP_BACK_5S = 40061,
    AMP_JUMP_TO_FILE = 40194,
};

// Version answer that, with an empty playlist, marks foobar2000.
constexpr std::int32_t kFoobarVersion = 8320;

WindowHandle FindAmpWindow(IWindowSystem& windows);
bool AmpRunning(IWindowSystem& windows);
std::int32_t AmpIpc(IWindowSystem& windows, WindowHandle window, std::int32_t query, std::int32_t data);
// The same query sent to the window found anew.
std::int32_t AmpQuery(IWindowSystem& windows, std::int32_t query, std::int32_t data);
// Sends a menu command to whichever "Winamp v1.x" window exists at the moment of sending.
void AmpCommand(IWindowSystem& windows, std::uint32_t command);
bool AmpIsPlaying(IWindowSystem& windows, WindowHandle window);
std::int32_t AmpSongPosition(IWindowSystem& windows, WindowHandle window);
std::int32_t AmpSongLength(IWindowSystem& windows, WindowHandle window);
// Full path of the current playlist entry, read from the player's memory; empty when it cannot be read.
std::string AmpPlaylistFile(IWindowSystem& windows, WindowHandle window);

} // namespace player
