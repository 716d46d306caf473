// The crash handler: on an exception that nothing handles, on any thread, it
// writes core.dmp into the current directory, shows a message box and lets the
// process end.
#pragma once

#include <windows.h>
#include <dbghelp.h>

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception);

// Keeps the dump small: every thread and module is listed, only ntdll keeps
// its data segments.
BOOL CALLBACK MiniDumpFilterCallback(PVOID param, const PMINIDUMP_CALLBACK_INPUT input,
                                     PMINIDUMP_CALLBACK_OUTPUT output);

// The exception code raised for a C++ exception that nothing caught.
constexpr DWORD kUncaughtCppException = 0xE0435858;

// Installs CrashDumpFilter as the unhandled-exception filter, and a terminate
// handler that turns an uncaught C++ exception into a structured exception on
// the same thread, so that it reaches the filter too instead of ending in abort.
void InstallCrashHandler();
