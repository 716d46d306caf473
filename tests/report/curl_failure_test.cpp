#include "report/http_post.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FailureCase {
    const char* name;
    int code;
    const char* error_text;
    const char* description;
    std::string expected;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class CurlFailureText : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CurlFailureText, FourParts) {
    const FailureCase& c = GetParam();
    EXPECT_EQ(FormatCurlFailure(c.code, c.error_text, c.description), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CurlFailureText,
    ::testing::Values(
        FailureCase{"with_error_text", 6, "Could not resolve host: nowhere.invalid", "Couldn't resolve host name",
                    "\nlibcurl: (6) Could not resolve host: nowhere.invalid\nCouldn't resolve host name\n\n"},
        FailureCase{"error_text_ends_with_newline", 7, "Failed to connect\n", "Couldn't connect to server",
                    "\nlibcurl: (7) Failed to connect\nCouldn't connect to server\n\n"},
        FailureCase{"empty_error_text", 28, "", "Timeout was reached", "\nlibcurl: (28) Timeout was reached\n\n"},
        FailureCase{"no_error_text", 3, nullptr, "URL using bad/illegal format or missing URL",
                    "\nlibcurl: (3) URL using bad/illegal format or missing URL\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
