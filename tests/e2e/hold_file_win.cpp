// Holds a file open the way a running game or a virus scanner would: reading
// allowed to others, deleting not. Used by the end-to-end tests.
//
//   e2e_hold_file FILE READY RELEASE
//
// Opens FILE, creates READY once it holds it, and keeps it open until RELEASE
// exists.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    while (GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    CloseHandle(file);
    return 0;
}
