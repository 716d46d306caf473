#include "uninstall/protected_folders_win.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::wstring shell_folder(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buf)))
        return {};
    return buf;
}

std::wstring environment(const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return buf;
}

std::wstring full_path(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, &out[0], nullptr);
    if (n == 0 || n >= out.size()) return path;
    out.resize(n);
    return out;
}

std::wstring long_path(const std::wstring& path) {
    DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return path;  // missing path: keep it as written
    std::wstring out(n, L'\0');
    n = GetLongPathNameW(path.c_str(), &out[0], n);
    if (n == 0 || n >= out.size()) return path;
    out.resize(n);
    return out;
}

std::wstring upper(const std::wstring& s) {
    if (s.empty()) return s;
    int n = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return s;
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s.c_str(), static_cast<int>(s.size()), &out[0], n) <= 0)
        return s;
    return out;
}

}  // namespace

std::wstring CanonicalPathForCompare(const std::wstring& path) {
    if (path.empty()) return path;
    std::wstring out = upper(long_path(full_path(path)));
    // One spelling with or without the trailing separator; a root keeps its own.
    while (out.size() > 3 && (out.back() == L'\\' || out.back() == L'/')) out.pop_back();
    return out;
}

std::vector<std::wstring> QueryProtectedFolders() {
    static const int kFolders[] = {
        CSIDL_WINDOWS,         CSIDL_SYSTEM,          CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROFILE,    CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PERSONAL,        CSIDL_COMMON_DOCUMENTS,
    };
    std::vector<std::wstring> raw;
    for (int csidl : kFolders) raw.push_back(shell_folder(csidl));
    // A 32-bit process on 64-bit Windows is told the x86 Program Files; the
    // other one is only in the environment.
    raw.push_back(environment(L"ProgramW6432"));
    raw.push_back(environment(L"ProgramFiles"));
    raw.push_back(environment(L"SystemRoot"));
    std::vector<std::wstring> out;
    for (const auto& p : raw)
        if (!p.empty()) out.push_back(CanonicalPathForCompare(p));
    return out;
}
