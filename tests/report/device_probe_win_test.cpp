// The device probes on a real Windows system (Wine): its registry, drives,
// memory and network adapters.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "report/adapter_choice.h"
#include "report/device_probe.h"
#include "report/device_report.h"
#include "report/drive_table.h"
#include "report/mac_address.h"
#include "report/os_version.h"
#include "report/wide_to_utf8.h"

namespace {

// ---- text conversion ---------------------------------------------------------

struct Utf8Case {
    const char* name;
    std::wstring text;
    std::string utf8;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class WideToUtf8Table : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(WideToUtf8Table, Converts) { EXPECT_EQ(WideToUtf8(GetParam().text), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Table, WideToUtf8Table,
    ::testing::Values(Utf8Case{"empty", L"", ""}, Utf8Case{"drive", L"C:", "C:"},
                      Utf8Case{"chinese", L"无法游戏", "\xE6\x97\xA0\xE6\xB3\x95\xE6\xB8\xB8\xE6\x88\x8F"},
                      Utf8Case{"surrogate_pair", L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
                      Utf8Case{"unpaired_high", std::wstring(L"a\xD800") + L"b", "a\xEF\xBF\xBD" "b"},
                      Utf8Case{"unpaired_low", L"\xDC00", "\xEF\xBF\xBD"},
                      Utf8Case{"stops_at_zero", std::wstring(L"ab\0cd", 5), "ab"},
                      Utf8Case{"long", std::wstring(10000, L'中'), [] {
                                   std::string s;
                                   for (int i = 0; i < 10000; ++i) s += "\xE4\xB8\xAD";
                                   return s;
                               }()}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- processor ----------------------------------------------------------------

const char kCpuKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// A string value the test puts under the processor key and takes away again.
class CpuValue {
public:
    CpuValue(const char* name, const std::string& text) : name_(name) {
        HKEY key;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCpuKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ~CpuValue() {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCpuKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name_);
            RegCloseKey(key);
        }
    }

private:
    const char* name_;
};

TEST(CpuProbe, RegistryValuesUpTo64Characters) {
    const std::string text64(64, 'x');
    CpuValue fits("UninstReportTest64", text64);
    CpuValue too_long("UninstReportTest65", std::string(65, 'y'));
    CpuValue short_value("UninstReportTestShort", "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz");
    EXPECT_EQ(ReadCpuRegistryValue("UninstReportTest64"), text64);
    EXPECT_EQ(ReadCpuRegistryValue("UninstReportTest65"), "");
    EXPECT_EQ(ReadCpuRegistryValue("UninstReportTestShort"), "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz");
    EXPECT_EQ(ReadCpuRegistryValue("UninstReportTestMissing"), "");
}

TEST(CpuProbe, ModelAndFrequencyAreTheSystemsOwn) {
    char name[256] = {};
    DWORD size = sizeof name;
    const bool has_name = RegGetValueA(HKEY_LOCAL_MACHINE, kCpuKey, "ProcessorNameString", RRF_RT_REG_SZ,
                                       nullptr, name, &size) == ERROR_SUCCESS;
    EXPECT_EQ(GetCpuModel(), has_name && std::strlen(name) <= 64 ? std::string(name) : std::string());

    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(GetCpuFrequency(), frequency.QuadPart * 1000);
}

// ---- memory, operating system ---------------------------------------------------

TEST(SystemProbe, MemoryOfThisMachine) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const MemoryStatus memory = GetMemoryStatus();
    EXPECT_EQ(memory.total, status.ullTotalPhys);
    EXPECT_GT(memory.available, 0u);
    EXPECT_LE(memory.available, memory.total);
}

TEST(SystemProbe, OsVersionIsTheLegacyQueryAndIsKept) {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&info));
#pragma GCC diagnostic pop
    // The 64-bit test build reports what the 32-bit product sees on 64-bit Windows.
    const std::string expected =
        std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
        std::to_string(info.dwBuildNumber) + "_X64";
    EXPECT_EQ(GetOsVersion(), expected);
    EXPECT_EQ(GetOsVersion(), expected);
    EXPECT_TRUE(IsWow64());
    EXPECT_FALSE(ProcessIsWow64()) << "a 64-bit process is not under WOW64";
}

// ---- drives ---------------------------------------------------------------------

TEST(DriveProbe, DrivesInDevicePathOrderOnceAProcess) {
    EXPECT_FALSE(DriveTableAttempted());
    const std::vector<std::wstring> names = ListDriveNames();
    EXPECT_TRUE(DriveTableAttempted());
    ASSERT_FALSE(names.empty());
    EXPECT_NE(std::find(names.begin(), names.end(), L"C:"), names.end());

    // Each name is a letter and a colon, and the device paths ascend.
    std::vector<std::wstring> devices;
    for (const std::wstring& name : names) {
        ASSERT_EQ(name.size(), 2u);
        EXPECT_EQ(name[1], L':');
        wchar_t device[200] = {};
        ASSERT_NE(QueryDosDeviceW(name.c_str(), device, 200), 0u);
        devices.push_back(device);
    }
    EXPECT_TRUE(std::is_sorted(devices.begin(), devices.end(), DevicePathLess()));
    EXPECT_EQ(std::adjacent_find(devices.begin(), devices.end()), devices.end());

    EXPECT_EQ(ListDriveNames(), names);
}

// ---- the whole device-data object --------------------------------------------

std::vector<std::string> Keys(const cJSON* object) {
    std::vector<std::string> keys;
    for (const cJSON* item = object ? object->child : nullptr; item; item = item->next) keys.push_back(item->string);
    return keys;
}

TEST(DeviceData, ThisMachine) {
    const std::string text = CollectDeviceData().PrintUnformatted();
    cJSON* data = cJSON_Parse(text.c_str());
    ASSERT_NE(data, nullptr) << text;
    EXPECT_EQ(Keys(data), (std::vector<std::string>{"cpu_frequency", "cpu_model", "disk", "gpu", "mac_id",
                                                    "memory_available", "memory_total", "os_bits", "os_version"}))
        << text;
    EXPECT_EQ(cJSON_GetObjectItem(data, "cpu_frequency")->valuedouble, static_cast<double>(GetCpuFrequency()));
    EXPECT_EQ(cJSON_GetObjectItem(data, "os_bits")->valueint, 64);
    EXPECT_STREQ(cJSON_GetObjectItem(data, "os_version")->valuestring, GetOsVersion().c_str());
    EXPECT_STREQ(cJSON_GetObjectItem(data, "mac_id")->valuestring, GetMacAddress().c_str());

    const std::vector<std::wstring> names = ListDriveNames();
    const cJSON* disks = cJSON_GetObjectItem(data, "disk");
    ASSERT_EQ(cJSON_GetArraySize(disks), static_cast<int>(names.size())) << text;
    for (size_t i = 0; i < names.size(); ++i) {
        const cJSON* disk = cJSON_GetArrayItem(disks, static_cast<int>(i));
        if (!disk->child) continue;  // a drive without a size
        EXPECT_EQ(Keys(disk), (std::vector<std::string>{"volume", "total", "available"}));
        EXPECT_EQ(cJSON_GetObjectItem(disk, "volume")->valuestring, WideToUtf8(names[i]));
        EXPECT_LE(cJSON_GetObjectItem(disk, "available")->valuedouble, cJSON_GetObjectItem(disk, "total")->valuedouble);
    }
    const std::vector<std::string> gpus = EnumGpus();
    const cJSON* gpu = cJSON_GetObjectItem(data, "gpu");
    ASSERT_EQ(cJSON_GetArraySize(gpu), static_cast<int>(gpus.size())) << text;
    for (size_t i = 0; i < gpus.size(); ++i) {
        EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetArrayItem(gpu, static_cast<int>(i)), "name")->valuestring,
                     gpus[i].c_str());
    }
    cJSON_Delete(data);
}

// ---- network adapter identity --------------------------------------------------

const wchar_t kNetworkKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Network";
const wchar_t kNetworkClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

struct SystemAdapter {
    std::string name;
    UINT type;
    std::array<uint8_t, 8> address{};
};

std::vector<SystemAdapter> SystemAdapters() {
    std::vector<SystemAdapter> adapters;
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return adapters;
    std::vector<unsigned long long> buffer(size / sizeof(unsigned long long) + 1);
    auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(info, &size) != NO_ERROR) return adapters;
    for (; info; info = info->Next) {
        SystemAdapter a;
        a.name = info->AdapterName;
        a.type = info->Type;
        std::memcpy(a.address.data(), info->Address, 8);
        adapters.push_back(a);
    }
    return adapters;
}

// Writes "PnPInstanceId" values for the system's adapters into the real registry
// and removes everything it wrote (or puts back what was there) at the end.
class AdapterRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        adapters_ = SystemAdapters();
        for (const SystemAdapter& a : adapters_) {
            if (a.type == kAdapterTypeEthernet || a.type == kAdapterTypeWireless) ethernet_.push_back(a);
        }
        HKEY key;
        class_key_existed_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNetworkClassKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (class_key_existed_) RegCloseKey(key);
        parent_key_existed_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNetworkKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (parent_key_existed_) RegCloseKey(key);
        for (const SystemAdapter& a : adapters_) {
            Saved saved{a.name, false, {}};
            wchar_t value[256] = {};
            DWORD size = sizeof value - sizeof(wchar_t);
            saved.had_value = RegGetValueW(HKEY_LOCAL_MACHINE, ConnectionKey(a.name).c_str(), L"PnPInstanceId",
                                           RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS;
            saved.value = value;
            saved_.push_back(saved);
        }
    }
    void TearDown() override {
        for (const Saved& s : saved_) {
            if (s.had_value) {
                SetInstanceId(s.name, s.value);
            } else {
                RemoveInstanceId(s.name);
            }
        }
        if (!class_key_existed_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNetworkClassKey);
        if (!parent_key_existed_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kNetworkKey);  // only if left empty
    }

    static std::wstring ConnectionKey(const std::string& adapter) {
        return std::wstring(kNetworkClassKey) + L"\\" + std::wstring(adapter.begin(), adapter.end()) + L"\\Connection";
    }
    static void SetInstanceId(const std::string& adapter, const std::wstring& id) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, ConnectionKey(adapter).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"PnPInstanceId", 0, REG_SZ, reinterpret_cast<const BYTE*>(id.c_str()),
                       static_cast<DWORD>((id.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    static void RemoveInstanceId(const std::string& adapter) {
        const std::wstring adapter_key =
            std::wstring(kNetworkClassKey) + L"\\" + std::wstring(adapter.begin(), adapter.end());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, adapter_key.c_str());
    }
    // The smallest address among the given adapters.
    static std::string Smallest(const std::vector<SystemAdapter>& adapters) {
        std::vector<std::string> texts;
        for (const SystemAdapter& a : adapters) texts.push_back(FormatMacAddress(a.address));
        return *std::min_element(texts.begin(), texts.end());
    }

    struct Saved {
        std::string name;
        bool had_value;
        std::wstring value;
    };
    std::vector<SystemAdapter> adapters_, ethernet_;
    std::vector<Saved> saved_;
    bool class_key_existed_ = false;
    bool parent_key_existed_ = false;
};

TEST_F(AdapterRegistry, ChoiceFollowsTheInstanceIds) {
    // Without any instance id no adapter counts.
    for (const SystemAdapter& a : adapters_) RemoveInstanceId(a.name);
    EXPECT_FALSE(ProbeMacAddress());

    // Virtual adapters only.
    for (const SystemAdapter& a : adapters_) SetInstanceId(a.name, L"ROOT\\NET\\0000");
    EXPECT_FALSE(ProbeMacAddress());

    if (ethernet_.empty()) {
        // A machine without an Ethernet-type adapter: even a PCI id changes nothing.
        for (const SystemAdapter& a : adapters_) SetInstanceId(a.name, L"PCI\\VEN_8086&DEV_15B8\\3&1&0&FE");
        EXPECT_FALSE(ProbeMacAddress());
        EXPECT_EQ(GetMacAddress(), kMacFallback);
        return;
    }

    // Every adapter physical: the smallest Ethernet or wireless address wins.
    for (const SystemAdapter& a : adapters_) SetInstanceId(a.name, L"PCI\\VEN_8086&DEV_15B8\\3&1&0&FE");
    EXPECT_TRUE(ProbeMacAddress());
    EXPECT_EQ(GetMacAddress(), Smallest(ethernet_));
}

TEST_F(AdapterRegistry, OnlyTheLargestIsPhysical) {
    if (ethernet_.size() < 2) GTEST_SKIP() << "Wine reports fewer than two Ethernet adapters";
    std::vector<SystemAdapter> sorted = ethernet_;
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return FormatMacAddress(a.address) < FormatMacAddress(b.address); });
    for (const SystemAdapter& a : adapters_) SetInstanceId(a.name, L"ROOT\\VMS_MP\\0001");
    SetInstanceId(sorted.back().name, L"USB\\VID_0BDA&PID_8179\\00E04C");
    EXPECT_TRUE(ProbeMacAddress());
    EXPECT_EQ(GetMacAddress(), FormatMacAddress(sorted.back().address));
}

TEST_F(AdapterRegistry, FallbackIsProbedAgainThenKept) {
    for (const SystemAdapter& a : adapters_) RemoveInstanceId(a.name);
    EXPECT_EQ(GetMacAddress(), kMacFallback);
    if (ethernet_.empty()) GTEST_SKIP() << "no Ethernet adapter: the fallback stays";

    for (const SystemAdapter& a : ethernet_) SetInstanceId(a.name, L"PCI\\VEN_10EC&DEV_8168\\01");
    const std::string found = GetMacAddress();  // probed again
    EXPECT_EQ(found, Smallest(ethernet_));

    for (const SystemAdapter& a : adapters_) RemoveInstanceId(a.name);
    EXPECT_EQ(GetMacAddress(), found);  // kept: no new probe
}

}  // namespace
