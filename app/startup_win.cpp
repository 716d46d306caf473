#include "app/startup_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <system_error>
#include <vector>

#include "system/scoped_win.h"

namespace {

constexpr DWORD kModulePathChars = 4048;

// Exact conversion only: a name with characters outside the code page has no
// narrow form that could equal the (ASCII) name looked for.
bool exact_ansi(const wchar_t* wide, std::string& out) {
    BOOL used_default = FALSE;
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(CP_ACP, flags, wide, -1, nullptr, 0, nullptr, utf8 ? nullptr : &used_default);
    if (n <= 0 || used_default) return false;
    std::vector<char> buf(static_cast<size_t>(n));
    if (!WideCharToMultiByte(CP_ACP, flags, wide, -1, buf.data(), n, nullptr, utf8 ? nullptr : &used_default) ||
        used_default)
        return false;
    out.assign(buf.data());
    return true;
}

}  // namespace

std::wstring GetModuleDirectory() {
    std::vector<wchar_t> buf(kModulePathChars);
    const DWORD n = GetModuleFileNameW(GetModuleHandleW(nullptr), buf.data(), kModulePathChars);
    if (n == 0 || n >= kModulePathChars) {
        const DWORD err = n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        throw std::system_error(static_cast<int>(err), std::system_category(), "GetModuleFileNameW");
    }
    std::wstring path(buf.data(), n);
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos) path.erase(slash);
    return path;
}

bool IsProcessRunning(const std::string& exe_name) {
    scoped_handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snap.get() == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snap.get(), &entry)) return false;
    do {
        std::string name;
        if (exact_ansi(entry.szExeFile, name) && name == exe_name) return true;
        entry.dwSize = sizeof entry;
    } while (Process32NextW(snap.get(), &entry));
    return false;
}

void WideToAnsi(const std::wstring& wide, std::string& narrow) {
    narrow.clear();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    std::vector<char> buf(static_cast<size_t>(n));
    if (WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, buf.data(), n, nullptr, nullptr) <= 0) return;
    narrow.assign(buf.data());
}

std::wstring AnsiToWide(const std::string& narrow) {
    const int n = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::vector<wchar_t> buf(static_cast<size_t>(n));
    if (MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, buf.data(), n) <= 0) return std::wstring();
    return std::wstring(buf.data());
}
