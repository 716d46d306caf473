// PostJson against a real HTTP server on 127.0.0.1 (run by with_collector.sh).
#include "report/http_post.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/report/collector_client.h"

namespace {

class PostJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(Collector::Available(why)) << why;
        Collector::SetStatus("200");
        before_ = Collector::Requests().size();
    }
    // The requests that arrived during this test.
    std::vector<CollectedRequest> NewRequests() {
        std::vector<CollectedRequest> all = Collector::Requests();
        return std::vector<CollectedRequest>(all.begin() + static_cast<std::ptrdiff_t>(before_), all.end());
    }
    size_t before_ = 0;
};

struct BodyCase {
    const char* name;
    std::string body;
    const char* path;
    const char* received_path;  // what the server sees
};

void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }

class PostJsonBodies : public PostJsonTest, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(PostJsonBodies, ArriveByteForByte) {
    const BodyCase& c = GetParam();
    StderrCapture capture;
    const bool ok = PostJson(c.body, (Collector::Url() + c.path).c_str());
    const std::string trace = capture.Stop();
    EXPECT_TRUE(ok) << trace;

    const std::vector<CollectedRequest> requests = NewRequests();
    ASSERT_EQ(requests.size(), 1u);
    const CollectedRequest& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, c.received_path);
    EXPECT_EQ(r.body, c.body);
    const auto length = std::find_if(r.headers.begin(), r.headers.end(),
                                     [](const auto& h) { return h.first == "Content-Length"; });
    ASSERT_NE(length, r.headers.end());
    EXPECT_EQ(length->second, std::to_string(c.body.size()));
}

std::string LargeBody() {
    std::string body = "{\"result_text\":\"";
    while (body.size() < 300000) body += "无法游戏\\\"q\\\" ";
    return body + "\"}";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PostJsonBodies,
    ::testing::Values(
        BodyCase{"feedback", R"({"result":"10000001","result_text":"[\"无法游戏\",\"其他原因\"]","description":"",)"
                             R"("version":"1.0.0.0","mac_id":"FF:FF:FF:FF:FF:FF","guid":""})",
                 "/api/uninstallFeedback/save", "/api/uninstallFeedback/save"},
        BodyCase{"device_report_to_the_bare_address", R"({"type":30,"attach":"{}","other":{"guid":"{G}"}})", "", "/"},
        BodyCase{"double_slash_kept", "{}", "//api/uninstallFeedback/save", "//api/uninstallFeedback/save"},
        BodyCase{"empty", "", "/empty", "/empty"},
        // Larger than any threshold at which a client might hold the body back.
        BodyCase{"large", LargeBody(), "/large", "/large"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PostJsonTest, SendsOneCustomHeaderAndTheLibraryAgent) {
    StderrCapture capture;
    ASSERT_TRUE(PostJson("{}", (Collector::Url() + "/h").c_str())) << capture.Stop();
    capture.Stop();
    const std::vector<CollectedRequest> requests = NewRequests();
    ASSERT_EQ(requests.size(), 1u);
    const CollectedRequest& r = requests[0];

    // Exactly as written, without a blank after the colon, and only once.
    EXPECT_EQ(std::count(r.raw_headers.begin(), r.raw_headers.end(), "Content-Type:application/json"), 1)
        << ::testing::PrintToString(r.raw_headers);
    std::vector<std::string> names;
    for (const auto& h : r.headers) names.push_back(h.first);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Accept", "Content-Length", "Content-Type", "Host", "User-Agent"}));

    const auto agent = std::find_if(r.headers.begin(), r.headers.end(),
                                    [](const auto& h) { return h.first == "User-Agent"; });
    ASSERT_NE(agent, r.headers.end());
    EXPECT_EQ(agent->second, std::string("libcurl/") + curl_version_info(CURLVERSION_NOW)->version);
    EXPECT_EQ(agent->second, "libcurl/" LIBCURL_VERSION);
}

class PostJsonStatus : public PostJsonTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PostJsonStatus, AnyAnswerIsSuccess) {
    Collector::SetStatus(GetParam());
    StderrCapture capture;
    const bool ok = PostJson(R"({"a":1})", (Collector::Url() + "/s").c_str());
    const std::string trace = capture.Stop();
    EXPECT_TRUE(ok);
    EXPECT_EQ(trace.find("\nlibcurl: ("), std::string::npos) << trace;
    EXPECT_NE(trace.find(std::string(" ") + GetParam()), std::string::npos) << "the trace shows the status line";
    EXPECT_EQ(NewRequests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, PostJsonStatus, ::testing::Values("200", "404", "500"));

// What the poster writes after the library's trace.
std::string FailureText(const std::string& trace) {
    const size_t at = trace.rfind("\nlibcurl: (");
    return at == std::string::npos ? std::string() : trace.substr(at);
}

TEST_F(PostJsonTest, UnresolvableHostFailsWithTheFourPartText) {
    StderrCapture capture;
    const bool ok = PostJson("{}", "http://nowhere.invalid/api");
    const std::string trace = capture.Stop();
    EXPECT_FALSE(ok);
    EXPECT_EQ(FailureText(trace),
              "\nlibcurl: (6) Could not resolve host: nowhere.invalid\nCouldn't resolve host name\n\n")
        << trace;
}

TEST_F(PostJsonTest, RefusedConnectionFails) {
    StderrCapture capture;
    const bool ok = PostJson("{}", "http://127.0.0.1:1/");
    const std::string trace = capture.Stop();
    EXPECT_FALSE(ok);
    const std::string text = FailureText(trace);
    EXPECT_EQ(text.rfind("\nlibcurl: (7) ", 0), 0u) << trace;
    EXPECT_EQ(text.substr(text.find('\n', 1) + 1), "Couldn't connect to server\n\n") << trace;
}

TEST_F(PostJsonTest, MalformedUrlFails) {
    StderrCapture capture;
    const bool ok = PostJson("{}", "/api/uninstallFeedback/save");  // an empty base address
    const std::string trace = capture.Stop();
    EXPECT_FALSE(ok);
    EXPECT_NE(FailureText(trace), "") << trace;
}

// The server reads the request and never answers: the bound ends the wait.
TEST_F(PostJsonTest, SilentServerEndsInFailure) {
    Collector::SetStatus("never");
    StderrCapture capture;
    const bool ok = PostJson(R"({"silent":true})", (Collector::Url() + "/silent").c_str());
    const std::string trace = capture.Stop();
    Collector::SetStatus("200");
    EXPECT_FALSE(ok);
    const std::string text = FailureText(trace);
    EXPECT_EQ(text.rfind("\nlibcurl: (28) Operation timed out after ", 0), 0u) << trace;
    EXPECT_NE(text.find(" bytes received\nTimeout was reached\n\n"), std::string::npos) << trace;
    const std::vector<CollectedRequest> requests = NewRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, R"({"silent":true})");
}

}  // namespace
