// The report documents filled from this machine's probes (Windows only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/device_facts.h"
#include "report/json_value.h"

// Runs every probe (the drive table, OS version and MAC address come from their
// caches after the first call).
DeviceFacts GatherDeviceFacts();

// The device-data object of this machine.
JsonValue CollectDeviceData();

// The device report of this machine from its facts (see GatherDeviceFacts).
std::string BuildDeviceReportJson(int32_t type, int32_t channel_id, int32_t sub_channel_id, int64_t ad_id,
                                  const std::string& guid, const DeviceFacts& facts);

// The uninstall feedback with this machine's MAC address.
std::string BuildFeedbackJson(const std::string& result, const std::vector<std::string>& reason_texts,
                              const std::string& guid);
