// Registry access by textual key paths ("HKEY_CURRENT_USER\Software\Example").
//
// Nothing here keeps a handle: each call resolves its path, opens, acts and
// closes. Reads and value deletions act on the 32-bit view of the registry, as
// the 32-bit product does. None of the operations reports a failure: a read
// that cannot be done yields "", a deletion returns true.
//
// Narrow strings are in the process's multibyte code page (the ANSI code page
// on Windows). The conversions switch the C runtime's locale to the user's
// default before converting, so the process runs in that locale from the first
// conversion on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Root name and subkey path of a full key path, split at its first backslash.
struct key_path_parts {
    std::string root;
    std::string subkey;
};
struct wkey_path_parts {
    std::wstring root;
    std::wstring subkey;
};

// nullopt when the path holds no backslash.
std::optional<key_path_parts> split_key_path(const std::string& full_path);
std::optional<wkey_path_parts> split_key_path(const std::wstring& full_path);

// The predefined key a root name stands for, as its 32-bit handle value
// (HKEY_LOCAL_MACHINE is 0x80000002). Exact, case-sensitive names only; no
// abbreviations. nullopt for anything else.
std::optional<uint32_t> root_key_from_name(const std::string& root_name);
std::optional<uint32_t> root_key_from_name(const std::wstring& root_name);

// Multibyte <-> wide conversions through the C runtime. Lossy forms: each byte
// that does not start a valid character becomes U+FFFD, each character the code
// page cannot represent becomes '?'. Both stop at the first NUL.
std::wstring mb_to_wide(const std::string& text);
std::string wide_to_mb(const std::wstring& text);

// Exact forms: false (and `out` cleared) when the text holds a NUL, a byte
// sequence that is not a character, or a character that does not survive the
// round trip. The registry operations use these, so that a path that does not
// convert never addresses some other key or value.
bool mb_to_wide_exact(const std::string& text, std::wstring& out);
bool wide_to_mb_exact(const std::wstring& text, std::string& out);

// The text of a REG_SZ value (32-bit view), or "" for anything else: missing
// key or value, another type (REG_EXPAND_SZ and REG_MULTI_SZ included), a value
// that does not convert exactly to the narrow code page.
std::string reg_read_string(const std::string& key_path, const std::string& value_name);
// Deletes one value (32-bit view). Always true.
bool reg_delete_value(const std::string& key_path, const std::string& value_name);
// Deletes one key without subkeys, with its values (32-bit view). A key that has
// subkeys stays. An empty subkey path (a root) is never deleted. Always true.
bool reg_delete_key(const std::wstring& key_path);
// Deletes HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<name>.
// A name that is empty or holds a backslash names no single entry and deletes
// nothing. Always true.
bool delete_uninstall_entry(const std::wstring& display_name);

// The key that delete_uninstall_entry deletes.
std::wstring uninstall_entry_path(const std::wstring& display_name);
