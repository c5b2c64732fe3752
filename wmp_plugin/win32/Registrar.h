#pragma once
// Applies the library's registry script (resource "REGISTRY" 101) to the registry: on registration every key
// is created and its values written, ForceRemove keys deleted first; on unregistration ForceRemove keys are
// deleted with their subkeys, plain keys once they have no subkeys left, NoRemove keys never.

#include <windows.h>

namespace wmp_plugin {

HRESULT UpdateRegistry(bool install);

} // namespace wmp_plugin
