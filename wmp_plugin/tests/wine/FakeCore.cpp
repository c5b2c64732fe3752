#include "FakeCore.h"

namespace wmp_plugin_test {

HRESULT STDMETHODCALLTYPE TFakeMedia::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(IWMPMedia))) {
        *object = static_cast<IWMPMedia*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TFakeMedia::getItemInfo(BSTR name, BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    const std::wstring key(name ? name : L"", name ? SysStringLen(name) : 0);
    Asked.push_back(key);
    const auto found = Attributes.find(key);
    if (found == Attributes.end())
        return E_INVALIDARG;
    *value = SysAllocStringLen(found->second.data(), UINT(found->second.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

TFakeConnectionPoint::~TFakeConnectionPoint() {
    if (Sink)
        Sink->Release();
}

HRESULT STDMETHODCALLTYPE TFakeConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TFakeConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    ++AdviseCalls;
    *cookie = 0;
    if (FAILED(AdviseResult) || CookieToGive == 0)
        return AdviseResult; // no connection made
    if (Sink || FAILED(sink->QueryInterface(__uuidof(IWMPEvents), reinterpret_cast<void**>(&Sink))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = CookieToGive;
    return AdviseResult;
}

HRESULT STDMETHODCALLTYPE TFakeConnectionPoint::Unadvise(DWORD cookie) {
    Unadvised.push_back(cookie);
    if (!Sink || cookie != CookieToGive)
        return CONNECT_E_NOCONNECTION;
    IWMPEvents* sink = Sink;
    Sink = nullptr;
    sink->Release();
    return S_OK;
}

TFakeCore::TFakeCore() : Events(new TFakeConnectionPoint) {}

TFakeCore::~TFakeCore() {
    ClearMedia();
    Events->Release();
}

void TFakeCore::SetMedia(const std::wstring& author, const std::wstring& name) {
    ClearMedia();
    Media = new TFakeMedia;
    Media->Attributes[L"Author"] = author;
    Media->Attributes[L"Name"] = name;
}

void TFakeCore::ClearMedia() {
    if (Media)
        Media->Release();
    Media = nullptr;
}

HRESULT STDMETHODCALLTYPE TFakeCore::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(IWMPCore))) {
        *object = static_cast<IWMPCore*>(this);
    } else if (OffersConnectionPoints && IsEqualIID(iid, IID_IConnectionPointContainer)) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFakeCore::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    PointsAskedFor.push_back(iid);
    if (!IsEqualIID(iid, __uuidof(IWMPEvents))) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = Events;
    Events->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TFakeCore::get_currentMedia(IWMPMedia** media) {
    if (!media)
        return E_POINTER;
    *media = Media;
    if (!Media)
        return S_FALSE;
    Media->AddRef();
    return S_OK;
}

} // namespace wmp_plugin_test
