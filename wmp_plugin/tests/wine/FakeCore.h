#pragma once
// A fake Windows Media Player core for the plugin's test host: IWMPCore with the events connection point
// (IConnectionPointContainer / IConnectionPoint) and a current media item (IWMPMedia) whose attributes the
// test sets. Only what the plugin calls does anything; the rest answers E_NOTIMPL. Reference counts are
// readable so that tests can see the plugin let go of what it held. The test owns every fake (created with
// a reference count of 1) and releases it at the end.

#include "wmp_plugin/win32/PluginUI.h"

#include <olectl.h>

#include <map>
#include <string>
#include <vector>

namespace wmp_plugin_test {

template <class T> class TRefCounted {
public:
    LONG Refs() const { return RefCount; }

protected:
    ULONG AddRefImpl() { return ULONG(InterlockedIncrement(&RefCount)); }
    ULONG ReleaseImpl(T* self) {
        const LONG count = InterlockedDecrement(&RefCount);
        if (count == 0)
            delete self;
        return ULONG(count);
    }
    LONG RefCount = 1;
};

// The IDispatch part of a dual interface, which the plugin never uses.
template <class I> class TNoDispatch : public I {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

class TFakeMedia final : public TNoDispatch<IWMPMedia>, public TRefCounted<TFakeMedia> {
public:
    std::map<std::wstring, std::wstring> Attributes; // an attribute not in the map is missing
    std::vector<std::wstring> Asked;                 // attribute names asked for, in order

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(this); }
    HRESULT STDMETHODCALLTYPE get_isIdentical(IWMPMedia*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_sourceURL(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_imageSourceWidth(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_imageSourceHeight(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_markerCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getMarkerTime(LONG, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getMarkerName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_duration(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_durationString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_attributeCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getAttributeName(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getItemInfo(BSTR name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE setItemInfo(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE getItemInfoByAtom(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE isMemberOf(IWMPPlaylist*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE isReadOnlyItem(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

class TFakeConnectionPoint final : public IConnectionPoint, public TRefCounted<TFakeConnectionPoint> {
public:
    ~TFakeConnectionPoint();

    // What Advise answers.
    HRESULT AdviseResult = S_OK;
    DWORD CookieToGive = 7;

    IWMPEvents* Sink = nullptr; // the advised sink, held until Unadvise
    int AdviseCalls = 0;
    std::vector<DWORD> Unadvised;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(this); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

class TFakeCore final : public TNoDispatch<IWMPCore>,
                        public IConnectionPointContainer,
                        public TRefCounted<TFakeCore> {
public:
    TFakeCore();
    ~TFakeCore();

    bool OffersConnectionPoints = true;
    TFakeConnectionPoint* Events; // owned
    TFakeMedia* Media = nullptr;  // the current media item, or none; owned when set
    std::vector<IID> PointsAskedFor;

    void SetMedia(const std::wstring& author, const std::wstring& name); // replaces the current item
    void ClearMedia();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(this); }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IWMPCore
    HRESULT STDMETHODCALLTYPE close() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_openState(WMPOpenState*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_playState(WMPPlayState*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_controls(IWMPControls**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_settings(IWMPSettings**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_currentMedia(IWMPMedia** media) override;
    HRESULT STDMETHODCALLTYPE put_currentMedia(IWMPMedia*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_mediaCollection(IWMPMediaCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_playlistCollection(IWMPPlaylistCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_versionInfo(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE launchURL(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_network(IWMPNetwork**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_currentPlaylist(IWMPPlaylist**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_currentPlaylist(IWMPPlaylist*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_cdromCollection(IWMPCdromCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_closedCaption(IWMPClosedCaption**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_isOnline(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Error(IWMPError**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_status(BSTR*) override { return E_NOTIMPL; }
};

} // namespace wmp_plugin_test
