#include "report/reports.h"

#include <vector>

#include "config/settings_store.h"
#include "report/device_report.h"
#include "report/feedback_selection.h"
#include "report/http_post.h"
#include "report/wide_to_utf8.h"
#include "system/registry.h"

bool DeviceReportWillBeSent(const std::string& url, const std::string& guid) {
    return !url.empty() && !guid.empty();
}

void SendDeviceReport(const std::string& url, const std::string& guid, int32_t channel_id,
                      int32_t sub_channel_id, int64_t ad_id, int32_t type) {
    SendDeviceReport(url, guid, channel_id, sub_channel_id, ad_id, type, GatherDeviceFacts);
}

void SendDeviceReport(const std::string& url, const std::string& guid, int32_t channel_id,
                      int32_t sub_channel_id, int64_t ad_id, int32_t type,
                      const std::function<DeviceFacts()>& facts) {
    if (!DeviceReportWillBeSent(url, guid)) return;
    PostJson(BuildDeviceReportJson(type, channel_id, sub_channel_id, ad_id, guid, facts()), url.c_str());
}

void SendUninstallFeedbackReport(const bool (&selected)[8], const wchar_t (&texts)[8][50]) {
    const FeedbackSelection selection = SelectFeedbackReasons(selected, texts);
    const std::string result = WideToUtf8(selection.result);
    std::vector<std::string> reason_texts;
    reason_texts.reserve(selection.texts.size());
    for (const std::wstring& text : selection.texts) reason_texts.push_back(WideToUtf8(text));

    const std::string guid = reg_read_string(settings().register_key, "GUID");
    const std::string url = GetFeedbackUrl();
    PostJson(BuildFeedbackJson(result, reason_texts, guid), url.c_str());
}
