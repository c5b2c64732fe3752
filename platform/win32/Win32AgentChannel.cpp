// Win32 agent transport: WM_COPYDATA to the top-level window of a class. Listening creates a hidden
// top-level window of our own class, so the other side finds it with FindWindow and our handle travels as
// the first message parameter; its records arrive through the thread's normal message dispatch.
#include "platform/AgentChannel.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {

const char* const kMainWindowClass = "TFormCantrel";
const char* const kAgentWindowClass = "TFormCantrelAgent";

namespace {

constexpr UINT kAnswerTimeoutMs = 10000;

class TWin32AgentChannel final : public IAgentChannel {
public:
    ~TWin32AgentChannel() override { StopListening(); }

    bool Listen(const std::string& ownClass, TReceiver receiver) override {
        StopListening();
        if (ownClass.empty() || FindWindowA(ownClass.c_str(), nullptr) != nullptr)
            return false;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TWin32AgentChannel::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = ownClass.c_str();
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
        Receiver_ = std::move(receiver);
        Window_ = CreateWindowExA(WS_EX_TOOLWINDOW, ownClass.c_str(), ownClass.c_str(), WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, this);
        if (!Window_) {
            Receiver_ = nullptr;
            return false;
        }
        ClassName_ = ownClass;
        return true;
    }

    void StopListening() override {
        if (Window_) {
            DestroyWindow(Window_);
            Window_ = nullptr;
            UnregisterClassA(ClassName_.c_str(), GetModuleHandleA(nullptr));
        }
        Receiver_ = nullptr;
    }

    std::intptr_t SendRecord(const std::string& toClass, const void* data, std::size_t size) override {
        HWND target = FindWindowA(toClass.c_str(), nullptr);
        if (!target)
            return 0;
        COPYDATASTRUCT record{};
        record.dwData = 0;
        record.cbData = DWORD(size);
        record.lpData = const_cast<void*>(data);
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(target, WM_COPYDATA, WPARAM(Window_), LPARAM(&record), SMTO_ABORTIFHUNG,
                                 kAnswerTimeoutMs, &answer))
            return 0;
        return std::intptr_t(answer);
    }

    int EventHandle() const override { return -1; }

    // For a program without a message loop of its own: the records sent to our window are delivered while
    // the thread looks at its messages, so this looks at (and dispatches) the ones of our window.
    void ProcessPending() override {
        MSG message;
        while (Window_ && PeekMessageA(&message, Window_, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void WaitForRecords(int timeoutMs) override {
        // Records are messages sent to our window: wake when new input arrives for the thread (only new
        // input, so a message of another window left in the queue cannot make this return at once forever).
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(timeoutMs), QS_ALLINPUT, 0);
    }

    bool IsListening(const std::string& className) override {
        return !className.empty() && FindWindowA(className.c_str(), nullptr) != nullptr;
    }

    bool StartProgram(const std::string& path) override {
        const HINSTANCE result =
            ShellExecuteW(nullptr, L"open", win32::Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message == WM_COPYDATA) {
            auto* self = reinterpret_cast<TWin32AgentChannel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!self || !record || record->dwData != 0 || !self->Receiver_)
                return 0;
            if (record->cbData > 0 && record->lpData == nullptr)
                return 0;
            TReceiver receiver = self->Receiver_; // the receiver may stop listening while it runs
            return LRESULT(receiver(static_cast<const std::uint8_t*>(record->lpData), record->cbData));
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND Window_ = nullptr;
    std::string ClassName_;
    TReceiver Receiver_;
};

} // namespace

std::unique_ptr<IAgentChannel> CreateAgentChannel() {
    return std::make_unique<TWin32AgentChannel>();
}

std::string AgentProgramName() {
    return "CantrelAgent.exe";
}

} // namespace platform
