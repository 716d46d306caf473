#include "report/drive_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A root list as GetLogicalDriveStringsW writes it: "C:\", zero, "D:\", zero, zero.
std::wstring Roots(const std::vector<std::wstring>& roots) {
    std::wstring list;
    for (const std::wstring& r : roots) {
        list += r;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

struct DriveCase {
    const char* name;
    std::vector<std::wstring> roots;
    std::map<std::wstring, std::wstring> devices;  // drive name -> device path; missing: query fails
    std::vector<std::wstring> expected;            // drive names in table order
    std::vector<std::wstring> queried;             // drive names asked for, in order
};

void PrintTo(const DriveCase& c, std::ostream* os) { *os << c.name; }

class DriveTableFill : public ::testing::TestWithParam<DriveCase> {};

TEST_P(DriveTableFill, OrderedByDevicePath) {
    const DriveCase& c = GetParam();
    const std::wstring list = Roots(c.roots);
    std::vector<std::wstring> queried;
    DriveTable table;
    FillDriveTable(list.data(), list.size(), [&](const std::wstring& drive, std::wstring& device) {
        queried.push_back(drive);
        auto it = c.devices.find(drive);
        if (it == c.devices.end()) return false;
        device = it->second;
        return true;
    }, table);
    EXPECT_EQ(DriveNamesInDeviceOrder(table), c.expected);
    EXPECT_EQ(queried, c.queried);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DriveTableFill,
    ::testing::Values(
        DriveCase{"letters_in_device_order",
                  {L"C:\\", L"D:\\"},
                  {{L"C:", L"\\Device\\HarddiskVolume1"}, {L"D:", L"\\Device\\HarddiskVolume3"}},
                  {L"C:", L"D:"},
                  {L"C:", L"D:"}},
        // Volume 10 sorts before volume 2: the device path decides, not the letter.
        DriveCase{"volume_10_before_volume_2",
                  {L"C:\\", L"D:\\", L"E:\\"},
                  {{L"C:", L"\\Device\\HarddiskVolume2"}, {L"D:", L"\\Device\\HarddiskVolume10"},
                   {L"E:", L"\\Device\\CdRom0"}},
                  {L"E:", L"D:", L"C:"},
                  {L"C:", L"D:", L"E:"}},
        DriveCase{"prefix_sorts_first",
                  {L"C:\\", L"D:\\"},
                  {{L"C:", L"\\Device\\AB"}, {L"D:", L"\\Device\\A"}},
                  {L"D:", L"C:"},
                  {L"C:", L"D:"}},
        DriveCase{"failed_query_ends_the_walk",
                  {L"C:\\", L"D:\\", L"E:\\"},
                  {{L"C:", L"\\Device\\HarddiskVolume2"}, {L"E:", L"\\Device\\HarddiskVolume1"}},
                  {L"C:"},
                  {L"C:", L"D:"}},
        DriveCase{"shared_device_path_later_wins",
                  {L"C:\\", L"S:\\"},
                  {{L"C:", L"\\Device\\HarddiskVolume2"}, {L"S:", L"\\Device\\HarddiskVolume2"}},
                  {L"S:"},
                  {L"C:", L"S:"}},
        DriveCase{"code_units_compare_unsigned",
                  {L"C:\\", L"D:\\"},
                  {{L"C:", std::wstring(L"\\Device\\") + wchar_t(0xFF00)}, {L"D:", L"\\Device\\Z"}},
                  {L"D:", L"C:"},
                  {L"C:", L"D:"}},
        DriveCase{"empty_list", {}, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriveTableFill, StopsAtTheGivenLength) {
    // No terminating empty string within the length: the walk must not read on.
    const wchar_t list[] = {L'C', L':', L'\\', L'\0', L'D', L':', L'\\', L'\0', L'E', L':', L'\\', L'\0', L'\0'};
    std::vector<std::wstring> queried;
    DriveTable table;
    FillDriveTable(list, 8, [&](const std::wstring& drive, std::wstring& device) {
        queried.push_back(drive);
        device = L"\\Device\\" + drive;
        return true;
    }, table);
    EXPECT_EQ(queried, (std::vector<std::wstring>{L"C:", L"D:"}));
}

TEST(DriveTableFill, LaterFillsAddToTheTable) {
    DriveTable table;
    const std::wstring first = Roots({L"D:\\"});
    const std::wstring second = Roots({L"C:\\"});
    auto query = [](const std::wstring& drive, std::wstring& device) {
        device = L"\\Device\\Volume" + drive;
        return true;
    };
    FillDriveTable(first.data(), first.size(), query, table);
    FillDriveTable(second.data(), second.size(), query, table);
    EXPECT_EQ(DriveNamesInDeviceOrder(table), (std::vector<std::wstring>{L"C:", L"D:"}));
}

}  // namespace
