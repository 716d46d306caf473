// A skinned window for the GUI tests: built by WindowImplBase from the skin
// archive linked into this program (ZIPRES 103), driven by xdotool from
// gui_test.sh. It writes what it receives to a log file, one line each, so the
// test can poll for it: "initwindow", every notification as "<type> <sender>",
// "keydown <code>" when a key reaches the window's own handling, "maximized",
// "final" when the window is gone.
//
//   ui_probe.exe LOG [--layout NAME] [--resource-id N] [--no-dblclk-guard] [--no-layered]
//                    [--backdrop RRGGBB] [--page progress|finish]
//
// --page shows the wizard's progress page (bar at 40 %, a path in the label) or
// its finish page instead of the first page, as the removal worker does.
// --backdrop first covers the screen with a plain window of that colour, so
// that the transparent parts of the skinned window show a known colour.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"
#include "ui/win_platform_win.h"
#include "ui/window_impl_base_win.h"

namespace {

FILE* g_log = nullptr;

void log_line(const std::wstring& line) {
    if (!g_log) return;
    std::wstring text = line + L"\n";
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], n, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), g_log);
    std::fflush(g_log);
}

class probe_window : public WindowImplBase {
public:
    std::wstring layout = L"test.xml";
    UINT resource_id = 103;
    bool dblclk_guard = true;
    std::wstring page;

    LPCWSTR GetWindowClass() const override { return L"UiProbeWindow"; }
    CDuiString GetLayoutFolder() override { return CDuiString(L""); }
    CDuiString GetLayoutFile() override { return CDuiString(layout.c_str()); }
    ui_resource_type GetResourceType() const override { return ui_resource_type::zip_resource; }
    LPCWSTR GetResourceID() const override { return MAKEINTRESOURCEW(resource_id); }

    LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
        // As the wizard does: a double click on the drag area must not maximize.
        if (msg == WM_NCLBUTTONDBLCLK && dblclk_guard) return 0;
        if (msg == WM_SIZE && wparam == SIZE_MAXIMIZED) log_line(L"maximized");
        return WindowImplBase::HandleMessage(msg, wparam, lparam);
    }

    void InitWindow() override {
        log_line(L"initwindow");
        if (page.empty()) return;
        CControlUI* first = m_pm.FindControl(L"background_one");
        CControlUI* shown = m_pm.FindControl(page == L"finish" ? L"background_thr" : L"background_two");
        if (!first || !shown) return;
        first->SetVisible(false);
        shown->SetVisible(true);
        if (CControlUI* bar = m_pm.FindControl(L"prgUninst")) {
            if (auto* progress = static_cast<CProgressUI*>(bar->GetInterface(L"Progress"))) progress->SetValue(40);
        }
        if (CControlUI* label = m_pm.FindControl(L"file_lab")) {
            label->SetText(L"C:\\Games\\铁砧行动2\\data\\maps\\desert_01 & canyon.pak");
        }
    }

    void Notify(TNotifyUI& msg) override {
        std::wstring sender = msg.pSender ? msg.pSender->GetName().str() : L"-";
        log_line(msg.sType.str() + L" " + sender);
        WindowImplBase::Notify(msg);
    }

    LRESULT OnKeyDown(UINT, WPARAM wparam, LPARAM, bool& handled) override {
        log_line(L"keydown " + std::to_wstring(wparam));
        handled = false;
        return 0;
    }

    void OnFinalMessage(HWND hwnd) override {
        WindowImplBase::OnFinalMessage(hwnd);
        log_line(L"final");
        ::PostQuitMessage(0);
    }
};

// A plain full-screen window of one colour, below the skinned window.
void show_backdrop(COLORREF colour) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = ::CreateSolidBrush(colour);
    wc.lpszClassName = L"UiProbeBackdrop";
    ::RegisterClassExW(&wc);
    ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"backdrop", WS_POPUP | WS_VISIBLE, 0, 0,
                      ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                      wc.hInstance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    g_log = _wfopen(argv[1], L"ab");
    probe_window window;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--layout" && i + 1 < argc) {
            window.layout = argv[++i];
        } else if (arg == L"--resource-id" && i + 1 < argc) {
            window.resource_id = static_cast<UINT>(std::wcstoul(argv[++i], nullptr, 10));
        } else if (arg == L"--no-dblclk-guard") {
            window.dblclk_guard = false;
        } else if (arg == L"--no-layered") {
            SetLayeredWindowsAvailable(false);
        } else if (arg == L"--page" && i + 1 < argc) {
            window.page = argv[++i];
        } else if (arg == L"--backdrop" && i + 1 < argc) {
            unsigned long rgb = std::wcstoul(argv[++i], nullptr, 16);
            show_backdrop(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
        }
    }
    ::LocalFree(argv);

    CPaintManagerUI::SetInstance(instance);
    // The wizard's own creation values; the skin replaces the size.
    if (!window.Create(nullptr, L"界面测试窗口", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW | WS_EX_STATICEDGE, 0,
                       0, 600, 800, nullptr)) {
        log_line(L"create failed");
        return 3;
    }
    window.CenterWindow();
    ::SetWindowPos(window.GetHWND(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    log_line(L"created");
    CPaintManagerUI::MessageLoop();
    log_line(L"loop end");
    return 0;
}
