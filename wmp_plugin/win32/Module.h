#pragma once
// The library's module state: its instance handle and the counts of live objects and server locks that
// DllCanUnloadNow answers from (changed with interlocked operations).

#include <windows.h>

namespace wmp_plugin {

HINSTANCE ModuleInstance();

void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock();
void ModuleUnlock();

// True when no object and no lock remain.
bool ModuleCanUnload();

} // namespace wmp_plugin
