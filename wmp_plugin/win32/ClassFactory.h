#pragma once
// The class factory of CTl_plugin: one static instance handed out by DllGetClassObject. Each reference to
// it counts as a live object of the module, so the library stays loaded while a client holds it.

#include <windows.h>

#include <unknwn.h>

namespace wmp_plugin {

class CTl_pluginFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    LONG RefCount = 0;
};

CTl_pluginFactory& ClassFactory();

} // namespace wmp_plugin
