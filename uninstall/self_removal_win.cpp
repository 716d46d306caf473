// Writing and starting the self-removal script.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "system/scoped_win.h"
#include "uninstall/self_removal.h"

namespace {

// The number behind CP_THREAD_ACP: needed to pick valid conversion flags and to
// tell cmd which code page the script is in.
UINT thread_ansi_code_page() {
    wchar_t text[8] = {};
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, text, 8) > 0) {
        const UINT cp = static_cast<UINT>(wcstoul(text, nullptr, 10));
        if (cp != 0) return cp;
    }
    return GetACP();
}

// Converts without best-fit mapping. `exact` tells whether every character had
// its own representation.
std::string to_code_page(UINT cp, const std::wstring& text, bool& exact) {
    exact = true;
    if (text.empty()) return std::string();
    const bool utf8 = cp == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL* used = utf8 ? nullptr : &used_default;  // UTF-8 refuses the flag and the out-parameter
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(cp, flags, text.data(), size, nullptr, 0, nullptr, used);
    if (needed <= 0) {
        exact = false;
        return std::string();
    }
    std::string out(static_cast<size_t>(needed), '\0');
    used_default = FALSE;
    const int made = WideCharToMultiByte(cp, flags, text.data(), size, &out[0], needed, nullptr, used);
    if (made != needed) {
        exact = false;
        return std::string();
    }
    if (used_default) exact = false;
    if (utf8) {  // lone surrogates became U+FFFD
        std::wstring back(text.size() + 1, L'\0');
        const int n = MultiByteToWideChar(CP_UTF8, 0, out.data(), made, &back[0], static_cast<int>(back.size()));
        back.resize(n > 0 ? static_cast<size_t>(n) : 0);
        if (back != text) exact = false;
    }
    return out;
}

std::wstring temp_folder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {  // too long for the buffer: the answer is the size needed
        buffer.assign(length + 1, L'\0');
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size()) return std::wstring();
    std::wstring folder(buffer.data(), length);
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder;
}

std::wstring module_path() {
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() > 32768) return std::wstring();
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

std::wstring shell_folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

std::wstring environment_folder(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, path, MAX_PATH);
    return (n > 0 && n < MAX_PATH) ? std::wstring(path, n) : std::wstring();
}

// Folders whose loss would hurt far beyond the game.
std::vector<std::wstring> protected_folders() {
    static const int kFolders[] = {
        CSIDL_WINDOWS,          CSIDL_SYSTEM,         CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_COMMON_APPDATA, CSIDL_PROFILE,     CSIDL_DESKTOPDIRECTORY,
        CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_APPDATA,         CSIDL_LOCAL_APPDATA,
        CSIDL_PROGRAMS,         CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU,      CSIDL_COMMON_STARTMENU,
    };
    std::vector<std::wstring> folders;
    for (const int csidl : kFolders) folders.push_back(shell_folder(csidl));
    // A 32-bit process sees only the x86 Program Files through the shell.
    folders.push_back(environment_folder(L"ProgramW6432"));
    folders.push_back(temp_folder());
    return folders;
}

// Any reparse point (junction, symbolic link, mount point) at or below dir. A
// folder that cannot be listed counts as holding one: what cannot be seen
// cannot be shown safe.
bool holds_link(const std::wstring& dir) {
    const DWORD top = GetFileAttributesW(dir.c_str());
    if (top == INVALID_FILE_ATTRIBUTES || !(top & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (top & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    std::vector<std::wstring> pending{dir};
    while (!pending.empty()) {
        const std::wstring current = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        scoped_find find(FindFirstFileW((current + L"\\*").c_str(), &data));
        if (find.get() == INVALID_HANDLE_VALUE) return true;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) pending.push_back(current + L"\\" + name);
        } while (FindNextFileW(find.get(), &data));
        if (GetLastError() != ERROR_NO_MORE_FILES) return true;
    }
    return false;
}

}  // namespace

bool FolderMayBeRemoved(const std::wstring& dir) {
    if (!IsRemovableFolder(dir)) return false;
    for (const std::wstring& folder : protected_folders()) {
        if (!folder.empty() && IsSameOrAncestorFolder(dir, folder)) return false;
    }
    return !holds_link(dir);
}

int WriteNarrowTextFile(const std::wstring& path, const std::wstring& text) {
    bool exact = true;
    const std::string bytes = to_code_page(thread_ansi_code_page(), text, exact);
    // The wide path opens every file name, also one the code page cannot spell.
    scoped_handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    if (!bytes.empty() &&
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return static_cast<int>(written);
    }
    return static_cast<int>(written);
}

bool LaunchSelfRemovalIn(const std::wstring& temp_folder, const std::wstring& install_dir,
                         bool remove_install_dir) {
    if (temp_folder.empty()) return false;
    std::wstring folder = temp_folder;
    if (folder.back() != L'\\') folder.push_back(L'\\');
    const std::wstring script_path = folder + L"DeleteBat.bat";

    // cmd reads a script in the console's code page; when that is not the code
    // page the text is written in, the script switches to it first.
    const UINT cp = thread_ansi_code_page();
    const unsigned console_cp = cp != GetOEMCP() ? cp : 0;
    const bool remove = remove_install_dir && FolderMayBeRemoved(install_dir);
    std::wstring text = BuildSelfRemovalScript(install_dir, remove, console_cp);
    bool exact = true;
    std::string bytes = to_code_page(cp, text, exact);
    if (!exact) {
        // A path the code page cannot spell would name some other path.
        text = BuildSelfDeleteOnlyScript(console_cp);
        bytes = to_code_page(cp, text, exact);
    }
    // A cut-off script could end inside a path and name another folder; a file
    // that could not be replaced may be an old script for another folder.
    if (WriteNarrowTextFile(script_path, text) != static_cast<int>(bytes.size())) return false;

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    const std::wstring self = module_path();
    if (!self.empty()) SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, self.c_str(), nullptr);

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = L"runas";
    info.lpFile = script_path.c_str();
    info.lpParameters = L"";
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    // The process handle is left open: the caller ends the process right away.
    return ShellExecuteExW(&info) != FALSE;
}

void LaunchSelfRemoval(const std::wstring& install_dir, bool remove_install_dir) {
    LaunchSelfRemovalIn(temp_folder(), install_dir, remove_install_dir);
}
