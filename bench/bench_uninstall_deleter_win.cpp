// The floor for the uninstall benchmark: list a folder tree with the plain
// Win32 calls and delete it file by file, then the folders deepest first,
// with nothing else around it.
//
//   bench_uninstall_deleter DIR
//
// Prints the files and folders removed and the milliseconds it took.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void list(const std::wstring& dir, std::vector<std::wstring>& files, std::vector<std::wstring>& dirs) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = dir + L"\\" + name;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            dirs.push_back(path);
            list(path, files, dirs);
        } else {
            files.push_back(path);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    std::vector<std::wstring> files, dirs;
    list(argv[1], files, dirs);
    size_t removed_files = 0, removed_dirs = 0;
    for (const auto& f : files) removed_files += DeleteFileW(f.c_str()) ? 1 : 0;
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) removed_dirs += RemoveDirectoryW(it->c_str()) ? 1 : 0;
    QueryPerformanceCounter(&t1);
    std::printf("files %zu dirs %zu ms %.1f\n", removed_files, removed_dirs,
                1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart));
    return 0;
}
