// Win32 single instance: a named mutex decides who is first; the first owns a hidden window of its own
// class, to which a later start posts its request after allowing the first to take the foreground.
#include "platform/SingleInstance.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace platform {
namespace {

constexpr UINT kShowMessage = WM_APP + 1;

class TWin32InstanceLock final : public IInstanceLock {
public:
    explicit TWin32InstanceLock(const std::string& programFolder) {
        const std::string key = InstanceKey(programFolder);
        ClassName_ = win32::Utf8ToWide("CantrelInstance-" + key);
        Mutex_ = CreateMutexW(nullptr, TRUE, win32::Utf8ToWide("Local\\Cantrel-" + key).c_str());
        if (Mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(Mutex_);
            Mutex_ = nullptr;
            return; // another start holds it
        }
        // Without a mutex (no rights) every start runs.
        First_ = true;
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TWin32InstanceLock::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = ClassName_.c_str();
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return;
        Window_ = CreateWindowExW(WS_EX_TOOLWINDOW, ClassName_.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, this);
    }

    ~TWin32InstanceLock() override {
        if (Window_) {
            DestroyWindow(Window_);
            UnregisterClassW(ClassName_.c_str(), GetModuleHandleW(nullptr));
        }
        if (Mutex_) {
            ReleaseMutex(Mutex_);
            CloseHandle(Mutex_);
        }
    }

    bool IsFirst() const override { return First_; }
    void SetShowRequestHandler(std::function<void()> handler) override { Handler_ = std::move(handler); }
    int EventHandle() const override { return -1; }

    void ProcessPending() override {
        if (!Window_)
            return;
        MSG message;
        while (PeekMessageW(&message, Window_, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    bool AskFirstToShow() override {
        if (First_)
            return false;
        // The first start may hold the mutex but not have its window yet: a few tries over two seconds.
        for (int attempt = 0; attempt < 40; ++attempt) {
            if (HWND window = FindWindowW(ClassName_.c_str(), nullptr)) {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process != 0)
                    AllowSetForegroundWindow(process);
                return PostMessageW(window, kShowMessage, 0, 0) != 0;
            }
            Sleep(50);
        }
        return false;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TWin32InstanceLock*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == kShowMessage && self) {
            if (self->Handler_)
                self->Handler_();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    bool First_ = false;
    HANDLE Mutex_ = nullptr;
    HWND Window_ = nullptr;
    std::wstring ClassName_;
    std::function<void()> Handler_;
};

} // namespace

std::unique_ptr<IInstanceLock> CreateInstanceLock(const std::string& programFolder, const std::string&) {
    return std::make_unique<TWin32InstanceLock>(programFolder);
}

} // namespace platform
