#pragma once
// IWMPPluginUI, the interface through which Windows Media Player drives a user-interface plugin, declared
// from Microsoft's public documentation of the Windows Media Player SDK (MinGW's headers lack it): its IID
// and its methods in slot order after IUnknown. Also the plugin's class id and the names the player and the
// plugin share. Included by the plugin and by its test host.

#include <windows.h>

#include <ole2.h>
#include <wmp.h>

// clang-format off
MIDL_INTERFACE("4C5E8F9F-AD3E-4BF9-9753-FCD30D6D38DD")
IWMPPluginUI : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetCore(IWMPCore* core) = 0;
    virtual HRESULT STDMETHODCALLTYPE Create(HWND parent, HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayPropertyPage(HWND parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(const WCHAR* name, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProperty(const WCHAR* name, const VARIANT* value) = 0;
    // (windows.h renames this method TranslateAcceleratorW; the slot is what counts.)
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) = 0;
};
__CRT_UUID_DECL(IWMPPluginUI, 0x4c5e8f9f, 0xad3e, 0x4bf9, 0x97, 0x53, 0xfc, 0xd3, 0x0d, 0x6d, 0x38, 0xdd)
// clang-format on

namespace wmp_plugin {

// {3E613981-B55A-41E4-878B-27EB936EA401}, the class of the plugin object.
constexpr CLSID kTl_pluginClsid = {
    0x3e613981, 0xb55a, 0x41e4, {0x87, 0x8b, 0x27, 0xeb, 0x93, 0x6e, 0xa4, 0x01}};

// Posted to all top-level windows after registering or unregistering, so a running player rereads its list.
constexpr wchar_t kPluginAddRemoveMessage[] = L"WMPlayer_PluginAddRemove";

// The class of the player's main window.
constexpr wchar_t kPlayerWindowClass[] = L"WMPlayerApp";

} // namespace wmp_plugin
