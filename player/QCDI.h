#pragma once
// Quintessential Player driver: the player's "PlayerCanvas" window answers two numbered queries (position
// and length), takes menu commands for the transport and shows the song in its caption. Free functions
// without state of their own; every call goes through the window-system interface.

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace player {

extern const char* const kQcdWindowClass; // "PlayerCanvas"

// Query messages; both parameters are -1.
enum : std::uint32_t {
    QCD_GET_LENGTH = 2088,   // ms
    QCD_GET_POSITION = 2089, // ms
};

// Menu command numbers (WM_COMMAND, number in wParam).
enum : std::uint32_t {
    QCD_PREV = 40012,
    QCD_NEXT = 40013,
    QCD_STOP = 40014,
    QCD_PAUSE = 40015,
    QCD_PLAY = 40016,
    QCD_FORWARD_5S = 41024,
    QCD_BACK_5S = 41025,
    QCD_VOLUME_UP = 41026,
    QCD_VOLUME_DOWN = 41027,
};

// What QcdTitle yields for a caption that shows only the player's own name.
extern const char* const kQcdNoSongTitle; // "essential Player"

// Most 5-second steps one QcdSeek sends: a day of audio. A player answering a wild position would otherwise
// keep the caller sending for minutes.
constexpr std::int64_t kQcdMaxSeekSteps = 24 * 3600 / 5;

platform::WindowHandle FindQcdWindow(platform::IWindowSystem& windows);
bool QcdRunning(platform::IWindowSystem& windows);
// Position in ms, asked of the given window (the one the session found at detection).
std::int32_t QcdPosition(platform::IWindowSystem& windows, platform::WindowHandle window);
// Length in whole seconds, asked of the window found anew.
std::int32_t QcdLength(platform::IWindowSystem& windows);
// The caption cleaned into a title, as text of the active code page.
std::string QcdTitle(platform::IWindowSystem& windows);
// The caption cleaned into a title (the rule of QcdTitle).
std::string CleanQcdCaption(const std::string& caption);

// Commands, each sent to the window found anew.
void QcdPlay(platform::IWindowSystem& windows);
void QcdPause(platform::IWindowSystem& windows);
void QcdStop(platform::IWindowSystem& windows);
void QcdNext(platform::IWindowSystem& windows);
void QcdPrev(platform::IWindowSystem& windows);
void QcdVolumeUp(platform::IWindowSystem& windows);
void QcdVolumeDown(platform::IWindowSystem& windows);
void QcdForward5s(platform::IWindowSystem& windows);
void QcdBack5s(platform::IWindowSystem& windows);
// Seeks towards targetMs in 5-second steps from where the player stands.
void QcdSeek(platform::IWindowSystem& windows, std::int32_t targetMs);
// Brings the player's window to the top of the window order.
void QcdShow(platform::IWindowSystem& windows);

} // namespace player
