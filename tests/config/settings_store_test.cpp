#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "tests/config/test_support.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { config_test::reset_store(); }
};

TEST_F(SettingsStoreTest, InitialValues) {
    const settings_store& s = settings();
    EXPECT_EQ(s.register_key, "");
    EXPECT_EQ(s.internet, "");
    EXPECT_EQ(s.platform_name, "");
    EXPECT_EQ(s.channel_id, 0);
    EXPECT_EQ(s.sub_channel_id, 4096);
    EXPECT_EQ(s.ad_id, 0);
    EXPECT_TRUE(s.platform_table.empty());
}

TEST_F(SettingsStoreTest, ResetFillsEveryTableWithItsDefaults) {
    settings().platform_table["stray"] = "x";
    settings().micro_table["check_level"] = "9";
    ResetKeyTables();
    const settings_store& s = settings();

    const key_table platform = {
        {"register_key", ""}, {"lnk_name", ""}, {"default_ui_skin", ""}, {"locale", ""},
        {"core_dump_url", ""}, {"pcdn_root_url", ""}, {"p2p_type", "0"}, {"p2p_open", "0"},
        {"p2p_upload", "0"}, {"directx_download_url", ""}, {"self_url", ""}, {"main_url", ""},
        {"assetbundles_url", ""}, {"web_versin_path", ""}, {"web_versin_para", ""},
        {"bootconfig_download", "0"}};
    const key_table log = {{"stat_log_url", ""}, {"elk_log_url", ""}, {"hall_log_dir", ""}, {"local_log_url", ""}};
    const key_table program = {
        {"name", ""}, {"update_url", ""}, {"exe_arguments", ""}, {"exe_file_name", ""}, {"install_dir", ""},
        {"core_dump_pattern", ""}, {"check_level", "3"}, {"target_version", ""}, {"disable_update", "0"},
        {"disable_checksum", "0"}};
    EXPECT_EQ(s.platform_table, platform);
    EXPECT_EQ(s.log_table, log);
    EXPECT_EQ(s.micro_table, program);
    EXPECT_EQ(s.battle_table, program);
    EXPECT_EQ(s.launcher_table, program);
}

TEST_F(SettingsStoreTest, ResetLeavesTheScalars) {
    settings_store& s = settings();
    s.register_key = "HKEY_LOCAL_MACHINE\\Software\\Game";
    s.internet = "wan";
    s.platform_name = "p";
    s.channel_id = 7;
    s.sub_channel_id = 1;
    s.ad_id = 99;
    ResetKeyTables();
    EXPECT_EQ(s.register_key, "HKEY_LOCAL_MACHINE\\Software\\Game");
    EXPECT_EQ(s.internet, "wan");
    EXPECT_EQ(s.platform_name, "p");
    EXPECT_EQ(s.channel_id, 7);
    EXPECT_EQ(s.sub_channel_id, 1);
    EXPECT_EQ(s.ad_id, 99);
}

TEST_F(SettingsStoreTest, LayoutsListTheTablesInOrder) {
    const auto& layouts = KeyTableLayouts();
    ASSERT_EQ(layouts.size(), 5u);
    EXPECT_STREQ(layouts[0].name, "platform");
    EXPECT_EQ(layouts[0].keys.front().first, "register_key");
    EXPECT_EQ(layouts[0].keys.back().first, "bootconfig_download");
    EXPECT_STREQ(layouts[4].name, "launcher");
}

struct channel_case {
    int32_t channel_id;
    int32_t sub_channel_id;
    int32_t expected;
};
void PrintTo(const channel_case& c, std::ostream* os) { *os << c.channel_id << "/" << c.sub_channel_id; }

class FixUpChannelIdTest : public ::testing::TestWithParam<channel_case> {
protected:
    void SetUp() override { config_test::reset_store(); }
};

TEST_P(FixUpChannelIdTest, MapsSubChannelsOnlyForChannel4096) {
    settings().channel_id = GetParam().channel_id;
    settings().sub_channel_id = GetParam().sub_channel_id;
    FixUpChannelId();
    EXPECT_EQ(GetChannelId(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Config, FixUpChannelIdTest,
    ::testing::Values(channel_case{4096, 0x2000, 2}, channel_case{4096, 0x3000, 3}, channel_case{4096, 0x4000, 4},
                      channel_case{4096, 0x5000, 1}, channel_case{4096, 0x6000, 6}, channel_case{4096, 0x7000, 7},
                      channel_case{4096, 0x8000, 8}, channel_case{4096, 0x9000, 9}, channel_case{4096, 4096, 1},
                      channel_case{4096, 0, 1}, channel_case{4096, 0xA000, 1}, channel_case{4096, -1, 1},
                      channel_case{5, 0x2000, 5}, channel_case{0, 0x9000, 0}, channel_case{4095, 0x2000, 4095}));

TEST_F(SettingsStoreTest, FeedbackUrlAppendsThePathWithoutTouchingTheRoot) {
    ResetKeyTables();
    EXPECT_EQ(GetFeedbackUrl(), "/api/uninstallFeedback/save");
    settings().platform_table["pcdn_root_url"] = "http://example.test";
    EXPECT_EQ(GetFeedbackUrl(), "http://example.test/api/uninstallFeedback/save");
    settings().platform_table["pcdn_root_url"] = "http://example.test/";
    EXPECT_EQ(GetFeedbackUrl(), "http://example.test//api/uninstallFeedback/save");
}

TEST_F(SettingsStoreTest, AccessorsReturnTheStoredValues) {
    ResetKeyTables();
    EXPECT_EQ(GetStatLogUrl(), "");
    settings().log_table["stat_log_url"] = "http://127.0.0.1:8080/stat";
    settings().platform_name = "\xe6\xb8\xb8\xe6\x88\x8f";
    EXPECT_EQ(GetStatLogUrl(), "http://127.0.0.1:8080/stat");
    EXPECT_EQ(GetPlatformName(), "\xe6\xb8\xb8\xe6\x88\x8f");
}

TEST_F(SettingsStoreTest, AccessorsBeforeAnyLoadGiveEmptyValues) {
    EXPECT_EQ(GetStatLogUrl(), "");
    EXPECT_EQ(GetFeedbackUrl(), "/api/uninstallFeedback/save");
}

}  // namespace
