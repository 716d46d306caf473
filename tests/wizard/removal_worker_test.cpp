// The removal worker's decisions against real folders and the platform's
// file_util, seen through a view that records what the wizard would show.
#include "uninstall/removal_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <system_error>

#include "system/file_util.h"

namespace fs = std::filesystem;

namespace {

class recording_view : public removal_view {
public:
    bool keep_answer = false;
    int questions = 0;
    std::vector<std::string> events;  // in call order
    std::vector<std::string> labels;
    std::vector<int> progress;
    bool remove_install_dir = false;
    bool app_data_deleted = false;
    bool done = false;

    void set_page_visible(page which, bool visible) override {
        static const char* names[] = {"reasons", "progress", "finish"};
        events.push_back(std::string("page ") + names[static_cast<int>(which)] + (visible ? " on" : " off"));
    }
    void show_current_file(const std::string& path) override {
        events.push_back("label");
        labels.push_back(path);
    }
    void set_progress_range(int lo, int hi) override {
        events.push_back("range " + std::to_string(lo) + " " + std::to_string(hi));
    }
    void set_progress(int value) override {
        events.push_back("value");
        progress.push_back(value);
    }
    bool ask_keep_resources() override {
        events.push_back("ask");
        ++questions;
        return keep_answer;
    }
    void set_remove_install_dir(bool v) override {
        events.push_back(std::string("remove_install_dir ") + (v ? "true" : "false"));
        remove_install_dir = v;
    }
    void delete_app_data_value() override {
        events.push_back("delete AppData");
        app_data_deleted = true;
    }
    void finished() override {
        events.push_back("finished");
        done = true;
    }
};

class RemovalTest : public ::testing::Test {
protected:
    fs::path root;
    file_util* fu = nullptr;

    void SetUp() override {
        std::random_device rd;
        do {
            root = fs::temp_directory_path() / ("wizard-removal-" + std::to_string(rd()));
        } while (!fs::create_directory(root));
        fu = make_platform_file_util();
        set_file_util(fu);
    }
    void TearDown() override {
        set_file_util(nullptr);
        delete fu;
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    void make_file(const std::string& rel, const std::string& text = "x") {
        fs::path p = root / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    void make_dir(const std::string& rel) { fs::create_directories(root / rel); }
    std::wstring wide(const std::string& rel) const { return (root / rel).wstring(); }
    std::string narrow(const std::string& rel) const { return (root / rel).string(); }

    // Every file and folder below the root, as relative paths.
    std::set<std::string> remaining() const {
        std::set<std::string> out;
        for (auto& e : fs::recursive_directory_iterator(root)) out.insert(fs::relative(e.path(), root).generic_string());
        return out;
    }

    RemovalJob job_for(const std::string& install, const std::string& override_dir = "") const {
        RemovalJob job;
        job.uninst_dir = wide(install);
        job.resource_dir_override = override_dir.empty() ? "" : narrow(override_dir);
        return job;
    }
};

// The order every run must keep: progress page first, finish page after the
// last removal, then the flag and "AppData", then the end.
void expect_frame(const recording_view& v) {
    ASSERT_GE(v.events.size(), 6u);
    EXPECT_EQ(v.events[0], "page reasons off");
    EXPECT_EQ(v.events[1], "page progress on");
    auto finish = std::find(v.events.begin(), v.events.end(), "page finish on");
    ASSERT_NE(finish, v.events.end());
    ASSERT_GE(finish - v.events.begin(), 2);
    EXPECT_EQ(*(finish - 2), "page reasons off");
    EXPECT_EQ(*(finish - 1), "page progress off");
    for (auto it = finish; it != v.events.end(); ++it) {
        EXPECT_NE(*it, "label") << "a label after the finish page";
        EXPECT_NE(*it, "value") << "a progress value after the finish page";
    }
    EXPECT_EQ(v.events.back(), "finished");
    EXPECT_TRUE(v.done);
    ASSERT_FALSE(v.progress.empty());
    EXPECT_EQ(v.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(v.progress.begin(), v.progress.end()));
}

enum class res { none, none_override, default_dir, outside };

struct case_row {
    const char* name;
    res resource;
    bool keep;
    bool asked;
    std::set<std::string> left;  // besides the untouched "other" folder
    bool remove_install_dir;
    bool app_data_deleted;
};

const std::set<std::string> kDefaultKept = {
    "inst", "inst/assetbundleres", "inst/assetbundleres/r1.dat", "inst/assetbundleres/sub",
    "inst/assetbundleres/sub/r2.dat",
    // A sibling whose path holds the resource folder's text stays too.
    "inst/assetbundleres_old", "inst/assetbundleres_old/o.dat"};
const std::set<std::string> kOutsideRes = {"res", "res/r1.dat", "res/sub", "res/sub/r2.dat"};

std::set<std::string> with(std::set<std::string> a, const std::set<std::string>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TEST_F(RemovalTest, CasesAndAnswers) {
    const case_row rows[] = {
        {"absent", res::none, false, false, {"inst"}, true, false},
        {"absent with an override that is gone", res::none_override, false, false, {"inst"}, true, true},
        {"default present, keep", res::default_dir, true, true, kDefaultKept, false, false},
        {"default present, remove", res::default_dir, false, true, {"inst"}, true, false},
        {"outside, keep", res::outside, true, true, with({"inst"}, kOutsideRes), true, false},
        {"outside, remove", res::outside, false, true, {"inst"}, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ec;
        fs::remove_all(root / "inst", ec);
        fs::remove_all(root / "res", ec);
        make_file("inst/uninstaller.exe");
        make_file("inst/a.txt");
        make_file("inst/bin/b.dll");
        make_file("inst/bin/x/c.dat");
        make_dir("inst/empty");
        make_file("inst/assetbundleres_old/o.dat");
        make_file("other/keep.txt");
        if (row.resource == res::default_dir) {
            make_file("inst/assetbundleres/r1.dat");
            make_file("inst/assetbundleres/sub/r2.dat");
        }
        if (row.resource == res::outside) {
            make_file("res/r1.dat");
            make_file("res/sub/r2.dat");
        }
        std::string override_dir;
        if (row.resource == res::outside) override_dir = "res";
        if (row.resource == res::none_override) override_dir = "gone";

        recording_view v;
        v.keep_answer = row.keep;
        RunRemoval(job_for("inst", override_dir), v);

        expect_frame(v);
        EXPECT_EQ(v.questions, row.asked ? 1 : 0);
        EXPECT_EQ(remaining(), with(row.left, {"other", "other/keep.txt"}));
        EXPECT_EQ(v.remove_install_dir, row.remove_install_dir);
        EXPECT_EQ(v.app_data_deleted, row.app_data_deleted);
        // Resource files that the user keeps are never shown.
        if (row.keep) {
            for (const auto& l : v.labels) EXPECT_EQ(l.find("r1.dat"), std::string::npos) << l;
        }
    }
}

TEST_F(RemovalTest, OutsideRemoveShowsResourcesAfterTheInstallationThenTheFolder) {
    make_file("inst/a.txt");
    make_file("res/r1.dat");
    recording_view v;
    RunRemoval(job_for("inst", "res"), v);
    ASSERT_GE(v.labels.size(), 3u);
    EXPECT_EQ(v.labels[0], narrow("inst") + "\\a.txt");
    EXPECT_EQ(v.labels[1], narrow("res") + "\\r1.dat");
    EXPECT_EQ(v.labels[2], narrow("res"));  // the final pass starts with the folder itself
    EXPECT_EQ(v.progress, (std::vector<int>{50, 100}));
    EXPECT_FALSE(fs::exists(root / "res"));
}

TEST_F(RemovalTest, ProgressPerFile) {
    struct row {
        int files;
        std::vector<int> values;
    };
    const row rows[] = {{3, {33, 66, 100}}, {1, {100}}, {7, {14, 28, 42, 57, 71, 85, 100}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.files);
        std::error_code ec;
        fs::remove_all(root / "inst", ec);
        for (int i = 0; i < r.files; ++i) make_file("inst/f" + std::to_string(i));
        recording_view v;
        RunRemoval(job_for("inst"), v);
        EXPECT_EQ(v.progress, r.values);
        // One label and one value per file, label first.
        int labels_before_final = 0;
        for (size_t i = 0; i + 1 < v.events.size() && labels_before_final < r.files; ++i)
            if (v.events[i] == "label") {
                EXPECT_EQ(v.events[i + 1], "value");
                ++labels_before_final;
            }
        EXPECT_EQ(labels_before_final, r.files);
        // The final pass shows the installation folder once the last file is gone.
        EXPECT_EQ(v.labels.back(), narrow("inst"));
        expect_frame(v);
    }
}

TEST_F(RemovalTest, EmptyInstallationStillReachesTheFinishPage) {
    make_dir("inst");
    recording_view v;
    RunRemoval(job_for("inst"), v);
    expect_frame(v);
    EXPECT_TRUE(v.remove_install_dir);
    EXPECT_TRUE(fs::exists(root / "inst"));
}

TEST_F(RemovalTest, InstallationThatCannotBeListedStillReachesTheFinishPage) {
    recording_view v;
    RunRemoval(job_for("missing"), v);
    expect_frame(v);
    EXPECT_TRUE(v.remove_install_dir);
}

TEST_F(RemovalTest, KeptResourcesDeeperInsideSurviveTheirParentFolder) {
    // An override below a subfolder of the installation: removing that subfolder
    // as a whole would take the kept resources with it.
    make_file("inst/a.txt");
    make_file("inst/data/other.bin");
    make_file("inst/data/res/r.dat");
    recording_view v;
    v.keep_answer = true;
    RemovalJob job = job_for("inst");
    // Written as Windows writes it, so its text matches the listed paths.
    job.resource_dir_override = narrow("inst") + "\\data\\res";
    RunRemoval(job, v);
    EXPECT_EQ(remaining(), (std::set<std::string>{"inst", "inst/data", "inst/data/res", "inst/data/res/r.dat"}));
    EXPECT_FALSE(v.remove_install_dir);
    EXPECT_FALSE(v.app_data_deleted);
}

TEST_F(RemovalTest, ContainmentIsTextual) {
    // "G" is a text prefix of "Games": the override counts as inside, so with the
    // answer NO only the installation is emptied and "AppData" is forgotten.
    make_file("G/a.txt");
    make_file("Games/res/r.dat");
    recording_view v;
    RunRemoval(job_for("G", "Games/res"), v);
    EXPECT_EQ(v.questions, 1);
    EXPECT_EQ(remaining(), (std::set<std::string>{"G", "Games", "Games/res", "Games/res/r.dat"}));
    EXPECT_TRUE(v.remove_install_dir);
    EXPECT_TRUE(v.app_data_deleted);
}

TEST_F(RemovalTest, ResourcePathInOtherCaseCountsAsOutside) {
    make_file("Inst/a.txt");
    make_file("inst/assetbundleres/r.dat");  // another folder on a case-sensitive disk
    recording_view v;
    RemovalJob job = job_for("Inst", "inst/assetbundleres");
    RunRemoval(job, v);
    EXPECT_EQ(v.questions, 1);
    // Outside and removed: the folder as a whole goes in the final pass.
    EXPECT_FALSE(fs::exists(root / "inst/assetbundleres"));
    EXPECT_TRUE(v.remove_install_dir);
}

// Refusals: folders that hold the system's or the user's important folders.
TEST_F(RemovalTest, ProtectedInstallationFolderIsLeftAlone) {
    struct row {
        const char* name;
        std::string install;
        std::vector<std::string> protected_rel;
    };
    const row rows[] = {
        {"is a protected folder", "inst", {"inst"}},
        {"contains the Desktop", "inst", {"inst/Desktop"}},
        {"contains it, spelt in other case", "inst", {"INST/Documents"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        make_file("inst/a.txt");
        make_file("inst/Desktop/note.txt");
        make_file("inst/assetbundleres/r.dat");
        recording_view v;
        RemovalJob job = job_for(r.install, "");
        job.resource_dir_override = narrow("inst/assetbundleres");
        for (const auto& p : r.protected_rel) job.protected_dirs.push_back(wide(p));
        const auto before = remaining();
        RunRemoval(job, v);
        EXPECT_EQ(remaining(), before);
        EXPECT_EQ(v.questions, 0);
        EXPECT_TRUE(v.labels.empty());
        EXPECT_FALSE(v.remove_install_dir);
        EXPECT_FALSE(v.app_data_deleted);
        expect_frame(v);
    }
}

TEST_F(RemovalTest, ProtectedResourceFolderIsNeverRemoved) {
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "keep" : "remove");
        make_file("inst/a.txt");
        make_file("profile/Documents/thesis.doc");
        make_file("profile/cache.dat");
        recording_view v;
        v.keep_answer = keep;
        RemovalJob job = job_for("inst", "profile");
        job.protected_dirs = {wide("profile/Documents")};
        RunRemoval(job, v);
        EXPECT_TRUE(fs::exists(root / "profile/Documents/thesis.doc"));
        EXPECT_TRUE(fs::exists(root / "profile/cache.dat"));
        EXPECT_FALSE(fs::exists(root / "inst/a.txt"));
        EXPECT_FALSE(v.app_data_deleted);
        EXPECT_TRUE(v.remove_install_dir);
        expect_frame(v);
    }
}

TEST_F(RemovalTest, CanonicalFormIsUsedForTheComparison) {
    make_file("inst/a.txt");
    recording_view v;
    RemovalJob job = job_for("inst");
    job.protected_dirs = {L"C:\\WINDOWS"};
    job.canonical = [](const std::wstring&) { return std::wstring(L"C:\\WINDOWS"); };
    RunRemoval(job, v);
    EXPECT_TRUE(fs::exists(root / "inst/a.txt"));
    EXPECT_FALSE(v.remove_install_dir);
}

// The platform's file_util with failures injected on chosen paths: as root on
// Linux nothing can be made to fail for real.
class failing_util : public file_util {
public:
    std::unique_ptr<file_util> inner{make_platform_file_util()};
    std::string fail_remove, fail_exists, fail_list_dirs;
    std::string best_fit_from, best_fit_to;  // a look-alike mapping in to_narrow

    [[noreturn]] static void fail(const char* op, const std::string& p) {
        throw fs::filesystem_error(op, p, std::make_error_code(std::errc::io_error));
    }
    int32_t list_files(const std::string& d, path_list& out, bool r) override { return inner->list_files(d, out, r); }
    int32_t list_directories(const std::string& d, path_list& out, bool r) override {
        if (d == fail_list_dirs) {
            inner->list_directories(d, out, false);
            fail("list_directories", d);
        }
        return inner->list_directories(d, out, r);
    }
    bool exists(const std::string& p) override {
        if (p == fail_exists) fail("exists", p);
        return inner->exists(p);
    }
    std::vector<std::string> remove_calls;  // every narrow remove_all, in order

    bool remove_all(const std::string& p) override {
        remove_calls.push_back(p);
        if (p == fail_remove) fail("remove_all", p);
        return inner->remove_all(p);
    }
    std::wstring to_wide(const std::string& p) override { return inner->to_wide(p); }
    std::string to_narrow(const std::wstring& p) override {
        std::string n = inner->to_narrow(p);
        if (!best_fit_from.empty() && n == best_fit_from) return best_fit_to;
        return n;
    }
    bool is_regular_file(const std::string& p) override { return inner->is_regular_file(p); }
    bool is_directory(const std::string& p) override { return inner->is_directory(p); }
    void write_all(const std::string& p, const std::string& t) override { inner->write_all(p, t); }
    std::string read_all(const std::string& p) override { return inner->read_all(p); }
    bool exists(const std::wstring& p) override { return inner->exists(p); }
    bool remove_all(const std::wstring& p) override { return inner->remove_all(p); }
    bool rename(const std::string& a, const std::string& b) override { return inner->rename(a, b); }
    bool create_directories(const std::wstring& p) override { return inner->create_directories(p); }
    uint64_t read_bytes(const std::string& p, void* b, uint64_t m) override { return inner->read_bytes(p, b, m); }
    uint64_t file_size(const std::string& p) override { return inner->file_size(p); }

protected:
    std::vector<dir_entry> read_directory(const std::string&) override { return {}; }
};

class RemovalErrorTest : public RemovalTest {
protected:
    failing_util failing;
    void SetUp() override {
        RemovalTest::SetUp();
        set_file_util(&failing);
    }
};

TEST_F(RemovalErrorTest, ErrorOnOneFileSkipsOnlyThatFile) {
    make_file("inst/a.txt");
    make_file("inst/b.txt");
    make_file("inst/c.txt");
    failing.fail_remove = narrow("inst") + "\\b.txt";
    recording_view v;
    RunRemoval(job_for("inst"), v);
    expect_frame(v);
    EXPECT_EQ(remaining(), (std::set<std::string>{"inst", "inst/b.txt"}));
    EXPECT_EQ(v.progress, (std::vector<int>{33, 66, 100}));
}

TEST_F(RemovalErrorTest, FoldersGoneWithTheirParentAreShownButNotRemovedAgain) {
    const std::string d1 = narrow("inst") + "\\d1";
    const std::string d5 = narrow("inst") + "\\d5";
    struct row {
        const char* what;
        std::string fail;                    // a folder whose removal fails
        std::set<std::string> folders;       // the folders remove_all is asked for
    };
    const row rows[] = {
        {"all go", "", {d1, d5}},
        // The parent stays, so what lies below it is still tried (and goes).
        {"parent fails", d1, {d1, d1 + "\\d2", d1 + "\\d4", d5}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        make_file("inst/a.txt");
        make_file("inst/d1/d2/d3/x.txt");
        make_file("inst/d1/d4/y.txt");
        make_dir("inst/d5/d6");
        failing.fail_remove = r.fail;
        failing.remove_calls.clear();
        recording_view v;
        RunRemoval(job_for("inst"), v);
        expect_frame(v);
        // Siblings come in the file system's order; each folder is asked for once.
        std::set<std::string> folders;
        for (const auto& c : failing.remove_calls) {
            if (c.find(".txt") == std::string::npos) {
                EXPECT_TRUE(folders.insert(c).second) << c;
            }
        }
        EXPECT_EQ(folders, r.folders);
        // Every listed folder still shows on the label.
        for (const char* d : {"\\d1", "\\d1\\d2", "\\d1\\d2\\d3", "\\d1\\d4", "\\d5", "\\d5\\d6"})
            EXPECT_NE(std::find(v.labels.begin(), v.labels.end(), narrow("inst") + d), v.labels.end()) << d;
        std::set<std::string> left{"inst"};
        if (!r.fail.empty()) left.insert("inst/d1");
        EXPECT_EQ(remaining(), left);
    }
}

TEST_F(RemovalErrorTest, ErrorWhileListingFoldersRemovesNoMore) {
    make_file("inst/a.txt");
    make_file("inst/d1/x.txt");
    make_file("inst/d1/d2/y.txt");
    failing.fail_list_dirs = narrow("inst");
    recording_view v;
    RunRemoval(job_for("inst"), v);
    expect_frame(v);
    // Only what the listing found before the error is removed.
    EXPECT_FALSE(fs::exists(root / "inst/d1"));
    EXPECT_TRUE(fs::exists(root / "inst"));
}

TEST_F(RemovalErrorTest, ErrorOnTheResourceFolderKeepsAppData) {
    make_file("inst/a.txt");
    make_file("res/r.dat");
    failing.fail_exists = narrow("res");
    recording_view v;
    RunRemoval(job_for("inst", "res"), v);
    expect_frame(v);
    EXPECT_EQ(v.questions, 0);
    EXPECT_TRUE(fs::exists(root / "res/r.dat"));
    EXPECT_FALSE(fs::exists(root / "inst/a.txt"));
    EXPECT_FALSE(v.app_data_deleted);
}

TEST_F(RemovalErrorTest, LookAlikeInstallationPathRemovesNothing) {
    // The wide folder "inst" converts (as if by best fit) to the narrow name of
    // another, existing folder: nothing of either may go.
    make_file("inst/a.txt");
    make_file("decoy/precious.txt");
    failing.best_fit_from = narrow("inst");
    failing.best_fit_to = narrow("decoy");
    recording_view v;
    RunRemoval(job_for("inst"), v);
    expect_frame(v);
    EXPECT_TRUE(fs::exists(root / "decoy/precious.txt"));
    EXPECT_TRUE(fs::exists(root / "inst/a.txt"));
    EXPECT_FALSE(v.remove_install_dir);
}

}  // namespace
