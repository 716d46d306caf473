#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <tinyxml.h>

#include "config/ini_loader.h"
#include "config/platform_xml.h"
#include "config/settings_store.h"
#include "config/xml_nesting.h"
#include "tests/config/test_support.h"

namespace {

int quiet(const char*, ...) { return 0; }

struct trim_case {
    std::string in, out;
};
void PrintTo(const trim_case& c, std::ostream* os) { *os << ::testing::PrintToString(c.in); }

class TrimValueTest : public ::testing::TestWithParam<trim_case> {};

TEST_P(TrimValueTest, DropsTheTrimSetAtBothEnds) { EXPECT_EQ(TrimValue(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Config, TrimValueTest,
                         ::testing::Values(trim_case{"wan", "wan"}, trim_case{" wan ", "wan"},
                                           trim_case{"\"wan\"", "wan"}, trim_case{"\t\n\v\f\r\" wan \"\r\n", "wan"},
                                           trim_case{"a b", "a b"}, trim_case{"\"a\"b\"", "a\"b"},
                                           trim_case{"", ""}, trim_case{" \" \t", ""}, trim_case{"'x'", "'x'"},
                                           trim_case{"\xe3\x80\x80x", "\xe3\x80\x80x"}));

class PlatformXmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_test::reset_store();
        ResetKeyTables();
        SetIniErrorCallback(quiet);
    }
    void TearDown() override { SetIniErrorCallback(nullptr); }

    static void apply(const std::string& xml) {
        TiXmlDocument doc;
        doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
        ApplyPlatformDocument(doc);
    }
    static std::string pcdn() { return settings().platform_table["pcdn_root_url"]; }
};

TEST_F(PlatformXmlTest, RootAttributesAreTrimmedAndStored) {
    apply("<cfg Internet=' wan ' platform='\"gamepf\"' channel_id=' 4096 '/>");
    EXPECT_EQ(settings().internet, "wan");
    EXPECT_EQ(settings().platform_name, "gamepf");
    EXPECT_EQ(settings().channel_id, 4096);
}

TEST_F(PlatformXmlTest, ChannelIdIsReadAsDecimalPrefix) {
    for (const auto& [text, value] : std::initializer_list<std::pair<const char*, int32_t>>{
             {"12abc", 12}, {"-7", -7}, {"+8", 8}, {"abc", 0}, {"0x10", 0}, {"", 0}, {"99999999999", INT32_MAX}}) {
        apply(std::string("<cfg channel_id='") + text + "'/>");
        EXPECT_EQ(settings().channel_id, value) << text;
    }
}

TEST_F(PlatformXmlTest, ChannelProfileNameUsesTheTrimmedText) {
    apply("<cfg channel_id=' 4096 '>"
          "<ch_4096><platform><pcdn_root_url>trimmed</pcdn_root_url></platform></ch_4096>"
          "<ch_><platform><lnk_name>bare</lnk_name></platform></ch_>"
          "</cfg>");
    EXPECT_EQ(pcdn(), "trimmed");
    EXPECT_EQ(settings().platform_table["lnk_name"], "");
}

TEST_F(PlatformXmlTest, WithoutChannelIdTheBareChannelProfileApplies) {
    apply("<cfg><ch_><platform><lnk_name>bare</lnk_name></platform></ch_></cfg>");
    EXPECT_EQ(settings().platform_table["lnk_name"], "bare");
}

struct precedence_case {
    const char* name;
    std::string profiles;
    std::string expected;
};
void PrintTo(const precedence_case& c, std::ostream* os) { *os << c.name; }

class ProfilePrecedence : public PlatformXmlTest, public ::testing::WithParamInterface<precedence_case> {};

TEST_P(ProfilePrecedence, LastApplyingElementInTheDocumentWins) {
    apply("<cfg platform='pf' channel_id='4096'>" + GetParam().profiles + "</cfg>");
    EXPECT_EQ(pcdn(), GetParam().expected);
}

std::string profile(const std::string& name, const std::string& url) {
    return "<" + name + "><platform><pcdn_root_url>" + url + "</pcdn_root_url></platform></" + name + ">";
}

INSTANTIATE_TEST_SUITE_P(
    Config, ProfilePrecedence,
    ::testing::Values(
        precedence_case{"template_then_channel", profile("template", "t") + profile("ch_4096", "c"), "c"},
        precedence_case{"channel_then_template", profile("ch_4096", "c") + profile("template", "t"), "t"},
        precedence_case{"platform_last", profile("ch_4096", "c") + profile("template", "t") + profile("pf", "p"), "p"},
        precedence_case{"other_profiles_ignored", profile("template", "t") + profile("other", "o") +
                                                      profile("ch_4097", "x") + profile("Template", "T"),
                        "t"},
        precedence_case{"later_section_wins",
                        "<template><platform><pcdn_root_url>1</pcdn_root_url></platform>"
                        "<platform><pcdn_root_url>2</pcdn_root_url></platform></template>",
                        "2"},
        precedence_case{"later_key_wins",
                        "<template><platform><pcdn_root_url>1</pcdn_root_url>"
                        "<pcdn_root_url>2</pcdn_root_url></platform></template>",
                        "2"},
        precedence_case{"capitalised_section_ignored", "<template><Platform><pcdn_root_url>x</pcdn_root_url></Platform></template>",
                        ""},
        precedence_case{"empty_key_keeps_value",
                        profile("template", "t") + "<pf><platform><pcdn_root_url/></platform></pf>", "t"},
        precedence_case{"key_text_as_the_parser_gives_it", profile("template", "  a  \r\n b "), "a b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlatformXmlTest, EverySectionReachesItsTable) {
    apply("<cfg><template>"
          "<platform><p2p_type>2</p2p_type></platform>"
          "<log><stat_log_url>http://s.test/log</stat_log_url></log>"
          "<micro><check_level>1</check_level></micro>"
          "<battle><name>battle.exe</name></battle>"
          "<launcher><disable_update>1</disable_update></launcher>"
          "<unknown><name>x</name></unknown>"
          "</template></cfg>");
    const settings_store& s = settings();
    EXPECT_EQ(s.platform_table.at("p2p_type"), "2");
    EXPECT_EQ(s.log_table.at("stat_log_url"), "http://s.test/log");
    EXPECT_EQ(s.micro_table.at("check_level"), "1");
    EXPECT_EQ(s.battle_table.at("name"), "battle.exe");
    EXPECT_EQ(s.battle_table.at("check_level"), "3");
    EXPECT_EQ(s.launcher_table.at("disable_update"), "1");
    EXPECT_EQ(s.micro_table.at("name"), "");
}

TEST_F(PlatformXmlTest, UnknownKeysAreNeverAdded) {
    apply("<cfg><template><platform><pcdn_root_ur>x</pcdn_root_ur><PCDN_ROOT_URL>y</PCDN_ROOT_URL>"
          "</platform><log><register_key>z</register_key></log></template></cfg>");
    EXPECT_EQ(settings().platform_table.size(), 16u);
    EXPECT_EQ(settings().log_table.size(), 4u);
    EXPECT_EQ(pcdn(), "");
}

TEST_F(PlatformXmlTest, DocumentWithoutRootChangesNothing) {
    settings().platform_name = "kept";
    apply("");
    apply("just text");
    apply("<!-- only a comment -->");
    EXPECT_EQ(settings().platform_name, "kept");
}

TEST_F(PlatformXmlTest, ElementsBeforeAParseErrorStillApply) {
    apply("<cfg platform='pf'><template><platform><lnk_name>ok</lnk_name></platform><broken></template>");
    EXPECT_EQ(settings().platform_name, "pf");
    EXPECT_EQ(settings().platform_table["lnk_name"], "ok");
}

// --- Loading from files -------------------------------------------------------

class LoadConfigurationTest : public PlatformXmlTest {
protected:
    config_test::temp_dir dir;
};

TEST_F(LoadConfigurationTest, MissingFileKeepsEveryDefault) {
    settings().platform_table["lnk_name"] = "stale";
    EXPECT_FALSE(LoadConfiguration(dir.path()));
    EXPECT_EQ(settings().platform_table["lnk_name"], "") << "tables are reset first";
    EXPECT_EQ(settings().channel_id, 0);
    EXPECT_EQ(settings().register_key, "");
}

TEST_F(LoadConfigurationTest, WanInstallationReadsTheChannelAndFixesTheChannelUp) {
    dir.write_encrypted("platform.xml",
                        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                        "<root Internet=\" wan \" platform=\"pf\" channel_id=\"4096\">\n"
                        "  <template><platform><register_key>HKEY_LOCAL_MACHINE\\Software\\Game</register_key>"
                        "</platform></template>\n"
                        "</root>\n");
    dir.write_encrypted("platform_exm.ini", "[channel]\nsub_channel_id=0x2000\nad_id=123456789012\n");
    EXPECT_TRUE(LoadConfiguration(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 0x2000);
    EXPECT_EQ(settings().ad_id, 123456789012LL);
    EXPECT_EQ(GetChannelId(), 2);
    EXPECT_EQ(settings().register_key, "HKEY_LOCAL_MACHINE\\Software\\Game");
}

TEST_F(LoadConfigurationTest, OnlyExactLowerCaseWanReadsTheChannel) {
    for (const char* internet : {"WAN", "lan", "wan2", ""}) {
        config_test::reset_store();
        dir.write_encrypted("platform.xml", std::string("<root Internet='") + internet + "' channel_id='4096'/>");
        dir.write("platform_ex.ini", "[channel]\nsub_channel_id=0x3000\n");
        EXPECT_TRUE(LoadConfiguration(dir.path()));
        EXPECT_EQ(settings().sub_channel_id, 4096) << internet;
        EXPECT_EQ(GetChannelId(), 1) << internet;
    }
}

TEST_F(LoadConfigurationTest, RegisterKeyAlreadySetIsKept) {
    settings().register_key = "HKEY_CURRENT_USER\\Software\\Earlier";
    dir.write_encrypted("platform.xml",
                        "<r><template><platform><register_key>HKEY_LOCAL_MACHINE\\Software\\Later</register_key>"
                        "</platform></template></r>");
    EXPECT_TRUE(LoadConfiguration(dir.path()));
    EXPECT_EQ(settings().register_key, "HKEY_CURRENT_USER\\Software\\Earlier");
}

TEST_F(LoadConfigurationTest, PlainXmlDoesNotDecryptToXml) {
    dir.write("platform.xml", "<r platform='pf'><template><platform><lnk_name>x</lnk_name></platform></template></r>");
    load_report report;
    EXPECT_TRUE(LoadConfiguration(dir.path(), &report));
    EXPECT_EQ(settings().platform_name, "");
    EXPECT_EQ(settings().platform_table["lnk_name"], "");
    EXPECT_FALSE(report.xml_error.empty());
}

// Bytes that are not a configuration at all: every one loads without harm and
// leaves the defaults.
struct junk_case {
    const char* name;
    std::string bytes;
};
void PrintTo(const junk_case& c, std::ostream* os) { *os << c.name; }

class JunkPlatformXml : public LoadConfigurationTest, public ::testing::WithParamInterface<junk_case> {};

TEST_P(JunkPlatformXml, LoadsWithoutHarm) {
    dir.write("platform.xml", GetParam().bytes);
    EXPECT_TRUE(LoadConfiguration(dir.path()));
    EXPECT_EQ(settings().channel_id, 0);
    EXPECT_EQ(settings().platform_table.size(), 16u);
}

std::string pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = char((i * 2654435761u) >> 13);
    return s;
}

INSTANTIATE_TEST_SUITE_P(Config, JunkPlatformXml,
                         ::testing::Values(junk_case{"empty", ""}, junk_case{"one_byte", "<"},
                                           junk_case{"seven_bytes", pattern(7)}, junk_case{"binary", pattern(4099)},
                                           junk_case{"all_ff", std::string(1000, '\xff')}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadConfigurationTest, UnterminatedXmlAppliesWhatWasBuilt) {
    dir.write_encrypted("platform.xml", "<root channel_id='5'><template><platform><lnk_name>x</lnk_name></platform><templ");
    load_report report;
    EXPECT_TRUE(LoadConfiguration(dir.path(), &report));
    EXPECT_EQ(settings().channel_id, 5);
    EXPECT_EQ(settings().platform_table["lnk_name"], "x");
    EXPECT_FALSE(report.xml_error.empty());
}

TEST_F(LoadConfigurationTest, UnreadablePlatformXmlAppliesNothing) {
    dir.make_folder("platform.xml");
    dir.write("platform_ex.ini", "[channel]\nsub_channel_id=0x2000\n");
    settings().platform_name = "kept";
    LoadConfiguration(dir.path());  // counted as read or not: either is fine
    EXPECT_EQ(settings().platform_name, "kept");
    EXPECT_EQ(settings().sub_channel_id, 4096);
    EXPECT_EQ(settings().platform_table.size(), 16u);
}

TEST_F(LoadConfigurationTest, HundredMegabyteFileLoadsWithoutHarm) {
    dir.write("platform.xml", std::string(100u << 20, 'A'));
    EXPECT_TRUE(LoadConfiguration(dir.path()));
    EXPECT_EQ(settings().platform_name, "");
}

// --- Nesting limit ---------------------------------------------------------------

std::string nested(int depth, const std::string& innermost = "") {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<n>";
        close += "</n>";
    }
    return open + innermost + close;
}

TEST_F(LoadConfigurationTest, NestingUpToTheLimitApplies) {
    // Root, template, platform, key, then filler down to the limit inside the key's sibling.
    const std::string xml = "<r platform='pf'><template><platform><lnk_name>ok</lnk_name>" +
                            nested(kMaxXmlNesting - 3) + "</platform></template></r>";
    dir.write_encrypted("platform.xml", xml);
    load_report report;
    EXPECT_TRUE(LoadConfiguration(dir.path(), &report));
    EXPECT_FALSE(report.xml_too_deep);
    EXPECT_EQ(settings().platform_name, "pf");
    EXPECT_EQ(settings().platform_table["lnk_name"], "ok");
}

TEST_F(LoadConfigurationTest, NestingPastTheLimitAppliesNothing) {
    const std::string xml = "<r platform='pf'><template><platform><lnk_name>ok</lnk_name>" +
                            nested(kMaxXmlNesting - 2) + "</platform></template></r>";
    dir.write_encrypted("platform.xml", xml);
    load_report report;
    EXPECT_TRUE(LoadConfiguration(dir.path(), &report));
    EXPECT_TRUE(report.xml_too_deep);
    EXPECT_EQ(settings().platform_name, "");
    EXPECT_EQ(settings().platform_table["lnk_name"], "");
}

TEST_F(LoadConfigurationTest, MillionNestedElementsAreRejectedWithoutParsing) {
    std::string xml = "<r platform='pf'>";
    xml.reserve(8u << 20);
    for (int i = 0; i < 1000000; ++i) xml += "<n>";
    for (int i = 0; i < 1000000; ++i) xml += "</n>";
    xml += "</r>";
    dir.write_encrypted("platform.xml", xml);
    load_report report;
    EXPECT_TRUE(LoadConfiguration(dir.path(), &report));
    EXPECT_TRUE(report.xml_too_deep);
    EXPECT_EQ(settings().platform_name, "");
}

// The nesting scan must never count less than the parser nests: markup that
// hides end tags from a careless scan, checked against the parser's own tree.
int tree_depth(const TiXmlNode* node) {
    int deepest = 0;
    for (const TiXmlElement* child = node->FirstChildElement(); child; child = child->NextSiblingElement())
        deepest = std::max(deepest, 1 + tree_depth(child));
    return deepest;
}

struct nesting_case {
    const char* name;
    std::string xml;
};
void PrintTo(const nesting_case& c, std::ostream* os) { *os << c.name; }

class NestingScan : public ::testing::TestWithParam<nesting_case> {};

TEST_P(NestingScan, NeverCountsLessThanTheParserNests) {
    const std::string& xml = GetParam().xml;
    std::string buffer = xml + std::string(16, '\0');
    TiXmlDocument doc;
    doc.Parse(buffer.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const int depth = tree_depth(&doc);
    ASSERT_GT(depth, 3) << "the case must nest";
    EXPECT_FALSE(XmlNestingWithin(buffer.data(), buffer.size(), depth - 1)) << "depth " << depth;
    EXPECT_TRUE(XmlNestingWithin(buffer.data(), buffer.size(), depth)) << "depth " << depth;
}

std::string repeated(const std::string& unit, int times, const std::string& tail = "") {
    std::string s;
    for (int i = 0; i < times; ++i) s += unit;
    return s + tail;
}

INSTANTIATE_TEST_SUITE_P(
    Config, NestingScan,
    ::testing::Values(
        nesting_case{"plain", nested(6, "x")},
        nesting_case{"end_tags_in_attributes", repeated("<a v=\"</a>\" w='</a>'>", 5, "x") + repeated("</a>", 5)},
        nesting_case{"end_tags_in_comments", repeated("<a><!-- </a> -->", 5) + repeated("</a>", 5)},
        nesting_case{"end_tags_in_cdata", repeated("<a><![CDATA[</a>]]>", 5) + repeated("</a>", 5)},
        nesting_case{"end_tags_in_unknown", repeated("<a><!DOCTYPE </a>>", 5) + repeated("</a>", 5)},
        nesting_case{"end_tags_in_declarations", repeated("<a><?xml version='</a>' ?>", 5) + repeated("</a>", 5)},
        nesting_case{"end_tags_after_lead_bytes", repeated("<a>\xe4</a>", 5, "x") + repeated("</a>", 5)},
        nesting_case{"end_tags_in_quoted_lead_bytes", repeated("<a v='\xe4'</a>'>", 5, "x") + repeated("</a>", 5)},
        nesting_case{"self_closing_siblings", repeated("<a><b/><c x='1'/>", 5, "y") + repeated("</a>", 5)},
        nesting_case{"byte_order_marks", repeated("<a \xef\xbb\xbf v='1'>", 5, "x") + repeated("</a >", 5)},
        nesting_case{"prefix_of_end_tag", repeated("<ab><a>", 3, "x") + "</a></ab></a>"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
