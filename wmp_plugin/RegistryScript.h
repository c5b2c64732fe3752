#pragma once
// The registry script of the plugin's registration (resource "REGISTRY" 101): a tree of keys under the
// root keys, each key optionally marked ForceRemove (deleted and written anew on registration, removed on
// unregistration) or NoRemove (never removed), with a default value and named values ("val"), strings (s)
// or 32-bit numbers (d). "%MODULE%" in a string value stands for the library's path. Portable: this parses
// the script; win32/Registrar applies it to the registry.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {...} = s 'Name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Tokens are separated by white space; a quoted string is in single quotes, with '' for a quote inside.

#include <cstdint>
#include <string>
#include <vector>

namespace wmp_plugin {

enum class TRegistryRootKey { ClassesRoot, LocalMachine, CurrentUser };
enum class TKeyFlag { None, ForceRemove, NoRemove };

struct TRegistryValue {
    std::u16string Name; // empty for a key's default value
    bool IsNumber = false;
    std::u16string Text;
    std::uint32_t Number = 0;
};

struct TRegistryKey {
    std::u16string Name;
    TKeyFlag Flag = TKeyFlag::None;
    bool HasDefault = false;
    TRegistryValue Default;
    std::vector<TRegistryValue> Values;
    std::vector<TRegistryKey> Subkeys;
};

struct TRegistryTree {
    TRegistryRootKey Root = TRegistryRootKey::ClassesRoot;
    std::vector<TRegistryKey> Keys;
};

// Parses the script, putting `modulePath` in place of "%MODULE%". Returns false (and an empty result) when
// the script is malformed.
bool ParseRegistryScript(const std::string& script, const std::u16string& modulePath,
                         std::vector<TRegistryTree>& trees);

} // namespace wmp_plugin
