// fake_winamp.exe: a stand-in for Winamp (and, with --mediamonkey, MediaMonkey) in tests of the Win32 back
// end. It is a real Win32 process with a top-level "Winamp v1.x" window that answers the Winamp queries from
// values the test sets, records the menu commands and seeks it receives, and answers query 211 with the
// address of a path inside its own memory, so reading that path exercises the cross-process read. The control
// messages are in FakeWinampControl.h.
#include "platform/win32/tests/FakeProgram.h"
#include "platform/win32/tests/FakeWinampControl.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform::fake_winamp;

struct TPlayerState {
    LRESULT Version = 0x5010;
    LRESULT IsPlaying = 1;
    LRESULT PositionMs = 0;
    LRESULT LengthSeconds = 0;
    LRESULT PlaylistLength = 1;
    LRESULT PlaylistPos = 0;
    bool Running = false;
    DWORD RunningSince = 0; // tick count when PositionMs was last taken, while Running
    TFileLayout Layout = TFileLayout::Heap;
    std::map<WPARAM, std::string> Files; // the std::string keeps the terminating zero
    std::vector<WPARAM> Commands;
    std::vector<LRESULT> Seeks;
    char* Guarded = nullptr; // two pages: the first readable, the second inaccessible
    SIZE_T PageSize = 4096;
};

TPlayerState State;
HWND MediaMonkeyWindow = nullptr;

// The position of query 105: the value set, plus the time since then while the player runs.
LRESULT CurrentPosition() {
    return State.Running ? State.PositionMs + LRESULT(GetTickCount() - State.RunningSince) : State.PositionMs;
}

void SetPosition(LRESULT positionMs) {
    State.PositionMs = positionMs;
    State.RunningSince = GetTickCount();
}

void SetField(WPARAM field, LPARAM value) {
    switch (TField(field)) {
    case TField::Version:
        State.Version = value;
        break;
    case TField::IsPlaying:
        State.IsPlaying = value;
        break;
    case TField::PositionMs:
        SetPosition(value);
        break;
    case TField::Running:
        SetPosition(CurrentPosition());
        State.Running = value != 0;
        break;
    case TField::LengthSeconds:
        State.LengthSeconds = value;
        break;
    case TField::PlaylistLength:
        State.PlaylistLength = value;
        break;
    case TField::PlaylistPos:
        State.PlaylistPos = value;
        break;
    case TField::FileLayout:
        State.Layout = TFileLayout(value);
        break;
    }
}

// Query 211: the address of the path of a playlist entry inside this process.
LRESULT PlaylistFileAddress(WPARAM index) {
    if (State.Layout == TFileLayout::Invalid)
        return 0x10; // the lowest 64 KiB of a process are never mapped
    const auto it = State.Files.find(index);
    if (it == State.Files.end())
        return 0;
    const std::string& path = it->second;
    if (State.Layout == TFileLayout::Heap)
        return LRESULT(path.c_str());
    if (!State.Guarded)
        return 0;
    // Place the bytes so that they end exactly where the inaccessible page begins.
    const SIZE_T bytes = path.size() + 1;
    if (bytes > State.PageSize)
        return 0;
    char* start = State.Guarded + State.PageSize - bytes;
    std::memcpy(start, path.c_str(), bytes);
    return LRESULT(start);
}

LRESULT WinampQuery(WPARAM data, LPARAM query) {
    switch (query) {
    case 0:
        return State.Version;
    case 104:
        return State.IsPlaying;
    case 105:
        return data == 0 ? CurrentPosition() : data == 1 ? State.LengthSeconds : 0;
    case 106:
        // A seek moves the reported position there, as a real player does.
        State.Seeks.push_back(LRESULT(std::int32_t(data)));
        SetPosition(LRESULT(std::int32_t(data)));
        return 0;
    case 124:
        return State.PlaylistLength;
    case 125:
        return State.PlaylistPos;
    case 211:
        return PlaylistFileAddress(data);
    default:
        return 0;
    }
}

LRESULT CALLBACK WinampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_USER:
        return WinampQuery(wParam, lParam);
    case WM_COMMAND:
        State.Commands.push_back(wParam);
        return 0;
    case kSetField:
        SetField(wParam, lParam);
        return 1;
    case kCommandCount:
        return LRESULT(State.Commands.size());
    case kCommandAt:
        return wParam < State.Commands.size() ? LRESULT(State.Commands[wParam]) : 0;
    case kSeekCount:
        return LRESULT(State.Seeks.size());
    case kSeekAt:
        return wParam < State.Seeks.size() ? State.Seeks[wParam] : 0;
    case kClearRecords:
        State.Commands.clear();
        State.Seeks.clear();
        return 1;
    case WM_COPYDATA: {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(copy->lpData);
        State.Files[WPARAM(copy->dwData)] = bytes ? std::string(bytes, copy->cbData) : std::string();
        return 1;
    }
    case WM_TIMER:
        fake_program::OnTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        if (MediaMonkeyWindow)
            DestroyWindow(MediaMonkeyWindow);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Unicode windows, as today's players have: their captions hold any character.
bool RegisterClassNamed(const wchar_t* name, WNDPROC proc, HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

void AllocateGuardedPages() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    State.PageSize = info.dwPageSize;
    auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * State.PageSize, MEM_RESERVE, PAGE_NOACCESS));
    if (pages && VirtualAlloc(pages, State.PageSize, MEM_COMMIT, PAGE_READWRITE))
        State.Guarded = pages;
}

} // namespace

int main(int argc, char** argv) {
    bool mediaMonkey = false;
    const char* caption = "Winamp 5.92";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mediamonkey") == 0) {
            mediaMonkey = true;
        } else if (std::strcmp(argv[i], "--caption") == 0 && i + 1 < argc) {
            caption = argv[++i];
        } else if (std::strcmp(argv[i], "--length") == 0 && i + 1 < argc) {
            State.LengthSeconds = LRESULT(std::strtol(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--position") == 0 && i + 1 < argc) {
            SetPosition(LRESULT(std::strtol(argv[++i], nullptr, 10)));
        } else if (std::strcmp(argv[i], "--running") == 0) {
            SetPosition(State.PositionMs);
            State.Running = true;
        } else if (std::strcmp(argv[i], "--parent") == 0 && i + 1 < argc) {
            if (!fake_program::WatchParent(argv[++i]))
                return 2; // the test has already ended
        }
    }
    AllocateGuardedPages();

    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterClassNamed(L"Winamp v1.x", WinampProc, instance))
        return 3;
    // MediaMonkey's main window comes first, so a test that sees the "Winamp v1.x" window sees both.
    if (mediaMonkey) {
        if (!RegisterClassNamed(L"TFMainWindow", DefWindowProcW, instance))
            return 3;
        MediaMonkeyWindow = CreateWindowExW(0, L"TFMainWindow", L"MediaMonkey", WS_OVERLAPPEDWINDOW, 0, 0,
                                            200, 100, nullptr, nullptr, instance, nullptr);
        if (!MediaMonkeyWindow)
            return 4;
    }
    // The caption as given on the command line, in the system's ANSI code page.
    std::wstring wideCaption(std::strlen(caption), L'\0');
    wideCaption.resize(std::size_t(MultiByteToWideChar(CP_ACP, 0, caption, int(std::strlen(caption)),
                                                       wideCaption.data(), int(wideCaption.size()))));
    HWND winamp = CreateWindowExW(0, L"Winamp v1.x", wideCaption.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 275, 116,
                                  nullptr, nullptr, instance, nullptr);
    if (!winamp)
        return 4;

    fake_program::RunMessageLoop(winamp, true);
    return 0;
}
