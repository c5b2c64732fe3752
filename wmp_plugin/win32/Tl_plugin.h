#pragma once
// CTl_plugin: the plugin object the player creates through the class factory. It follows the player's play
// state through IWMPEvents (first interface) and is driven by the player through IWMPPluginUI (second).
// It holds its own references to the player core and the events connection between SetCore calls, and
// releases them when disconnected or destroyed. All calls arrive on the player's thread.

#include "wmp_plugin/PluginSettings.h"
#include "wmp_plugin/StatusText.h"
#include "wmp_plugin/win32/PluginUI.h"
#include "wmp_plugin/win32/SystemAnsiEncoder.h"

#include <string>

namespace wmp_plugin {

class CTl_plugin final : public IWMPEvents, public IWMPPluginUI {
public:
    CTl_plugin();
    CTl_plugin(const CTl_plugin&) = delete;
    CTl_plugin& operator=(const CTl_plugin&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IWMPEvents: only PlayStateChange does anything.
    void STDMETHODCALLTYPE OpenStateChange(LONG) override {}
    void STDMETHODCALLTYPE PlayStateChange(LONG state) override;
    void STDMETHODCALLTYPE AudioLanguageChange(LONG) override {}
    void STDMETHODCALLTYPE StatusChange() override {}
    void STDMETHODCALLTYPE ScriptCommand(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE NewStream() override {}
    void STDMETHODCALLTYPE Disconnect(LONG) override {}
    void STDMETHODCALLTYPE Buffering(VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE Error() override {}
    void STDMETHODCALLTYPE Warning(LONG, LONG, BSTR) override {}
    void STDMETHODCALLTYPE EndOfStream(LONG) override {}
    void STDMETHODCALLTYPE PositionChange(double, double) override {}
    void STDMETHODCALLTYPE MarkerHit(LONG) override {}
    void STDMETHODCALLTYPE DurationUnitChange(LONG) override {}
    void STDMETHODCALLTYPE CdromMediaChange(LONG) override {}
    void STDMETHODCALLTYPE PlaylistChange(IDispatch*, WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE MediaChange(IDispatch*) override {}
    void STDMETHODCALLTYPE CurrentMediaItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE CurrentItemChange(IDispatch*) override {}
    void STDMETHODCALLTYPE MediaCollectionChange() override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionChange() override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistAdded(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE ModeChange(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE MediaError(IDispatch*) override {}
    void STDMETHODCALLTYPE OpenPlaylistSwitch(IDispatch*) override {}
    void STDMETHODCALLTYPE DomainChange(BSTR) override {}
    void STDMETHODCALLTYPE SwitchedToPlayerApplication() override {}
    void STDMETHODCALLTYPE SwitchedToControl() override {}
    void STDMETHODCALLTYPE PlayerDockedStateChange() override {}
    void STDMETHODCALLTYPE PlayerReconnect() override {}
    void STDMETHODCALLTYPE Click(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE DoubleClick(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE KeyDown(short, short) override {}
    void STDMETHODCALLTYPE KeyPress(short) override {}
    void STDMETHODCALLTYPE KeyUp(short, short) override {}
    void STDMETHODCALLTYPE MouseDown(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseMove(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseUp(short, short, LONG, LONG) override {}

    // IWMPPluginUI
    HRESULT STDMETHODCALLTYPE SetCore(IWMPCore* core) override;
    HRESULT STDMETHODCALLTYPE Create(HWND parent, HWND* window) override;
    HRESULT STDMETHODCALLTYPE Destroy() override;
    HRESULT STDMETHODCALLTYPE DisplayPropertyPage(HWND parent) override;
    HRESULT STDMETHODCALLTYPE GetProperty(const WCHAR* name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetProperty(const WCHAR* name, const VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

private:
    ~CTl_plugin();

    void DisconnectFromCore();
    void WriteStatusFile(TOccasion occasion);
    void ReadPluginSettings();
    void WritePluginSettings();

    LONG RefCount = 1;
    TPluginSettings Settings; // Title, Path, Sign, Stop, Exit
    std::u16string IniPath;
    HWND PlayerWindow = nullptr;
    IWMPCore* Core = nullptr;
    IConnectionPoint* EventsConnection = nullptr;
    DWORD EventsCookie = 0;
    TSystemAnsiEncoder Encoder;
};

} // namespace wmp_plugin
