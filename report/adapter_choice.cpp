#include "report/adapter_choice.h"

#include <algorithm>
#include <cstdio>

const char kMacFallback[] = "FF:FF:FF:FF:FF:FF";

std::string FormatMacAddress(const std::array<uint8_t, 8>& a) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}

bool IsPhysicalInstanceId(const std::wstring& id) {
    return id.compare(0, 3, L"PCI") == 0 || id.compare(0, 3, L"USB") == 0;
}

bool ChooseMacAddress(const std::vector<AdapterEntry>& adapters, const InstanceIdLookup& lookup,
                      std::string& chosen) {
    std::vector<std::string> candidates;
    for (const AdapterEntry& adapter : adapters) {
        if (adapter.type != kAdapterTypeEthernet && adapter.type != kAdapterTypeWireless) continue;
        std::wstring instance_id;
        if (!lookup(adapter.name, instance_id)) continue;
        if (IsPhysicalInstanceId(instance_id)) candidates.push_back(FormatMacAddress(adapter.address));
    }
    if (candidates.empty()) return false;
    chosen = *std::min_element(candidates.begin(), candidates.end());
    return true;
}

std::string ResolveMacAddress(std::string& cache, const std::function<bool()>& probe) {
    if (!cache.empty() && cache != kMacFallback) return cache;
    probe();
    if (cache.empty()) cache = kMacFallback;
    return cache;
}
