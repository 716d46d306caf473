// Crashes on a worker thread with the crash handler installed.
//   crash_probe av  TIDFILE    access violation
//   crash_probe cpp TIDFILE    a C++ exception that nothing catches
// The worker's thread id goes to TIDFILE first, for the script to find it in
// the dump's exception stream.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/crash_dump_win.h"

namespace {

void write_tid(const wchar_t* file) {
    FILE* f = _wfopen(file, L"w");
    if (!f) return;
    std::fprintf(f, "%lu\n", static_cast<unsigned long>(GetCurrentThreadId()));
    std::fclose(f);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    InstallCrashHandler();
    const std::wstring mode = argv[1];
    const wchar_t* tid_file = argv[2];
    std::thread worker([&] {
        write_tid(tid_file);
        if (mode == L"av") {
            volatile int* null_pointer = nullptr;
            *null_pointer = 1;
        } else {
            throw std::runtime_error("nobody catches this");
        }
    });
    worker.join();
    return 0;  // not reached
}
