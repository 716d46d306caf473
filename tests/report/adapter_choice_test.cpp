#include "report/adapter_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLoopback = 24, kTunnel = 131, kPpp = 23;

AdapterEntry Adapter(const std::string& name, uint32_t type, std::array<uint8_t, 8> address) {
    AdapterEntry a;
    a.name = name;
    a.type = type;
    a.address = address;
    return a;
}

// An adapter list and the "PnPInstanceId" of each adapter that has one.
struct ChoiceCase {
    const char* name;
    std::vector<AdapterEntry> adapters;
    std::map<std::string, std::wstring> instance_ids;
    const char* expected;  // nullptr: no physical adapter
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class AdapterChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(AdapterChoice, PicksTheSmallestPhysicalAddress) {
    const ChoiceCase& c = GetParam();
    std::vector<std::string> looked_up;
    auto lookup = [&](const std::string& name, std::wstring& id) {
        looked_up.push_back(name);
        auto it = c.instance_ids.find(name);
        if (it == c.instance_ids.end()) return false;
        id = it->second;
        return true;
    };
    std::string chosen = "untouched";
    const bool found = ChooseMacAddress(c.adapters, lookup, chosen);
    if (c.expected) {
        EXPECT_TRUE(found);
        EXPECT_EQ(chosen, c.expected);
    } else {
        EXPECT_FALSE(found);
        EXPECT_EQ(chosen, "untouched");
    }
    // Every Ethernet or wireless adapter is looked at, and no other.
    std::vector<std::string> eligible;
    for (const AdapterEntry& a : c.adapters) {
        if (a.type == kAdapterTypeEthernet || a.type == kAdapterTypeWireless) eligible.push_back(a.name);
    }
    EXPECT_EQ(looked_up, eligible);
}

const std::array<uint8_t, 8> k1A = {0x00, 0x1A, 0x11, 0x22, 0x33, 0x44};
const std::array<uint8_t, 8> k0B = {0x00, 0x0B, 0x55, 0x66, 0x77, 0x88};
const std::array<uint8_t, 8> k01 = {0x00, 0x01, 0x00, 0x00, 0x00, 0x01};

INSTANTIATE_TEST_SUITE_P(
    Table, AdapterChoice,
    ::testing::Values(
        ChoiceCase{"smallest_wins_listed_first", {Adapter("{A}", 6, k0B), Adapter("{B}", 6, k1A)},
                   {{"{A}", L"PCI\\VEN_8086&DEV_15B8\\3&11583659&0&FE"}, {"{B}", L"PCI\\VEN_10EC&DEV_8168\\01"}},
                   "00:0B:55:66:77:88"},
        ChoiceCase{"smallest_wins_listed_last", {Adapter("{B}", 6, k1A), Adapter("{A}", 6, k0B)},
                   {{"{A}", L"PCI\\VEN_8086"}, {"{B}", L"PCI\\VEN_10EC"}},
                   "00:0B:55:66:77:88"},
        ChoiceCase{"usb_wireless_is_physical", {Adapter("{W}", 71, k1A)}, {{"{W}", L"USB\\VID_0BDA&PID_8179\\00E04C"}},
                   "00:1A:11:22:33:44"},
        ChoiceCase{"virtual_root_adapter", {Adapter("{V}", 6, k01)}, {{"{V}", L"ROOT\\NET\\0000"}}, nullptr},
        ChoiceCase{"software_enumerator", {Adapter("{V}", 6, k01)}, {{"{V}", L"SWD\\MSRRAS\\MS_NDISWANIP"}}, nullptr},
        ChoiceCase{"missing_instance_id", {Adapter("{V}", 6, k01)}, {}, nullptr},
        ChoiceCase{"prefix_is_case_sensitive", {Adapter("{V}", 6, k01)}, {{"{V}", L"pci\\ven_8086"}}, nullptr},
        ChoiceCase{"too_short_to_match", {Adapter("{V}", 6, k01)}, {{"{V}", L"PC"}}, nullptr},
        ChoiceCase{"other_types_never_count",
                   {Adapter("{L}", kLoopback, k01), Adapter("{T}", kTunnel, k01), Adapter("{P}", kPpp, k01)},
                   {{"{L}", L"PCI\\X"}, {"{T}", L"PCI\\X"}, {"{P}", L"USB\\X"}},
                   nullptr},
        ChoiceCase{"virtual_smaller_address_loses",
                   {Adapter("{V}", 6, k01), Adapter("{P}", 6, k1A), Adapter("{L}", kLoopback, k01)},
                   {{"{V}", L"ROOT\\VMS_MP\\0001"}, {"{P}", L"PCI\\VEN_8086"}},
                   "00:1A:11:22:33:44"},
        ChoiceCase{"no_adapters", {}, {}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MacAddressText, UpperCaseSixPairsOfTheFirstSixBytes) {
    EXPECT_EQ(FormatMacAddress({0x00, 0xab, 0x0c, 0xde, 0xf0, 0x09, 0x77, 0x88}), "00:AB:0C:DE:F0:09");
    EXPECT_EQ(FormatMacAddress({}), "00:00:00:00:00:00");
    EXPECT_EQ(FormatMacAddress({0xff, 0xff, 0xff, 0xff, 0xff, 0xff}), "FF:FF:FF:FF:FF:FF");
}

TEST(MacAddressCache, FallbackIsProbedAgainUntilAnAddressIsFound) {
    std::string cache;
    int probes = 0;
    bool adapter_present = false;
    auto probe = [&] {
        ++probes;
        if (!adapter_present) return false;
        cache = "00:0B:55:66:77:88";
        return true;
    };
    EXPECT_EQ(ResolveMacAddress(cache, probe), kMacFallback);
    EXPECT_EQ(cache, kMacFallback);
    EXPECT_EQ(ResolveMacAddress(cache, probe), kMacFallback);
    EXPECT_EQ(probes, 2);

    adapter_present = true;
    EXPECT_EQ(ResolveMacAddress(cache, probe), "00:0B:55:66:77:88");
    EXPECT_EQ(probes, 3);

    // Found once, kept: no further probe, even if the adapter goes away.
    adapter_present = false;
    EXPECT_EQ(ResolveMacAddress(cache, probe), "00:0B:55:66:77:88");
    EXPECT_EQ(probes, 3);
}

}  // namespace
