// Win32 back end: the real window system, tick count and program folder.
#include "platform/Platform.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace platform {
namespace {

using win32::Utf8ToWide;
using win32::WideToUtf8;

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

class TWin32Windows final : public IWindowSystem {
public:
    WindowHandle FindWindowOfClass(const std::string& className) override {
        return reinterpret_cast<WindowHandle>(FindWindowW(Utf8ToWide(className).c_str(), nullptr));
    }

    bool IsWindowAlive(WindowHandle window) override {
        return window != kNoWindow && IsWindow(ToHwnd(window));
    }

    std::string GetCaption(WindowHandle window) override {
        if (window == kNoWindow)
            return {};
        const int length = GetWindowTextLengthW(ToHwnd(window));
        if (length <= 0)
            return {};
        std::vector<wchar_t> buffer(std::size_t(length) + 1);
        const int got = GetWindowTextW(ToHwnd(window), buffer.data(), length + 1);
        return WideToUtf8(buffer.data(), std::size_t(got > 0 ? got : 0));
    }

    bool SetCaption(WindowHandle window, const std::string& caption) override {
        return window != kNoWindow && SetWindowTextW(ToHwnd(window), Utf8ToWide(caption).c_str());
    }

    std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        if (window == kNoWindow)
            return 0;
        return SendMessageA(ToHwnd(window), message, WPARAM(wParam), LPARAM(lParam));
    }

    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) override {
        return window != kNoWindow && PostMessageA(ToHwnd(window), message, WPARAM(wParam), LPARAM(lParam));
    }

    void BringToTop(WindowHandle window) override {
        if (window != kNoWindow)
            BringWindowToTop(ToHwnd(window));
    }

    std::string ReadProcessFileName(WindowHandle window, std::uintptr_t address,
                                    std::size_t maxLength) override {
        DWORD processId = 0;
        if (window == kNoWindow || address == 0 || maxLength == 0 ||
            !GetWindowThreadProcessId(ToHwnd(window), &processId))
            return {};
        HANDLE process = OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process)
            process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
        if (!process)
            return {};
        // A 32-bit player's answer reaches a 64-bit caller sign-extended (an LRESULT); its address is the low
        // 32 bits, above 2 GiB included.
        BOOL player32 = FALSE;
        if (sizeof address > 4 && IsWow64Process(process, &player32) && player32)
            address &= 0xFFFFFFFFu;
        // The zero must come within maxLength bytes; a string without one there is not taken. Each read stays
        // within one page, so a string that ends just before an inaccessible page is still read whole.
        std::vector<char> bytes(maxLength);
        const std::size_t page = PageSize();
        std::size_t have = 0;
        bool terminated = false;
        while (!terminated && have < maxLength) {
            const std::uintptr_t at = address + have;
            if (at < address)
                break; // ran off the end of the address space
            const std::size_t want = std::min(page - at % page, maxLength - have);
            SIZE_T got = 0;
            if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(at), bytes.data() + have, want, &got) ||
                got != want)
                break;
            const auto first = bytes.begin() + std::ptrdiff_t(have);
            const auto last = first + std::ptrdiff_t(want);
            terminated = std::find(first, last, '\0') != last;
            have += want;
        }
        CloseHandle(process);
        // The player's path is in the system's ANSI code page; the program's paths are UTF-8.
        return terminated ? win32::AnsiToUtf8(std::string(bytes.data())) : std::string();
    }

    std::int32_t VirtualKeyOfChar(char character) override {
        // The low byte is the key; the high byte is the shift state it needs, which key messages leave out.
        const SHORT key = VkKeyScanA(character);
        return key == -1 ? -1 : std::int32_t(key & 0xFF);
    }

private:
    static std::size_t PageSize() {
        static const std::size_t size = [] {
            SYSTEM_INFO info;
            GetSystemInfo(&info);
            return info.dwPageSize ? std::size_t(info.dwPageSize) : std::size_t(4096);
        }();
        return size;
    }
};

class TTickClock final : public IClock {
public:
    std::uint32_t TickCount() override { return GetTickCount(); }
};

} // namespace

IWindowSystem& SystemWindows() {
    static TWin32Windows windows;
    return windows;
}

IClock& SystemClock() {
    static TTickClock clock;
    return clock;
}

std::string ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            const std::string exe = WideToUtf8(path.data(), n);
            const auto cut = exe.find_last_of("\\:");
            return cut == std::string::npos ? std::string() : exe.substr(0, cut + 1);
        }
        path.resize(path.size() * 2);
    }
}

std::string UserDataFolder() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return WideToUtf8(path, wcslen(path));
}

char PathSeparator() {
    return '\\';
}

std::string PathFromSystemFileName(const std::string& bytes) {
    return win32::AnsiToUtf8(bytes);
}

void AttachParentConsole() {
    // A program started from a console window prints there; started otherwise, its output goes nowhere.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
}

bool IsHiddenSystemFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    const DWORD both = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & both) == both;
}

} // namespace platform
