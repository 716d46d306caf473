#include "report/report_documents.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// ---- sizes --------------------------------------------------------------------

struct SizeCase {
    const char* name;
    uint64_t bytes;
    double unit;
    const char* printed;  // as the document prints the value
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class CutSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CutSizes, TwoDecimalsCutNotRounded) {
    JsonValue v = JsonValue::MakeObject();
    v.AddDouble("s", CutToHundredths(GetParam().bytes, GetParam().unit));
    EXPECT_EQ(v.PrintUnformatted(), std::string("{\"s\":") + GetParam().printed + "}");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CutSizes,
    ::testing::Values(SizeCase{"memory_16GiB", 17179869184ULL, kGibibyte, "16"},
                      SizeCase{"memory_15_9069", 17079869184ULL, kGibibyte, "15.9"},
                      SizeCase{"memory_15_999", 17178795442ULL, kGibibyte, "15.99"},  // 15.99899 units
                      SizeCase{"disk_488386_3359", 512110190592ULL, kMebibyte, "488386.33"},
                      SizeCase{"zero", 0, kMebibyte, "0"},
                      SizeCase{"just_below_a_hundredth", 10485, kMebibyte, "0"},
                      SizeCase{"one_hundredth", 10486, kMebibyte, "0.01"},
                      // 25 TiB: beyond what 32-bit hundredths hold, still its true size.
                      SizeCase{"disk_25TiB", 25ULL << 40, kMebibyte, "26214400"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- feedback document -------------------------------------------------------

struct FeedbackCase {
    const char* name;
    std::string result;
    std::vector<std::string> texts;
    std::string mac;
    std::string guid;
    std::string expected;
};

void PrintTo(const FeedbackCase& c, std::ostream* os) { *os << c.name; }

class FeedbackDocument : public ::testing::TestWithParam<FeedbackCase> {};

TEST_P(FeedbackDocument, ExactText) {
    const FeedbackCase& c = GetParam();
    EXPECT_EQ(BuildFeedbackDocument(c.result, c.texts, c.mac, c.guid), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FeedbackDocument,
    ::testing::Values(
        FeedbackCase{"nothing_ticked", "00000000", {}, "00:0B:2F:11:22:33", "{5F1E-AB}",
                     R"({"result":"00000000","result_text":"[]","description":"","version":"1.0.0.0",)"
                     R"("mac_id":"00:0B:2F:11:22:33","guid":"{5F1E-AB}"})"},
        FeedbackCase{"first_and_last", "10000001", {"无法游戏", "其他原因"}, "FF:FF:FF:FF:FF:FF", "g",
                     R"({"result":"10000001","result_text":"[\"无法游戏\",\"其他原因\"]","description":"",)"
                     R"("version":"1.0.0.0","mac_id":"FF:FF:FF:FF:FF:FF","guid":"g"})"},
        // The quotation mark is escaped once in the array text and once more in the string.
        FeedbackCase{"quotation_mark", "01000000", {"say \"hi\""}, "00:00:00:00:00:01", "",
                     R"({"result":"01000000","result_text":"[\"say \\\"hi\\\"\"]","description":"",)"
                     R"("version":"1.0.0.0","mac_id":"00:00:00:00:00:01","guid":""})"},
        FeedbackCase{"backslash", "00100000", {"a\\b"}, "M", "G",
                     R"({"result":"00100000","result_text":"[\"a\\\\b\"]","description":"",)"
                     R"("version":"1.0.0.0","mac_id":"M","guid":"G"})"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- device report -----------------------------------------------------------

DeviceFacts SampleFacts() {
    DeviceFacts f;
    f.cpu_frequency = 10000000000LL;
    f.cpu_model = "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz";
    f.drives = {{"C:", true, 512110190592ULL, 123456789012ULL}, {"D:", false, 0, 0}};
    f.gpus = {"NVIDIA GeForce GTX 1060 6GB", "显卡"};
    f.mac_id = "00:0B:2F:11:22:33";
    f.memory.available = 6442450944ULL;  // 6 GiB
    f.memory.total = 17079869184ULL;     // 15.9069 GiB
    f.wow64 = true;
    f.os_version = "6.2.9200_X64";
    return f;
}

const char kSampleDeviceData[] =
    R"({"cpu_frequency":10000000000,"cpu_model":"Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz",)"
    R"("disk":[{"volume":"C:","total":488386.33,"available":117737.56},{}],)"
    R"("gpu":[{"name":"NVIDIA GeForce GTX 1060 6GB"},{"name":"显卡"}],)"
    R"("mac_id":"00:0B:2F:11:22:33","memory_available":6,"memory_total":15.9,)"
    R"("os_bits":64,"os_version":"6.2.9200_X64"})";

TEST(DeviceData, ExactTextInMemberOrder) {
    EXPECT_EQ(BuildDeviceData(SampleFacts()).PrintUnformatted(), kSampleDeviceData);
}

TEST(DeviceData, FallbacksOfEveryProbe) {
    DeviceFacts f;  // what the probes give when every system call fails
    f.drives = {{"", false, 0, 0}};
    f.mac_id = "FF:FF:FF:FF:FF:FF";
    f.os_version = "Unknow";
    EXPECT_EQ(BuildDeviceData(f).PrintUnformatted(),
              R"({"cpu_frequency":0,"cpu_model":"","disk":[{}],"gpu":[],"mac_id":"FF:FF:FF:FF:FF:FF",)"
              R"("memory_available":0,"memory_total":0,"os_bits":32,"os_version":"Unknow"})");
}

TEST(DeviceReport, ExactTextAroundTheDeviceData) {
    const std::string text =
        BuildDeviceReportDocument(30, 1001, -1, 0, "{GUID-1}", BuildDeviceData(SampleFacts()));
    EXPECT_EQ(text, std::string(R"({"type":30,"device_data":)") + kSampleDeviceData +
                        R"(,"channel_id":1001,"sub_channel_id":-1,"channelAdId":0,"attach":"{}",)"
                        R"("other":{"guid":"{GUID-1}"}})");
}

TEST(DeviceReport, EmptyGuidAndLargeAdId) {
    DeviceFacts f;
    const std::string text = BuildDeviceReportDocument(30, 0, 0, 4294967296000LL, "", BuildDeviceData(f));
    EXPECT_NE(text.find(R"("channelAdId":4294967296000,"attach":"{}","other":{"guid":""}})"), std::string::npos)
        << text;
}

// ---- a locale whose decimal mark is a comma -----------------------------------

// The registry helpers switch the process to the user's locale, which may write
// numbers with a comma; the documents must not change.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE", "German"};
        for (const char* name : candidates) {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
                switched_ = true;
                return;
            }
        }
        std::setlocale(LC_ALL, "C");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
    bool switched_ = false;
};

TEST_F(CommaLocale, NumbersKeepThePointAndCopiesSurvive) {
#if defined(_WIN32)
    if (!switched_) GTEST_SKIP() << "this C runtime offers no locale with a decimal comma";
#else
    ASSERT_TRUE(switched_) << "generate de_DE.UTF-8 (scripts/setup does)";
#endif
    char sample[32];
    std::snprintf(sample, sizeof sample, "%.2f", 15.9);
    ASSERT_STREQ(sample, "15,90");  // the locale is really in force

    // Every drive object and the device data go through print-and-parse copies.
    EXPECT_EQ(BuildDeviceData(SampleFacts()).PrintUnformatted(), kSampleDeviceData);
    const std::string report = BuildDeviceReportDocument(30, 1, 2, 3, "g", BuildDeviceData(SampleFacts()));
    EXPECT_NE(report.find(R"("memory_total":15.9,)"), std::string::npos) << report;
    EXPECT_NE(report.find(R"({"volume":"C:","total":488386.33,"available":117737.56})"), std::string::npos)
        << report;
}

}  // namespace
