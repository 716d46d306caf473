#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <iniparser.h>

#include "config/ini_loader.h"
#include "tests/config/test_support.h"

namespace {

using entries = std::map<std::string, std::string>;  // "(section)" for a section without value

struct dict_deleter {
    void operator()(dictionary* d) const { iniparser_freedict(d); }
};
using dict_ptr = std::unique_ptr<dictionary, dict_deleter>;

// The dictionary's contents; null dictionary gives nothing.
bool contents(const dictionary* d, entries& out) {
    out.clear();
    if (!d) return false;
    for (size_t i = 0; i < d->size; ++i) {
        if (!d->key[i]) continue;
        out[d->key[i]] = d->val[i] ? d->val[i] : "(section)";
    }
    return true;
}

// Collects the loaders' reports instead of printing them.
std::string g_reports;
int collect_report(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_reports += text;
    return n;
}

class IniLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        SetIniErrorCallback(collect_report);
    }
    void TearDown() override { SetIniErrorCallback(nullptr); }
};

std::string repeat(char c, size_t n) { return std::string(n, c); }

// Texts for which the in-memory loader must give exactly what iniparser_load
// gives on a file holding the same bytes; `loads` says whether that is a
// dictionary at all.
struct equivalence_case {
    const char* name;
    std::string text;
    bool loads;
};
void PrintTo(const equivalence_case& c, std::ostream* os) { *os << c.name; }

class IniEquivalence : public IniLoaderTest, public ::testing::WithParamInterface<equivalence_case> {};

TEST_P(IniEquivalence, SameDictionaryAsTheFileLoader) {
    const equivalence_case& c = GetParam();
    config_test::temp_dir dir;
    dir.write("same.ini", c.text);

    dict_ptr from_file(LoadIniFile(dir.file("same.ini")));
    dict_ptr from_memory(LoadIniFromBuffer(c.text.c_str()));
    entries file_entries, memory_entries;
    const bool file_loaded = contents(from_file.get(), file_entries);
    const bool memory_loaded = contents(from_memory.get(), memory_entries);
    EXPECT_EQ(file_loaded, c.loads) << "the file loader disagrees with the table";
    EXPECT_EQ(memory_loaded, file_loaded);
    EXPECT_EQ(memory_entries, file_entries);
}

const std::string kLongKey = "k=" + repeat('v', 1019);  // 1021 characters

INSTANTIATE_TEST_SUITE_P(
    Config, IniEquivalence,
    ::testing::Values(
        equivalence_case{"channel", "[channel]\nsub_channel_id=0x2000\nad_id=123456789012\n", true},
        equivalence_case{"upper_case_names", "[CHANNEL]\nSub_Channel_ID = 8192\n", true},
        equivalence_case{"crlf", "[channel]\r\nsub_channel_id=8192\r\nad_id=7\r\n", true},
        equivalence_case{"no_final_newline", "[a]\nk=v", true},
        equivalence_case{"comments_and_blanks", "; top\n# hash\n\n   \n[s]\nk = v ; trailing\nq=1#x\n", true},
        equivalence_case{"quoted", "[s]\na=\"x;y\"\nb='z # w'\nc=\"\"\nd=''\ne=\"esc\\\"aped\"\n", true},
        equivalence_case{"empty_values", "[s]\na=\nb=;\nc=#\nd =\n", true},
        equivalence_case{"continuation", "[s]\nk=first \\\nsecond\n", true},
        equivalence_case{"continuation_chain", "[s]\nk=a\\\nb\\\nc\nnext=1\n", true},
        equivalence_case{"continuation_at_end", "[s]\nk=a\\\n", true},
        equivalence_case{"one_char_line", "[s]\nx\nk=v\n", false},
        equivalence_case{"one_char_last_line", "[s]\nk=v\na", true},
        equivalence_case{"keys_before_section", "k=v\n[s]\nk=w\n", true},
        equivalence_case{"section_spaces", "[  Spaced Section  ]\nK=V\n", true},
        equivalence_case{"empty_section_name", "[s]\n[]\nk=v\n", true},
        equivalence_case{"duplicate_keys", "[s]\nk=1\nk=2\n", true},
        equivalence_case{"utf8_values", "[s]\nname=\xe6\xb8\xb8\xe6\x88\x8f\n", true},
        equivalence_case{"tabs", "\t[s]\t\n\tk\t=\tv\t\n", true},
        equivalence_case{"syntax_error", "[s]\nthis line has no equals sign\nk=v\n", false},
        equivalence_case{"unterminated_section", "[s\nk=v\n", false},
        equivalence_case{"only_newlines", "\n\n\n", true},
        // Line lengths around the 1024-byte buffer: a line fits with its line
        // feed in 1023 characters, a last line without one in 1022.
        equivalence_case{"line_fits", "[s]\n" + kLongKey + "v\n", true},
        equivalence_case{"line_too_long", "[s]\n" + kLongKey + "vv\n", false},
        equivalence_case{"last_line_fits", "[s]\n" + kLongKey + "v", true},
        equivalence_case{"last_line_too_long", "[s]\n" + kLongKey + "vv", false},
        equivalence_case{"ten_thousand", "[s]\nk=" + repeat('x', 10000) + "\n", false},
        equivalence_case{"continuation_fits", "[s]\nk=" + repeat('a', 600) + "\\\n" + repeat('b', 420) + "\n", true},
        equivalence_case{"continuation_too_long", "[s]\nk=" + repeat('a', 600) + "\\\n" + repeat('b', 500) + "\n",
                         false},
        equivalence_case{"many_continuations", "[s]\nk=" + [] {
                                                   std::string s;
                                                   for (int i = 0; i < 300; ++i) s += "abcd\\\n";
                                                   return s + "end\n";
                                               }(),
                         false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniLoaderTest, ReadsSectionsKeysAndValues) {
    dict_ptr d(LoadIniFromBuffer("[Channel]\r\nSUB_CHANNEL_ID = 0x2000 ; hex\r\nad_id=\"12 34\"\r\n"));
    entries e;
    ASSERT_TRUE(contents(d.get(), e));
    EXPECT_EQ(e, (entries{{"channel", "(section)"}, {"channel:sub_channel_id", "0x2000"}, {"channel:ad_id", "12 34"}}));
}

TEST_F(IniLoaderTest, ContinuationReplacesTheBackslash) {
    dict_ptr d(LoadIniFromBuffer("[s]\nk=abc\\\ndef\n"));
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(iniparser_getstring(d.get(), "s:k", nullptr), "abcdef");
}

TEST_F(IniLoaderTest, NullAndEmptyTextAreReported) {
    EXPECT_EQ(LoadIniFromBuffer(nullptr), nullptr);
    EXPECT_EQ(g_reports, "iniparser: buffer null");
    g_reports.clear();
    EXPECT_EQ(LoadIniFromBuffer(""), nullptr);
    EXPECT_EQ(g_reports, "iniparser: buffer empty");
}

TEST_F(IniLoaderTest, SyntaxErrorRejectsTheWholeTextAndNamesTheLine) {
    EXPECT_EQ(LoadIniFromBuffer("[s]\nk=v\n\nbroken\n"), nullptr);
    EXPECT_EQ(g_reports, "iniparser: syntax error in (4):\n->\n");
}

TEST_F(IniLoaderTest, OverlongLineIsReportedAndRejected) {
    const std::string text = "[s]\nk=" + repeat('x', 5000) + "\n";
    EXPECT_EQ(LoadIniFromBuffer(text.c_str()), nullptr);
    EXPECT_NE(g_reports.find("input line too long"), std::string::npos) << g_reports;
}

TEST_F(IniLoaderTest, MissingFileGivesNothing) {
    config_test::temp_dir dir;
    EXPECT_EQ(LoadIniFile(dir.file("absent.ini")), nullptr);
}

}  // namespace
