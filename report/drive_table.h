// The table of drives by device path, which orders the disks in the device report.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Device paths sort by their UTF-16 code units as unsigned numbers, a prefix first
// (so "\Device\HarddiskVolume10" comes before "\Device\HarddiskVolume2").
struct DevicePathLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// Device path -> drive name ("C:").
using DriveTable = std::map<std::wstring, std::wstring, DevicePathLess>;

// Asks the system for the device path of a drive name; false when it cannot.
using DosDeviceQuery = std::function<bool(const std::wstring& drive_name, std::wstring& device_path)>;

// Adds the drives of a root list ("C:\", "D:\", ... each zero-terminated, the
// list ending at an empty string or after `length` characters) to the table. A
// drive whose device path cannot be queried ends the walk; when two drives share
// a device path the later one wins.
void FillDriveTable(const wchar_t* roots, size_t length, const DosDeviceQuery& query, DriveTable& table);

// The drive names in the table's order.
std::vector<std::wstring> DriveNamesInDeviceOrder(const DriveTable& table);
