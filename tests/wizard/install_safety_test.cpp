// The folder-safety rules and the exact path conversion.
#include "uninstall/install_safety.h"

#include <gtest/gtest.h>

#include <memory>

#include "system/file_util.h"

namespace {

struct safety_case {
    const wchar_t* dir;
    bool expected;
};

const std::vector<std::wstring> kProtected = {
    L"C:\\Windows",
    L"C:\\Program Files",
    L"C:\\Program Files (x86)",
    L"C:\\Users\\player",
    L"C:\\Users\\player\\Desktop",
    L"D:\\Docs\\My Documents",
    L"\\\\fileserver\\home\\player",
};

TEST(MayEmptyFolder, DecidesByWholeComponentsIgnoringCase) {
    const safety_case cases[] = {
        // A game folder anywhere else is fine.
        {L"C:\\Games\\Anvil", true},
        {L"C:\\Program Files\\Anvil", true},      // inside Program Files, not it
        {L"C:\\Windows\\Temp\\Anvil", true},      // inside Windows, not it
        {L"C:\\Users\\player\\Games\\Anvil", true},
        {L"C:\\Program Files (x86)\\Anvil", true},
        {L"D:\\Docs\\My Documents2", true},       // a sibling sharing a prefix
        {L"C:\\WindowsApps", true},               // prefix of text, not of components
        {L"E:\\Anvil", true},
        {L"\\\\fileserver\\games\\Anvil", true},
        // Drive and share roots.
        {L"C:", false},
        {L"C:\\", false},
        {L"c:/", false},
        {L"\\", false},
        {L"\\\\fileserver\\home", false},
        {L"\\\\fileserver\\home\\", false},
        // The protected folders themselves, in any spelling Windows accepts.
        {L"C:\\Windows", false},
        {L"c:\\WINDOWS\\", false},
        {L"C:/Windows", false},
        {L"C:\\\\Windows", false},
        {L"C:\\.\\Windows", false},
        {L"C:\\Windows.", false},
        {L"C:\\Windows \\", false},
        {L"\\\\?\\C:\\Windows", false},
        {L"C:\\program files", false},
        {L"C:\\Program Files (X86)", false},
        {L"C:\\Users\\Player\\Desktop", false},
        {L"D:\\docs\\my documents", false},
        {L"\\\\FILESERVER\\HOME\\player", false},
        {L"\\\\?\\UNC\\fileserver\\home\\player", false},
        // Folders that contain a protected folder.
        {L"C:\\Users", false},
        {L"C:\\Users\\player\\", false},
        {L"D:\\Docs", false},
        {L"\\\\fileserver\\home\\", false},
        // Paths whose meaning depends on a current folder, or that climb out.
        {L"", false},
        {L"Anvil", false},
        {L"C:Anvil", false},
        {L"C:\\Games\\..\\Windows", false},
        {L"C:\\Games\\..\\Games\\Anvil", false},
        {L"C:\\Games\\...", false},
        {L"\\\\.\\C:\\Games", false},
        {L"\\\\server", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MayEmptyFolder(c.dir, kProtected), c.expected) << std::wstring(c.dir);
    }
}

TEST(MayEmptyFolder, IgnoresProtectedFoldersThatNameNothing) {
    // An empty or relative answer from the shell must not make every folder unsafe
    // nor any folder safe that is otherwise refused.
    EXPECT_TRUE(MayEmptyFolder(L"C:\\Games\\Anvil", {L"", L"Desktop", L"C:"}));
    EXPECT_FALSE(MayEmptyFolder(L"C:\\", {L""}));
}

TEST(MayEmptyFolder, PosixRootsOnTheHost) {
    EXPECT_FALSE(MayEmptyFolder(L"/", {}));
    EXPECT_FALSE(MayEmptyFolder(L"/home/player", {L"/home/player/Desktop"}));
    EXPECT_TRUE(MayEmptyFolder(L"/home/player/games/anvil", {L"/home/player/Desktop"}));
}

TEST(SplitPathForCompare, FoldsAndStrips) {
    auto p = SplitPathForCompare(L"c:\\Program Files. \\x");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->root, L"C:");
    ASSERT_EQ(p->parts.size(), 2u);
    EXPECT_EQ(p->parts[0], L"PROGRAM FILES");
    EXPECT_EQ(p->parts[1], L"X");
}

TEST(ExactNarrowPath, RoundTripsWithThePlatformConversion) {
    std::unique_ptr<file_util> fu(make_platform_file_util());
    auto ok = ExactNarrowPath(L"C:\\游戏\\Anvil", *fu);
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(fu->to_wide(*ok), L"C:\\游戏\\Anvil");
}

// A conversion that, like a best-fit code page, maps 'é' to 'e' without
// complaint: the look-alike names another folder, so the path is refused.
class best_fit_util : public file_util {
public:
    explicit best_fit_util(file_util* inner) : inner_(inner) {}
    std::wstring to_wide(const std::string& p) override { return inner_->to_wide(p); }
    std::string to_narrow(const std::wstring& p) override {
        std::wstring copy = p;
        for (auto& c : copy)
            if (c == L'\u00e9') c = L'e';
        return inner_->to_narrow(copy);
    }
    bool is_regular_file(const std::string& p) override { return inner_->is_regular_file(p); }
    bool is_directory(const std::string& p) override { return inner_->is_directory(p); }
    void write_all(const std::string& p, const std::string& t) override { inner_->write_all(p, t); }
    std::string read_all(const std::string& p) override { return inner_->read_all(p); }
    bool exists(const std::wstring& p) override { return inner_->exists(p); }
    bool remove_all(const std::wstring& p) override { return inner_->remove_all(p); }
    bool rename(const std::string& a, const std::string& b) override { return inner_->rename(a, b); }
    bool create_directories(const std::wstring& p) override { return inner_->create_directories(p); }
    uint64_t read_bytes(const std::string& p, void* b, uint64_t m) override { return inner_->read_bytes(p, b, m); }
    uint64_t file_size(const std::string& p) override { return inner_->file_size(p); }

protected:
    std::vector<dir_entry> read_directory(const std::string&) override { return {}; }

private:
    std::unique_ptr<file_util> inner_;
};

TEST(ExactNarrowPath, RefusesALookAlikeConversion) {
    best_fit_util fu(make_platform_file_util());
    EXPECT_FALSE(ExactNarrowPath(L"C:\\Caf\u00e9", fu).has_value());
    EXPECT_EQ(*ExactNarrowPath(L"C:\\Cafe", fu), "C:\\Cafe");
}

}  // namespace
