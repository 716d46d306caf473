// Shortcut cleanup in the Wine prefix's real shell folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/file_util.h"
#include "system/shortcuts.h"

namespace {

bool present(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void make_file(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << testing::PrintToString(path);
    CloseHandle(h);
}

void make_dir(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << testing::PrintToString(path);
}

class Shortcuts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!get_file_util()) set_file_util(make_platform_file_util());
    }
    void SetUp() override {
        common_programs_ = get_programs_folder(true);
        user_programs_ = get_programs_folder(false);
        common_desktop_ = get_desktop_folder(true);
        user_desktop_ = get_desktop_folder(false);
        ASSERT_FALSE(common_programs_.empty());
        ASSERT_FALSE(user_programs_.empty());
        ASSERT_FALSE(common_desktop_.empty());
        ASSERT_FALSE(user_desktop_.empty());
        name_ = L"铁砧行动2测试" + std::to_wstring(GetCurrentProcessId());
        cleanup();
    }
    void TearDown() override { cleanup(); }

    // The three entries of the name in one programs folder and one desktop.
    std::wstring folder(const std::wstring& programs) const { return programs + L"\\" + name_; }
    std::wstring uninstall_link(const std::wstring& programs) const { return programs + L"\\卸载" + name_ + L".lnk"; }
    std::wstring desktop_link(const std::wstring& desktop) const { return desktop + L"\\" + name_ + L".lnk"; }

    void make_game_folder(const std::wstring& programs) {
        make_dir(folder(programs));
        make_file(folder(programs) + L"\\铁砧行动2.lnk");
        make_dir(folder(programs) + L"\\sub");
        make_file(folder(programs) + L"\\sub\\readme.txt");
    }

    void cleanup() {
        for (const std::wstring& programs : {common_programs_, user_programs_}) {
            remove_all(folder(programs));
            remove_all(uninstall_link(programs));
            remove_all(programs + L"\\" + name_ + L"x");
            remove_all(programs + L"\\卸载 " + name_ + L".lnk");
            remove_all(programs + L"\\a");
        }
        for (const std::wstring& desktop : {common_desktop_, user_desktop_}) remove_all(desktop_link(desktop));
    }

    std::wstring common_programs_, user_programs_, common_desktop_, user_desktop_, name_;
};

TEST_F(Shortcuts, ShellFoldersAreRealAndDistinct) {
    for (const std::wstring& f : {common_programs_, user_programs_, common_desktop_, user_desktop_}) {
        SCOPED_TRACE(testing::PrintToString(f));
        const DWORD attrs = GetFileAttributesW(f.c_str());
        ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(attrs & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_NE(f.back(), L'\\');
        EXPECT_EQ(f[1], L':');
    }
    EXPECT_NE(common_programs_, user_programs_);
    EXPECT_NE(common_desktop_, user_desktop_);
}

TEST_F(Shortcuts, GameFolderOnlyForTheCurrentUser) {
    make_game_folder(user_programs_);
    make_file(uninstall_link(user_programs_));
    make_file(uninstall_link(common_programs_));  // no game folder beside it: not the one
    make_file(user_programs_ + L"\\卸载 " + name_ + L".lnk");  // a space: another name
    make_dir(user_programs_ + L"\\" + name_ + L"x");

    EXPECT_TRUE(remove_shortcuts(name_));
    EXPECT_FALSE(present(folder(user_programs_)));
    EXPECT_FALSE(present(uninstall_link(user_programs_)));
    EXPECT_TRUE(present(uninstall_link(common_programs_)));
    EXPECT_TRUE(present(user_programs_ + L"\\卸载 " + name_ + L".lnk"));
    EXPECT_TRUE(present(user_programs_ + L"\\" + name_ + L"x"));
    EXPECT_TRUE(present(user_programs_));
    EXPECT_TRUE(present(common_programs_));
}

TEST_F(Shortcuts, GameFolderForAllUsersLeavesTheUsersEntries) {
    make_game_folder(common_programs_);
    make_file(uninstall_link(common_programs_));
    make_game_folder(user_programs_);
    make_file(uninstall_link(user_programs_));

    EXPECT_TRUE(remove_shortcuts(name_));
    EXPECT_FALSE(present(folder(common_programs_)));
    EXPECT_FALSE(present(uninstall_link(common_programs_)));
    EXPECT_TRUE(present(folder(user_programs_) + L"\\sub\\readme.txt"));
    EXPECT_TRUE(present(uninstall_link(user_programs_)));
}

TEST_F(Shortcuts, DesktopShortcutOfAllUsersFirst) {
    struct Case {
        bool in_common;
        bool in_user;
        bool common_after;
        bool user_after;
    };
    const Case cases[] = {
        {true, true, false, true},
        {true, false, false, false},
        {false, true, false, false},
        {false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "common " << c.in_common << " user " << c.in_user);
        if (c.in_common) make_file(desktop_link(common_desktop_));
        if (c.in_user) make_file(desktop_link(user_desktop_));
        EXPECT_TRUE(remove_shortcuts(name_));
        EXPECT_EQ(present(desktop_link(common_desktop_)), c.common_after);
        EXPECT_EQ(present(desktop_link(user_desktop_)), c.user_after);
        cleanup();
    }
}

TEST_F(Shortcuts, NamesThatAreNotOneComponentRemoveNothing) {
    // Each of these, joined to a shell folder, would name that folder itself, its
    // parent, or something inside another entry.
    make_dir(common_programs_ + L"\\a");
    make_dir(common_programs_ + L"\\a\\b");
    make_file(common_programs_ + L"\\a\\b.lnk");
    const std::wstring names[] = {L"", L".", L"..", L"a\\b", L"a/b", L"a\\..", L"..\\..", L"a.", L"a "};
    for (const std::wstring& name : names) {
        SCOPED_TRACE(testing::PrintToString(name));
        EXPECT_TRUE(remove_shortcuts(name));
        EXPECT_TRUE(present(common_programs_ + L"\\a\\b"));
        EXPECT_TRUE(present(common_programs_ + L"\\a\\b.lnk"));
        EXPECT_TRUE(present(common_programs_));
        EXPECT_TRUE(present(user_programs_));
        EXPECT_TRUE(present(common_desktop_));
        EXPECT_TRUE(present(user_desktop_));
    }
}

}  // namespace
