// Behaviour of the file utility on the real file system: natively on Linux
// (backslash paths included) and under Wine for the Win32 implementation.
#include "system/file_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class FileUtilTest : public ::testing::Test {
protected:
    void SetUp() override {
        fu_.reset(make_platform_file_util());
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_path_ = fs::temp_directory_path() /
                     ("fu-test-" + std::to_string(stamp) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_path_);
        // The Windows form: on Linux the tests go through backslash paths.
        root_ = root_path_.string();
#ifndef _WIN32
        std::replace(root_.begin(), root_.end(), '/', '\\');
#endif
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_path_, ec);
    }

    std::string p(const std::string& rel) const { return root_ + "\\" + rel; }

    // The fixture's own access to the disk, independent of the code under test.
    fs::path fsp(const std::string& rel) const {
#ifdef _WIN32
        return fs::path(fu_->to_wide(p(rel)));
#else
        return fs::path(native_path(p(rel)));
#endif
    }
    void make_file(const std::string& rel, const std::string& bytes = "x") {
        std::ofstream(fsp(rel), std::ios::binary) << bytes;
    }
    void make_dir(const std::string& rel) { fs::create_directories(fsp(rel)); }
    std::string raw(const std::string& rel) {
        std::ifstream in(fsp(rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool on_disk(const std::string& rel) {
        std::error_code ec;
        return fs::symlink_status(fsp(rel), ec).type() != fs::file_type::not_found;
    }

    std::unique_ptr<file_util> fu_;
    fs::path root_path_;
    std::string root_;
};

std::set<std::string> as_set(const path_list& l) { return std::set<std::string>(l.begin(), l.end()); }

// ---- Listing ----

TEST_F(FileUtilTest, ListingMissingOrNonDirectoryLeavesListUntouched) {
    make_file("plain.txt");
    struct Case {
        const char* rel;
        int32_t expected;
    };
    for (const Case& c : {Case{"missing", -1}, Case{"missing\\deeper", -1}, Case{"plain.txt", -2}}) {
        SCOPED_TRACE(c.rel);
        const path_list before = {"keep1", "keep2"};
        path_list a = before, b = before, m = before;
        EXPECT_EQ(fu_->list_files(p(c.rel), a, true), c.expected);
        EXPECT_EQ(fu_->list_directories(p(c.rel), b, false), c.expected);
        EXPECT_EQ(fu_->list_files_matching(p(c.rel), m, ".*", true), c.expected);
        EXPECT_EQ(a, before);
        EXPECT_EQ(b, before);
        EXPECT_EQ(m, before);
    }
}

TEST_F(FileUtilTest, ListFilesSeparatesFilesFromDirectoriesAndAppends) {
    make_file("a.txt");
    make_file("b.bin");
    make_dir("sub\\deep");
    make_file("sub\\c.txt");
    make_file("sub\\deep\\d.txt");

    path_list flat = {"x", "y", "z"};
    EXPECT_EQ(fu_->list_files(root_, flat, false), 5);
    EXPECT_EQ(as_set(flat), (std::set<std::string>{"x", "y", "z", p("a.txt"), p("b.bin")}));

    path_list all;
    EXPECT_EQ(fu_->list_files(root_, all, true), 4);
    EXPECT_EQ(as_set(all),
              (std::set<std::string>{p("a.txt"), p("b.bin"), p("sub\\c.txt"), p("sub\\deep\\d.txt")}));

    path_list dirs_flat;
    EXPECT_EQ(fu_->list_directories(root_, dirs_flat, false), 1);
    EXPECT_EQ(dirs_flat, path_list{p("sub")});

    // A directory given with a trailing separator is not joined with a second one.
    path_list trailing;
    EXPECT_EQ(fu_->list_directories(root_ + "\\", trailing, false), 1);
    EXPECT_EQ(trailing, path_list{p("sub")});
}

TEST_F(FileUtilTest, RecursiveListingIsPreOrder) {
    for (const char* d : {"a\\a1\\a11", "a\\a2", "b\\b1", "c"}) make_dir(d);
    make_file("a\\a1\\f.txt");
    make_file("b\\b1\\g.txt");

    path_list dirs;
    ASSERT_EQ(fu_->list_directories(root_, dirs, true), 7);
    EXPECT_EQ(as_set(dirs),
              (std::set<std::string>{p("a"), p("a\\a1"), p("a\\a1\\a11"), p("a\\a2"), p("b"), p("b\\b1"),
                                      p("c")}));
    // Pre-order: everything below a directory follows it as one block.
    for (size_t i = 0; i < dirs.size(); ++i) {
        const std::string prefix = dirs[i] + "\\";
        size_t j = i + 1;
        while (j < dirs.size() && dirs[j].compare(0, prefix.size(), prefix) == 0) ++j;
        for (size_t k = j; k < dirs.size(); ++k)
            EXPECT_NE(dirs[k].compare(0, prefix.size(), prefix), 0) << dirs[k] << " is separated from " << dirs[i];
        for (size_t k = 0; k < i; ++k)
            EXPECT_NE(dirs[k].compare(0, prefix.size(), prefix), 0) << dirs[k] << " comes before " << dirs[i];
    }
}

TEST_F(FileUtilTest, ListFilesMatchingMatchesTheWholeNameCaseSensitively) {
    for (const char* f : {"a.log", "a.log.bak", "b.LOG", "xa.log", "sub\\c.log"}) {
        if (std::strchr(f, '\\')) make_dir("sub");
        make_file(f);
    }
    make_dir("d.log");  // a directory is never a match

    path_list flat;
    EXPECT_EQ(fu_->list_files_matching(root_, flat, "a\\.log", false), 1);
    EXPECT_EQ(flat, path_list{p("a.log")});

    path_list any_log;
    EXPECT_EQ(fu_->list_files_matching(root_, any_log, ".*\\.log", true), 3);
    EXPECT_EQ(as_set(any_log), (std::set<std::string>{p("a.log"), p("xa.log"), p("sub\\c.log")}));
}

// ---- Removal ----

TEST_F(FileUtilTest, RemoveAllMissingFileAndTree) {
    EXPECT_TRUE(fu_->remove_all(p("missing")));
    EXPECT_TRUE(fu_->remove_all(p("missing\\below")));

    make_file("single.txt");
    EXPECT_TRUE(fu_->remove_all(p("single.txt")));
    EXPECT_FALSE(on_disk("single.txt"));

    make_dir("tree\\a\\b");
    make_dir("tree\\empty");
    make_file("tree\\a\\b\\f.txt");
    make_file("tree\\g.txt");
    make_file("sibling.txt");
    EXPECT_TRUE(fu_->remove_all(std::wstring(fu_->to_wide(p("tree")))));
    EXPECT_FALSE(on_disk("tree"));
    EXPECT_TRUE(on_disk("sibling.txt"));
}

TEST_F(FileUtilTest, NarrowPathThatDoesNotConvert) {
    // 0xFF starts no character in UTF-8 nor in the Chinese code page.
    const std::string bad = p("bad\xff");
    EXPECT_THROW(fu_->exists(bad), std::invalid_argument);
    EXPECT_THROW(fu_->file_size(bad), std::invalid_argument);
    EXPECT_FALSE(fu_->remove_all(bad));  // never throws
}

// ---- Reading, writing, sizes ----

TEST_F(FileUtilTest, FileSize) {
    make_file("five", "12345");
    make_file("empty", "");
    make_dir("dir");
    EXPECT_EQ(fu_->file_size(p("five")), 5u);
    EXPECT_EQ(fu_->file_size(p("empty")), 0u);
    EXPECT_EQ(fu_->file_size(p("missing")), 0u);
    EXPECT_THROW(fu_->file_size(p("dir")), fs::filesystem_error);
}

TEST_F(FileUtilTest, ReadBytes) {
    make_file("data", "0123456789");
    struct Case {
        uint64_t max;
        uint64_t expected;
    };
    for (const Case& c : {Case{100, 10}, Case{10, 10}, Case{4, 4}, Case{0, 0}, Case{UINT64_MAX, 10}}) {
        SCOPED_TRACE(c.max);
        char buf[32];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(fu_->read_bytes(p("data"), buf, c.max), c.expected);
        EXPECT_EQ(std::string(buf, c.expected), std::string("0123456789").substr(0, c.expected));
        EXPECT_EQ(buf[c.expected], '#');  // nothing past the count
    }
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(fu_->read_bytes(p("missing"), untouched, 4), 0u);
    EXPECT_EQ(std::string(untouched, 4), "####");
}

TEST_F(FileUtilTest, ReadAllAndWriteAllUseWindowsText) {
    make_file("crlf.txt", "one\r\ntwo\r\nlone\rcr\n");
    EXPECT_EQ(fu_->read_all(p("crlf.txt")), "one\ntwo\nlone\rcr\n");
    EXPECT_EQ(fu_->read_all(fu_->to_wide(p("crlf.txt"))), "one\ntwo\nlone\rcr\n");
    EXPECT_EQ(fu_->read_all(p("missing.txt")), "");

    make_file("out.txt", std::string(1000, 'o'));  // replaced, not overwritten in place
    fu_->write_all(p("out.txt"), "a\nb\n");
    EXPECT_EQ(raw("out.txt"), "a\r\nb\r\n");
    fu_->write_all(p("new.txt"), "");
    EXPECT_TRUE(on_disk("new.txt"));
    EXPECT_EQ(raw("new.txt"), "");
    EXPECT_THROW(fu_->write_all(p("no-such-dir\\x.txt"), "x"), fs::filesystem_error);
}

// ---- Status ----

TEST_F(FileUtilTest, TypesAndExistence) {
    make_file("file");
    make_dir("dir");
    struct Case {
        const char* rel;
        bool exists, file, dir;
    };
    for (const Case& c : {Case{"file", true, true, false}, Case{"dir", true, false, true},
                          Case{"missing", false, false, false}, Case{"file\\below", false, false, false}}) {
        SCOPED_TRACE(c.rel);
        EXPECT_EQ(fu_->exists(p(c.rel)), c.exists);
        EXPECT_EQ(fu_->exists(fu_->to_wide(p(c.rel))), c.exists);
        EXPECT_EQ(fu_->is_regular_file(p(c.rel)), c.file);
        EXPECT_EQ(fu_->is_directory(p(c.rel)), c.dir);
    }
}

TEST_F(FileUtilTest, RenameAndCreateDirectories) {
    make_file("from.txt", "payload");
    make_file("taken.txt", "old");
    EXPECT_TRUE(fu_->rename(p("from.txt"), p("to.txt")));
    EXPECT_FALSE(on_disk("from.txt"));
    EXPECT_EQ(raw("to.txt"), "payload");
    EXPECT_TRUE(fu_->rename(p("to.txt"), p("taken.txt")));  // replaces an existing file
    EXPECT_EQ(raw("taken.txt"), "payload");
    EXPECT_THROW(fu_->rename(p("missing"), p("x")), fs::filesystem_error);

    EXPECT_TRUE(fu_->create_directories(p("n1\\n2/n3")));
    EXPECT_TRUE(fu_->is_directory(p("n1\\n2\\n3")));
    EXPECT_FALSE(fu_->create_directories(p("n1\\n2\\n3")));  // nothing created
    EXPECT_TRUE(fu_->create_directories(p("n1\\other\\")));
    EXPECT_THROW(fu_->create_directories(p("taken.txt\\sub")), fs::filesystem_error);
}

// Game folders nest deeply: paths past the classic 260-character limit.
TEST_F(FileUtilTest, DeepPaths) {
    std::string rel = "deep";
    for (int i = 0; i < 8; ++i) rel += "\\" + std::string(40, static_cast<char>('a' + i));
    const std::string file = p(rel + "\\file.txt");
    ASSERT_GT(file.size(), 360u);
    EXPECT_TRUE(fu_->create_directories(p(rel)));
    fu_->write_all(file, "deep\n");
    EXPECT_TRUE(fu_->exists(file));
    EXPECT_TRUE(fu_->is_regular_file(file));
    EXPECT_EQ(fu_->file_size(file), 6u);
    EXPECT_EQ(fu_->read_all(file), "deep\n");
    char buf[8] = {};
    EXPECT_EQ(fu_->read_bytes(file, buf, sizeof buf), 6u);
    path_list files;
    EXPECT_EQ(fu_->list_files(p("deep"), files, true), 1);
    EXPECT_EQ(files, path_list{file});
    EXPECT_TRUE(fu_->remove_all(p("deep")));
    EXPECT_FALSE(fu_->exists(p("deep")));
}

// ---- Path text ----

TEST_F(FileUtilTest, FileName) {
    struct Case {
        const char* path;
        bool keep;
        const char* expected;
    };
    for (const Case& c : {Case{"C:\\dir\\name.ext", true, "name.ext"}, Case{"C:\\dir\\name.ext", false, "name"},
                          Case{"C:/dir/a.tar.gz", false, "a.tar"}, Case{"d\\.profile", false, ""},
                          Case{"d\\.profile", true, ".profile"}, Case{"readme", false, "readme"},
                          Case{"C:\\dir\\", true, ""}, Case{"", false, ""}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fu_->file_name(std::string(c.path), c.keep), c.expected);
        EXPECT_EQ(fu_->file_name(fu_->to_wide(c.path), c.keep), c.expected);
    }
}

TEST_F(FileUtilTest, ParentPath) {
    struct Case {
        const char* path;
        const char* expected;
    };
    for (const Case& c : {Case{"C:\\a\\b", "C:\\a"}, Case{"C:\\a\\\\b", "C:\\a"}, Case{"C:\\a", "C:\\"},
                          Case{"C:\\", "C:\\"}, Case{"C:/a/b.txt", "C:/a"}, Case{"a\\b", "a"}, Case{"a", ""},
                          Case{"\\a", "\\"}, Case{"C:\\a\\", "C:\\a"}, Case{"", ""}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fu_->parent_path(c.path), c.expected);
    }
}

// A character whose double-byte form ends in the byte of a backslash must not
// be taken for a separator.
TEST_F(FileUtilTest, NonAsciiNamesWithSeparatorLikeBytes) {
    const std::string dir_name = fu_->to_narrow(L"目录乗");  // U+4E57: 0x81 0x5C in the Chinese code page
    const std::string file_name = fu_->to_narrow(L"文件乗.txt");
    make_dir(dir_name);
    make_file(dir_name + "\\" + file_name, "abc");

    EXPECT_EQ(fu_->parent_path(p(dir_name + "\\" + file_name)), p(dir_name));
    EXPECT_EQ(fu_->parent_path(p(dir_name)), root_);
    EXPECT_EQ(fu_->file_name(p(dir_name), true), dir_name);
    path_list files;
    EXPECT_EQ(fu_->list_files(p(dir_name), files, false), 1);
    EXPECT_EQ(files, path_list{p(dir_name + "\\" + file_name)});
    EXPECT_EQ(fu_->file_size(p(dir_name + "\\" + file_name)), 3u);
    EXPECT_TRUE(fu_->remove_all(p(dir_name)));
    EXPECT_FALSE(fu_->exists(p(dir_name)));
}

// ---- Process-wide instance ----

TEST(FileUtilInstance, ForwardingFunctionsReachTheRegisteredInstance) {
    set_file_util(make_platform_file_util());
    ASSERT_NE(get_file_util(), nullptr);
    const std::string dir = fs::temp_directory_path().string();
    EXPECT_TRUE(exists(dir));
    EXPECT_TRUE(exists(get_file_util()->to_wide(dir)));
    path_list l;
    EXPECT_GE(list_directories(dir, l, false), 0);
    EXPECT_EQ(list_files(dir + "-missing-folder", l, false), -1);
    EXPECT_EQ(file_size(dir + "-missing-file"), 0u);
    destroy_file_util();
}

#ifdef _WIN32

TEST_F(FileUtilTest, RemoveAllReportsALockedFileAndGoesOn) {
    make_dir("tree\\sub");
    make_file("tree\\locked.txt");
    make_file("tree\\sub\\free.txt");
    HANDLE h = CreateFileW(fu_->to_wide(p("tree\\locked.txt")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    bool result = true;
    EXPECT_NO_THROW(result = fu_->remove_all(p("tree")));
    EXPECT_FALSE(result);
    EXPECT_TRUE(on_disk("tree\\locked.txt"));
    EXPECT_FALSE(on_disk("tree\\sub"));
    CloseHandle(h);
    EXPECT_TRUE(fu_->remove_all(p("tree")));
    EXPECT_FALSE(on_disk("tree"));
}

TEST_F(FileUtilTest, RemoveAllClearsReadOnly) {
    make_dir("ro\\inner");
    make_file("ro\\inner\\file.txt");
    for (const char* rel : {"ro\\inner\\file.txt", "ro\\inner", "ro"}) {
        const std::wstring w = fu_->to_wide(p(rel));
        ASSERT_TRUE(SetFileAttributesW(w.c_str(), GetFileAttributesW(w.c_str()) | FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_TRUE(fu_->remove_all(p("ro")));
    EXPECT_FALSE(on_disk("ro"));
}

TEST_F(FileUtilTest, NamesWithoutAnExactNarrowFormAreSkipped) {
    make_file("plain.txt");
    // Hangul has no form in the Chinese code page; a best fit such as '?'
    // would name something else.
    const std::wstring odd = fu_->to_wide(root_) + L"\\\xAC00.txt";
    HANDLE h = CreateFileW(odd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_THROW(fu_->to_narrow(L"\xAC00"), std::invalid_argument);
    path_list files;
    EXPECT_EQ(fu_->list_files(root_, files, true), 1);
    EXPECT_EQ(files, path_list{p("plain.txt")});
    EXPECT_TRUE(fu_->remove_all(root_));  // removal works on UTF-16 names throughout
    EXPECT_FALSE(fs::exists(root_path_));
}

#else

TEST_F(FileUtilTest, SymbolicLinksAreNeverFollowed) {
    make_dir("outside\\keep");
    make_file("outside\\keep\\precious.txt");
    make_dir("tree");
    make_file("tree\\own.txt");
    ASSERT_EQ(symlink(native_path(p("outside")).c_str(), native_path(p("tree\\dirlink")).c_str()), 0);
    ASSERT_EQ(symlink(native_path(p("outside\\keep\\precious.txt")).c_str(), native_path(p("tree\\filelink")).c_str()),
              0);

    path_list dirs, files;
    EXPECT_EQ(fu_->list_directories(p("tree"), dirs, true), 1);
    EXPECT_EQ(dirs, path_list{p("tree\\dirlink")});  // listed as the directory it shows, not entered
    EXPECT_EQ(fu_->list_files(p("tree"), files, true), 2);
    EXPECT_EQ(as_set(files), (std::set<std::string>{p("tree\\own.txt"), p("tree\\filelink")}));

    EXPECT_TRUE(fu_->remove_all(p("tree")));
    EXPECT_FALSE(on_disk("tree"));
    EXPECT_EQ(raw("outside\\keep\\precious.txt"), "x");
}

TEST_F(FileUtilTest, RemoveAllEntersFoldersWithoutWritePermission) {
    make_dir("ro\\inner");
    make_file("ro\\inner\\file.txt");
    ASSERT_EQ(chmod(native_path(p("ro\\inner")).c_str(), 0555), 0);
    ASSERT_EQ(chmod(native_path(p("ro")).c_str(), 0555), 0);
    EXPECT_TRUE(fu_->remove_all(p("ro")));
    EXPECT_FALSE(on_disk("ro"));
}

#endif

}  // namespace
