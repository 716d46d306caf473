#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "config/channel_ini.h"
#include "config/ini_loader.h"
#include "config/settings_store.h"
#include "tests/config/test_support.h"

namespace {

int quiet(const char*, ...) { return 0; }

struct sub_channel_case {
    const char* text;
    int32_t expected;
};
void PrintTo(const sub_channel_case& c, std::ostream* os) { *os << (c.text ? c.text : "(null)"); }

class SubChannelConversion : public ::testing::TestWithParam<sub_channel_case> {};

TEST_P(SubChannelConversion, BaseByPrefixClampedTo32Bits) {
    EXPECT_EQ(ParseSubChannelId(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Config, SubChannelConversion,
    ::testing::Values(sub_channel_case{"8192", 8192}, sub_channel_case{"0x2000", 8192}, sub_channel_case{"0X2000", 8192},
                      sub_channel_case{"020000", 8192}, sub_channel_case{"-12", -12}, sub_channel_case{"12abc", 12},
                      sub_channel_case{"", 0}, sub_channel_case{"abc", 0}, sub_channel_case{"0x", 0},
                      sub_channel_case{"09", 0}, sub_channel_case{"2147483647", 2147483647},
                      sub_channel_case{"2147483648", std::numeric_limits<int32_t>::max()},
                      sub_channel_case{"0x100002000", std::numeric_limits<int32_t>::max()},
                      sub_channel_case{"-2147483649", std::numeric_limits<int32_t>::min()},
                      sub_channel_case{"99999999999999999999999", std::numeric_limits<int32_t>::max()},
                      sub_channel_case{nullptr, 0}));

struct ad_id_case {
    const char* text;
    int64_t expected;
};
void PrintTo(const ad_id_case& c, std::ostream* os) { *os << (c.text ? c.text : "(null)"); }

class AdIdConversion : public ::testing::TestWithParam<ad_id_case> {};

TEST_P(AdIdConversion, DecimalOnlyClampedTo64Bits) {
    EXPECT_EQ(ParseAdId(GetParam().text), GetParam().expected) << (GetParam().text ? GetParam().text : "(null)");
}

INSTANTIATE_TEST_SUITE_P(
    Config, AdIdConversion,
    ::testing::Values(ad_id_case{"123456789012", 123456789012LL}, ad_id_case{"0x2000", 0}, ad_id_case{"010", 10},
                      ad_id_case{"-5", -5}, ad_id_case{"42 tail", 42}, ad_id_case{"", 0},
                      ad_id_case{"9223372036854775807", std::numeric_limits<int64_t>::max()},
                      ad_id_case{"9223372036854775808", std::numeric_limits<int64_t>::max()},
                      ad_id_case{"-9223372036854775809", std::numeric_limits<int64_t>::min()},
                      ad_id_case{nullptr, 0}));

class ReadChannelIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_test::reset_store();
        SetIniErrorCallback(quiet);
    }
    void TearDown() override { SetIniErrorCallback(nullptr); }
    config_test::temp_dir dir;
};

TEST_F(ReadChannelIniTest, EncryptedFileIsReadFromMemory) {
    dir.write_encrypted("platform_exm.ini", "[channel]\r\nsub_channel_id=0x3000\r\nad_id=123456789012\r\n");
    EXPECT_TRUE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 0x3000);
    EXPECT_EQ(settings().ad_id, 123456789012LL);
}

TEST_F(ReadChannelIniTest, PlainFileIsReadWhenNoEncryptedOne) {
    dir.write("platform_ex.ini", "[CHANNEL]\nSUB_CHANNEL_ID=020000\nAD_ID=77\n");
    EXPECT_TRUE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 8192);
    EXPECT_EQ(settings().ad_id, 77);
}

TEST_F(ReadChannelIniTest, EncryptedFileWinsOverThePlainOne) {
    dir.write_encrypted("platform_exm.ini", "[channel]\nsub_channel_id=0x4000\n");
    dir.write("platform_ex.ini", "[channel]\nsub_channel_id=0x6000\nad_id=5\n");
    EXPECT_TRUE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 0x4000);
    EXPECT_EQ(settings().ad_id, 0) << "absent key reads as 0";
}

TEST_F(ReadChannelIniTest, AbsentKeysGiveZero) {
    dir.write("platform_ex.ini", "[other]\nx=1\n");
    EXPECT_TRUE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 0);
    EXPECT_EQ(settings().ad_id, 0);
}

struct failing_case {
    const char* name;
    bool encrypted;        // write platform_exm.ini (else platform_ex.ini)
    std::string content;   // bytes as stored (encrypted by the test when `encrypted`)
    bool raw;              // store `content` as it is, without encrypting
};
void PrintTo(const failing_case& c, std::ostream* os) { *os << c.name; }

class ReadChannelIniFailure : public ReadChannelIniTest, public ::testing::WithParamInterface<failing_case> {};

TEST_P(ReadChannelIniFailure, LeavesTheSettingsAndNeverFallsBack) {
    const failing_case& c = GetParam();
    settings().sub_channel_id = 4096;
    settings().ad_id = 3;
    if (c.encrypted) {
        if (c.raw)
            dir.write("platform_exm.ini", c.content);
        else
            dir.write_encrypted("platform_exm.ini", c.content);
        // A valid plain file beside it must not be consulted.
        dir.write("platform_ex.ini", "[channel]\nsub_channel_id=0x2000\nad_id=9\n");
    } else {
        dir.write("platform_ex.ini", c.content);
    }
    EXPECT_FALSE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 4096);
    EXPECT_EQ(settings().ad_id, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Config, ReadChannelIniFailure,
    ::testing::Values(failing_case{"encrypted_syntax_error", true, "[channel]\nnot a line\n", false},
                      failing_case{"encrypted_empty_file", true, "", true},
                      failing_case{"encrypted_decrypts_to_nothing", true, std::string(8, '\0'), false},
                      failing_case{"plain_text_stored_as_encrypted", true, "[channel]\nsub_channel_id=1\n", true},
                      failing_case{"plain_syntax_error", false, "[channel]\ngarbage\n", false},
                      failing_case{"plain_line_too_long", false, "[channel]\nk=" + std::string(3000, 'x') + "\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadChannelIniTest, UnreadableEncryptedFileGivesFalseWithoutFallingBack) {
    dir.make_folder("platform_exm.ini");
    dir.write("platform_ex.ini", "[channel]\nsub_channel_id=0x2000\nad_id=9\n");
    settings().sub_channel_id = 4096;
    EXPECT_FALSE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 4096);
    EXPECT_EQ(settings().ad_id, 0);
}

TEST_F(ReadChannelIniTest, NeitherFileGivesFalse) {
    settings().sub_channel_id = 1234;
    EXPECT_FALSE(ReadChannelIni(dir.path()));
    EXPECT_EQ(settings().sub_channel_id, 1234);
}

TEST_F(ReadChannelIniTest, BinaryJunkOfEverySmallSizeIsHandled) {
    for (size_t size : {size_t(1), size_t(7), size_t(13), size_t(64), size_t(4099)}) {
        std::string junk(size, '\0');
        for (size_t i = 0; i < size; ++i) junk[i] = char(i * 131 + 7);
        dir.write("platform_exm.ini", junk);
        settings().sub_channel_id = 4096;
        settings().ad_id = 3;
        // Any result; a failed load changes nothing (and the ASan tree checks every access).
        if (!ReadChannelIni(dir.path())) {
            EXPECT_EQ(settings().sub_channel_id, 4096) << size;
            EXPECT_EQ(settings().ad_id, 3) << size;
        }
    }
}

}  // namespace
