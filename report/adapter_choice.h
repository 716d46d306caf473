// Which network adapter's hardware address identifies the machine.
//
// Only Ethernet and wireless adapters count, and only physical ones: those whose
// Plug and Play instance id says they sit on PCI or USB. Of those the smallest
// address wins, so the choice does not depend on the order Windows lists them in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr uint32_t kAdapterTypeEthernet = 6;   // MIB_IF_TYPE_ETHERNET
constexpr uint32_t kAdapterTypeWireless = 71;  // IF_TYPE_IEEE80211

// What the "mac_id" says when no physical adapter was found.
extern const char kMacFallback[];  // "FF:FF:FF:FF:FF:FF"

struct AdapterEntry {
    std::string name;  // the adapter's identifier, a GUID in braces
    uint32_t type = 0;
    std::array<uint8_t, 8> address{};  // the first six bytes are reported
};

// The adapter's "PnPInstanceId"; false when it cannot be read.
using InstanceIdLookup = std::function<bool(const std::string& adapter_name, std::wstring& instance_id)>;

// "00:0B:2F:..." in upper-case hexadecimal.
std::string FormatMacAddress(const std::array<uint8_t, 8>& address);

// True for an instance id that starts with "PCI" or "USB" (case-sensitive).
bool IsPhysicalInstanceId(const std::wstring& instance_id);

// Looks at every adapter; true and the smallest physical address in `chosen`
// when there is one, false (and `chosen` untouched) when there is none.
bool ChooseMacAddress(const std::vector<AdapterEntry>& adapters, const InstanceIdLookup& lookup,
                      std::string& chosen);

// The cached address: a found address is final; the fallback is not trusted, so
// every call probes again until `probe` stores an address in the cache.
std::string ResolveMacAddress(std::string& cache, const std::function<bool()>& probe);
