// file_util on Windows: Win32 enumeration and attributes, never the C++
// library's filesystem walk, which follows directory links and junctions and
// would delete what they point to. A reparse point is listed by the type it
// shows, never entered, and removed as a link.
#include "system/file_util.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "system/scoped_win.h"

namespace {

[[noreturn]] void fail(const char* what, const std::wstring& path, DWORD err) {
    throw std::filesystem::filesystem_error(what, std::filesystem::path(path),
                                            std::error_code(static_cast<int>(err), std::system_category()));
}

bool not_found(DWORD err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:  // a component of the path is a file
        return true;
    default:
        return false;
    }
}

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Game folders nest deeply: absolute paths past MAX_PATH get the "\\?\" form,
// which takes backslashes only and no "." or "..", so it is used only there.
std::wstring api_path(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12) return path;
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (p.size() >= 3 && p[1] == L':' && p[2] == L'\\') return L"\\\\?\\" + p;
    if (p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.')
        return L"\\\\?\\UNC\\" + p.substr(2);
    return p;
}

std::wstring child_of(const std::wstring& dir, const wchar_t* name) {
    if (!dir.empty() && is_separator(dir.back())) return dir + name;
    return dir + L'\\' + name;
}

// Calls f(WIN32_FIND_DATAW) for each entry of dir but "." and "..". A folder
// that is gone yields nothing; other failures throw.
template <class F>
void enumerate(const std::wstring& dir, F&& f) {
    WIN32_FIND_DATAW fd;
    scoped_find h(FindFirstFileExW(api_path(child_of(dir, L"*")).c_str(), FindExInfoBasic, &fd,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (h.get() == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (not_found(err)) return;
        fail("list", dir, err);
    }
    do {
        const wchar_t* n = fd.cFileName;
        if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
        f(fd);
    } while (FindNextFileW(h.get(), &fd));
    const DWORD err = GetLastError();
    if (err != ERROR_NO_MORE_FILES) fail("list", dir, err);
}

// INVALID_FILE_ATTRIBUTES when the path is not there; other failures throw.
DWORD attributes_of(const char* what, const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(api_path(path).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return attrs;
    const DWORD err = GetLastError();
    if (not_found(err)) return INVALID_FILE_ATTRIBUTES;
    // A file the system holds open without sharing (the page file) is there.
    if (err == ERROR_SHARING_VIOLATION) return FILE_ATTRIBUTE_NORMAL;
    fail(what, path, err);
}

// Removes path, depth first; a link is removed as a link. Goes on after a
// failure so that as much as possible is gone; the result says whether
// everything went.
bool remove_tree(const std::wstring& path) {
    const std::wstring p = api_path(path);
    // Nearly everything an uninstallation removes is a plain file or an empty
    // folder: try those first and look closer only when both fail. DeleteFileW
    // refuses folders (also links to folders) and read-only files and removes
    // a link to a file as a link; RemoveDirectoryW refuses files and folders
    // that are not empty and removes a link to a folder as a link.
    if (DeleteFileW(p.c_str()) || RemoveDirectoryW(p.c_str())) return true;
    DWORD attrs = GetFileAttributesW(p.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return not_found(GetLastError());
    if (attrs & FILE_ATTRIBUTE_READONLY) {
        attrs &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(p.c_str(), attrs ? attrs : FILE_ATTRIBUTE_NORMAL);
    }
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        return DeleteFileW(p.c_str()) || not_found(GetLastError());
    }
    bool ok = true;
    if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<std::wstring> children;
        try {
            enumerate(path, [&](const WIN32_FIND_DATAW& fd) { children.push_back(child_of(path, fd.cFileName)); });
        } catch (const std::filesystem::filesystem_error&) {
            ok = false;
        }
        for (const auto& c : children) ok = remove_tree(c) && ok;
    }
    if (RemoveDirectoryW(p.c_str())) return ok;
    const DWORD err = GetLastError();
    if (not_found(err)) return ok;
    // Some links to folders only go away as files; still never entered.
    if ((attrs & FILE_ATTRIBUTE_REPARSE_POINT) && DeleteFileW(p.c_str())) return ok;
    return false;
}

class win_file_util : public file_util {
public:
    bool is_regular_file(const std::string& path) override {
        const DWORD a = attributes_of("is_regular_file", to_wide(path));
        return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    }

    bool is_directory(const std::string& path) override {
        const DWORD a = attributes_of("is_directory", to_wide(path));
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

    void write_all(const std::string& path, const std::string& text) override {
        const std::wstring w = api_path(to_wide(path));
        if (!DeleteFileW(w.c_str()) && !not_found(GetLastError())) fail("write_all", w, GetLastError());
        scoped_handle f(CreateFileW(w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid()) fail("write_all", w, GetLastError());
        const std::string bytes = lf_to_crlf(text);
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            DWORD wrote = 0;
            if (!WriteFile(f.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
                fail("write_all", w, GetLastError());
            done += wrote;
        }
    }

    using file_util::read_all;
    std::string read_all(const std::string& path) override {
        if (!exists(path)) return std::string();
        scoped_handle f(CreateFileW(api_path(to_wide(path)).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid()) return std::string();
        std::string bytes;
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
        return crlf_to_lf(bytes);
    }

    using file_util::exists;
    bool exists(const std::wstring& path) override {
        return attributes_of("exists", path) != INVALID_FILE_ATTRIBUTES;
    }

    using file_util::remove_all;
    bool remove_all(const std::wstring& path) override { return remove_tree(path); }

    bool rename(const std::string& from, const std::string& to) override {
        const std::wstring wf = api_path(to_wide(from));
        const std::wstring wt = api_path(to_wide(to));
        if (!MoveFileExW(wf.c_str(), wt.c_str(), MOVEFILE_REPLACE_EXISTING)) fail("rename", wf, GetLastError());
        return !exists(from) && exists(to);
    }

    using file_util::create_directories;
    bool create_directories(const std::wstring& path) override {
        // Skip the root: "C:\", "\\server\share\" or leading separators.
        size_t pos = 0;
        if (path.size() >= 2 && path[1] == L':') {
            pos = 2;
        } else if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
            pos = 2;
            for (int parts = 0; parts < 2 && pos < path.size(); ++parts) {
                while (pos < path.size() && !is_separator(path[pos])) ++pos;
                if (parts == 0) ++pos;
            }
        }
        bool created = false;
        while (pos < path.size()) {
            while (pos < path.size() && is_separator(path[pos])) ++pos;
            if (pos == path.size()) break;
            while (pos < path.size() && !is_separator(path[pos])) ++pos;
            const std::wstring part = path.substr(0, pos);
            const DWORD a = attributes_of("create_directories", part);
            if (a != INVALID_FILE_ATTRIBUTES) {
                if (!(a & FILE_ATTRIBUTE_DIRECTORY)) fail("create_directories", part, ERROR_DIRECTORY);
                continue;
            }
            if (CreateDirectoryW(api_path(part).c_str(), nullptr)) {
                created = true;
            } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
                fail("create_directories", part, GetLastError());
            }
        }
        return created;
    }

    uint64_t read_bytes(const std::string& path, void* buffer, uint64_t max_bytes) override {
        if (!exists(path)) return 0;
        const uint64_t size = file_size(path);
        const uint64_t want = size < max_bytes ? size : max_bytes;
        scoped_handle f(CreateFileW(api_path(to_wide(path)).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid()) return 0;
        uint64_t done = 0;
        while (done < want) {
            const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(want - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(f.get(), static_cast<char*>(buffer) + done, chunk, &got, nullptr) || got == 0) break;
            done += got;
        }
        return done;
    }

    uint64_t file_size(const std::string& path) override {
        const std::wstring w = to_wide(path);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(api_path(w).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD err = GetLastError();
            if (not_found(err)) return 0;
            fail("file_size", w, err);
        }
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            fail("file_size", w, ERROR_ACCESS_DENIED);  // not a regular file
        return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    std::wstring to_wide(const std::string& s) override {
        if (s.empty()) return std::wstring();
        const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0);
        if (n <= 0) throw std::invalid_argument("path is not valid in the ANSI code page: " + s);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), &w[0], n);
        return w;
    }

    std::string to_narrow(const std::wstring& w) override {
        if (w.empty()) return std::string();
        // A best-fit character could turn a name into the name of another,
        // existing file or folder: only exact conversions are accepted.
        const UINT cp = GetACP();
        const bool utf = cp == CP_UTF8;  // no default character there, and no best fit either
        const DWORD flags = utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
        BOOL used_default = FALSE;
        BOOL* used = utf ? nullptr : &used_default;
        const int n = WideCharToMultiByte(CP_ACP, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, used);
        if (n <= 0 || used_default) throw std::invalid_argument("path has no exact form in the ANSI code page");
        std::string s(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, flags, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, used);
        if (used_default) throw std::invalid_argument("path has no exact form in the ANSI code page");
        return s;
    }

protected:
    std::vector<dir_entry> read_directory(const std::string& dir) override {
        std::vector<dir_entry> entries;
        enumerate(to_wide(dir), [&](const WIN32_FIND_DATAW& fd) {
            std::string name;
            try {
                name = to_narrow(fd.cFileName);
            } catch (const std::invalid_argument&) {
                return;  // no narrow name that would reach this entry
            }
            const DWORD a = fd.dwFileAttributes;
            const bool dir_flag = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entries.push_back(dir_entry{name, dir_flag, (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                                        !dir_flag && !(a & FILE_ATTRIBUTE_DEVICE)});
        });
        return entries;
    }
};

}  // namespace

file_util* make_platform_file_util() { return new win_file_util(); }

std::string native_path(const std::string& windows_path) { return windows_path; }
