// The two reports, sent from a real Windows system (Wine) to the local collector
// (run by with_collector.sh), with the GUID in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <cwchar>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "report/device_probe.h"
#include "report/mac_address.h"
#include "report/reports.h"
#include "tests/report/collector_client.h"

namespace {

const wchar_t kTestKey[] = L"Software\\UninstReportTest";
const char kRegisterKey[] = "HKEY_LOCAL_MACHINE\\Software\\UninstReportTest";

class Reports : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(Collector::Available(why)) << why;
        Collector::SetStatus("200");
        before_ = Collector::Requests().size();
        settings().register_key = kRegisterKey;
        settings().platform_table["pcdn_root_url"] = Collector::Url();
        for (int i = 0; i < 8; ++i) std::wcscpy(texts_[i], kReasonTexts[i]);
    }
    void TearDown() override { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY, 0); }

    // The installation's GUID, where the installer puts it (the 32-bit view).
    static void WriteGuid(const std::string& guid) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "GUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(guid.c_str()),
                       static_cast<DWORD>(guid.size() + 1));
        RegCloseKey(key);
    }
    std::vector<CollectedRequest> NewRequests() {
        std::vector<CollectedRequest> all = Collector::Requests();
        return std::vector<CollectedRequest>(all.begin() + static_cast<std::ptrdiff_t>(before_), all.end());
    }

    static constexpr const wchar_t* kReasonTexts[8] = {L"无法游戏", L"经常崩溃", L"游戏卡顿", L"没时间玩",
                                                       L"画质不好", L"体验不好", L"其他游戏", L"其他原因"};
    wchar_t texts_[8][50] = {};
    size_t before_ = 0;
};

// Runs first in the process: nothing may have probed the machine before.
TEST_F(Reports, DeviceReportStaysSilentWithoutUrlOrGuid) {
    SendDeviceReport("", "{5F1E}", 1, 2, 3, 30);
    SendDeviceReport(Collector::Url() + "/stat", "", 1, 2, 3, 30);
    EXPECT_TRUE(NewRequests().empty());
    EXPECT_FALSE(DriveTableAttempted()) << "no probe may run for a report that is not sent";
}

std::vector<std::string> Keys(const cJSON* object) {
    std::vector<std::string> keys;
    for (const cJSON* item = object ? object->child : nullptr; item; item = item->next) keys.push_back(item->string);
    return keys;
}

TEST_F(Reports, DeviceReportGoesToTheBareAddress) {
    SendDeviceReport(Collector::Url() + "/stat/log", "{5F1E-AB}", 1001, 4096, 8589934592LL, 30);
    const std::vector<CollectedRequest> requests = NewRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/stat/log");
    cJSON* report = cJSON_Parse(requests[0].body.c_str());
    ASSERT_NE(report, nullptr) << requests[0].body;
    EXPECT_EQ(Keys(report), (std::vector<std::string>{"type", "device_data", "channel_id", "sub_channel_id",
                                                      "channelAdId", "attach", "other"}));
    EXPECT_EQ(cJSON_GetObjectItem(report, "type")->valueint, 30);
    EXPECT_EQ(cJSON_GetObjectItem(report, "channel_id")->valueint, 1001);
    EXPECT_EQ(cJSON_GetObjectItem(report, "sub_channel_id")->valueint, 4096);
    EXPECT_EQ(cJSON_GetObjectItem(report, "channelAdId")->valuedouble, 8589934592.0);
    EXPECT_STREQ(cJSON_GetObjectItem(report, "attach")->valuestring, "{}");
    EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetObjectItem(report, "other"), "guid")->valuestring, "{5F1E-AB}");
    const cJSON* data = cJSON_GetObjectItem(report, "device_data");
    ASSERT_TRUE(cJSON_IsObject(data));
    EXPECT_STREQ(cJSON_GetObjectItem(data, "mac_id")->valuestring, GetMacAddress().c_str());
    cJSON_Delete(report);
}

struct FeedbackCase {
    const char* name;
    bool selected[8];
    const char* guid;  // nullptr: no value in the registry
    const char* base_suffix;
    std::string result_and_texts;  // the first two members as sent
    const char* path;
};

void PrintTo(const FeedbackCase& c, std::ostream* os) { *os << c.name; }

class FeedbackReport : public Reports, public ::testing::WithParamInterface<FeedbackCase> {};

TEST_P(FeedbackReport, SentAsBuilt) {
    const FeedbackCase& c = GetParam();
    if (c.guid) WriteGuid(c.guid);
    settings().platform_table["pcdn_root_url"] = Collector::Url() + c.base_suffix;
    SendUninstallFeedbackReport(c.selected, texts_);

    const std::vector<CollectedRequest> requests = NewRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, c.path);
    EXPECT_EQ(requests[0].body, "{" + c.result_and_texts +
                                    R"(,"description":"","version":"1.0.0.0","mac_id":")" + GetMacAddress() +
                                    R"(","guid":")" + (c.guid ? c.guid : "") + "\"}");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FeedbackReport,
    ::testing::Values(
        FeedbackCase{"first_and_last", {true, false, false, false, false, false, false, true}, "{5F1E-AB}", "",
                     R"("result":"10000001","result_text":"[\"无法游戏\",\"其他原因\"]")",
                     "/api/uninstallFeedback/save"},
        FeedbackCase{"nothing_ticked_no_guid", {}, nullptr, "", R"("result":"00000000","result_text":"[]")",
                     "/api/uninstallFeedback/save"},
        FeedbackCase{"base_with_slash", {false, false, true}, "g", "/",
                     R"("result":"00100000","result_text":"[\"游戏卡顿\"]")", "//api/uninstallFeedback/save"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reports, FeedbackWithoutBaseAddressFailsQuietly) {
    settings().platform_table["pcdn_root_url"] = "";
    const bool selected[8] = {true};
    StderrCapture capture;
    SendUninstallFeedbackReport(selected, texts_);
    const std::string trace = capture.Stop();
    EXPECT_TRUE(NewRequests().empty());
    EXPECT_NE(trace.find("\nlibcurl: ("), std::string::npos) << trace;
}

}  // namespace
