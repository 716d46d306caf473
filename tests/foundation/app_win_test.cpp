// The start-up helpers and the dump callback, in a real Windows process (Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/crash_dump_win.h"
#include "app/startup_win.h"

namespace {

std::wstring own_path() {
    wchar_t buf[4096];
    const DWORD n = GetModuleFileNameW(nullptr, buf, 4096);
    return std::wstring(buf, n);
}

TEST(StartupHelpers, ModuleDirectoryIsTheExecutablesFolder) {
    const std::wstring path = own_path();
    const std::wstring dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'\\');
    EXPECT_EQ(dir + L"\\", path.substr(0, dir.size() + 1));
    EXPECT_EQ(path.find(L'\\', dir.size() + 1), std::wstring::npos);  // only the file name follows
}

TEST(StartupHelpers, ProcessNamesMatchExactly) {
    const std::wstring path = own_path();
    std::string name;
    WideToAnsi(path.substr(path.rfind(L'\\') + 1), name);
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(IsProcessRunning(name));

    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::string without_extension = name.substr(0, name.rfind('.'));
    for (const std::string& other : {upper, without_extension, name + "x", std::string("x") + name, std::string()}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(IsProcessRunning(other));
    }
}

TEST(StartupHelpers, AnsiConversions) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with the Chinese code page";
    struct Case {
        std::wstring wide;
        std::string ansi;
    };
    for (const Case& c : {Case{L"", ""}, Case{L"C:\\Games\\plain", "C:\\Games\\plain"},
                          Case{L"D:\\游戏\\铁砧", "D:\\\xD3\xCE\xCF\xB7\\\xCC\xFA\xD5\xE8"}}) {
        std::string narrow = "left over";
        WideToAnsi(c.wide, narrow);
        EXPECT_EQ(narrow, c.ansi);
        EXPECT_EQ(AnsiToWide(c.ansi), c.wide);
    }
}

TEST(DumpCallback, KeepsDataSegmentsOfNtdllOnly) {
    struct Case {
        const wchar_t* module;  // nullptr: no module path
        bool keeps_data;
    };
    for (const Case& c : {Case{L"C:\\windows\\system32\\ntdll.dll", true}, Case{L"C:\\WINDOWS\\SYSTEM32\\NTDLL.DLL", true},
                          Case{L"ntdll", true}, Case{L"C:\\windows\\system32\\kernel32.dll", false},
                          Case{L"C:\\game\\ntdll.dll.bak", false}, Case{L"C:\\ntdll\\other.dll", false},
                          Case{nullptr, false}}) {
        SCOPED_TRACE(c.module ? c.module : L"(none)");
        wchar_t path[MAX_PATH] = {};
        if (c.module) wcscpy(path, c.module);
        MINIDUMP_CALLBACK_INPUT in = {};
        in.CallbackType = ModuleCallback;
        in.Module.FullPath = c.module ? path : nullptr;
        MINIDUMP_CALLBACK_OUTPUT out = {};
        out.ModuleWriteFlags = ModuleWriteModule | ModuleWriteDataSeg;
        EXPECT_TRUE(MiniDumpFilterCallback(nullptr, &in, &out));
        EXPECT_EQ((out.ModuleWriteFlags & ModuleWriteDataSeg) != 0, c.keeps_data);
        EXPECT_TRUE(out.ModuleWriteFlags & ModuleWriteModule);  // the module itself stays listed
    }
}

TEST(DumpCallback, AnswersByCallbackType) {
    for (ULONG type = 0; type <= 12; ++type) {
        SCOPED_TRACE(type);
        MINIDUMP_CALLBACK_INPUT in = {};
        in.CallbackType = type;
        MINIDUMP_CALLBACK_OUTPUT out = {};
        if (type == ModuleCallback) out.ModuleWriteFlags = ModuleWriteModule;
        EXPECT_EQ(MiniDumpFilterCallback(nullptr, &in, &out), type <= IncludeModuleCallback ? TRUE : FALSE);
    }
    MINIDUMP_CALLBACK_INPUT in = {};
    MINIDUMP_CALLBACK_OUTPUT out = {};
    EXPECT_FALSE(MiniDumpFilterCallback(nullptr, nullptr, &out));
    EXPECT_FALSE(MiniDumpFilterCallback(nullptr, &in, nullptr));
}

}  // namespace
