// The shell-folder side of the safety check, against the real shell folders of
// the Wine prefix.
#include "uninstall/protected_folders_win.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "uninstall/install_safety.h"

namespace {

std::wstring shell(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)));
    return buf;
}

TEST(ProtectedFolders, HoldTheSystemAndUserFolders) {
    const auto prot = QueryProtectedFolders();
    for (int csidl : {CSIDL_WINDOWS, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES}) {
        const std::wstring want = CanonicalPathForCompare(shell(csidl));
        EXPECT_NE(std::find(prot.begin(), prot.end(), want), prot.end()) << want;
    }
}

TEST(ProtectedFolders, RefuseTheirSpellingsAndParents) {
    const auto prot = QueryProtectedFolders();
    const std::wstring windows = shell(CSIDL_WINDOWS);
    const std::wstring profile = shell(CSIDL_PROFILE);
    std::wstring lower = windows;
    CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    struct row {
        std::wstring dir;
        bool expected;
    };
    const row rows[] = {
        {windows, false},
        {lower + L"\\", false},
        {windows + L"\\System32\\..", false},  // resolved by the full path, then compared
        {profile, false},
        {profile.substr(0, profile.rfind(L'\\')), false},  // the folder of all profiles
        {L"C:\\", false},
        {profile + L"\\Games\\Anvil", true},
        {windows + L"\\Temp\\Anvil", true},
        {L"C:\\Games\\Anvil", true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(MayEmptyFolder(CanonicalPathForCompare(r.dir), prot), r.expected) << r.dir;
}

TEST(CanonicalPathForCompare, ShortAndLongNamesMeetInOneForm) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring dir = std::wstring(temp) + L"Wizard Long Folder Name";
    CreateDirectoryW(dir.c_str(), nullptr);
    wchar_t shortbuf[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(dir.c_str(), shortbuf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        EXPECT_EQ(CanonicalPathForCompare(shortbuf), CanonicalPathForCompare(dir));
    }
    EXPECT_EQ(CanonicalPathForCompare(dir), CanonicalPathForCompare(dir + L"\\"));
    RemoveDirectoryW(dir.c_str());
}

}  // namespace
