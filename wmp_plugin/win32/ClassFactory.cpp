#include "wmp_plugin/win32/ClassFactory.h"

#include "wmp_plugin/win32/Module.h"
#include "wmp_plugin/win32/Tl_plugin.h"

#include <new>

namespace wmp_plugin {

HRESULT STDMETHODCALLTYPE CTl_pluginFactory::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTl_pluginFactory::AddRef() {
    ModuleObjectCreated();
    return ULONG(InterlockedIncrement(&RefCount));
}

ULONG STDMETHODCALLTYPE CTl_pluginFactory::Release() {
    const LONG count = InterlockedDecrement(&RefCount);
    ModuleObjectDestroyed();
    return ULONG(count);
}

HRESULT STDMETHODCALLTYPE CTl_pluginFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    // Asked before creating: an object destroyed at once would still write its files.
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(IWMPEvents)) &&
        !IsEqualIID(iid, __uuidof(IWMPPluginUI)))
        return E_NOINTERFACE;
    CTl_plugin* plugin = nullptr;
    try {
        plugin = new CTl_plugin();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = plugin->QueryInterface(iid, object);
    plugin->Release(); // the creation reference
    return result;
}

HRESULT STDMETHODCALLTYPE CTl_pluginFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}

CTl_pluginFactory& ClassFactory() {
    static CTl_pluginFactory factory;
    return factory;
}

} // namespace wmp_plugin
