// The facts about this machine that go into the device report, as plain values.
// The Windows probes fill them (device_report_win.cpp); the document builders
// only format them, so they are tested anywhere with facts chosen by the test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MemoryStatus {
    uint64_t available = 0;  // bytes of available physical memory
    uint64_t total = 0;      // bytes of physical memory
};

struct DriveFacts {
    std::string volume;       // UTF-8 drive name, such as "C:"
    bool has_size = false;    // false when the size query failed (an empty drive)
    uint64_t total_bytes = 0;
    uint64_t free_bytes = 0;  // all free bytes, not the caller's quota
};

struct DeviceFacts {
    int64_t cpu_frequency = 0;       // performance counter frequency * 1000
    std::string cpu_model;           // may be empty
    std::vector<DriveFacts> drives;  // in the order of the drive table
    std::vector<std::string> gpus;   // UTF-8 adapter names
    std::string mac_id;
    MemoryStatus memory;
    bool wow64 = false;              // 64-bit Windows as seen by the product
    std::string os_version;
};
