// Key path splitting, the root table and the runtime conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "system/registry.h"

namespace {

// The host runs the conversions in a UTF-8 locale; under Wine the user's locale
// is Chinese (code page 936). Each case carries the bytes for its platform.
#ifdef _WIN32
const std::string kMiddle = "\xD6\xD0";       // 中 in code page 936
const std::string kTruncated = "ab\x81";      // a lead byte with nothing after it
const std::string kBadTrail = "a\x81\x7F" "b";  // 0x7F never follows a lead byte
const std::wstring kUnrepresentable = L"\x0E01";  // a Thai letter: not in code page 936
const std::wstring kTruncatedLossy = L"ab\xFFFD";
const std::wstring kBadTrailLossy = L"a\xFFFD\x7F" L"b";  // 0x7F then reads as itself
#else
const std::string kMiddle = "\xE4\xB8\xAD";   // 中 in UTF-8
const std::string kTruncated = "ab\xE4\xB8";  // a sequence cut off at the end
const std::string kBadTrail = "a\xC3\x28" "b";  // 0x28 cannot continue a sequence
const std::wstring kUnrepresentable(1, static_cast<wchar_t>(0xD800));  // a lone surrogate
const std::wstring kTruncatedLossy = L"ab\xFFFD\xFFFD";
const std::wstring kBadTrailLossy = L"a\xFFFD(b";
#endif

class UserLocale : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifndef _WIN32
        setenv("LC_ALL", "C.UTF-8", 1);  // the "user default" the conversions switch to
#endif
    }
};

TEST(SplitKeyPath, SplitsAtTheFirstBackslashOnly) {
    struct Case {
        std::string path;
        bool splits;
        std::string root;
        std::string subkey;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\Example\\Sub", true, "HKEY_LOCAL_MACHINE", "Software\\Example\\Sub"},
        {"HKEY_CURRENT_USER\\", true, "HKEY_CURRENT_USER", ""},
        {"HKEY_CURRENT_USER\\\\x", true, "HKEY_CURRENT_USER", "\\x"},
        {"\\Software", true, "", "Software"},
        {"HKEY_LOCAL_MACHINE", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto narrow = split_key_path(c.path);
        const auto wide = split_key_path(std::wstring(c.path.begin(), c.path.end()));
        ASSERT_EQ(narrow.has_value(), c.splits);
        ASSERT_EQ(wide.has_value(), c.splits);
        if (!c.splits) continue;
        EXPECT_EQ(narrow->root, c.root);
        EXPECT_EQ(narrow->subkey, c.subkey);
        EXPECT_EQ(wide->root, std::wstring(c.root.begin(), c.root.end()));
        EXPECT_EQ(wide->subkey, std::wstring(c.subkey.begin(), c.subkey.end()));
    }
}

TEST(RootKeyFromName, AcceptsTheExactNamesOnly) {
    struct Case {
        std::string name;
        bool known;
        uint32_t key;
    };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT", true, 0x80000000u},
        {"HKEY_CURRENT_USER", true, 0x80000001u},
        {"HKEY_LOCAL_MACHINE", true, 0x80000002u},
        {"HKEY_USERS", true, 0x80000003u},
        {"HKEY_PERFORMANCE_DATA", true, 0x80000004u},
        {"HKEY_CURRENT_CONFIG", true, 0x80000005u},
        {"HKEY_DYN_DATA", true, 0x80000006u},
        {"HKEY_CURRENT_USER_LOCAL_SETTINGS", true, 0x80000007u},
        {"HKEY_PERFORMANCE_TEXT", true, 0x80000050u},
        {"HKEY_PERFORMANCE_NLSTEXT", true, 0x80000060u},
        {"hkey_local_machine", false, 0},
        {"HKLM", false, 0},
        {"HKCU", false, 0},
        {"HKEY_LOCAL_MACHIN", false, 0},
        {"HKEY_LOCAL_MACHINE ", false, 0},
        {" HKEY_LOCAL_MACHINE", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto narrow = root_key_from_name(c.name);
        const auto wide = root_key_from_name(std::wstring(c.name.begin(), c.name.end()));
        ASSERT_EQ(narrow.has_value(), c.known);
        ASSERT_EQ(wide.has_value(), c.known);
        if (c.known) {
            EXPECT_EQ(*narrow, c.key);
            EXPECT_EQ(*wide, c.key);
        }
    }
    // A name with a NUL inside is not the name before the NUL.
    EXPECT_FALSE(root_key_from_name(std::string("HKEY_USERS\0x", 12)).has_value());
}

TEST_F(UserLocale, ConvertsValidTextBothWays) {
    const std::string narrow = "Software\\" + kMiddle + "\\x y";
    const std::wstring wide = L"Software\\\x4E2D\\x y";
    EXPECT_EQ(mb_to_wide(narrow), wide);
    EXPECT_EQ(wide_to_mb(wide), narrow);
    std::wstring w;
    std::string n;
    EXPECT_TRUE(mb_to_wide_exact(narrow, w));
    EXPECT_EQ(w, wide);
    EXPECT_TRUE(wide_to_mb_exact(wide, n));
    EXPECT_EQ(n, narrow);
    EXPECT_EQ(mb_to_wide(""), L"");
    EXPECT_EQ(wide_to_mb(L""), "");
    EXPECT_TRUE(mb_to_wide_exact("", w));
    EXPECT_TRUE(w.empty());
}

TEST_F(UserLocale, InvalidMultibyteInputIsReplacedOrRefused) {
    // Each bad byte becomes one U+FFFD and conversion goes on after it.
    struct Case {
        std::string input;
        std::wstring lossy;
    };
    const Case cases[] = {
        {kTruncated, kTruncatedLossy},
        {kBadTrail, kBadTrailLossy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        EXPECT_EQ(mb_to_wide(c.input), c.lossy);
        std::wstring exact = L"stale";
        EXPECT_FALSE(mb_to_wide_exact(c.input, exact));
        EXPECT_TRUE(exact.empty());
    }
}

TEST_F(UserLocale, UnrepresentableWideTextIsReplacedOrRefused) {
    const std::wstring input = L"a" + kUnrepresentable + L"b";
    EXPECT_EQ(wide_to_mb(input), "a?b");
    std::string exact = "stale";
    EXPECT_FALSE(wide_to_mb_exact(input, exact));
    EXPECT_TRUE(exact.empty());
}

TEST_F(UserLocale, EmbeddedNulEndsLossyTextAndRefusesExactText) {
    const std::string narrow("ab\0cd", 5);
    const std::wstring wide(L"ab\0cd", 5);
    EXPECT_EQ(mb_to_wide(narrow), L"ab");
    EXPECT_EQ(wide_to_mb(wide), "ab");
    std::wstring w;
    std::string n;
    EXPECT_FALSE(mb_to_wide_exact(narrow, w));
    EXPECT_FALSE(wide_to_mb_exact(wide, n));
}

TEST(UninstallEntryPath, IsTheUninstallKeyAndTheName) {
    const std::wstring prefix = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(prefix.size(), 71u);
    EXPECT_EQ(uninstall_entry_path(L"铁砧行动2"), prefix + L"铁砧行动2");
}

}  // namespace
