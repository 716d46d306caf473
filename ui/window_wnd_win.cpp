#include "ui/window_wnd_win.h"

#include <cwchar>
#include <string>

#include "ui/control.h"
#include "ui/paint_manager.h"

namespace {

HINSTANCE resource_instance() {
    auto* instance = static_cast<HINSTANCE>(CPaintManagerUI::GetInstance());
    return instance ? instance : GetModuleHandleW(nullptr);
}

int round_up_16(int pixels) { return (pixels + 15) / 16 * 16; }

}  // namespace

CWindowWnd::~CWindowWnd() { ReleaseIcons(); }

LPCWSTR CWindowWnd::GetSuperClassName() const { return nullptr; }

UINT CWindowWnd::GetClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, msg, wparam, lparam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

bool CWindowWnd::IsHTCaptionFlag(CControlUI* control) {
    if (!control) return false;
    for (CControlUI* c = control; c; c = c->GetParent()) {
        // Buttons and check boxes have flags (set-cursor, tab-stop): they take the mouse.
        if (c->GetControlFlags() != 0) return false;
    }
    return true;
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = resource_instance();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = GetWindowClass();
    if (::RegisterClassExW(&wc) != 0) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    // A class of our own that starts from a system class's procedure, which
    // default processing then calls.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(resource_instance(), GetSuperClassName(), &wc)) {
        return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowWnd::WindowProc;
    wc.hInstance = resource_instance();
    wc.lpszClassName = GetWindowClass();
    if (::RegisterClassExW(&wc) != 0) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, LPCWSTR title, DWORD style, DWORD ex_style, int x, int y, int cx, int cy,
                        HMENU menu) {
    if (GetSuperClassName() != nullptr ? !RegisterSuperclass() : !RegisterWindowClass()) return nullptr;
    m_hWnd = ::CreateWindowExW(ex_style, GetWindowClass(), title, style, x, y, cx, cy, parent, menu,
                               resource_instance(), this);
    return m_hWnd;
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    CWindowWnd* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY && self) {
            LRESULT result = ::CallWindowProcW(self->m_OldWndProc, hwnd, msg, wparam, lparam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->m_hWnd = nullptr;
            self->ReleaseIcons();
            // Last: OnFinalMessage may delete the object.
            self->OnFinalMessage(hwnd);
            return result;
        }
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO comes first) have no object yet.
    if (self) return self->HandleMessage(msg, wparam, lparam);
    return ::DefWindowProcW(hwnd, msg, wparam, lparam);
}

void CWindowWnd::ShowWindow(bool show, bool take_focus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (take_focus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::Close(UINT ret) {
    if (!::IsWindow(m_hWnd)) return;
    m_uCloseCode = ret;
    ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(ret), 0);
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    return ::SendMessageW(m_hWnd, msg, wparam, lparam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    return ::PostMessageW(m_hWnd, msg, wparam, lparam);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(m_hWnd)) return;
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;

    RECT reference = work;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);

    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    // Back inside the work area on the side where it sticks out.
    if (x < work.left) x = work.left;
    else if (x + width > work.right) x = work.right - width;
    if (y < work.top) y = work.top;
    else if (y + height > work.bottom) y = work.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resource_id) {
    if (!::IsWindow(m_hWnd)) return;
    HINSTANCE instance = resource_instance();
    const int big_px = round_up_16(::GetSystemMetrics(SM_CXICON));
    const int small_px = round_up_16(::GetSystemMetrics(SM_CXSMICON));
    auto* big_icon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resource_id), IMAGE_ICON, big_px, big_px, LR_DEFAULTCOLOR));
    auto* small_icon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resource_id), IMAGE_ICON, small_px, small_px, LR_DEFAULTCOLOR));
    if (big_icon) ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
    if (small_icon) ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
    // The window now shows the new icons; the ones we set before can go.
    if (big_icon) {
        if (m_hIconBig) ::DestroyIcon(m_hIconBig);
        m_hIconBig = big_icon;
    }
    if (small_icon) {
        if (m_hIconSmall) ::DestroyIcon(m_hIconSmall);
        m_hIconSmall = small_icon;
    }
}

void CWindowWnd::ReleaseIcons() {
    // Only once the window no longer uses them (destroyed, or never created).
    if (m_hWnd && ::IsWindow(m_hWnd)) return;
    if (m_hIconBig) ::DestroyIcon(m_hIconBig);
    if (m_hIconSmall) ::DestroyIcon(m_hIconSmall);
    m_hIconBig = m_hIconSmall = nullptr;
}
