// The two reports the uninstall sends to the game's web service. Both block the
// calling thread for their transfer (bounded; see http_post.h), report nothing,
// and leave the uninstall to go on whatever happens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "report/device_facts.h"

// Whether SendDeviceReport sends anything for this address and GUID (both
// must be non-empty).
bool DeviceReportWillBeSent(const std::string& url, const std::string& guid);

// Posts the device report of this machine to `url`. Does nothing at all (no
// probe, no document, no transfer) unless DeviceReportWillBeSent.
void SendDeviceReport(const std::string& url, const std::string& guid, int32_t channel_id,
                      int32_t sub_channel_id, int64_t ad_id, int32_t type);
// The same with the machine's facts from `facts`, which is called only when
// the report is sent (for facts gathered ahead of time).
void SendDeviceReport(const std::string& url, const std::string& guid, int32_t channel_id,
                      int32_t sub_channel_id, int64_t ad_id, int32_t type,
                      const std::function<DeviceFacts()>& facts);

// Posts the user's reasons: one flag per check box and the check boxes' texts,
// in check-box order, to the configured feedback address, with the "GUID" value
// under the configured registry key (sent even when empty).
void SendUninstallFeedbackReport(const bool (&selected)[8], const wchar_t (&texts)[8][50]);
