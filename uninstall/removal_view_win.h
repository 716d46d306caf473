// The removal worker's view of the wizard on Windows: every change to a
// control is handed to the UI thread through the window's ordered queue, and
// the worker never waits for the UI thread. Only the keep-resources question
// blocks the worker, on a message box of its own thread.
#pragma once

#include "uninstall/removal_worker.h"

class CDlgUninstPage;

class wizard_removal_view : public removal_view {
public:
    explicit wizard_removal_view(CDlgUninstPage& owner) : owner_(owner) {}

    void set_page_visible(page which, bool visible) override;
    void show_current_file(const std::string& path) override;
    void set_progress_range(int min_value, int max_value) override;
    void set_progress(int value) override;
    bool ask_keep_resources() override;
    void set_remove_install_dir(bool value) override;
    void delete_app_data_value() override;
    void finished() override;

private:
    CDlgUninstPage& owner_;
};
