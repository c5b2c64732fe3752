// The library's entry points: DllMain and the four exports of an in-process COM server (tl_plugin.def).

#include "wmp_plugin/win32/Module.h"

#include "wmp_plugin/win32/ClassFactory.h"
#include "wmp_plugin/win32/PluginUI.h"
#include "wmp_plugin/win32/Registrar.h"

namespace wmp_plugin {

namespace {

HINSTANCE Instance = nullptr;
LONG Objects = 0;
LONG Locks = 0;

// Tells running players to reread their plugin list.
void BroadcastPluginAddRemove() {
    const UINT message = RegisterWindowMessageW(kPluginAddRemoveMessage);
    if (message != 0)
        PostMessageW(HWND_BROADCAST, message, 0, 0);
}

} // namespace

HINSTANCE ModuleInstance() {
    return Instance;
}
void ModuleObjectCreated() {
    InterlockedIncrement(&Objects);
}
void ModuleObjectDestroyed() {
    InterlockedDecrement(&Objects);
}
void ModuleLock() {
    InterlockedIncrement(&Locks);
}
void ModuleUnlock() {
    InterlockedDecrement(&Locks);
}

bool ModuleCanUnload() {
    return InterlockedCompareExchange(&Objects, 0, 0) == 0 && InterlockedCompareExchange(&Locks, 0, 0) == 0;
}

} // namespace wmp_plugin

using namespace wmp_plugin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        Instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, kTl_pluginClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory().QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return ModuleCanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    const HRESULT result = UpdateRegistry(true);
    BroadcastPluginAddRemove();
    return result;
}

STDAPI DllUnregisterServer() {
    const HRESULT result = UpdateRegistry(false);
    BroadcastPluginAddRemove();
    return result;
}
