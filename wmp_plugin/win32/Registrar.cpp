#include "wmp_plugin/win32/Registrar.h"

#include "wmp_plugin/RegistryScript.h"
#include "wmp_plugin/win32/Module.h"
#include "wmp_plugin/win32/resource.h"

#include <new>
#include <vector>

namespace wmp_plugin {

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(DWORD(error));
}

HKEY RootKeyOf(TRegistryRootKey root) {
    switch (root) {
    case TRegistryRootKey::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case TRegistryRootKey::CurrentUser:
        return HKEY_CURRENT_USER;
    case TRegistryRootKey::ClassesRoot:
        break;
    }
    return HKEY_CLASSES_ROOT;
}

bool LoadScript(std::string& script) {
    HRSRC found = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(IDR_TL_PLUGIN), L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(ModuleInstance(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return false;
    script.assign(static_cast<const char*>(data), SizeofResource(ModuleInstance(), found));
    return true;
}

std::u16string ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(ModuleInstance(), path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return std::u16string(reinterpret_cast<const char16_t*>(path.data()), length);
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

LONG SetValue(HKEY key, const TRegistryValue& value) {
    if (value.IsNumber) {
        const DWORD number = value.Number;
        return RegSetValueExW(key, Wide(value.Name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
    }
    return RegSetValueExW(key, Wide(value.Name), 0, REG_SZ, reinterpret_cast<const BYTE*>(Wide(value.Text)),
                          DWORD((value.Text.size() + 1) * sizeof(wchar_t)));
}

HRESULT RegisterKey(HKEY parent, const TRegistryKey& node) {
    if (node.Flag == TKeyFlag::ForceRemove)
        RegDeleteTreeW(parent, Wide(node.Name)); // a missing key is fine; a key we cannot delete fails below
    HKEY key = nullptr;
    LONG error = RegCreateKeyExW(parent, Wide(node.Name), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS)
        return FromWin32(error);
    HRESULT result = S_OK;
    if (node.HasDefault)
        result = FromWin32(SetValue(key, node.Default));
    for (std::size_t i = 0; SUCCEEDED(result) && i < node.Values.size(); ++i)
        result = FromWin32(SetValue(key, node.Values[i]));
    for (std::size_t i = 0; SUCCEEDED(result) && i < node.Subkeys.size(); ++i)
        result = RegisterKey(key, node.Subkeys[i]);
    RegCloseKey(key);
    return result;
}

bool Missing(LONG error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

HRESULT UnregisterKey(HKEY parent, const TRegistryKey& node) {
    if (node.Flag == TKeyFlag::ForceRemove) {
        const LONG error = RegDeleteTreeW(parent, Wide(node.Name));
        return Missing(error) ? S_OK : FromWin32(error);
    }
    HKEY key = nullptr;
    LONG error = RegOpenKeyExW(parent, Wide(node.Name), 0, KEY_READ | KEY_WRITE, &key);
    if (Missing(error))
        return S_OK; // nothing of ours left there
    if (error != ERROR_SUCCESS)
        return FromWin32(error);
    HRESULT result = S_OK;
    for (std::size_t i = 0; SUCCEEDED(result) && i < node.Subkeys.size(); ++i)
        result = UnregisterKey(key, node.Subkeys[i]);
    DWORD subkeys = 0;
    if (SUCCEEDED(result) && node.Flag == TKeyFlag::None) {
        for (const auto& value : node.Values) {
            error = RegDeleteValueW(key, Wide(value.Name));
            if (error != ERROR_SUCCESS && !Missing(error))
                result = FromWin32(error);
        }
        error = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
        if (error != ERROR_SUCCESS)
            result = FromWin32(error);
    }
    RegCloseKey(key);
    if (SUCCEEDED(result) && node.Flag == TKeyFlag::None && subkeys == 0) {
        error = RegDeleteKeyW(parent, Wide(node.Name));
        if (!Missing(error))
            result = FromWin32(error);
    }
    return result;
}

} // namespace

HRESULT UpdateRegistry(bool install) {
    try {
        std::string script;
        if (!LoadScript(script))
            return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
        const std::u16string modulePath = ModulePath();
        if (modulePath.empty())
            return E_UNEXPECTED;
        std::vector<TRegistryTree> trees;
        if (!ParseRegistryScript(script, modulePath, trees))
            return E_UNEXPECTED;
        for (const auto& tree : trees) {
            for (const auto& key : tree.Keys) {
                const HRESULT result = install ? RegisterKey(RootKeyOf(tree.Root), key)
                                               : UnregisterKey(RootKeyOf(tree.Root), key);
                if (FAILED(result))
                    return result;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace wmp_plugin
