#pragma once
// The control interface of the fake player test programs other than Winamp: fake_player.exe (Quintessential
// Player or Sonique) and fake_wmp.exe (a Windows Media Player host that loads the real tl_plugin.dll). The
// test drives them by synchronous window messages to the player's window; the programs record the player
// messages they receive, telling sent from posted ones.
//
// Command line of fake_player.exe: --qcd | --sonique [--block-size <bytes>] [--parent <process id>]
//   --qcd          a "PlayerCanvas" window answering queries 2088 and 2089.
//   --sonique      a "Sonique Window Class" window, and the player's side of the shared block
//                  "SoniqueInformation" (1317 bytes, or --block-size) and its event
//                  "SoniqueInformationEvent".
//   --parent       exit on its own as soon as that process has ended.
// Command line of fake_wmp.exe: [--parent <process id>]; it runs from a folder that holds tl_plugin.dll.

#include <cstdint>

namespace platform::fake_player {

// Message numbers (WM_APP and up, clear of the players' own messages).
constexpr std::uint32_t kSetField = 0x8000 + 1;     // wParam: TField, lParam: value
constexpr std::uint32_t kGetField = 0x8000 + 2;     // wParam: TField; answer: value
constexpr std::uint32_t kRecordCount = 0x8000 + 3;  // answer: number of player messages recorded
constexpr std::uint32_t kRecordAt = 0x8000 + 4;     // wParam: index, lParam: TPart; answer: that part
constexpr std::uint32_t kClearRecords = 0x8000 + 5; // forgets the recorded messages
constexpr std::uint32_t kSync = 0x8000 + 6;      // posted, wParam: token; kGetField SyncToken reads it back
constexpr std::uint32_t kAnnounce = 0x8000 + 7;  // Sonique: signals the change event
constexpr std::uint32_t kPlayState = 0x8000 + 8; // WMP: wParam: the play state the core reports to the plugin
// WM_COPYDATA: dwData is a TData, the bytes its value.
enum class TData : std::uint32_t {
    SoniquePath = 1, // written at the block's path bytes, a zero after them when there is room
    WmpAuthor = 2,   // UTF-16 text of the current media item
    WmpName = 3,
};

enum class TField : std::uint32_t {
    PositionMs = 1,  // QCD: query 2089; Sonique: block offset 12
    LengthMs = 2,    // QCD: query 2088; Sonique: block offset 8
    BlockHeader = 3, // Sonique: block offset 0, read only
    BlockMapped = 4, // Sonique: 1 when the program holds the block, read only
    SyncToken = 5,   // the token of the last kSync handled, read only
};

// The parts of a recorded message.
enum class TPart : std::uint32_t { Message = 0, WParam = 1, LParam = 2, Sent = 3 };

} // namespace platform::fake_player
