#include "report/drive_table.h"

#include <algorithm>
#include <type_traits>

bool DevicePathLess::operator()(const std::wstring& a, const std::wstring& b) const {
    using unit = std::make_unsigned_t<wchar_t>;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
        return static_cast<unit>(x) < static_cast<unit>(y);
    });
}

void FillDriveTable(const wchar_t* roots, size_t length, const DosDeviceQuery& query, DriveTable& table) {
    size_t pos = 0;
    while (pos < length && roots[pos] != L'\0') {
        size_t end = pos;
        while (end < length && roots[end] != L'\0') ++end;
        std::wstring root(roots + pos, end - pos);
        pos = end + 1;

        std::wstring name = root.substr(0, root.size() - 1);  // "C:\" -> "C:"
        std::wstring device;
        if (!query(name, device)) return;
        table[device] = name;
    }
}

std::vector<std::wstring> DriveNamesInDeviceOrder(const DriveTable& table) {
    std::vector<std::wstring> names;
    names.reserve(table.size());
    for (const auto& entry : table) names.push_back(entry.second);
    return names;
}
