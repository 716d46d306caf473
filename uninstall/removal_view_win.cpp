#include "uninstall/removal_view_win.h"

#include <windows.h>

#include "config/settings_store.h"
#include "system/registry.h"
#include "uninstall/dlg_uninst_page_win.h"

void wizard_removal_view::set_page_visible(page which, bool visible) {
    CDlgUninstPage* owner = &owner_;
    owner_.PostToUiThread([owner, which, visible] { owner->SetPageVisible(which, visible); });
}

void wizard_removal_view::show_current_file(const std::string& path) {
    CDlgUninstPage* owner = &owner_;
    owner_.PostToUiThread([owner, path] { owner->ShowCurrentFile(path); });
}

void wizard_removal_view::set_progress_range(int min_value, int max_value) {
    CDlgUninstPage* owner = &owner_;
    owner_.PostToUiThread([owner, min_value, max_value] { owner->SetProgressRange(min_value, max_value); });
}

void wizard_removal_view::set_progress(int value) {
    CDlgUninstPage* owner = &owner_;
    owner_.PostToUiThread([owner, value] { owner->SetProgressValue(value); });
}

bool wizard_removal_view::ask_keep_resources() {
    return MessageBoxW(nullptr, L"是否保留本地资源文件？", L"卸载提示", MB_YESNO) == IDYES;
}

void wizard_removal_view::set_remove_install_dir(bool value) { owner_.remove_install_dir.store(value); }

void wizard_removal_view::delete_app_data_value() { reg_delete_value(settings().register_key, "AppData"); }

void wizard_removal_view::finished() { owner_.OnRemovalFinished(); }
