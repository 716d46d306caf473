#include "uninstall/dlg_uninst_page_win.h"

#include <chrono>
#include <cwchar>
#include <memory>
#include <system_error>
#include <thread>

#include "app/startup_win.h"
#include "config/settings_store.h"
#include "report/device_report.h"
#include "report/reports.h"
#include "system/registry.h"
#include "system/shortcuts.h"
#include "ui/control.h"
#include "ui/progress.h"
#include "uninstall/edition_names.h"
#include "uninstall/protected_folders_win.h"
#include "uninstall/removal_view_win.h"
#include "uninstall/self_removal.h"
#include "uninstall/wizard_rules.h"

namespace {

// The report type of the statistics report sent when the uninstallation starts.
constexpr int32_t kDeviceReportType = 30;

// How long the finish sequence waits for the worker's last steps (the flag
// and "AppData"); they follow the finish page at once, so this is a bound,
// never a delay.
constexpr auto kFinishWait = std::chrono::seconds(10);

}  // namespace

CDlgUninstPage::CDlgUninstPage(const std::wstring& dir) : uninst_dir(dir) {
    for (int i = 0; i < 8; ++i) wcsncpy(reason_texts[i], kReasonTexts[i], 49);
}

CDlgUninstPage::~CDlgUninstPage() = default;

LPCWSTR CDlgUninstPage::GetWindowClass() const { return L"CDlgUninstPage"; }

LRESULT CDlgUninstPage::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    // A double click on the drag area must not maximise the borderless wizard.
    if (msg == WM_NCLBUTTONDBLCLK) return 0;
    if (msg == WM_CLOSE) {
        // A started removal runs to its end: closing half-way would leave a
        // half-removed game and no way to finish.
        if (removing_.load()) return 0;
        // Escape, Alt+F4 and both cancel buttons: the window closes as the
        // framework closes it, then the process ends through the finish
        // sequence (which launches the script after an uninstallation).
        WindowImplBase::HandleMessage(msg, wparam, lparam);
        RunFinishSequence();
    }
    return WindowImplBase::HandleMessage(msg, wparam, lparam);
}

void CDlgUninstPage::InitWindow() {
    page_reasons = m_pm.FindControl(L"background_one");
    page_progress = m_pm.FindControl(L"background_two");
    page_finish = m_pm.FindControl(L"background_thr");
    tasks_.create();
    SetIcon(IconIdForPlatform(GetPlatformName()));
    // Only for a report StartUninstall would send: nothing is probed for an
    // installation without a GUID or without a statistics address.
    if (DeviceReportWillBeSent(GetStatLogUrl(), reg_read_string(settings().register_key, "GUID")))
        device_facts_.start(GatherDeviceFacts);
}

void CDlgUninstPage::Notify(TNotifyUI& msg) {
    if (msg.sType.CompareNoCase(L"click") == 0) {
        OnClick(msg);
    } else if (msg.sType.CompareNoCase(L"textchanged") == 0) {
        // nothing
    } else {
        WindowImplBase::Notify(msg);
    }
}

void CDlgUninstPage::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const wizard_click_action action = ActionForClick(msg.pSender->GetName().str());
    switch (action.what) {
    case wizard_click::start_uninstall:
        StartUninstall();
        break;
    case wizard_click::cancel:
        SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        RunFinishSequence();
    case wizard_click::finish:
        RunFinishSequence();
    case wizard_click::toggle_reason:
        reason_selected[action.reason] = !reason_selected[action.reason];
        break;
    case wizard_click::none:
        break;
    }
}

CDuiString CDlgUninstPage::GetLayoutFolder() { return CDuiString(L""); }

CDuiString CDlgUninstPage::GetLayoutFile() { return CDuiString(L"uninstall.xml"); }

ui_resource_type CDlgUninstPage::GetResourceType() const { return ui_resource_type::zip_resource; }

LPCWSTR CDlgUninstPage::GetResourceID() const { return MAKEINTRESOURCEW(103); }

LRESULT CDlgUninstPage::HandleCustomMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }

void CDlgUninstPage::ShowCurrentFile(const std::string& path) {
    if (CControlUI* label = m_pm.FindControl(L"file_lab")) label->SetText(AnsiToWide(path).c_str());
}

void CDlgUninstPage::SetPageVisible(removal_view::page which, bool visible) {
    CControlUI* page = which == removal_view::page::reasons    ? page_reasons
                       : which == removal_view::page::progress ? page_progress
                                                               : page_finish;
    if (page) page->SetVisible(visible);
}

static CProgressUI* find_progress(CPaintManagerUI& pm) {
    CControlUI* c = pm.FindControl(L"prgUninst");
    return c ? static_cast<CProgressUI*>(c->GetInterface(L"Progress")) : nullptr;
}

void CDlgUninstPage::SetProgressRange(int min_value, int max_value) {
    if (CProgressUI* bar = find_progress(m_pm)) {
        bar->SetMaxValue(max_value);
        bar->SetMinValue(min_value);
    }
}

void CDlgUninstPage::SetProgressValue(int value) {
    if (CProgressUI* bar = find_progress(m_pm)) bar->SetValue(value);
}

bool CDlgUninstPage::PostToUiThread(std::function<void()> change) { return tasks_.post(std::move(change)); }

void CDlgUninstPage::OnRemovalFinished() {
    {
        std::lock_guard<std::mutex> hold(done_lock_);
        removing_.store(false);
    }
    done_signal_.notify_all();
}

std::wstring CDlgUninstPage::GetEditionDisplayName() {
    return EditionDisplayNameFromKeyPath(mb_to_wide(settings().register_key));
}

void CDlgUninstPage::SendUninstallFeedback() { SendUninstallFeedbackReport(reason_selected, reason_texts); }

void CDlgUninstPage::StartUninstall() {
    const settings_store& s = settings();
    const std::string guid = reg_read_string(s.register_key, "GUID");
    SendDeviceReport(GetStatLogUrl(), guid, GetChannelId(), s.sub_channel_id, s.ad_id, kDeviceReportType,
                     [this] { return device_facts_.take(GatherDeviceFacts); });

    const std::string app_data = reg_read_string(s.register_key, "AppData");
    auto job = std::make_unique<RemovalJob>();
    job->uninst_dir = uninst_dir;
    job->resource_dir_override = app_data;
    job->protected_dirs = QueryProtectedFolders();
    job->canonical = CanonicalPathForCompare;
    removing_.store(true);
    try {
        // The thread owns the job; nothing ever joins it.
        std::thread([this, job = std::move(job)] {
            wizard_removal_view view(*this);
            RunRemoval(*job, view);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: remove on this thread rather than leave the
        // user on the reasons page with a started uninstallation. The
        // changes queue up and show once the procedure returns.
        RemovalJob inline_job;
        inline_job.uninst_dir = uninst_dir;
        inline_job.resource_dir_override = app_data;
        inline_job.protected_dirs = QueryProtectedFolders();
        inline_job.canonical = CanonicalPathForCompare;
        wizard_removal_view view(*this);
        RunRemoval(inline_job, view);
    }

    const std::wstring name = GetEditionDisplayName();
    SendUninstallFeedback();
    if (!name.empty()) {
        remove_shortcuts(name);
        delete_uninstall_entry(name);
    }
    uninstall_started = true;
}

void CDlgUninstPage::RunFinishSequence() {
    if (uninstall_started) {
        // The finish page shows before the worker's last two steps; the script
        // must see the flag they set.
        std::unique_lock<std::mutex> hold(done_lock_);
        done_signal_.wait_for(hold, kFinishWait, [this] { return !removing_.load(); });
        hold.unlock();
        LaunchSelfRemoval(uninst_dir, remove_install_dir.load());
    }
    // Not while the facts are still being gathered: ending the process under
    // a thread inside the system's graphics libraries is asking for trouble.
    device_facts_.wait();
    ExitProcess(0);
}
