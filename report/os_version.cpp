#include "report/os_version.h"

const char kUnknownOsVersion[] = "Unknow";

std::string FormatOsVersion(uint32_t major, uint32_t minor, uint32_t build, bool wow64) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) +
           (wow64 ? "_X64" : "_X32");
}
