// A process for the start-up tests to find: waits until its stop file exists.
//   waiter STOPFILE            (copied as QXlauncher.exe and the like)
//   waiter STOPFILE MUTEX      also holds the named mutex meanwhile
// It writes STOPFILE.ready once it is in place, so the script knows when to go on.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring stop = argv[1];
    HANDLE mutex = nullptr;
    if (argc >= 3) {
        mutex = CreateMutexW(nullptr, FALSE, argv[2]);
        if (!mutex) return 1;
    }
    HANDLE ready = CreateFileW((stop + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    while (GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    if (mutex) CloseHandle(mutex);
    return 0;
}
