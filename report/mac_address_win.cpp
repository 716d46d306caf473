#include "report/mac_address.h"

// winsock2 before windows.h keeps iphlpapi's headers from pulling in the old winsock.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "report/adapter_choice.h"
#include "system/scoped_win.h"

namespace {

std::string g_mac_cache;  // UI thread only

const wchar_t kNetworkClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

std::vector<AdapterEntry> ListAdapters() {
    std::vector<AdapterEntry> adapters;
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return adapters;
    // IP_ADAPTER_INFO holds 64-bit members: keep the buffer aligned for them.
    std::vector<unsigned long long> buffer((size + sizeof(unsigned long long) - 1) / sizeof(unsigned long long));
    auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(first, &size) != NO_ERROR) return adapters;
    for (const IP_ADAPTER_INFO* info = first; info; info = info->Next) {
        AdapterEntry entry;
        entry.name.assign(info->AdapterName, strnlen(info->AdapterName, sizeof info->AdapterName));
        entry.type = info->Type;
        std::memcpy(entry.address.data(), info->Address, entry.address.size());
        adapters.push_back(entry);
    }
    return adapters;
}

bool ReadInstanceId(const std::string& adapter_name, std::wstring& instance_id) {
    scoped_reg_key class_key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNetworkClassKey, 0, KEY_READ, class_key.receive()) != ERROR_SUCCESS) {
        return false;
    }
    char subkey_path[260];
    std::snprintf(subkey_path, sizeof subkey_path, "%s\\Connection", adapter_name.c_str());
    scoped_reg_key connection;
    if (RegOpenKeyExA(class_key.get(), subkey_path, 0, KEY_READ, connection.receive()) != ERROR_SUCCESS) {
        return false;
    }
    // 250 bytes for the value; one more zero behind it, should the value lack its own.
    wchar_t value[126];
    std::memset(value, 0, sizeof value);
    DWORD size = 250;
    if (RegQueryValueExW(connection.get(), L"PnPInstanceId", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS) {
        return false;
    }
    instance_id = value;
    return true;
}

}  // namespace

bool ProbeMacAddress() {
    return ChooseMacAddress(ListAdapters(), ReadInstanceId, g_mac_cache);
}

std::string GetMacAddress() {
    return ResolveMacAddress(g_mac_cache, ProbeMacAddress);
}
