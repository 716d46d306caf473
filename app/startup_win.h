// Helpers of the start-up sequence that other parts share: the executable's
// folder, the running-process check and the ANSI code-page conversions.
#pragma once

#include <string>

// The folder of the running executable, without a trailing backslash.
// Throws std::system_error when the module path cannot be taken (nothing
// catches it: the process ends through the crash handler).
std::wstring GetModuleDirectory();

// True when a process whose executable file name equals exe_name exists
// (exact, case-sensitive, extension included).
bool IsProcessRunning(const std::string& exe_name);

// UTF-16 to the ANSI code page; a failed conversion leaves narrow empty.
void WideToAnsi(const std::wstring& wide, std::string& narrow);
// The ANSI code page to UTF-16; empty on failure.
std::wstring AnsiToWide(const std::string& narrow);
