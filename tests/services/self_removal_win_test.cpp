// Writing the script file, and the refusals that keep the script from running.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "system/file_util.h"
#include "uninstall/self_removal.h"

namespace {

std::string read_bytes_of(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &got, nullptr);
    CloseHandle(h);
    data.resize(got);
    return data;
}

bool present(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class SelfRemovalFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!get_file_util()) set_file_util(make_platform_file_util());
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        dir_ = std::wstring(temp) + L"svc 测试 " + std::to_wstring(GetCurrentProcessId());
        remove_all(dir_);
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        SetCurrentDirectoryW(L"C:\\");
        remove_all(dir_);
    }
    std::wstring dir_;
};

TEST_F(SelfRemovalFiles, WritesTheTextInTheAnsiCodePageWithoutBomOrNul) {
    ASSERT_EQ(GetACP(), 936u);  // the prefix runs a Chinese locale
    const std::wstring path = dir_ + L"\\脚本.bat";
    const std::wstring text = L"@ echo off\r\ndel \"D:\\游戏\\uninstaller.exe\"";
    const std::string expected = "@ echo off\r\ndel \"D:\\\xD3\xCE\xCF\xB7\\uninstaller.exe\"";
    EXPECT_EQ(WriteNarrowTextFile(path, text), static_cast<int>(expected.size()));
    EXPECT_EQ(read_bytes_of(path), expected);

    // An old, longer file of that name is replaced whole.
    EXPECT_EQ(WriteNarrowTextFile(path, L"x"), 1);
    EXPECT_EQ(read_bytes_of(path), "x");
    EXPECT_EQ(WriteNarrowTextFile(path, L""), 0);
    EXPECT_EQ(read_bytes_of(path), "");
}

TEST_F(SelfRemovalFiles, CharactersTheCodePageLacksBecomeTheDefaultCharacter) {
    const std::wstring path = dir_ + L"\\t.txt";
    struct Case {
        std::wstring text;
        std::string bytes;
    };
    const Case cases[] = {
        {L"a\x0E01" L"b", "a?b"},  // not in code page 936
        {L"Game\x00B2", "Game?"},  // best fit would write "Game2", another folder's name
        {L"x\xFF0Ey", "x\xA3\xAEy"},  // a full-width dot is in the code page: kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(WriteNarrowTextFile(path, c.text), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(read_bytes_of(path), c.bytes);
    }
}

TEST_F(SelfRemovalFiles, AFileThatCannotBeOpenedGivesMinusOne) {
    EXPECT_EQ(WriteNarrowTextFile(dir_ + L"\\missing\\DeleteBat.bat", L"x"), -1);
    EXPECT_EQ(WriteNarrowTextFile(dir_, L"x"), -1);  // a folder
}

TEST_F(SelfRemovalFiles, NoTemporaryFolderMeansNoScript) {
    const std::wstring install = dir_ + L"\\game";
    ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
    const std::wstring exe = install + L"\\uninstaller.exe";
    ASSERT_EQ(WriteNarrowTextFile(exe, L"MZ"), 2);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));

    // Without a folder the name alone would land in the working folder.
    EXPECT_FALSE(LaunchSelfRemovalIn(L"", install, true));
    EXPECT_FALSE(present(dir_ + L"\\DeleteBat.bat"));
    // A folder that is not there: nothing written, nothing started.
    EXPECT_FALSE(LaunchSelfRemovalIn(dir_ + L"\\gone\\", install, true));
    EXPECT_FALSE(present(dir_ + L"\\gone"));
    EXPECT_TRUE(present(exe));
}

TEST_F(SelfRemovalFiles, FoldersThatMustNeverBeRemovedWhole) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    wchar_t profile[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH), 0u);
    wchar_t program_files[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", program_files, MAX_PATH), 0u);
    const std::wstring profile_parent = std::wstring(profile).substr(0, std::wstring(profile).rfind(L'\\'));
    const std::wstring refused[] = {
        L"C:\\", windows, profile, profile_parent, program_files, std::wstring(profile) + L"\\Desktop",
        dir_ + L"\\not there",
    };
    for (const std::wstring& folder : refused) {
        SCOPED_TRACE(testing::PrintToString(folder));
        EXPECT_FALSE(FolderMayBeRemoved(folder));
    }
    const std::wstring game = dir_ + L"\\Games\\铁砧 & 100%";
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"\\Games").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(game.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((game + L"\\res").c_str(), nullptr));
    EXPECT_TRUE(FolderMayBeRemoved(game));
}

}  // namespace
