#include "platform/win32/tests/ProgramProcess.h"

#include "platform/win32/tests/WaitUntil.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace platform {
namespace {

struct TSearch {
    DWORD ProcessId;
    HWND Found;
};

struct TCaptionSearch {
    DWORD ProcessId;
    const std::string* Caption;
    HWND Found;
};

BOOL CALLBACK FindShownWindowByCaption(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TCaptionSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->ProcessId || !IsWindowVisible(window))
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, int(sizeof caption));
    if (*search->Caption != caption)
        return TRUE;
    search->Found = window;
    return FALSE;
}

BOOL CALLBACK FindShownWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->ProcessId && IsWindowVisible(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

// Reads a binary PPM (P6, 8-bit) as ImageMagick writes it.
TRgbImage ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    if (!in || magic != "P6" || width <= 0 || height <= 0 || width > 8192 || height > 8192 || maxValue != 255)
        return {};
    in.get(); // the one white-space character after the header
    TRgbImage image;
    image.Width = width;
    image.Height = height;
    image.Pixels.resize(std::size_t(width) * height * 3);
    in.read(reinterpret_cast<char*>(image.Pixels.data()), std::streamsize(image.Pixels.size()));
    if (in.gcount() != std::streamsize(image.Pixels.size()))
        return {};
    return image;
}

} // namespace

bool TProgramProcess::Start(const std::string& exePath, const std::string& folder, int timeoutMs) {
    Window_ = kNoWindow;
    if (!Child_.Start(exePath, "\"" + exePath + "\"", folder))
        return false;
    const bool shown = Child_.WaitUntilReady(
        [this] {
            TSearch search{Child_.Id(), nullptr};
            EnumWindows(&FindShownWindow, reinterpret_cast<LPARAM>(&search));
            Window_ = reinterpret_cast<WindowHandle>(search.Found);
            return search.Found != nullptr;
        },
        timeoutMs, 50);
    if (!shown)
        Kill();
    return shown;
}

std::string TProgramProcess::Caption() const {
    return SystemWindows().GetCaption(Window_);
}

void TProgramProcess::PressKey(std::uint32_t virtualKey) {
    if (Window_ == kNoWindow)
        return;
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = LPARAM(1 | (scanCode << 16));
    const LPARAM up = LPARAM(down | (1u << 30) | (1u << 31));
    PostMessageA(ToHwnd(Window_), WM_KEYDOWN, WPARAM(virtualKey), down);
    PostMessageA(ToHwnd(Window_), WM_KEYUP, WPARAM(virtualKey), up);
}

WindowHandle TProgramProcess::FindWindowByCaption(const std::string& caption) const {
    if (!Child_.Started())
        return kNoWindow;
    TCaptionSearch search{Child_.Id(), &caption, nullptr};
    EnumWindows(&FindShownWindowByCaption, reinterpret_cast<LPARAM>(&search));
    return search.Found ? reinterpret_cast<WindowHandle>(search.Found) : kNoWindow;
}

bool TProgramProcess::TypeKeys(WindowHandle window, const std::vector<std::uint32_t>& virtualKeys) {
    const HWND target = ToHwnd(window);
    if (window == kNoWindow || !IsWindow(target))
        return false;
    SetForegroundWindow(target);
    const bool inFront = testing_support::WaitUntil(
        [target] {
            if (GetForegroundWindow() == target)
                return true;
            SetForegroundWindow(target);
            return false;
        },
        5000, 20);
    if (!inFront)
        return false;
    std::vector<INPUT> inputs;
    const auto add = [&inputs](std::uint32_t key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = WORD(key);
        input.ki.wScan = WORD(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (std::uint32_t key : virtualKeys)
        add(key, false);
    for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key)
        add(*key, true);
    return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool TProgramProcess::ClickAt(WindowHandle window, int x, int y) {
    const HWND target = ToHwnd(window);
    if (window == kNoWindow || !IsWindow(target))
        return false;
    SetForegroundWindow(target);
    const DWORD asked = GetTickCount();
    while (GetForegroundWindow() != target) {
        if (GetTickCount() - asked > 5000)
            return false;
        Sleep(20);
        SetForegroundWindow(target);
    }
    POINT point{x, y};
    ClientToScreen(target, &point);
    SetCursorPos(point.x, point.y);
    Sleep(50); // the program sees the mouse arrive before the press
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

void TProgramProcess::ClientSize(WindowHandle window, int& width, int& height) const {
    RECT rect{};
    GetClientRect(ToHwnd(window), &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}

bool TProgramProcess::Close(int timeoutMs) {
    const bool clean = Child_.Close(Window_, timeoutMs);
    Window_ = kNoWindow;
    return clean;
}

void TProgramProcess::Kill() {
    Child_.Kill();
    Window_ = kNoWindow;
}

TRgbImage TProgramProcess::Screenshot() const {
    RECT client{};
    POINT origin{0, 0};
    const char* service = std::getenv("CANTREL_SHOT_DIR");
    if (!service || !*service || Window_ == kNoWindow || !GetClientRect(ToHwnd(Window_), &client) ||
        !ClientToScreen(ToHwnd(Window_), &origin))
        return {};
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return {};

    // The request appears whole (written, then renamed), the picture likewise.
    static int count = 0;
    const std::string base =
        WindowsPathOf(service) + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    {
        std::ofstream request(base + ".part", std::ios::binary);
        request << width << "x" << height << "+" << origin.x << "+" << origin.y;
    }
    if (!MoveFileA((base + ".part").c_str(), (base + ".request").c_str()))
        return {};
    const std::string picture = base + ".ppm";
    const std::string failed = base + ".failed";
    testing_support::WaitUntil(
        [&] {
            return GetFileAttributesA(picture.c_str()) != INVALID_FILE_ATTRIBUTES ||
                   GetFileAttributesA(failed.c_str()) != INVALID_FILE_ATTRIBUTES;
        },
        30000, 20);
    TRgbImage image = ReadPpm(picture);
    DeleteFileA(picture.c_str());
    DeleteFileA(failed.c_str());
    DeleteFileA((base + ".request").c_str());
    return image;
}

void EndProcessOfWindowClass(const std::string& className) {
    HWND window = FindWindowA(className.c_str(), nullptr);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId) || processId == GetCurrentProcessId())
        return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

void SetEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

} // namespace platform
