// The self-removal script's text: its exact lines, and how paths go into them.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/self_removal.h"

namespace {

TEST(SelfRemovalScript, WholeTextWhenTheFolderGoes) {
    const std::wstring expected =
        L"@ echo off\r\n"
        L"setlocal DisableDelayedExpansion\r\n"
        L"set tries=0\r\n"
        L":retry\r\n"
        L"del /f \"C:\\Games\\Anvil\\uninstaller.exe\" >nul 2>&1\r\n"
        L"if not exist \"C:\\Games\\Anvil\\uninstaller.exe\" goto removed\r\n"
        L"set /a tries+=1\r\n"
        L"if %tries% geq 10 goto removed\r\n"
        L"ping -n 2 127.0.0.1 >nul\r\n"
        L"goto retry\r\n"
        L":removed\r\n"
        L"rmdir /s/q \"C:\\Games\\Anvil\"\r\n"
        L"del \"%~f0\"";
    EXPECT_EQ(BuildSelfRemovalScript(L"C:\\Games\\Anvil", true, 0), expected);
}

TEST(SelfRemovalScript, WholeTextWhenTheFolderStays) {
    const std::wstring expected =
        L"@ echo off\r\n"
        L"setlocal DisableDelayedExpansion\r\n"
        L"set tries=0\r\n"
        L":retry\r\n"
        L"del /f \"C:\\Games\\Anvil\\uninstaller.exe\" >nul 2>&1\r\n"
        L"if not exist \"C:\\Games\\Anvil\\uninstaller.exe\" goto removed\r\n"
        L"set /a tries+=1\r\n"
        L"if %tries% geq 10 goto removed\r\n"
        L"ping -n 2 127.0.0.1 >nul\r\n"
        L"goto retry\r\n"
        L":removed\r\n"
        L"\r\n"
        L"del \"%~f0\"";
    EXPECT_EQ(BuildSelfRemovalScript(L"C:\\Games\\Anvil", false, 0), expected);
}

TEST(SelfRemovalScript, SwitchesTheConsoleCodePageRightAfterEchoOff) {
    const std::wstring text = BuildSelfRemovalScript(L"C:\\Spiele\\\x00C4rger", true, 1252);
    EXPECT_EQ(text.rfind(L"@ echo off\r\nchcp 1252 >nul\r\nsetlocal DisableDelayedExpansion\r\n", 0), 0u);
    EXPECT_NE(text.find(L"rmdir /s/q \"C:\\Spiele\\\x00C4rger\"\r\n"), std::wstring::npos);
    EXPECT_EQ(BuildSelfDeleteOnlyScript(936), L"@ echo off\r\nchcp 936 >nul\r\ndel \"%~f0\"");
    EXPECT_EQ(BuildSelfDeleteOnlyScript(0), L"@ echo off\r\ndel \"%~f0\"");
}

TEST(SelfRemovalScript, QuotesEveryPathAndDoublesPercentSigns) {
    struct Case {
        std::wstring dir;
        std::wstring in_script;
    };
    const Case cases[] = {
        {L"C:\\x y", L"C:\\x y"},
        {L"C:\\A&B", L"C:\\A&B"},
        {L"C:\\c^d", L"C:\\c^d"},
        {L"C:\\p%OS%q", L"C:\\p%%OS%%q"},
        {L"C:\\100%", L"C:\\100%%"},
        {L"C:\\e!x!f", L"C:\\e!x!f"},
        {L"C:\\g (1)", L"C:\\g (1)"},
        {L"C:\\h;i,j=k", L"C:\\h;i,j=k"},
        {L"C:\\铁砧 行动", L"C:\\铁砧 行动"},
        {L"\\\\server\\share\\Game", L"\\\\server\\share\\Game"},
        {L"C:\\Games\\Anvil\\", L"C:\\Games\\Anvil"},  // a trailing backslash is dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.dir));
        const std::wstring text = BuildSelfRemovalScript(c.dir, true, 0);
        const std::wstring exe = L"\"" + c.in_script + L"\\uninstaller.exe\"";
        EXPECT_NE(text.find(L"del /f " + exe + L" >nul 2>&1\r\n"), std::wstring::npos);
        EXPECT_NE(text.find(L"if not exist " + exe + L" goto removed\r\n"), std::wstring::npos);
        EXPECT_NE(text.find(L"\r\nrmdir /s/q \"" + c.in_script + L"\"\r\ndel \"%~f0\""), std::wstring::npos);
    }
    EXPECT_EQ(EscapeForBatchQuotes(L"%%~f0%"), L"%%%%~f0%%");
}

TEST(SelfRemovalScript, UnsafeFoldersLeaveOnlyTheSelfDeletion) {
    // Paths that would make cmd act elsewhere: the script deletes only itself.
    const std::wstring unsafe[] = {
        L"",
        L"Games\\Anvil",          // relative to the script's working folder
        L"\\Games\\Anvil",        // relative to the current drive
        L"C:Games",               // relative to drive C's current folder
        L"C:\\a\"&del \"C:\\b",   // a quote would end the quoted path
        L"C:\\a\r\nrmdir C:\\b",  // a line break would start a command
        L"C:\\a/b",
        L"C:\\a*",
        L"C:\\a?",
        L"C:\\a\\..\\b",
        L"C:\\a\\.\\b",
        L"C:\\a\\\\b",
        L"C:\\a.\\b",             // Windows would read C:\a\b
        L"C:\\a \\b",
        L"C:\\a:stream",
        L"\\\\server",
        L"\\\\?\\C:\\a",
        std::wstring(L"C:\\a\0b", 6),
    };
    for (const std::wstring& dir : unsafe) {
        SCOPED_TRACE(testing::PrintToString(dir));
        EXPECT_FALSE(IsScriptablePath(dir));
        EXPECT_FALSE(IsRemovableFolder(dir));
        EXPECT_EQ(BuildSelfRemovalScript(dir, true, 0), BuildSelfDeleteOnlyScript(0));
        EXPECT_EQ(BuildSelfRemovalScript(dir, false, 0), BuildSelfDeleteOnlyScript(0));
    }
}

TEST(SelfRemovalScript, RootsLoseTheUninstallerButAreNeverRemoved) {
    const std::wstring roots[] = {L"C:", L"C:\\", L"d:\\\\", L"\\\\server\\share", L"\\\\server\\share\\"};
    for (const std::wstring& root : roots) {
        SCOPED_TRACE(testing::PrintToString(root));
        EXPECT_TRUE(IsScriptablePath(root));
        EXPECT_FALSE(IsRemovableFolder(root));
        const std::wstring text = BuildSelfRemovalScript(root, true, 0);
        EXPECT_EQ(text.find(L"rmdir"), std::wstring::npos);
        EXPECT_NE(text.find(L"\\uninstaller.exe\" >nul 2>&1"), std::wstring::npos);
    }
    EXPECT_NE(BuildSelfRemovalScript(L"C:", true, 0).find(L"del /f \"C:\\uninstaller.exe\""), std::wstring::npos);
}

TEST(IsSameOrAncestorFolder, ComparesWholeComponents) {
    struct Case {
        std::wstring folder;
        std::wstring inner;
        bool result;
    };
    const Case cases[] = {
        {L"C:\\Users", L"C:\\Users\\Ann\\Desktop", true},
        {L"c:\\users\\", L"C:\\Users\\Ann", true},
        {L"C:\\Users\\Ann", L"C:\\Users\\Ann", true},
        {L"C:\\", L"C:\\Windows", true},
        {L"C:", L"C:\\Windows", true},
        {L"C:/Program Files", L"C:\\Program Files\\Common Files", true},
        {L"C:\\User", L"C:\\Users\\Ann", false},
        {L"C:\\Users\\Ann\\Games", L"C:\\Users\\Ann", false},
        {L"D:\\Users", L"C:\\Users\\Ann", false},
        {L"", L"C:\\Users", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.folder + L" | " + c.inner));
        EXPECT_EQ(IsSameOrAncestorFolder(c.folder, c.inner), c.result);
    }
}

}  // namespace
