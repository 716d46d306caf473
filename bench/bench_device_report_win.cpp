// Building the device report: the first call runs every probe; a second call
// takes the drive table, the OS version and (once found) the MAC address from
// their caches and must be clearly cheaper. Both are shown against one
// GetAdaptersInfo call measured in the same run, so the numbers compare across
// machines.
//
//   build/win64/bench_device_report.exe            (under wine64, or on Windows)
//   . tests/support/wine-env && uninst_wine_env && wine64 build/win64/bench_device_report.exe
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "report/adapter_choice.h"
#include "report/device_report.h"
#include "report/mac_address.h"

namespace {

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeAdaptersInfo() {
    ULONG size = 0;
    GetAdaptersInfo(nullptr, &size);
    std::vector<unsigned long long> buffer(size / sizeof(unsigned long long) + 1);
    const double start = Seconds();
    GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    return Seconds() - start;
}

double TimeCollect() {
    const double start = Seconds();
    const std::string text = CollectDeviceData().PrintUnformatted();
    const double elapsed = Seconds() - start;
    if (text.empty()) std::fputs("empty device data\n", stderr);
    return elapsed;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    // The baseline: one adapter list, after a first call has loaded the library.
    TimeAdaptersInfo();
    std::vector<double> adapters;
    for (int i = 0; i < 9; ++i) adapters.push_back(TimeAdaptersInfo());
    const double baseline = Median(adapters);

    const double first = TimeCollect();  // cold caches: must be the first in the process
    std::vector<double> later;
    for (int i = 0; i < 9; ++i) later.push_back(TimeCollect());
    const double second = Median(later);

    std::printf("GetAdaptersInfo (median of 9):   %10.1f us\n", baseline * 1e6);
    std::printf("device data, first call:         %10.1f us  = %6.2f x GetAdaptersInfo\n", first * 1e6,
                first / baseline);
    std::printf("device data, later (median of 9):%10.1f us  = %6.2f x GetAdaptersInfo\n", second * 1e6,
                second / baseline);
    std::printf("later / first:                   %10.2f\n", second / first);
    if (GetMacAddress() == kMacFallback) {
        std::printf("note: no physical adapter found, so every call probes the adapters again\n");
    }
    return 0;
}
