// System functions the report probes use only where Windows has them, looked up
// once at run time instead of imported, so the program starts on any Windows.
#pragma once

#include <windows.h>

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
using CreateDXGIFactoryFn = HRESULT(WINAPI*)(REFIID riid, void** factory);

// Null when the system lacks the function.
IsWow64ProcessFn LookUpIsWow64Process();          // kernel32
CreateDXGIFactoryFn LookUpCreateDXGIFactory();    // dxgi.dll, loaded on first use
