// The plugin's test host, built as "wmplayer.exe" so that the plugin's player-folder rule (executable path
// less its last 12 characters) gives this program's folder. run-host.sh copies it and tl_plugin.dll into a
// fresh folder and runs it under Wine. It plays the player: a "WMPlayerApp" window, the class factory from
// the library's exports, a fake core whose events connection point delivers PlayStateChange to the plugin.

#include "FakeCore.h"
#include "wmp_plugin/win32/resource.h"

#include <gtest/gtest.h>

#include <lmcons.h>

#include <thread>
#include <utility>
#include <vector>

using namespace wmp_plugin_test;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

struct TLibrary {
    HMODULE Module = nullptr;
    GetClassObjectFn GetClassObject = nullptr;
    CanUnloadNowFn CanUnloadNow = nullptr;
};

const TLibrary& Library() {
    static const TLibrary library = [] {
        TLibrary l;
        l.Module = LoadLibraryW(L"tl_plugin.dll");
        if (l.Module) {
            l.GetClassObject = reinterpret_cast<GetClassObjectFn>(
                reinterpret_cast<void*>(GetProcAddress(l.Module, "DllGetClassObject")));
            l.CanUnloadNow = reinterpret_cast<CanUnloadNowFn>(
                reinterpret_cast<void*>(GetProcAddress(l.Module, "DllCanUnloadNow")));
        }
        return l;
    }();
    return library;
}

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length).substr(0, length - 12);
}
std::wstring OutputPath() {
    return Folder() + L"tl_info.txt";
}
std::wstring IniPath() {
    return Folder() + L"tl_plugin.ini";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole file; "<missing>" when it does not exist.
std::string ReadBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf16Le(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

std::wstring FullUserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

// The user name as the default signature holds it: at most 49 characters.
std::wstring UserName() {
    return FullUserName().substr(0, 49);
}
std::wstring DefaultSign() {
    return L"With Best Regards, " + UserName();
}
std::string Signed(const std::string& status) {
    return status + "\r\n\r\n" + Narrow(DefaultSign());
}

const char kPlaying[] = "Now playing:  Artist - Song";
const char kStopped[] = "Windows Media Player is stopped...";
const char kInactive[] = "Windows Media Player is inactive...";
const wchar_t kPlayingCaption[] = L"Artist - Song - Windows Media Player";

std::string SettingsFile(const std::wstring& title, const std::wstring& path, const std::wstring& sign,
                         const std::wstring& stop, const std::wstring& exit) {
    return Utf16Le(L"[Tuneline Plugin Settings]\r\nTitle = " + title + L"\r\nPath = " + path +
                   L"\r\nSign = " + sign + L"\r\nStop = " + stop + L"\r\nExit = " + exit + L"\r\n");
}

LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePlayerWindow() {
    static const ATOM atom = [] {
        WNDCLASSW c = {};
        c.lpfnWndProc = PlayerWindowProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"WMPlayerApp";
        return RegisterClassW(&c);
    }();
    if (!atom)
        return nullptr;
    // Left hidden (showing and hiding windows is slow under Wine without a window manager); the dialog
    // tests show it.
    return CreateWindowExW(0, L"WMPlayerApp", L"Windows Media Player", WS_OVERLAPPEDWINDOW, 100, 100, 600,
                           500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring CaptionOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

IClassFactory* Factory() {
    IClassFactory* factory = nullptr;
    if (Library().GetClassObject)
        Library().GetClassObject(wmp_plugin::kTl_pluginClsid, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory));
    return factory;
}

IWMPPluginUI* NewPlugin() {
    IClassFactory* factory = Factory();
    if (!factory)
        return nullptr;
    IWMPPluginUI* plugin = nullptr;
    factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), reinterpret_cast<void**>(&plugin));
    factory->Release();
    return plugin;
}

class PluginHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Library().Module) << "tl_plugin.dll not loaded";
        RemoveFiles();
        Window = CreatePlayerWindow();
        ASSERT_TRUE(Window);
        Core = new TFakeCore;
        Core->SetMedia(L"Artist", L"Song");
    }

    void TearDown() override {
        if (Plugin) {
            Plugin->SetCore(nullptr);
            Plugin->Release();
        }
        Core->Release();
        if (Window)
            DestroyWindow(Window);
        RemoveFiles();
    }

    static void RemoveFiles() {
        DeleteFileW(OutputPath().c_str());
        DeleteFileW(IniPath().c_str());
    }

    void Create() {
        Plugin = NewPlugin();
        ASSERT_TRUE(Plugin);
    }

    void Connect() {
        ASSERT_EQ(Plugin->SetCore(Core), S_OK);
        ASSERT_TRUE(Core->Events->Sink);
    }

    // The player's way of telling the plugin: through the sink it advised on the events connection point.
    void Fire(LONG state) {
        ASSERT_TRUE(Core->Events->Sink);
        Core->Events->Sink->PlayStateChange(state);
    }

    // Disconnects and releases the plugin, as the player does when it unloads it.
    void Unload() {
        ASSERT_EQ(Plugin->SetCore(nullptr), S_OK);
        EXPECT_EQ(Plugin->Release(), 0u);
        Plugin = nullptr;
    }

    std::wstring Caption() const { return CaptionOf(Window); }

    HWND Window = nullptr;
    TFakeCore* Core = nullptr;
    IWMPPluginUI* Plugin = nullptr;
};

} // namespace

TEST_F(PluginHost, FirstRunFollowsThePlayStateAndUnloads) {
    Create();
    EXPECT_FALSE(Exists(OutputPath())); // nothing written before the first event
    Connect();
    EXPECT_EQ(Core->Events->AdviseCalls, 1);
    ASSERT_EQ(Core->PointsAskedFor.size(), 1u);
    EXPECT_TRUE(IsEqualIID(Core->PointsAskedFor[0], __uuidof(IWMPEvents)));

    Fire(3); // playing
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kPlaying));
    EXPECT_EQ(Caption(), kPlayingCaption);

    // Paused, buffering, media ended, ready: neither the file nor the caption changes.
    DeleteFileW(OutputPath().c_str());
    SetWindowTextW(Window, L"untouched");
    for (LONG state : {2, 6, 8, 10})
        Fire(state);
    EXPECT_FALSE(Exists(OutputPath()));
    EXPECT_EQ(Caption(), L"untouched");

    Fire(1); // stopped
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kStopped));
    EXPECT_EQ(Caption(), L"Windows Media Player");

    // Disconnecting unadvises with the cookie and lets go of the core and the connection.
    ASSERT_EQ(Plugin->SetCore(nullptr), S_OK);
    EXPECT_EQ(Core->Events->Unadvised, std::vector<DWORD>{7});
    EXPECT_EQ(Core->Refs(), 1);
    EXPECT_EQ(Core->Events->Refs(), 1);
    EXPECT_EQ(Core->Media->Refs(), 1);

    SetWindowTextW(Window, L"still playing");
    EXPECT_EQ(Library().CanUnloadNow(), S_FALSE);
    EXPECT_EQ(Plugin->Release(), 0u);
    Plugin = nullptr;
    EXPECT_EQ(Library().CanUnloadNow(), S_OK);
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kInactive));
    EXPECT_EQ(Caption(), L"Windows Media Player");
    // Six UTF-16 lines without a byte order mark; the default title keeps its trailing space on disk.
    EXPECT_EQ(ReadBytes(IniPath()),
              SettingsFile(L"Now playing: ", OutputPath(), DefaultSign(),
                           L"Windows Media Player is stopped...", L"Windows Media Player is inactive..."));
}

TEST_F(PluginHost, UnloadWhilePlayingWritesTheInactiveText) {
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(Caption(), kPlayingCaption);
    Unload();
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kInactive));
    EXPECT_EQ(Caption(), L"Windows Media Player");
}

TEST_F(PluginHost, TheUserNameIsCutToItsBuffer) {
    // run-host.sh gives Wine a user name longer than the plugin's 50-character buffer.
    ASSERT_GT(FullUserName().size(), 49u);
    Create();
    Connect();
    Fire(1);
    EXPECT_EQ(ReadBytes(OutputPath()),
              std::string(kStopped) + "\r\n\r\nWith Best Regards, " + Narrow(UserName()));
}

TEST_F(PluginHost, SettingsReadBackAtTheNextCreation) {
    Create();
    Unload(); // writes the settings file
    Create();
    Connect();
    Fire(3);
    // The title came back without its trailing space: one space before the author.
    EXPECT_EQ(ReadBytes(OutputPath()), Signed("Now playing: Artist - Song"));
}

TEST_F(PluginHost, SettingsFileDecidesTextsAndOutputPath) {
    CreateDirectoryW((Folder() + L"sub").c_str(), nullptr);
    const std::wstring path = Folder() + L"sub\\np.txt";
    WriteBytes(IniPath(), SettingsFile(L"Now:", path, L"", L"Halted", L"Gone"));
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(ReadBytes(path), "Now: Artist - Song"); // no signature, no empty line
    Fire(1);
    EXPECT_EQ(ReadBytes(path), "Halted");
    Unload();
    EXPECT_EQ(ReadBytes(path), "Gone");
    EXPECT_FALSE(Exists(OutputPath()));
    DeleteFileW(path.c_str());
    RemoveDirectoryW((Folder() + L"sub").c_str());
}

// Song texts of any script reach the caption whole; the output file goes to a non-ASCII path, its text in
// the system's 8-bit code page with "?" for what that page lacks.
TEST_F(PluginHost, UnicodeSongAndNonAsciiOutputPath) {
    const std::wstring folder = Folder() + L"Mot\u00f6rhead \u041a\u0438\u043d\u043e";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\np.txt";
    WriteBytes(IniPath(), SettingsFile(L"Now:", path, L"", L"s", L"e"));
    Core->SetMedia(L"\u041a\u0438\u043d\u043e", L"\u591c\u306b \u00c4");
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(Caption(), L"\u041a\u0438\u043d\u043e - \u591c\u306b \u00c4 - Windows Media Player");
    EXPECT_EQ(ReadBytes(path), "Now: ???? - ?? \xC4");
    Unload();
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(PluginHost, PlaceholderPathIsUsedLiterally) {
    WriteBytes(IniPath(), SettingsFile(L"Now playing:", L"%WMP%\\tl_info.txt", DefaultSign(), L"s", L"e"));
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(Caption(), kPlayingCaption); // the caption is still set
    Unload();
    EXPECT_FALSE(Exists(OutputPath()));
    EXPECT_FALSE(Exists(Folder() + L"%WMP%"));
}

TEST_F(PluginHost, NoCurrentMediaItem) {
    Core->ClearMedia();
    Create();
    Connect();
    SetWindowTextW(Window, L"untouched");
    Fire(1);
    EXPECT_EQ(ReadBytes(OutputPath()), "\r\n\r\n" + Narrow(DefaultSign()));
    Fire(3);
    EXPECT_EQ(ReadBytes(OutputPath()), "\r\n\r\n" + Narrow(DefaultSign()));
    EXPECT_EQ(Caption(), L"untouched");
    Unload();

    // Without a signature the file is written empty.
    WriteBytes(IniPath(), SettingsFile(L"Now playing:", OutputPath(), L"", L"s", L"e"));
    Create();
    Connect();
    SetWindowTextW(Window, L"untouched");
    Fire(1);
    EXPECT_EQ(ReadBytes(OutputPath()), "");
    EXPECT_EQ(Caption(), L"untouched");
}

TEST_F(PluginHost, MissingAttributesGiveEmptyText) {
    Core->Media->Attributes.erase(L"Author");
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(ReadBytes(OutputPath()), Signed("Now playing:   - Song"));
    EXPECT_EQ(Caption(), L" - Song - Windows Media Player");
    EXPECT_EQ(Core->Media->Asked, (std::vector<std::wstring>{L"Author", L"Name"}));
}

TEST_F(PluginHost, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "expects the Western European ANSI code page";
    Core->SetMedia(L"Bj\u00f6rk \u0100", L"Song \u4e2d \u20ac");
    Create();
    Connect();
    Fire(3);
    EXPECT_EQ(ReadBytes(OutputPath()), Signed("Now playing:  Bj\xf6rk ? - Song ? \x80"));
    EXPECT_EQ(Caption(), L"Bj\u00f6rk \u0100 - Song \u4e2d \u20ac - Windows Media Player");
}

TEST_F(PluginHost, PlayerWindowIsLookedUpOnlyAtCreation) {
    DestroyWindow(Window);
    Window = nullptr;
    Create();
    Window = CreatePlayerWindow();
    Connect();
    Fire(3);
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kPlaying)); // the file is still written
    EXPECT_EQ(Caption(), L"Windows Media Player");
}

TEST_F(PluginHost, OutputFileInUseIsLeftAsItWas) {
    Create();
    Connect();
    Fire(3);
    // Another program holds the file open: the plugin cannot recreate it and leaves it alone.
    HANDLE held = CreateFileW(OutputPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Fire(1);
    EXPECT_EQ(Caption(), L"Windows Media Player");
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(OutputPath()), Signed(kPlaying));
}

TEST_F(PluginHost, ConnectionRules) {
    struct {
        const char* what;
        bool container;
        HRESULT adviseResult;
        DWORD cookie;
        HRESULT setCore;
        bool connected;
    } cases[] = {
        {"advised", true, S_OK, 7, S_OK, true},
        {"cookie 0", true, S_OK, 0, S_OK, false},
        {"advise fails", true, CONNECT_E_ADVISELIMIT, 7, CONNECT_E_ADVISELIMIT, false},
        {"no connection points", false, S_OK, 7, E_NOINTERFACE, false},
    };
    for (const auto& c : cases) {
        TFakeCore* core = new TFakeCore;
        core->OffersConnectionPoints = c.container;
        core->Events->AdviseResult = c.adviseResult;
        core->Events->CookieToGive = c.cookie;
        Create();
        EXPECT_EQ(Plugin->SetCore(core), c.setCore) << c.what;
        EXPECT_EQ(core->Refs(), 2) << c.what; // the core is kept whatever happened after
        EXPECT_EQ(core->Events->Refs(), c.connected ? 2 : 1) << c.what;
        EXPECT_EQ(core->Events->Sink != nullptr, c.connected) << c.what;

        // A second SetCore disconnects from the first core before connecting to the next one.
        EXPECT_EQ(Plugin->SetCore(Core), S_OK) << c.what;
        EXPECT_EQ(core->Events->Unadvised, c.connected ? std::vector<DWORD>{7} : std::vector<DWORD>{})
            << c.what;
        EXPECT_EQ(core->Refs(), 1) << c.what;
        EXPECT_EQ(core->Events->Refs(), 1) << c.what;
        EXPECT_EQ(Core->Events->Sink != nullptr, true) << c.what;
        Unload();
        EXPECT_EQ(Core->Events->Unadvised.back(), 7u) << c.what;
        core->Release();
    }
}

TEST_F(PluginHost, PluginUiAnswers) {
    Create();
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(Plugin->Create(Window, &window), E_NOTIMPL);
    EXPECT_EQ(Plugin->Destroy(), E_NOTIMPL);
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(Plugin->GetProperty(L"CurrentPreset", nullptr), E_POINTER);
    EXPECT_EQ(Plugin->GetProperty(L"CurrentPreset", &value), E_NOTIMPL);
    EXPECT_EQ(Plugin->SetProperty(L"CurrentPreset", &value), E_NOTIMPL);
    MSG message = {};
    EXPECT_EQ(Plugin->TranslateAccelerator(&message), E_NOTIMPL);
    EXPECT_EQ(Plugin->SetCore(nullptr), S_OK); // no core given: nothing to do

    // One identity; the events interface first.
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    IWMPEvents* events = nullptr;
    ASSERT_EQ(Plugin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(Plugin->QueryInterface(__uuidof(IWMPEvents), reinterpret_cast<void**>(&events)), S_OK);
    ASSERT_EQ(events->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(static_cast<void*>(a), static_cast<void*>(events));
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(Plugin->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    a->Release();
    b->Release();
    events->Release();
}

TEST_F(PluginHost, ClassFactoryAndUnloading) {
    ASSERT_EQ(Library().CanUnloadNow(), S_OK);
    IClassFactory* factory = nullptr;
    EXPECT_EQ(Library().GetClassObject(IID_IDispatch, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(Library().CanUnloadNow(), S_FALSE); // a held factory keeps the library

    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown,
                                      reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
    EXPECT_FALSE(Exists(OutputPath())); // no object was made and destroyed on the way

    // Each creation makes a new object.
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    first->Release();
    second->Release();
    EXPECT_EQ(Library().CanUnloadNow(), S_FALSE); // locked
    factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(Library().CanUnloadNow(), S_FALSE); // the factory just fetched is still held
    factory->Release();
    EXPECT_EQ(Library().CanUnloadNow(), S_OK);
}

// The library's strings and version block.
TEST(PluginResources, StringsAndVersion) {
    ASSERT_TRUE(Library().Module);
    wchar_t text[256] = {};
    ASSERT_GT(LoadStringW(Library().Module, IDS_FRIENDLYNAME, text, 256), 0);
    EXPECT_STREQ(text, L"Tuneline Plugin");
    ASSERT_GT(LoadStringW(Library().Module, IDS_DESCRIPTION, text, 256), 0);
    EXPECT_STREQ(text, L"Writes currently playing song name to a text file");

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(Library().Module, path, MAX_PATH);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"FileVersion", L"1, 0, 0, 2"},
        {L"ProductVersion", L"1, 0, 0, 2"},
        {L"InternalName", L"tl_plugin"},
        {L"OriginalFilename", L"tl_plugi.dll"},
    };
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.name;
        ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << length;
        EXPECT_STREQ(value, s.value);
    }

    // The dialog template's frame: size, caption and font (read from the resource, not from Wine's fonts).
    HRSRC found = FindResourceW(Library().Module, MAKEINTRESOURCEW(IDD_PROPERTIES),
                                reinterpret_cast<LPCWSTR>(RT_DIALOG));
    ASSERT_TRUE(found);
    const auto* t = static_cast<const WORD*>(LockResource(LoadResource(Library().Module, found)));
    ASSERT_TRUE(t);
    ASSERT_EQ(t[0], 1); // DLGTEMPLATEEX
    ASSERT_EQ(t[1], 0xFFFF);
    const DWORD style = *reinterpret_cast<const DWORD*>(t + 6);
    EXPECT_TRUE(style & DS_SETFONT);
    EXPECT_TRUE(style & DS_MODALFRAME);
    EXPECT_EQ(t[8], 12);   // controls
    EXPECT_EQ(t[11], 230); // width
    EXPECT_EQ(t[12], 215); // height
    const WORD* p = t + 13;
    EXPECT_EQ(*p++, 0); // no menu
    EXPECT_EQ(*p++, 0); // the standard dialog class
    const std::wstring caption(reinterpret_cast<const wchar_t*>(p));
    EXPECT_EQ(caption, L"tl_plugin Properties");
    p += caption.size() + 1;
    EXPECT_EQ(p[0], 8); // points
    const std::wstring font(reinterpret_cast<const wchar_t*>(p + 3));
    EXPECT_EQ(font, L"MS Shell Dlg");
}

namespace {

// What the dialog shows, gathered on the driver thread.
struct TControlSeen {
    int Id = 0;
    std::wstring Class;
    std::wstring Text;
    LONG Style = 0;
    RECT Rect = {}; // in the dialog's client coordinates
    RECT Expected = {};
};

struct TDialogSeen {
    bool Found = false;
    std::wstring Title;
    std::vector<TControlSeen> Controls;
    RECT Client = {};
    RECT ClientExpected = {};
    RECT Frame = {};
    std::wstring Boxes[5]; // Title, Path, Sign, Stop, Exit
};

const int kBoxIds[5] = {IDC_TITLE, IDC_PATH, IDC_SIGN, IDC_STOP, IDC_EXIT};

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(size_t(length));
    return text;
}

void Look(HWND dialog, TDialogSeen& seen) {
    const RECT dlu[] = {
        {117, 191, 50, 14}, {169, 191, 50, 14}, {8, 42, 211, 8},  {8, 55, 211, 14},
        {8, 8, 137, 8},     {8, 23, 211, 14},   {8, 74, 211, 8},  {8, 89, 211, 14},
        {8, 117, 211, 8},   {8, 132, 211, 14},  {8, 150, 211, 8}, {8, 165, 211, 14},
    };
    seen.Found = true;
    seen.Title = TextOf(dialog);
    GetClientRect(dialog, &seen.Client);
    seen.ClientExpected = {0, 0, 230, 215};
    MapDialogRect(dialog, &seen.ClientExpected);
    GetWindowRect(dialog, &seen.Frame);
    int i = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        TControlSeen c;
        c.Id = GetDlgCtrlID(child);
        wchar_t cls[64] = {};
        GetClassNameW(child, cls, 64);
        c.Class = cls;
        c.Text = TextOf(child);
        c.Style = LONG(GetWindowLongPtrW(child, GWL_STYLE));
        GetWindowRect(child, &c.Rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.Rect), 2);
        if (i < 12) {
            // Position and size are converted separately, as the dialog manager places controls.
            c.Expected = dlu[i];
            MapDialogRect(dialog, &c.Expected);
            c.Expected.right += c.Expected.left;
            c.Expected.bottom += c.Expected.top;
        }
        seen.Controls.push_back(c);
    }
    for (int b = 0; b < 5; ++b)
        seen.Boxes[b] = TextOf(GetDlgItem(dialog, kBoxIds[b]));
}

enum class TClose { Ok, Cancel, Escape, CloseBox };

// Box id and the text typed into it.
using TTyping = std::vector<std::pair<int, std::wstring>>;

// Runs DisplayPropertyPage on this thread while a second thread looks at the dialog, types into the boxes
// and closes it the given way.
HRESULT DriveDialog(IWMPPluginUI* plugin, HWND owner, TDialogSeen& seen, TClose close,
                    const TTyping& typed = {}) {
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && !dialog; ++i) {
            HWND found = FindWindowW(L"#32770", L"tl_plugin Properties");
            if (found && IsWindowVisible(found))
                dialog = found;
            else
                Sleep(20);
        }
        if (!dialog)
            return;
        Look(dialog, seen);
        for (const auto& box : typed)
            SendMessageW(GetDlgItem(dialog, box.first), WM_SETTEXT, 0, LPARAM(box.second.c_str()));
        switch (close) {
        case TClose::Ok:
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
            break;
        case TClose::Cancel:
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         LPARAM(GetDlgItem(dialog, IDCANCEL)));
            break;
        case TClose::Escape: {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(uiThread, &info);
            HWND target = info.hwndFocus ? info.hwndFocus : dialog;
            PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageW(target, WM_KEYUP, VK_ESCAPE, LPARAM(0xC0000001));
            break;
        }
        case TClose::CloseBox:
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
    });
    const HRESULT result = plugin->DisplayPropertyPage(owner);
    driver.join();
    return result;
}

bool IsClass(const std::wstring& cls, const wchar_t* name) {
    return _wcsicmp(cls.c_str(), name) == 0;
}

} // namespace

TEST_F(PluginHost, DialogLayoutAndDefaults) {
    ShowWindow(Window, SW_SHOWNOACTIVATE);
    Create();
    TDialogSeen seen;
    EXPECT_EQ(DriveDialog(Plugin, Window, seen, TClose::Cancel), S_OK);
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ(seen.Title, L"tl_plugin Properties");
    EXPECT_EQ(seen.Client.right, seen.ClientExpected.right);
    EXPECT_EQ(seen.Client.bottom, seen.ClientExpected.bottom);

    const struct {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
    } expected[] = {
        {IDOK, L"Button", L"OK"},
        {IDCANCEL, L"Button", L"Cancel"},
        {-1, L"Static", L"Path (by default '%WMP%\\tl_info.txt')"},
        {IDC_PATH, L"Edit", nullptr},
        {-1, L"Static", L"Title (by default 'Now Playing')"},
        {IDC_TITLE, L"Edit", nullptr},
        {-1, L"Static", L"Signature (by default 'With Best Regards, %username%')"},
        {IDC_SIGN, L"Edit", nullptr},
        {-1, L"Static", L"If playing has been stopped"},
        {IDC_STOP, L"Edit", nullptr},
        {-1, L"Static", L"If player is inactive"},
        {IDC_EXIT, L"Edit", nullptr},
    };
    ASSERT_EQ(seen.Controls.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const auto& c = seen.Controls[size_t(i)];
        const auto& e = expected[i];
        EXPECT_TRUE(c.Id == e.id || (e.id == -1 && c.Id == 0xFFFF)) << i << " id " << c.Id;
        EXPECT_TRUE(IsClass(c.Class, e.cls)) << i;
        if (e.text) {
            EXPECT_EQ(c.Text, e.text) << i;
        }
        EXPECT_EQ(c.Rect.left, c.Expected.left) << i;
        EXPECT_EQ(c.Rect.top, c.Expected.top) << i;
        EXPECT_EQ(c.Rect.right, c.Expected.right) << i;
        EXPECT_EQ(c.Rect.bottom, c.Expected.bottom) << i;
        const bool stop = (c.Style & WS_TABSTOP) != 0;
        EXPECT_EQ(stop, e.id != -1) << i << " tab stop";
        if (IsClass(c.Class, L"Edit")) {
            EXPECT_TRUE(c.Style & ES_AUTOHSCROLL) << i;
        }
    }
    EXPECT_EQ(seen.Controls[0].Style & 0x0F, BS_DEFPUSHBUTTON);

    // Centred over the owner window.
    RECT owner;
    GetWindowRect(Window, &owner);
    EXPECT_NEAR((seen.Frame.left + seen.Frame.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((seen.Frame.top + seen.Frame.bottom) / 2, (owner.top + owner.bottom) / 2, 1);

    // The defaults, the title with its trailing space.
    EXPECT_EQ(seen.Boxes[0], L"Now playing: ");
    EXPECT_EQ(seen.Boxes[1], OutputPath());
    EXPECT_EQ(seen.Boxes[2], DefaultSign());
    EXPECT_EQ(seen.Boxes[3], L"Windows Media Player is stopped...");
    EXPECT_EQ(seen.Boxes[4], L"Windows Media Player is inactive...");

    // After one unload and reload the title shows without it.
    Unload();
    Create();
    TDialogSeen again;
    EXPECT_EQ(DriveDialog(Plugin, Window, again, TClose::Cancel), S_OK);
    EXPECT_EQ(again.Boxes[0], L"Now playing:");
}

TEST_F(PluginHost, DialogWithoutVisibleOwnerStaysInTheWorkArea) {
    Create();
    TDialogSeen seen;
    EXPECT_EQ(DriveDialog(Plugin, Window, seen, TClose::Cancel), S_OK);
    ASSERT_TRUE(seen.Found);
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((seen.Frame.left + seen.Frame.right) / 2, (area.left + area.right) / 2, 1);
    EXPECT_NEAR((seen.Frame.top + seen.Frame.bottom) / 2, (area.top + area.bottom) / 2, 1);
}

TEST_F(PluginHost, DialogOkTakesTheBoxesCutToTheirFields) {
    Create();
    Connect();
    const std::wstring edited = Folder() + L"edited.txt";
    const TTyping typed = {{IDC_TITLE, L"Playing"},
                           {IDC_PATH, edited},
                           {IDC_SIGN, L""},
                           {IDC_STOP, std::wstring(150, L'x')},
                           {IDC_EXIT, L"Bye"}};
    TDialogSeen seen;
    EXPECT_EQ(DriveDialog(Plugin, Window, seen, TClose::Ok, typed), S_OK);
    ASSERT_TRUE(seen.Found);

    Fire(3);
    EXPECT_EQ(ReadBytes(edited), "Playing Artist - Song");
    EXPECT_FALSE(Exists(OutputPath()));
    Fire(1);
    EXPECT_EQ(ReadBytes(edited), std::string(99, 'x'));
    EXPECT_FALSE(Exists(IniPath())); // the settings file is written when the object goes
    Unload();
    EXPECT_EQ(ReadBytes(edited), "Bye");
    EXPECT_EQ(ReadBytes(IniPath()), SettingsFile(L"Playing", edited, L"", std::wstring(99, L'x'), L"Bye"));
    DeleteFileW(edited.c_str());

    // A path longer than its field is cut to 259 characters.
    Create();
    const std::wstring longPath = Folder() + std::wstring(300, L'p');
    EXPECT_EQ(DriveDialog(Plugin, Window, seen, TClose::Ok, {{IDC_PATH, longPath}}), S_OK);
    Unload();
    EXPECT_EQ(ReadBytes(IniPath()),
              SettingsFile(L"Playing", longPath.substr(0, 259), L"", std::wstring(99, L'x'), L"Bye"));
    DeleteFileW(longPath.substr(0, 259).c_str()); // the inactive text went there
}

TEST_F(PluginHost, DialogCancelEscapeAndCloseBoxKeepTheValues) {
    const TTyping typed = {{IDC_TITLE, L"Changed"}, {IDC_SIGN, L"Changed"}};
    for (TClose way : {TClose::Cancel, TClose::Escape, TClose::CloseBox}) {
        Create();
        Connect();
        TDialogSeen seen;
        EXPECT_EQ(DriveDialog(Plugin, Window, seen, way, typed), S_OK);
        EXPECT_TRUE(seen.Found);
        Fire(3);
        EXPECT_EQ(ReadBytes(OutputPath()), Signed(kPlaying)) << int(way);
        Unload();
        RemoveFiles();
    }
}
