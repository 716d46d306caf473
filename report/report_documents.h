// The JSON documents sent to the game's web service, built from plain values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/device_facts.h"
#include "report/json_value.h"

// Units of the sizes in the device report.
constexpr double kMebibyte = 1048576.0;     // disks
constexpr double kGibibyte = 1073741824.0;  // memory

// A byte count in the given unit with two decimals, cut rather than rounded
// (15.999 units give 15.99).
double CutToHundredths(uint64_t bytes, double unit);

// The device-data object: processor, disks, display adapters, MAC address,
// memory and operating system, members in the service's order.
JsonValue BuildDeviceData(const DeviceFacts& facts);

// The device report around a device-data object.
std::string BuildDeviceReportDocument(int32_t type, int32_t channel_id, int32_t sub_channel_id,
                                      int64_t ad_id, const std::string& guid,
                                      const JsonValue& device_data);

// The uninstall feedback: the eight-character result, the ticked reasons' texts
// (UTF-8) in check-box order, the MAC address and the GUID.
std::string BuildFeedbackDocument(const std::string& result, const std::vector<std::string>& reason_texts,
                                  const std::string& mac_id, const std::string& guid);
