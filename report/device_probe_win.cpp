#include "report/device_probe.h"

#include <windows.h>
#include <dxgi.h>

#include <cstring>

#include "report/drive_table.h"
#include "report/optional_calls_win.h"
#include "report/os_version.h"
#include "system/scoped_win.h"
#include "report/wide_to_utf8.h"

namespace {

// {7B7166EC-21C7-44AE-B21A-C9AE321AE369}
const GUID kIidDxgiFactory = {0x7b7166ec, 0x21c7, 0x44ae, {0xb2, 0x1a, 0xc9, 0xae, 0x32, 0x1a, 0xe3, 0x69}};

// Process-wide caches; the probes run on the UI thread only.
DriveTable g_drive_table;
bool g_drive_table_attempted = false;
std::string g_os_version;

}  // namespace

int64_t GetCpuFrequency() {
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    return static_cast<int64_t>(frequency.QuadPart) * 1000;
}

std::string GetCpuModel() { return ReadCpuRegistryValue("ProcessorNameString"); }

std::string ReadCpuRegistryValue(const char* name) {
    scoped_reg_key key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ,
                      key.receive()) != ERROR_SUCCESS) {
        return std::string();
    }
    // 64 characters and a terminator; one more zero byte behind the buffer the
    // system may fill, in case the stored value carries no terminator.
    char value[66];
    std::memset(value, 0, sizeof value);
    DWORD size = 65;
    if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    return std::string(value);
}

MemoryStatus GetMemoryStatus() {
    MEMORYSTATUSEX status;
    std::memset(&status, 0, sizeof status);
    status.dwLength = sizeof status;
    MemoryStatus result;
    if (GlobalMemoryStatusEx(&status)) {
        result.available = status.ullAvailPhys;
        result.total = status.ullTotalPhys;
    }
    return result;
}

std::vector<std::string> EnumGpus() {
    std::vector<std::string> names;
    const CreateDXGIFactoryFn create_factory = LookUpCreateDXGIFactory();
    if (!create_factory) return names;
    com_ptr<IDXGIFactory> factory;
    if (FAILED(create_factory(kIidDxgiFactory, factory.receive_void())) || !factory.get()) return names;

    std::vector<com_ptr<IDXGIAdapter>> adapters;
    for (UINT index = 0;; ++index) {
        com_ptr<IDXGIAdapter> adapter;
        // Any failure ends the list, not only "no more adapters".
        if (factory->EnumAdapters(index, adapter.receive()) != S_OK || !adapter.get()) break;
        adapters.push_back(std::move(adapter));
    }
    for (const com_ptr<IDXGIAdapter>& adapter : adapters) {
        DXGI_ADAPTER_DESC desc;
        std::memset(&desc, 0, sizeof desc);
        if (FAILED(adapter->GetDesc(&desc))) continue;
        // Software renderers and some integrated adapters have no memory of their own.
        if (desc.DedicatedVideoMemory > 0) {
            const size_t length = wcsnlen(desc.Description, sizeof desc.Description / sizeof desc.Description[0]);
            names.push_back(WideToUtf8(std::wstring(desc.Description, length)));
        }
    }
    return names;
}

void EnumDriveDevices() {
    if (g_drive_table_attempted) return;
    g_drive_table_attempted = true;  // a failed first attempt is not repeated

    wchar_t roots[2048];
    const DWORD length = GetLogicalDriveStringsW(2048, roots);
    // A result larger than the buffer is the size it would need: nothing was written.
    if (length == 0 || length > 2048) return;

    FillDriveTable(roots, length, [](const std::wstring& drive, std::wstring& device) {
        wchar_t answer[200];
        std::memset(answer, 0, sizeof answer);
        if (QueryDosDeviceW(drive.c_str(), answer, 200) == 0) return false;
        answer[199] = L'\0';
        device = answer;  // the first of the answer's strings
        return true;
    }, g_drive_table);
}

std::vector<std::wstring> ListDriveNames() {
    EnumDriveDevices();
    return DriveNamesInDeviceOrder(g_drive_table);
}

bool DriveTableAttempted() { return g_drive_table_attempted; }

std::string GetOsVersion() {
    if (!g_os_version.empty()) return g_os_version;
    OSVERSIONINFOW info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (!ok) {
        g_os_version = kUnknownOsVersion;
    } else {
        g_os_version = FormatOsVersion(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, IsWow64());
    }
    return g_os_version;
}

bool ProcessIsWow64() {
    const IsWow64ProcessFn is_wow64_process = LookUpIsWow64Process();
    if (!is_wow64_process) return false;
    BOOL wow64 = FALSE;
    if (!is_wow64_process(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

bool IsWow64() {
#if defined(_WIN64)
    return true;
#else
    return ProcessIsWow64();
#endif
}
