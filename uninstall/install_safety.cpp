#include "uninstall/install_safety.h"

#include <exception>

#include "system/file_util.h"

namespace {

bool is_sep(wchar_t c) { return c == L'\\' || c == L'/'; }

// ASCII folding only; the Windows side hands in paths already upper-cased by
// the system's own case mapping, so non-ASCII letters compare there.
std::wstring fold(std::wstring s) {
    for (auto& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

// Splits `rest` at separators into `out`. False for a component that Windows
// would resolve away from where it is written (".." or one that is empty after
// Windows strips trailing dots and spaces, such as "...").
bool split_components(const std::wstring& rest, std::vector<std::wstring>& out) {
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && is_sep(rest[i])) ++i;
        size_t j = i;
        while (j < rest.size() && !is_sep(rest[j])) ++j;
        if (j > i) {
            std::wstring c = rest.substr(i, j - i);
            if (c == L".") {
                i = j;
                continue;
            }
            if (c == L"..") return false;
            // "C:\Windows." and "C:\Windows " open C:\Windows.
            while (!c.empty() && (c.back() == L'.' || c.back() == L' ')) c.pop_back();
            if (c.empty()) return false;
            out.push_back(fold(c));
        }
        i = j;
    }
    return true;
}

bool is_drive_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "\\server\share" followed by the rest; false when server or share is missing.
bool split_unc(const std::wstring& after_slashes, path_parts& p) {
    std::vector<std::wstring> comps;
    if (!split_components(after_slashes, comps) || comps.size() < 2) return false;
    p.root = L"\\\\" + comps[0] + L"\\" + comps[1];
    p.parts.assign(comps.begin() + 2, comps.end());
    return true;
}

bool starts_with(const std::wstring& s, const wchar_t* prefix) { return s.rfind(prefix, 0) == 0; }

bool is_prefix(const path_parts& a, const path_parts& b) {
    if (a.root != b.root || a.parts.size() > b.parts.size()) return false;
    for (size_t i = 0; i < a.parts.size(); ++i)
        if (a.parts[i] != b.parts[i]) return false;
    return true;
}

}  // namespace

std::optional<path_parts> SplitPathForCompare(const std::wstring& path) {
    path_parts p;
    std::wstring s = path;
    // Win32 namespace prefixes: "\\?\C:\x", "\\?\UNC\server\share\x".
    if (starts_with(s, L"\\\\?\\") || starts_with(s, L"//?/")) {
        s = s.substr(4);
        if (s.size() >= 4 && fold(s.substr(0, 3)) == L"UNC" && is_sep(s[3])) {
            if (!split_unc(s.substr(4), p)) return std::nullopt;
            return p;
        }
        if (s.size() < 2 || !is_drive_letter(s[0]) || s[1] != L':') return std::nullopt;
    } else if (s.size() >= 2 && is_sep(s[0]) && is_sep(s[1])) {
        // Device paths ("\\.\") name no folder we would ever empty.
        if (s.size() >= 3 && (s[2] == L'.' || s[2] == L'?')) return std::nullopt;
        if (!split_unc(s.substr(2), p)) return std::nullopt;
        return p;
    }
    if (s.size() >= 2 && is_drive_letter(s[0]) && s[1] == L':') {
        // "C:name" is relative to the drive's current folder.
        if (s.size() > 2 && !is_sep(s[2])) return std::nullopt;
        p.root = fold(s.substr(0, 2));
        if (!split_components(s.substr(2), p.parts)) return std::nullopt;
        return p;
    }
    if (!s.empty() && is_sep(s[0])) {
        p.root = L"\\";
        if (!split_components(s, p.parts)) return std::nullopt;
        return p;
    }
    return std::nullopt;
}

bool MayEmptyFolder(const std::wstring& dir, const std::vector<std::wstring>& protected_dirs) {
    auto d = SplitPathForCompare(dir);
    if (!d || d->parts.empty()) return false;  // not absolute, or a root
    for (const auto& prot : protected_dirs) {
        auto pp = SplitPathForCompare(prot);
        if (!pp) continue;
        if (is_prefix(*d, *pp)) return false;  // dir is or contains the protected folder
    }
    return true;
}

std::optional<std::string> ExactNarrowPath(const std::wstring& path, file_util& fu) {
    try {
        std::string narrow = fu.to_narrow(path);
        if (fu.to_wide(narrow) != path) return std::nullopt;
        return narrow;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
