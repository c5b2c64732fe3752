// fake_wmp.exe: a stand-in for Windows Media Player in tests of the Windows Media Player driver. A real Win32
// process with the player's "WMPlayerApp" window that loads the real tl_plugin.dll from its own folder and
// hands it a fake player core; when the test reports a play state, the core tells the plugin, which sets the
// window's caption as it does in the real player. The window records the key messages it receives, telling
// sent from posted ones. Control messages are in FakePlayerControl.h.
//
// Its name has 12 characters, like "wmplayer.exe", so that the plugin's player folder (the executable's path
// less its last 12 characters) is the program's own folder.
#include "platform/win32/tests/FakePlayerControl.h"
#include "platform/win32/tests/FakeProgram.h"

#include "FakeCore.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace platform::fake_player;
using wmp_plugin_test::TFakeCore;

struct TRecord {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool Sent;
};

std::vector<TRecord> Records;
WPARAM SyncToken = 0;
std::wstring Author;
std::wstring Name;
TFakeCore* Core = nullptr;
IWMPPluginUI* Plugin = nullptr;

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// Loads the plugin beside this program and connects it to the fake core, as the player does.
bool LoadPlugin() {
    HMODULE module = LoadLibraryW(L"tl_plugin.dll");
    if (!module)
        return false;
    const auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(wmp_plugin::kTl_pluginClsid, IID_IClassFactory,
                                                 reinterpret_cast<void**>(&factory))))
        return false;
    const HRESULT created =
        factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), reinterpret_cast<void**>(&Plugin));
    factory->Release();
    if (FAILED(created) || !Plugin)
        return false;
    Core = new TFakeCore;
    return SUCCEEDED(Plugin->SetCore(Core)) && Core->Events->Sink;
}

void UnloadPlugin() {
    if (Plugin) {
        Plugin->SetCore(nullptr);
        Plugin->Release();
        Plugin = nullptr;
    }
    if (Core) {
        Core->Release();
        Core = nullptr;
    }
}

LRESULT RecordPart(WPARAM index, LPARAM part) {
    if (index >= Records.size())
        return 0;
    const TRecord& r = Records[index];
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

void ReportPlayState(LONG state) {
    if (!Core || !Core->Events->Sink)
        return;
    if (state == 3)
        Core->SetMedia(Author, Name);
    Core->Events->Sink->PlayStateChange(state);
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        // Handled here: the default handling of F10 would open the window's menu.
        Records.push_back({message, wParam, lParam, InSendMessage() != FALSE});
        return 0;
    case kGetField:
        return TField(wParam) == TField::SyncToken ? LRESULT(SyncToken) : 0;
    case kRecordCount:
        return LRESULT(Records.size());
    case kRecordAt:
        return RecordPart(wParam, lParam);
    case kClearRecords:
        Records.clear();
        return 1;
    case kSync:
        SyncToken = wParam;
        return 1;
    case kPlayState:
        ReportPlayState(LONG(wParam));
        return 1;
    case WM_COPYDATA: {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!copy)
            return 0;
        const std::wstring text(static_cast<const wchar_t*>(copy->lpData), copy->cbData / sizeof(wchar_t));
        if (TData(copy->dwData) == TData::WmpAuthor)
            Author = text;
        else if (TData(copy->dwData) == TData::WmpName)
            Name = text;
        return 1;
    }
    case WM_TIMER:
        fake_program::OnTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        UnloadPlugin();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--parent" && i + 1 < argc) {
            if (!fake_program::WatchParent(argv[++i]))
                return 2; // the test has already ended
        }
    }
    if (FAILED(CoInitialize(nullptr)))
        return 6;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlayerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"WMPlayerApp";
    if (!RegisterClassW(&windowClass))
        return 3;
    // The plugin looks for the player's window when it is created, so the window comes first.
    HWND window = CreateWindowExW(0, L"WMPlayerApp", L"Windows Media Player", WS_OVERLAPPEDWINDOW, 0, 0, 600,
                                  400, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 4;
    if (!LoadPlugin()) {
        UnloadPlugin();
        DestroyWindow(window);
        return 5;
    }

    fake_program::RunMessageLoop(window, false);
    UnloadPlugin();
    CoUninitialize();
    return 0;
}
