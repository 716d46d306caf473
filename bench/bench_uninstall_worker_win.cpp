// Splits the uninstall benchmark's time: the removal worker alone (the real
// file_util and RunRemoval, a view that drops every change), without a window.
//
//   bench_uninstall_worker DIR
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/file_util.h"
#include "uninstall/removal_worker.h"

namespace {

class null_view : public removal_view {
public:
    size_t changes = 0;
    void set_page_visible(page, bool) override { ++changes; }
    void show_current_file(const std::string&) override { ++changes; }
    void set_progress_range(int, int) override { ++changes; }
    void set_progress(int) override { ++changes; }
    bool ask_keep_resources() override { return false; }
    void set_remove_install_dir(bool) override {}
    void delete_app_data_value() override {}
    void finished() override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    set_file_util(make_platform_file_util());
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    RemovalJob job;
    job.uninst_dir = argv[1];
    null_view view;
    RunRemoval(job, view);
    QueryPerformanceCounter(&t1);
    std::printf("changes %zu ms %.1f\n", view.changes,
                1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart));
    return 0;
}
