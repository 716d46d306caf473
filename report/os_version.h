// The operating-system version text of the device report.
#pragma once

#include <cstdint>
#include <string>

// "major.minor.build_X64" on 64-bit Windows, "..._X32" otherwise.
std::string FormatOsVersion(uint32_t major, uint32_t minor, uint32_t build, bool wow64);

// The text reported when the version query fails (the service knows it so).
extern const char kUnknownOsVersion[];
