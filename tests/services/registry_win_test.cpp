// Registry access against the real (Wine) registry. The test writes its own keys
// and values, into the 32-bit view like the installer, and removes them again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "system/registry.h"

namespace {

const wchar_t kTestKey[] = L"Software\\UninstServicesTest";
const std::string kTestPath = "HKEY_LOCAL_MACHINE\\Software\\UninstServicesTest";
const std::wstring kTestPathW = L"HKEY_LOCAL_MACHINE\\Software\\UninstServicesTest";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Key {
public:
    Key(HKEY root, const std::wstring& subkey, REGSAM view) {
        EXPECT_EQ(RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    void set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }
    void set_text(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
        set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY key_ = nullptr;
};

bool key_exists(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool value_exists(HKEY root, const std::wstring& subkey, const wchar_t* name, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

void delete_tree(HKEY root, const std::wstring& subkey, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
    }
    RegDeleteKeyExW(root, subkey.c_str(), view, 0);
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        delete_tree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
        delete_tree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(Registry, ReadsStringValuesOfThe32BitView) {
    Key key(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
    key.set_text(L"GUID", L"{1234-abcd}");
    key.set_text(L"Empty", L"");
    key.set_text(L"", L"default text");
    key.set_text(L"Chinese", L"D:\\游戏\\资源");
    const std::wstring unterminated = L"no terminator";
    key.set(L"Unterminated", REG_SZ, unterminated.data(), static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
    const wchar_t odd[] = L"odd";
    key.set(L"OddSize", REG_SZ, odd, 5);  // "o", "d" and half a code unit
    key.set(L"ZeroBytes", REG_SZ, L"", 0);
    const wchar_t embedded[] = L"before\0after";
    key.set(L"EmbeddedNul", REG_SZ, embedded, sizeof(embedded));
    key.set_text(L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
    const wchar_t multi[] = L"one\0two\0";
    key.set(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const DWORD number = 7;
    key.set(L"Number", REG_DWORD, &number, sizeof(number));
    key.set(L"Binary", REG_BINARY, "abc", 3);
    key.set_text(L"Thai", L"\x0E01\x0E02");  // not in code page 936
    key.set_text(L"BestFit", L"D:\\Game\x00B2");  // "²" would best-fit to "2": another folder

    struct Case {
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {"GUID", "{1234-abcd}"},
        {"Empty", ""},
        {"", "default text"},
        {"Chinese", "D:\\\xD3\xCE\xCF\xB7\\\xD7\xCA\xD4\xB4"},  // code page 936
        {"Unterminated", "no terminator"},
        {"OddSize", "odd"},  // the spare zero bytes complete the half unit
        {"ZeroBytes", ""},
        {"EmbeddedNul", "before"},
        {"Expand", ""},
        {"Multi", ""},
        {"Number", ""},
        {"Binary", ""},
        {"Thai", ""},  // would read as "??", a path to nowhere
        {"BestFit", ""},
        {"Missing", ""},
        {"guid", "{1234-abcd}"},  // value names are not case-sensitive in the registry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reg_read_string(kTestPath, c.name), c.expected);
    }
}

TEST(RegistryText, NoBestFitMappingInTheLossyConversion) {
    EXPECT_EQ(wide_to_mb(L"Game\x00B2"), "Game?");
    std::string out;
    EXPECT_FALSE(wide_to_mb_exact(L"Game\x00B2", out));
}

TEST_F(Registry, ReadsOnlyThe32BitView) {
    Key key64(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    key64.set_text(L"GUID", L"64-bit view");
    key64.set_text(L"Only64", L"x");
    Key key32(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
    key32.set_text(L"GUID", L"32-bit view");
    EXPECT_EQ(reg_read_string(kTestPath, "GUID"), "32-bit view");
    EXPECT_EQ(reg_read_string(kTestPath, "Only64"), "");
}

TEST_F(Registry, PathsThatNameNoKeyReadEmpty) {
    Key key(HKEY_LOCAL_MACHINE, std::wstring(kTestKey) + L"\\Deep\\Er", KEY_WOW64_32KEY);
    key.set_text(L"V", L"deep");
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {kTestPath + "\\Deep\\Er", "deep"},  // only the first backslash splits
        {"HKEY_LOCAL_MACHINE", ""},
        {"hkey_local_machine\\Software\\UninstServicesTest\\Deep\\Er", ""},
        {"HKLM\\Software\\UninstServicesTest\\Deep\\Er", ""},
        {"HKEY_LOCAL_MACHINE\\Software\\UninstServicesTest\\Nowhere", ""},
        {"", ""},
        {kTestPath + "\\Deep\\Er\x81", ""},  // not a character in code page 936
        {kTestPath + "\\Deep\\Er" + std::string(1, '\0') + "x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(reg_read_string(c.path, "V"), c.expected);
    }
}

TEST_F(Registry, EmptySubkeyPathOpensTheRootItself) {
    const wchar_t name[] = L"UninstServicesTestRootValue";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, nullptr, name, REG_SZ, L"at the root", 24), ERROR_SUCCESS);
    EXPECT_EQ(reg_read_string("HKEY_CURRENT_USER\\", "UninstServicesTestRootValue"), "at the root");
    // Deleting a key with an empty subkey path must never touch the root.
    EXPECT_TRUE(reg_delete_key(L"HKEY_CURRENT_USER\\"));
    EXPECT_TRUE(reg_delete_value("HKEY_CURRENT_USER\\", "UninstServicesTestRootValue"));
    EXPECT_EQ(reg_read_string("HKEY_CURRENT_USER\\", "UninstServicesTestRootValue"), "");
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, L"Software", 0));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, nullptr, name);
}

TEST_F(Registry, DeleteValueActsOnThe32BitViewAndAlwaysSucceeds) {
    Key key64(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    key64.set_text(L"AppData", L"64");
    Key key32(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
    key32.set_text(L"AppData", L"32");
    key32.set_text(L"Other", L"stays");

    EXPECT_TRUE(reg_delete_value(kTestPath, "AppData"));
    EXPECT_FALSE(value_exists(HKEY_LOCAL_MACHINE, kTestKey, L"AppData", KEY_WOW64_32KEY));
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, kTestKey, L"AppData", KEY_WOW64_64KEY));
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, kTestKey, L"Other", KEY_WOW64_32KEY));

    // Nothing to delete, or nothing addressed: still true, and nothing else goes.
    EXPECT_TRUE(reg_delete_value(kTestPath, "AppData"));
    EXPECT_TRUE(reg_delete_value(kTestPath + "\\Nowhere", "Other"));
    EXPECT_TRUE(reg_delete_value("HKEY_LOCAL_MACHINE", "Other"));
    EXPECT_TRUE(reg_delete_value("HKLM\\Software\\UninstServicesTest", "Other"));
    EXPECT_TRUE(reg_delete_value(kTestPath, "Oth\x81"));
    EXPECT_TRUE(reg_delete_value(kTestPath, std::string("Other\0x", 7)));
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, kTestKey, L"Other", KEY_WOW64_32KEY));
}

TEST_F(Registry, DeleteKeyRemovesAKeyWithoutSubkeysInThe32BitView) {
    const std::wstring leaf = std::wstring(kTestKey) + L"\\Leaf";
    const std::wstring parent = std::wstring(kTestKey) + L"\\Parent";
    {
        Key leaf32(HKEY_LOCAL_MACHINE, leaf, KEY_WOW64_32KEY);
        leaf32.set_text(L"V", L"x");
        Key leaf64(HKEY_LOCAL_MACHINE, leaf, KEY_WOW64_64KEY);
        Key child(HKEY_LOCAL_MACHINE, parent + L"\\Child", KEY_WOW64_32KEY);
    }
    EXPECT_TRUE(reg_delete_key(kTestPathW + L"\\Leaf"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, leaf, KEY_WOW64_32KEY));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, leaf, KEY_WOW64_64KEY));

    EXPECT_TRUE(reg_delete_key(kTestPathW + L"\\Parent"));  // has a subkey: stays
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, parent + L"\\Child", KEY_WOW64_32KEY));

    for (const std::wstring& path : {std::wstring(L"HKEY_LOCAL_MACHINE"), std::wstring(L"HKLM\\Software\\X"),
                                     kTestPathW + L"\\Nowhere"}) {
        EXPECT_TRUE(reg_delete_key(path));
    }
}

TEST_F(Registry, DeleteUninstallEntryByDisplayName) {
    const std::wstring name = L"铁砧行动2UninstTest";
    const std::wstring entry = std::wstring(kUninstallKey) + L"\\" + name;
    const std::wstring with_sub = std::wstring(kUninstallKey) + L"\\" + name + L"Sub";
    {
        Key e(HKEY_LOCAL_MACHINE, entry, KEY_WOW64_32KEY);
        e.set_text(L"DisplayName", name);
        Key s(HKEY_LOCAL_MACHINE, with_sub + L"\\Inner", KEY_WOW64_32KEY);
    }
    EXPECT_TRUE(delete_uninstall_entry(name));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, entry, KEY_WOW64_32KEY));

    EXPECT_TRUE(delete_uninstall_entry(name + L"Sub"));  // has a subkey: stays
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, with_sub + L"\\Inner", KEY_WOW64_32KEY));
    // A name with a backslash names no single entry: its inner key is not deleted.
    EXPECT_TRUE(delete_uninstall_entry(name + L"Sub\\Inner"));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, with_sub + L"\\Inner", KEY_WOW64_32KEY));
    EXPECT_TRUE(delete_uninstall_entry(L""));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
    delete_tree(HKEY_LOCAL_MACHINE, with_sub, KEY_WOW64_32KEY);
}

}  // namespace
