#include "app/crash_dump_win.h"

#include <cwchar>
#include <exception>
#include <cstdlib>

namespace {

// The file name of a module path without directory and extension.
void module_base_name(const wchar_t* path, wchar_t (&name)[256]) {
    const wchar_t* start = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':') start = p + 1;
    size_t len = wcslen(start);
    const wchar_t* dot = wcsrchr(start, L'.');
    if (dot) len = static_cast<size_t>(dot - start);
    if (len >= 256) len = 255;
    wmemcpy(name, start, len);
    name[len] = 0;
}

[[noreturn]] void raise_uncaught() {
    // Noncontinuable: the filter ends the process; should anything continue
    // it anyway, fall back to the runtime's own end.
    RaiseException(kUncaughtCppException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort();
}

}  // namespace

BOOL CALLBACK MiniDumpFilterCallback(PVOID, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT output) {
    if (!input || !output) return FALSE;
    switch (input->CallbackType) {
    case ModuleCallback:
        if (output->ModuleWriteFlags & ModuleWriteDataSeg) {
            bool keep = false;
            if (input->Module.FullPath) {
                wchar_t name[256];
                module_base_name(input->Module.FullPath, name);
                keep = _wcsicmp(name, L"ntdll") == 0;
            }
            if (!keep) output->ModuleWriteFlags &= ~static_cast<ULONG>(ModuleWriteDataSeg);
        }
        return TRUE;
    case ThreadCallback:
    case ThreadExCallback:
    case IncludeThreadCallback:
    case IncludeModuleCallback:
        return TRUE;
    default:
        return FALSE;
    }
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception) {
    HANDLE file = CreateFileW(L"core.dmp", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != nullptr && file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info;
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = exception;
        info.ClientPointers = FALSE;
        MINIDUMP_CALLBACK_INFORMATION callback;
        callback.CallbackRoutine = MiniDumpFilterCallback;
        callback.CallbackParam = nullptr;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                          exception ? &info : nullptr, nullptr, &callback);
        CloseHandle(file);
    }
    MessageBoxW(nullptr, L"Error", L"error", MB_OK);
    return EXCEPTION_EXECUTE_HANDLER;
}

void InstallCrashHandler() {
    SetUnhandledExceptionFilter(CrashDumpFilter);
    std::set_terminate(raise_uncaught);
}
