// The Win32 half of registry access: open, query and delete by key path.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "system/registry.h"
#include "system/scoped_win.h"

namespace {

// The SDK defines the predefined keys as sign-extended 32-bit values; do the same
// so that a 64-bit build gets the same handles as the SDK macros.
HKEY predefined_key(uint32_t value) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(value))));
}

// Resolves a narrow full key path and opens it in the 32-bit view.
bool open_key(const std::string& key_path, REGSAM access, scoped_reg_key& key) {
    const auto parts = split_key_path(key_path);
    if (!parts) return false;
    std::wstring subkey;
    if (!mb_to_wide_exact(parts->subkey, subkey)) return false;
    const auto root = root_key_from_name(parts->root);
    if (!root) return false;
    return RegOpenKeyExW(predefined_key(*root), subkey.c_str(), 0, access | KEY_WOW64_32KEY, key.receive()) ==
           ERROR_SUCCESS;
}

}  // namespace

std::string reg_read_string(const std::string& key_path, const std::string& value_name) {
    std::wstring name;
    if (!mb_to_wide_exact(value_name, name)) return std::string();
    scoped_reg_key key;
    if (!open_key(key_path, KEY_QUERY_VALUE, key)) return std::string();

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::string();
    }
    if (type != REG_SZ) return std::string();  // REG_EXPAND_SZ, REG_MULTI_SZ and the rest read as ""

    // Room for the data and two spare NULs: a value stored without its terminator
    // (or with an odd byte count) still ends inside the buffer.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::string();
    }
    const auto end = std::find(buffer.begin(), buffer.end(), L'\0');
    std::string text;
    if (!wide_to_mb_exact(std::wstring(buffer.begin(), end), text)) return std::string();
    return text;
}

bool reg_delete_value(const std::string& key_path, const std::string& value_name) {
    std::wstring name;
    if (!mb_to_wide_exact(value_name, name)) return true;
    scoped_reg_key key;
    if (open_key(key_path, KEY_SET_VALUE, key)) RegDeleteValueW(key.get(), name.c_str());
    return true;
}

bool reg_delete_key(const std::wstring& key_path) {
    const auto parts = split_key_path(key_path);
    if (!parts || parts->subkey.empty()) return true;
    if (parts->subkey.find(L'\0') != std::wstring::npos) return true;
    const auto root = root_key_from_name(parts->root);
    if (!root) return true;
    // The 32-bit product's RegDeleteKeyW acts on the 32-bit view; name that view
    // so that a 64-bit build deletes the same key.
    RegDeleteKeyExW(predefined_key(*root), parts->subkey.c_str(), KEY_WOW64_32KEY, 0);
    return true;
}

bool delete_uninstall_entry(const std::wstring& display_name) {
    if (display_name.empty() || display_name.find(L'\\') != std::wstring::npos) return true;
    reg_delete_key(uninstall_entry_path(display_name));
    return true;
}
