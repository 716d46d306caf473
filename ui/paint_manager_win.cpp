// The Windows side of CPaintManagerUI: binding to a window, translating window
// messages into the core's input and paint calls, the pre-message handling and
// the message loop.
#include "ui/paint_manager.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/message_filter_win.h"
#include "ui/paint_manager_win.h"
#include "ui/win_platform_win.h"

namespace {

// The paint managers bound to a window, in the order they were bound: the
// windows whose messages get pre-message handling in the loop. Each entry owns
// its window's platform. UI thread only.
struct bound_window {
    CPaintManagerUI* manager;
    std::unique_ptr<win_platform> platform;
};

std::vector<bound_window>& bound_windows() {
    static std::vector<bound_window> list;
    return list;
}

HINSTANCE g_instance = nullptr;

ui_point point_from(LPARAM lparam) { return ui_point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

void DetachPaintManagerWindow(CPaintManagerUI& manager) {
    auto& list = bound_windows();
    auto it = std::find_if(list.begin(), list.end(), [&](const bound_window& w) { return w.manager == &manager; });
    if (it != list.end()) {
        // The core must not reach the platform once it is gone.
        manager.SetPlatform(nullptr);
        std::unique_ptr<win_platform> platform = std::move(it->platform);
        list.erase(it);
        platform.reset();
    }
    manager.m_hWndPaint = nullptr;
    manager.m_hDcPaint = nullptr;
}

win_platform* GetWindowPlatform(const CPaintManagerUI& manager) {
    for (const bound_window& w : bound_windows()) {
        if (w.manager == &manager) return w.platform.get();
    }
    return nullptr;
}

void CPaintManagerUI::SetInstance(void* hinstance) { g_instance = static_cast<HINSTANCE>(hinstance); }

void* CPaintManagerUI::GetInstance() { return g_instance; }

void CPaintManagerUI::Init(void* hwnd) {
    DetachPaintManagerWindow(*this);
    HWND window = static_cast<HWND>(hwnd);
    if (!window) return;
    auto platform = std::make_unique<win_platform>(window);
    m_hWndPaint = window;
    m_hDcPaint = platform->window_dc();
    SetPlatform(platform.get());
    ResetTables();
    bound_windows().push_back(bound_window{this, std::move(platform)});
}

void* CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    if (!filter) return false;
    if (std::find(m_aMessageFilters.begin(), m_aMessageFilters.end(), filter) != m_aMessageFilters.end()) return false;
    m_aMessageFilters.push_back(filter);
    return true;
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    auto it = std::find(m_aMessageFilters.begin(), m_aMessageFilters.end(), filter);
    if (it == m_aMessageFilters.end()) return false;
    m_aMessageFilters.erase(it);
    return true;
}

bool CPaintManagerUI::PreMessageHandler(unsigned msg, uintptr_t wparam, intptr_t lparam, intptr_t& result) {
    // A copy: a filter may add or remove filters while it runs.
    const std::vector<IMessageFilterUI*> filters = m_aMessageFilters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT r = filter->MessageHandler(msg, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam), handled);
        if (handled) {
            result = r;
            return true;
        }
    }
    if (msg == WM_KEYDOWN && wparam == VK_TAB && GetRoot()) {
        // Tab moves the focus among the controls; the window never sees it.
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        result = 0;
        return true;
    }
    return false;
}

bool CPaintManagerUI::TranslateMessage(const void* message) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (!msg || !msg->hwnd) return false;
    HWND target = msg->hwnd;
    // A child window's messages get the handling of its top-level window.
    if ((::GetWindowLongPtrW(target, GWL_STYLE) & WS_CHILD) != 0) target = ::GetAncestor(target, GA_ROOT);
    CPaintManagerUI* owner = nullptr;
    for (const bound_window& w : bound_windows()) {
        if (w.manager->m_hWndPaint == target) {
            owner = w.manager;
            break;
        }
    }
    if (!owner) return false;
    intptr_t result = 0;
    return owner->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
}

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::MessageHandler(unsigned msg, uintptr_t wparam, intptr_t lparam, intptr_t& result) {
    HWND hwnd = static_cast<HWND>(m_hWndPaint);
    if (!hwnd) return false;
    switch (msg) {
    case kAsyncNotifyMessage:
        DeliverAsyncNotify();
        result = 0;
        return true;

    case WM_CLOSE: {
        OnClose();
        // Hand the focus back to the owner (or, for a child, the parent) so that
        // it does not land on some unrelated window.
        if (::GetActiveWindow() == hwnd) {
            HWND other = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(hwnd)
                                                                           : ::GetWindow(hwnd, GW_OWNER);
            if (other) ::SetFocus(other);
        }
        return false;  // default processing destroys the window
    }

    case WM_DESTROY:
        DetachPaintManagerWindow(*this);
        return false;

    case WM_ERASEBKGND:
        // Everything is painted from the frame buffer; erasing would only flicker.
        result = 1;
        return true;

    case WM_PAINT: {
        PAINTSTRUCT ps = {};
        ::BeginPaint(hwnd, &ps);
        OnPaint(ui_rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
        ::EndPaint(hwnd, &ps);
        result = 0;
        return true;
    }

    case WM_TIMER:
        if (wparam == kLayeredTimerId) {
            OnLayeredTimer(::IsIconic(hwnd) != FALSE);
            result = 0;
            return true;
        }
        return false;

    case WM_SIZE:
        OnSize(LOWORD(lparam), HIWORD(lparam));
        return false;

    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        const ui_size min_size = GetMinInfo();
        const ui_size max_size = GetMaxInfo();
        if (min_size.cx > 0) info->ptMinTrackSize.x = min_size.cx;
        if (min_size.cy > 0) info->ptMinTrackSize.y = min_size.cy;
        if (max_size.cx > 0) info->ptMaxTrackSize.x = max_size.cx;
        if (max_size.cy > 0) info->ptMaxTrackSize.y = max_size.cy;
        return false;
    }

    case WM_MOUSEMOVE:
        OnMouseMove(point_from(lparam));
        return false;

    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;

    case WM_LBUTTONDOWN:
        OnLButtonDown(point_from(lparam));
        return false;

    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(point_from(lparam));
        return false;

    case WM_LBUTTONUP:
        OnLButtonUp(point_from(lparam));
        return false;

    case WM_SETCURSOR: {
        if (LOWORD(lparam) != HTCLIENT) return false;
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(hwnd, &pt);
        if (OnSetCursor(ui_point{pt.x, pt.y})) {
            result = TRUE;
            return true;
        }
        return false;
    }

    case WM_KEYDOWN:
        OnKeyDown(static_cast<unsigned>(wparam));
        return false;

    case WM_KILLFOCUS:
        OnKillFocus();
        return false;

    default:
        return false;
    }
}
