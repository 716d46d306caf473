// Probes of this machine for the device report (Windows only). None of them
// throws or shows anything; each has a fallback value for a failing system call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/device_facts.h"

// The performance counter's frequency times 1000 (not the processor clock).
int64_t GetCpuFrequency();
// The processor name, or "" when it cannot be read.
std::string GetCpuModel();
// A string value of the first processor's key; "" when missing or longer than
// 64 characters.
std::string ReadCpuRegistryValue(const char* name);
// Both counts 0 when the query fails.
MemoryStatus GetMemoryStatus();
// The names (UTF-8) of the display adapters that have dedicated video memory.
std::vector<std::string> EnumGpus();

// Fills the process-wide drive table on its first call only, even when that
// first attempt fails.
void EnumDriveDevices();
// The drive names ("C:") in the order of their device paths.
std::vector<std::wstring> ListDriveNames();
// Whether EnumDriveDevices has run in this process.
bool DriveTableAttempted();

// "6.1.7601_X64", kept for the rest of the process after the first call;
// "Unknow" (also kept) when the query fails.
std::string GetOsVersion();

// Whether the product runs as a 32-bit process on 64-bit Windows. A 64-bit
// build exists only for tests on 64-bit Windows, where the product would be a
// 32-bit process, so there the answer is true.
bool IsWow64();
// What IsWow64Process says about this process; false when the system lacks it.
bool ProcessIsWow64();
