// Drives the file utility from a script test: prints what it sees so that the
// script can check the result from the Linux side.
//   fs_probe list DIR          recursive listing: "D <path>" / "F <path>" lines
//   fs_probe remove PATH       "removed <0|1>"
//   fs_probe attrib PATH       "attrib <hex>" (the Win32 attributes)
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/file_util.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    file_util* fu = make_platform_file_util();
    const std::wstring cmd = argv[1];
    const std::wstring wpath = argv[2];
    const std::string path = fu->to_narrow(wpath);
    if (cmd == L"list") {
        path_list dirs, files;
        fu->list_directories(path, dirs, true);
        fu->list_files(path, files, true);
        for (const auto& d : dirs) std::printf("D %s\n", d.c_str());
        for (const auto& f : files) std::printf("F %s\n", f.c_str());
    } else if (cmd == L"remove") {
        std::printf("removed %d\n", fu->remove_all(path) ? 1 : 0);
    } else if (cmd == L"attrib") {
        std::printf("attrib %lx\n", static_cast<unsigned long>(GetFileAttributesW(wpath.c_str())));
    } else {
        return 2;
    }
    delete fu;
    return 0;
}
