// The portable half of registry access: key path splitting, the root table and
// the C runtime conversions.
#include "system/registry.h"

#include <clocale>
#include <climits>
#include <cwchar>
#include <mutex>

namespace {

struct root_row {
    const char* name;
    const wchar_t* wname;
    uint32_t key;
};

// Tested in this order; the first exact match wins.
const root_row kRoots[] = {
    {"HKEY_CLASSES_ROOT", L"HKEY_CLASSES_ROOT", 0x80000000u},
    {"HKEY_CURRENT_USER", L"HKEY_CURRENT_USER", 0x80000001u},
    {"HKEY_LOCAL_MACHINE", L"HKEY_LOCAL_MACHINE", 0x80000002u},
    {"HKEY_USERS", L"HKEY_USERS", 0x80000003u},
    {"HKEY_PERFORMANCE_DATA", L"HKEY_PERFORMANCE_DATA", 0x80000004u},
    {"HKEY_CURRENT_CONFIG", L"HKEY_CURRENT_CONFIG", 0x80000005u},
    {"HKEY_DYN_DATA", L"HKEY_DYN_DATA", 0x80000006u},
    {"HKEY_CURRENT_USER_LOCAL_SETTINGS", L"HKEY_CURRENT_USER_LOCAL_SETTINGS", 0x80000007u},
    {"HKEY_PERFORMANCE_TEXT", L"HKEY_PERFORMANCE_TEXT", 0x80000050u},
    {"HKEY_PERFORMANCE_NLSTEXT", L"HKEY_PERFORMANCE_NLSTEXT", 0x80000060u},
};

template <typename Parts, typename String>
std::optional<Parts> split_at_first_backslash(const String& path, typename String::value_type backslash) {
    const auto pos = path.find(backslash);
    if (pos == String::npos) return std::nullopt;
    return Parts{path.substr(0, pos), path.substr(pos + 1)};
}

// The runtime's locale is process-wide; the conversions run under one lock so
// that no conversion sees the locale change under it.
std::mutex g_locale_mutex;

// Switches to the user's default locale and, when done, sets the locale to the
// name that switch returned (so the process stays in the user's default locale).
class user_locale_scope {
public:
    user_locale_scope() : lock_(g_locale_mutex) {
        if (const char* name = std::setlocale(LC_ALL, "")) name_ = name;  // copy: static buffer
    }
    ~user_locale_scope() {
        if (!name_.empty()) std::setlocale(LC_ALL, name_.c_str());
    }
    user_locale_scope(const user_locale_scope&) = delete;
    user_locale_scope& operator=(const user_locale_scope&) = delete;

private:
    std::lock_guard<std::mutex> lock_;
    std::string name_;
};

const wchar_t kReplacementChar = static_cast<wchar_t>(0xFFFD);

// One character at a time, so that a bad byte costs one replacement and never a
// read past the input. Returns false at the first flaw when `exact` is set.
bool convert_to_wide(const std::string& text, std::wstring& out, bool exact) {
    user_locale_scope locale;
    out.clear();
    std::mbstate_t state{};
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        if (text[i] == '\0') {
            if (exact) break;
            return true;
        }
        wchar_t wc = 0;
        const size_t used = std::mbrtowc(&wc, text.data() + i, size - i, &state);
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2) || used == 0) {
            // Not a character, or cut off at the end of the input.
            if (exact) break;
            out.push_back(kReplacementChar);
            state = std::mbstate_t{};
            ++i;
            continue;
        }
        out.push_back(wc);
        i += used;
    }
    if (i < size) {  // stopped early in exact mode
        out.clear();
        return false;
    }
    return true;
}

bool convert_to_mb(const std::wstring& text, std::string& out, bool exact) {
    user_locale_scope locale;
    out.clear();
    std::mbstate_t state{};
    for (const wchar_t wc : text) {
        if (wc == L'\0') {
            if (!exact) return true;
            out.clear();
            return false;
        }
        char bytes[MB_LEN_MAX + 1];
        size_t made = std::wcrtomb(bytes, wc, &state);
        bool ok = made != static_cast<size_t>(-1) && made > 0 && made <= MB_LEN_MAX;
        if (ok) {
            // A best-fit mapping yields a different character; only an exact
            // round trip counts as representable.
            std::mbstate_t back_state{};
            wchar_t back = 0;
            const size_t read = std::mbrtowc(&back, bytes, made, &back_state);
            ok = read == made && back == wc;
        }
        if (!ok) {
            if (exact) {
                out.clear();
                return false;
            }
            out.push_back('?');
            state = std::mbstate_t{};
            continue;
        }
        out.append(bytes, made);
    }
    return true;
}

}  // namespace

std::optional<key_path_parts> split_key_path(const std::string& full_path) {
    return split_at_first_backslash<key_path_parts>(full_path, '\\');
}

std::optional<wkey_path_parts> split_key_path(const std::wstring& full_path) {
    return split_at_first_backslash<wkey_path_parts>(full_path, L'\\');
}

std::optional<uint32_t> root_key_from_name(const std::string& root_name) {
    for (const root_row& row : kRoots) {
        if (root_name == row.name) return row.key;
    }
    return std::nullopt;
}

std::optional<uint32_t> root_key_from_name(const std::wstring& root_name) {
    for (const root_row& row : kRoots) {
        if (root_name == row.wname) return row.key;
    }
    return std::nullopt;
}

std::wstring mb_to_wide(const std::string& text) {
    std::wstring out;
    convert_to_wide(text, out, false);
    return out;
}

std::string wide_to_mb(const std::wstring& text) {
    std::string out;
    convert_to_mb(text, out, false);
    return out;
}

bool mb_to_wide_exact(const std::string& text, std::wstring& out) {
    return convert_to_wide(text, out, true);
}

bool wide_to_mb_exact(const std::wstring& text, std::string& out) {
    return convert_to_mb(text, out, true);
}

std::wstring uninstall_entry_path(const std::wstring& display_name) {
    return L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + display_name;
}
