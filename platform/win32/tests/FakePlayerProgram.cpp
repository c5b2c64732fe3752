// fake_player.exe: a stand-in for Quintessential Player (--qcd) or Sonique (--sonique) in tests of the
// drivers over the Win32 back end. A real Win32 process with the player's top-level window, answering the
// player's queries from values the test sets and recording the messages it receives (commands, queries,
// key presses) with whether each was sent or posted. As Sonique it also holds the shared block and the
// change event, fills the block as the test asks and signals the event. Control messages are in
// FakePlayerControl.h.
#include "platform/win32/tests/FakePlayerControl.h"
#include "platform/win32/tests/FakeProgram.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace platform::fake_player;

constexpr std::size_t kSoniqueBlockSize = 1317;
constexpr std::size_t kSoniquePathOffset = 1056;

struct TRecord {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool Sent;
};

struct TState {
    bool Sonique = false;
    LRESULT PositionMs = 0;
    LRESULT LengthMs = 0;
    std::vector<TRecord> Records;
    WPARAM SyncToken = 0;
    HANDLE Mapping = nullptr;
    unsigned char* Block = nullptr;
    std::size_t BlockSize = kSoniqueBlockSize;
    HANDLE Event = nullptr;
};

TState State;

void WriteBlockInt(std::size_t offset, LPARAM value) {
    const auto v = static_cast<std::int32_t>(value);
    if (State.Block && offset + sizeof v <= State.BlockSize)
        std::memcpy(State.Block + offset, &v, sizeof v);
}

LRESULT ReadBlockInt(std::size_t offset) {
    std::int32_t v = 0;
    if (State.Block && offset + sizeof v <= State.BlockSize)
        std::memcpy(&v, State.Block + offset, sizeof v);
    return v;
}

void SetField(WPARAM field, LPARAM value) {
    switch (TField(field)) {
    case TField::PositionMs:
        State.PositionMs = value;
        WriteBlockInt(12, value);
        break;
    case TField::LengthMs:
        State.LengthMs = value;
        WriteBlockInt(8, value);
        break;
    default:
        break;
    }
}

LRESULT GetField(WPARAM field) {
    switch (TField(field)) {
    case TField::PositionMs:
        return State.PositionMs;
    case TField::LengthMs:
        return State.LengthMs;
    case TField::BlockHeader:
        return ReadBlockInt(0);
    case TField::BlockMapped:
        return State.Block ? 1 : 0;
    case TField::SyncToken:
        return LRESULT(State.SyncToken);
    }
    return 0;
}

LRESULT RecordPart(WPARAM index, LPARAM part) {
    if (index >= State.Records.size())
        return 0;
    const TRecord& r = State.Records[index];
    switch (TPart(part)) {
    case TPart::Message:
        return r.Message;
    case TPart::WParam:
        return LRESULT(r.WParam);
    case TPart::LParam:
        return r.LParam;
    case TPart::Sent:
        return r.Sent ? 1 : 0;
    }
    return 0;
}

void SetPath(const COPYDATASTRUCT& copy) {
    if (!State.Block || State.BlockSize <= kSoniquePathOffset)
        return;
    const std::size_t room = State.BlockSize - kSoniquePathOffset;
    const std::size_t n = std::min<std::size_t>(copy.cbData, room);
    unsigned char* path = State.Block + kSoniquePathOffset;
    std::memset(path, 0, room);
    if (n)
        std::memcpy(path, copy.lpData, n);
}

bool IsPlayerMessage(UINT message) {
    return message == WM_COMMAND || message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
           message == 2088 || message == 2089;
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsPlayerMessage(message)) {
        State.Records.push_back({message, wParam, lParam, InSendMessage() != FALSE});
        if (!State.Sonique && message == 2088)
            return State.LengthMs;
        if (!State.Sonique && message == 2089)
            return State.PositionMs;
        return 0; // key messages are handled here: the default handling would open menus
    }
    switch (message) {
    case kSetField:
        SetField(wParam, lParam);
        return 1;
    case kGetField:
        return GetField(wParam);
    case kRecordCount:
        return LRESULT(State.Records.size());
    case kRecordAt:
        return RecordPart(wParam, lParam);
    case kClearRecords:
        State.Records.clear();
        return 1;
    case kSync:
        State.SyncToken = wParam;
        return 1;
    case kAnnounce:
        return State.Event && SetEvent(State.Event) ? 1 : 0;
    case WM_COPYDATA: {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (copy && TData(copy->dwData) == TData::SoniquePath)
            SetPath(*copy);
        return 1;
    }
    case WM_TIMER:
        fake_program::OnTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The player's side of the block and the event: created, or opened when the driver made them first.
bool OpenSoniqueObjects() {
    State.Mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       DWORD(State.BlockSize), "SoniqueInformation");
    if (!State.Mapping)
        return false;
    State.Block = static_cast<unsigned char*>(
        MapViewOfFile(State.Mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, State.BlockSize));
    State.Event = CreateEventA(nullptr, FALSE, FALSE, "SoniqueInformationEvent");
    return State.Block && State.Event;
}

} // namespace

int main(int argc, char** argv) {
    const char* className = nullptr;
    const char* caption = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--qcd") == 0) {
            className = "PlayerCanvas";
            caption = "Quintessential Player";
        } else if (std::strcmp(argv[i], "--sonique") == 0) {
            className = "Sonique Window Class";
            caption = "Sonique";
            State.Sonique = true;
        } else if (std::strcmp(argv[i], "--block-size") == 0 && i + 1 < argc) {
            State.BlockSize = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--parent") == 0 && i + 1 < argc) {
            if (!fake_program::WatchParent(argv[++i]))
                return 2; // the test has already ended
        }
    }
    if (!className)
        return 1;
    if (State.Sonique && !OpenSoniqueObjects())
        return 5;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlayerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return 3;
    HWND window = CreateWindowExA(0, className, caption, WS_OVERLAPPEDWINDOW, 0, 0, 300, 120, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 4;

    fake_program::RunMessageLoop(window, false);

    if (State.Block)
        UnmapViewOfFile(State.Block);
    if (State.Mapping)
        CloseHandle(State.Mapping);
    if (State.Event)
        CloseHandle(State.Event);
    return 0;
}
