#pragma once
// The control interface of the fake Winamp test program (fake_winamp.exe), shared by the program and the
// test fixture that drives it. Everything is a synchronous window message to the program's "Winamp v1.x"
// window, so when a call returns the player already has the new state: no files, no races.
//
// Command line of the program: [--mediamonkey] [--parent <process id>] [--caption <text>]
//                               [--length <seconds>] [--position <ms>] [--running]
//   --mediamonkey  also create MediaMonkey's "TFMainWindow" main window.
//   --parent       exit on its own as soon as that process has ended.
//   --caption      the window's caption (the player's song title), "Winamp 5.92" without it.
//   --length, --position   the answers of query 105 (TField::LengthSeconds, TField::PositionMs).
//   --running      the position advances with the real time (TField::Running), as a playing player's does.

#include <cstdint>

namespace platform::fake_winamp {

// Message numbers (WM_APP and up, clear of the player's own WM_USER queries).
constexpr std::uint32_t kSetField = 0x8000 + 1;     // wParam: TField, lParam: value
constexpr std::uint32_t kCommandCount = 0x8000 + 2; // answer: number of WM_COMMANDs recorded
constexpr std::uint32_t kCommandAt = 0x8000 + 3;    // wParam: index; answer: the command number
constexpr std::uint32_t kSeekCount = 0x8000 + 4;    // answer: number of query 106 calls recorded
constexpr std::uint32_t kSeekAt = 0x8000 + 5;       // wParam: index; answer: the target in ms
constexpr std::uint32_t kClearRecords = 0x8000 + 6; // forgets the recorded commands and seeks
// WM_COPYDATA with dwData = playlist index: the bytes of that entry's file path (no terminator).

// The answers of the Winamp queries.
enum class TField : std::uint32_t {
    Version = 1,        // query 0
    IsPlaying = 2,      // query 104
    PositionMs = 3,     // query 105, data 0 (query 106 sets it too)
    LengthSeconds = 4,  // query 105, data 1
    PlaylistLength = 5, // query 124
    PlaylistPos = 6,    // query 125
    FileLayout = 7,     // how query 211 answers: a TFileLayout
    Running = 8,        // nonzero: the position advances with the real time from the value last set
};

// Where query 211 points.
enum class TFileLayout : std::uint32_t {
    Heap = 0,    // a zero-terminated copy of the path in ordinary memory
    PageEnd = 1, // the path and its zero end exactly where an inaccessible page begins
    Invalid = 2, // an address where nothing is mapped
};

} // namespace platform::fake_winamp
