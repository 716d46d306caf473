// The process entry: crash handler, the file utility, the single-instance and
// launcher guard, then the configuration and the wizard.
#include <windows.h>

#include <string>

#include "app/crash_dump_win.h"
#include "app/startup_win.h"
#include "config/platform_xml.h"
#include "ui/paint_manager.h"
#include "uninstall/dlg_uninst_page_win.h"
#include "system/file_util.h"

namespace {

const char kMutexName[] = "kestrow_varn2";
const char kLauncherExe[] = "QXlauncher.exe";
const wchar_t kCaption[] = L"提示";
const wchar_t kAlreadyRunning[] = L"卸载程序已经运行中";
const wchar_t kLauncherRunning[] = L"QXlauncher正在运行中，无法卸载";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // 1. From here on an unhandled exception, or an uncaught C++ exception on
    //    any thread, writes core.dmp.
    InstallCrashHandler();

    // 2. The process-wide file utility.
    set_file_util(make_platform_file_util());

    // 3. The executable's folder, wide for the wizard, narrow for the loader.
    const std::wstring module_dir = GetModuleDirectory();
    std::string module_dir_ansi;
    WideToAnsi(module_dir, module_dir_ansi);

    // 4. One uninstaller at a time. The handle is never closed: the lock is held
    //    for the life of the process, also while a refusal box is open.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
    const DWORD mutex_error = GetLastError();
    if (mutex && mutex_error == ERROR_ALREADY_EXISTS) {
        MessageBoxW(nullptr, kAlreadyRunning, kCaption, MB_OK);
    } else if (IsProcessRunning(kLauncherExe)) {
        // 5. Not while the game's launcher runs.
        MessageBoxW(nullptr, kLauncherRunning, kCaption, MB_OK);
    } else {
        // ---- Normal run ----
        // 6. The configuration; start-up goes on with whatever it produced.
        LoadConfiguration(module_dir_ansi);
        // 7. The skin and icons are resources of this executable.
        CPaintManagerUI::SetInstance(instance);
        // 8. The wizard lives until the process ends; the skin replaces the size.
        CDlgUninstPage* wizard = new CDlgUninstPage(module_dir);
        wizard->Create(nullptr, L"铁砧行动2卸载向导", WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                       WS_EX_APPWINDOW | WS_EX_STATICEDGE, 0, 0, 600, 800, nullptr);
        wizard->CenterWindow();
        // 9. The wizard ends the process itself; the loop returns only on a
        //    quit message.
        CPaintManagerUI::MessageLoop();
    }

    // 10. Refused, or the message loop returned.
    destroy_file_util();
    return 0;
}
