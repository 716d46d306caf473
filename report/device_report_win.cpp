#include "report/device_report.h"

#include <windows.h>

#include "report/device_probe.h"
#include "report/mac_address.h"
#include "report/report_documents.h"
#include "report/wide_to_utf8.h"

namespace {

DriveFacts ProbeDrive(const std::wstring& name) {
    DriveFacts drive;
    // An empty removable drive must fail quietly, not ask the user for a disc.
    DWORD previous_mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_mode);
    ULARGE_INTEGER caller_free, total, total_free;
    const BOOL ok = GetDiskFreeSpaceExW(name.c_str(), &caller_free, &total, &total_free);
    SetThreadErrorMode(previous_mode, nullptr);
    if (ok) {
        drive.has_size = true;
        drive.volume = WideToUtf8(name);
        drive.total_bytes = total.QuadPart;
        drive.free_bytes = total_free.QuadPart;
    }
    return drive;
}

}  // namespace

DeviceFacts GatherDeviceFacts() {
    DeviceFacts facts;
    facts.memory = GetMemoryStatus();
    for (const std::wstring& name : ListDriveNames()) facts.drives.push_back(ProbeDrive(name));
    facts.gpus = EnumGpus();
    facts.cpu_frequency = GetCpuFrequency();
    facts.cpu_model = GetCpuModel();
    facts.mac_id = GetMacAddress();
    facts.wow64 = IsWow64();
    facts.os_version = GetOsVersion();
    return facts;
}

JsonValue CollectDeviceData() { return BuildDeviceData(GatherDeviceFacts()); }

std::string BuildDeviceReportJson(int32_t type, int32_t channel_id, int32_t sub_channel_id, int64_t ad_id,
                                  const std::string& guid, const DeviceFacts& facts) {
    return BuildDeviceReportDocument(type, channel_id, sub_channel_id, ad_id, guid, BuildDeviceData(facts));
}

std::string BuildFeedbackJson(const std::string& result, const std::vector<std::string>& reason_texts,
                              const std::string& guid) {
    return BuildFeedbackDocument(result, reason_texts, GetMacAddress(), guid);
}
