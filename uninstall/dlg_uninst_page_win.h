// CDlgUninstPage: the uninstall wizard window. Three stacked pages (reasons,
// progress, finish) built from uninstall.xml; the uninstall procedure; the
// finish sequence that launches the self-removal script and ends the process.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "report/device_facts.h"
#include "ui/ui_task_queue_win.h"
#include "ui/window_impl_base_win.h"
#include "uninstall/background_result.h"
#include "uninstall/removal_worker.h"

class CDlgUninstPage : public WindowImplBase {
public:
    explicit CDlgUninstPage(const std::wstring& dir);
    ~CDlgUninstPage() override;

    // ---- WindowImplBase ----
    LPCWSTR GetWindowClass() const override;
    LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void InitWindow() override;
    void OnClick(TNotifyUI& msg) override;
    CDuiString GetLayoutFolder() override;
    CDuiString GetLayoutFile() override;
    ui_resource_type GetResourceType() const override;
    LPCWSTR GetResourceID() const override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled) override;
    void Notify(TNotifyUI& msg) override;

    // Sets file_lab's text to the path (narrow, ANSI code page). UI thread.
    void ShowCurrentFile(const std::string& path);
    // What a click on btnUninst starts (UI thread).
    void StartUninstall();
    std::wstring GetEditionDisplayName();
    void SendUninstallFeedback();

    // ---- the removal worker's changes, applied on the UI thread ----
    void SetPageVisible(removal_view::page which, bool visible);
    void SetProgressRange(int min_value, int max_value);
    void SetProgressValue(int value);
    // Any thread; never waits for the UI thread. False once the window is gone.
    bool PostToUiThread(std::function<void()> change);
    // Worker thread: the last step of the removal is done.
    void OnRemovalFinished();

    CControlUI* page_reasons = nullptr;   // background_one
    CControlUI* page_progress = nullptr;  // background_two
    CControlUI* page_finish = nullptr;    // background_thr
    bool reason_selected[8] = {};
    wchar_t reason_texts[8][50] = {};
    std::wstring uninst_dir;
    bool uninstall_started = false;
    // Written by the worker, read by the finish sequence on the UI thread.
    std::atomic<bool> remove_install_dir{false};

private:
    // Launches the self-removal script after an uninstallation, then ends the
    // process with code 0. Does not return.
    [[noreturn]] void RunFinishSequence();

    ui_task_window tasks_;
    // The machine's facts for the device report, gathered while the first page
    // shows (the first probes take a noticeable while on some systems).
    background_result<DeviceFacts> device_facts_;
    // From StartUninstall until the worker's last step: closing is refused.
    std::atomic<bool> removing_{false};
    std::mutex done_lock_;
    std::condition_variable done_signal_;
};
