#include "wmp_plugin/win32/Tl_plugin.h"

#include "wmp_plugin/win32/Module.h"
#include "wmp_plugin/win32/PropertiesDialog.h"

#include <lmcons.h>

#include <new>

namespace wmp_plugin {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// The full path of the hosting process's executable (at most 259 characters).
std::u16string ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? FromWide(path, length) : std::u16string();
}

// The logged-on user's name, read whole; the default signature cuts it to its 50-character buffer.
std::u16string UserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(name, &size))
        return {};
    return FromWide(name, wcsnlen(name, UNLEN));
}

// An attribute of the media item; empty when the item has none.
std::u16string ItemInfo(IWMPMedia* media, const wchar_t* attribute) {
    BSTR name = SysAllocString(attribute);
    BSTR value = nullptr;
    std::u16string text;
    if (name && SUCCEEDED(media->getItemInfo(name, &value)) && value)
        text = FromWide(value, SysStringLen(value));
    SysFreeString(value);
    SysFreeString(name);
    return text;
}

// Reads at most `limit` bytes of a file opened for reading and shared with nobody; false if it cannot be
// opened.
bool ReadWholeFile(const std::u16string& path, std::size_t limit, std::string& bytes) {
    HANDLE file =
        CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(limit, '\0');
    std::size_t total = 0;
    DWORD got = 0;
    while (total < limit && ReadFile(file, &bytes[total], DWORD(limit - total), &got, nullptr) && got > 0)
        total += got;
    bytes.resize(total);
    CloseHandle(file);
    return true;
}

} // namespace

CTl_plugin::CTl_plugin() {
    const std::u16string folder = PlayerFolderOf(ExecutablePath());
    const std::u16string user = UserName();
    PlayerWindow = FindWindowW(kPlayerWindowClass, nullptr);
    Settings = DefaultPluginSettings(folder, user);
    IniPath = folder + kSettingsFileName;
    ReadPluginSettings();
    ModuleObjectCreated();
}

CTl_plugin::~CTl_plugin() {
    DisconnectFromCore();
    WriteStatusFile(TOccasion::Inactive);
    WritePluginSettings();
    ModuleObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE CTl_plugin::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IWMPEvents))) {
        *object = static_cast<IWMPEvents*>(this);
    } else if (IsEqualIID(iid, __uuidof(IWMPPluginUI))) {
        *object = static_cast<IWMPPluginUI*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CTl_plugin::AddRef() {
    return ULONG(InterlockedIncrement(&RefCount));
}

ULONG STDMETHODCALLTYPE CTl_plugin::Release() {
    const LONG count = InterlockedDecrement(&RefCount);
    if (count == 0) {
        // A connection point letting go of us while we disconnect must not start a second destruction.
        RefCount = 1;
        delete this;
    }
    return ULONG(count);
}

void STDMETHODCALLTYPE CTl_plugin::PlayStateChange(LONG state) {
    if (state == wmppsPlaying)
        WriteStatusFile(TOccasion::Playing);
    else if (state == wmppsStopped)
        WriteStatusFile(TOccasion::Stopped);
}

HRESULT STDMETHODCALLTYPE CTl_plugin::SetCore(IWMPCore* core) {
    DisconnectFromCore();
    if (!core)
        return S_OK;
    Core = core;
    Core->AddRef();

    IConnectionPointContainer* container = nullptr;
    HRESULT result =
        Core->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(result) || !container)
        return FAILED(result) ? result : E_NOINTERFACE;
    result = container->FindConnectionPoint(__uuidof(IWMPEvents), &EventsConnection);
    if (FAILED(result) || !EventsConnection) {
        EventsConnection = nullptr;
    } else {
        result = EventsConnection->Advise(static_cast<IWMPEvents*>(this), &EventsCookie);
        if (FAILED(result) || EventsCookie == 0) {
            EventsCookie = 0;
            EventsConnection->Release();
            EventsConnection = nullptr;
        }
    }
    container->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::Create(HWND, HWND*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::Destroy() {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::DisplayPropertyPage(HWND parent) {
    RunPropertiesDialog(parent, Settings);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::GetProperty(const WCHAR*, VARIANT* value) {
    return value ? E_NOTIMPL : E_POINTER;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::SetProperty(const WCHAR*, const VARIANT*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CTl_plugin::TranslateAccelerator(MSG*) {
    return E_NOTIMPL;
}

void CTl_plugin::DisconnectFromCore() {
    if (EventsConnection) {
        if (EventsCookie != 0)
            EventsConnection->Unadvise(EventsCookie);
        EventsCookie = 0;
        IConnectionPoint* connection = EventsConnection;
        EventsConnection = nullptr;
        connection->Release();
    }
    if (Core) {
        IWMPCore* core = Core;
        Core = nullptr;
        core->Release();
    }
}

void CTl_plugin::WriteStatusFile(TOccasion occasion) {
    // Nothing may escape to the player: text that cannot be allocated leaves file and caption alone.
    try {
        TMediaItem item;
        bool haveItem = false;
        if (occasion != TOccasion::Inactive && Core) {
            IWMPMedia* media = nullptr;
            if (SUCCEEDED(Core->get_currentMedia(&media)) && media) {
                if (occasion == TOccasion::Playing) {
                    item.Author = ItemInfo(media, L"Author");
                    item.Name = ItemInfo(media, L"Name");
                }
                haveItem = true;
                media->Release();
            }
        }
        const TStatusOutput out = ComposeStatus(occasion, Settings, haveItem ? &item : nullptr);
        if (out.SetCaption && PlayerWindow)
            SetWindowTextW(PlayerWindow, Wide(out.Caption));

        const std::string bytes = Encoder.Encode(out.Text);
        HANDLE file = CreateFileW(Wide(Settings.Path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        if (!bytes.empty())
            WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    } catch (const std::bad_alloc&) {
    }
}

void CTl_plugin::ReadPluginSettings() {
    std::string bytes;
    if (ReadWholeFile(IniPath, kMaxSettingsFileBytes, bytes))
        ParsePluginSettings(bytes, Settings);
}

void CTl_plugin::WritePluginSettings() {
    try {
        // Written beside the settings file and then put in its place, so that a failed write leaves the
        // previous settings whole rather than a file cut short.
        const std::u16string temporary = IniPath + u".new";
        HANDLE file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        bool ok = true;
        for (const auto& line : PluginSettingsLines(Settings)) {
            const std::string bytes = Utf16LeBytes(line);
            DWORD written = 0;
            ok = ok && WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                 written == bytes.size();
        }
        ok = CloseHandle(file) && ok;
        if (!ok || !MoveFileExW(Wide(temporary), Wide(IniPath), MOVEFILE_REPLACE_EXISTING))
            DeleteFileW(Wide(temporary));
    } catch (const std::bad_alloc&) {
    }
}

} // namespace wmp_plugin
