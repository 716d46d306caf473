#include "ui/window_impl_base_win.h"

#include <windowsx.h>

#include <cstring>
#include <string>

#include "ui/control.h"
#include "ui/dialog_builder.h"
#include "ui/paint_manager_win.h"

namespace {

const wchar_t kSkinFailureText[] = L"加载资源文件失败";
const wchar_t kSkinFailureCaption[] = L"Tessel";
const wchar_t kSkinResourceType[] = L"ZIPRES";

// The skin archive's bytes: copied once from the resource (or read from the
// zip file) and kept until the process ends, because the open archive reads
// from this buffer for every later window.
const unsigned char* g_skin_buffer = nullptr;
unsigned g_skin_size = 0;

std::wstring module_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Copies the archive resource into the process-wide buffer. False when the
// resource is missing, cannot be loaded or is empty.
bool load_skin_resource(LPCWSTR id) {
    if (g_skin_buffer) return true;
    auto* module = static_cast<HMODULE>(CPaintManagerUI::GetInstance());
    if (!module) module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, id, kSkinResourceType);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    DWORD size = ::SizeofResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    auto* copy = new unsigned char[size];
    std::memcpy(copy, data, size);
    g_skin_buffer = copy;
    g_skin_size = size;
    return true;
}

// Reads a zip file of the resource folder into the process-wide buffer.
bool load_skin_file(const CDuiString& name) {
    if (g_skin_buffer) return true;
    std::wstring path = CPaintManagerUI::GetResourcePath().str() + name.str();
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30);
    unsigned char* copy = nullptr;
    if (ok) {
        copy = new unsigned char[static_cast<size_t>(size.QuadPart)];
        DWORD read = 0;
        ok = ::ReadFile(file, copy, static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
             read == static_cast<DWORD>(size.QuadPart);
    }
    ::CloseHandle(file);
    if (!ok) {
        delete[] copy;
        return false;
    }
    g_skin_buffer = copy;
    g_skin_size = static_cast<unsigned>(size.QuadPart);
    return true;
}

}  // namespace

WindowImplBase::WindowImplBase() {
    m_messageMap.push_back(ui_notify_entry{CDuiString(L"click"), [this](TNotifyUI& msg) { OnClick(msg); }});
}

WindowImplBase::~WindowImplBase() {
    // A window object that goes before its window: nothing may reach it later.
    if (::IsWindow(m_hWnd)) ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    DetachPaintManagerWindow(m_pm);
}

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnFinalMessage(HWND) {
    m_pm.RemoveMessageFilter(this);
    m_pm.RemoveNotifier(this);
    // The core deletes controls at once; there is no delayed-delete list to release.
    DetachPaintManagerWindow(m_pm);
}

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closebtn") {
        Close(IDOK);
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM key) {
    if (key == VK_ESCAPE) {
        Close(IDOK);
        return 1;
    }
    return 0;
}

ui_resource_type WindowImplBase::GetResourceType() const { return ui_resource_type::file; }

CDuiString WindowImplBase::GetZIPFileName() const { return CDuiString(L""); }

LPCWSTR WindowImplBase::GetResourceID() const { return L""; }

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wparam, LPARAM, bool& handled) {
    if (::IsIconic(m_hWnd)) {
        handled = false;
        return 0;
    }
    return wparam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wparam, LPARAM lparam, bool&) {
    // The client area is the whole window: no frame, no caption.
    RECT* rc = wparam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0] : reinterpret_cast<RECT*>(lparam);
    if (::IsZoomed(m_hWnd)) {
        // Maximized, a window without a frame would cover the task bar and spill
        // over the monitor's edges: fit it to the work area.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) *rc = monitor.rcWork;
    }
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lparam, bool&) {
    POINT pt = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);

    if (!::IsZoomed(m_hWnd)) {
        const ui_rect box = m_pm.GetSizeBox();
        if (pt.y < client.top + box.top) {
            if (pt.x < client.left + box.left) return HTTOPLEFT;
            if (pt.x > client.right - box.right) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > client.bottom - box.bottom) {
            if (pt.x < client.left + box.left) return HTBOTTOMLEFT;
            if (pt.x > client.right - box.right) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < client.left + box.left) return HTLEFT;
        if (pt.x > client.right - box.right) return HTRIGHT;
    }

    const ui_rect caption = m_pm.GetCaptionRect();
    if (pt.x < client.left + caption.left || pt.x >= client.right - caption.right) return HTCLIENT;
    if (pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = m_pm.FindControl(ui_point{pt.x, pt.y});
        if (IsHTCaptionFlag(control)) return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lparam, bool& handled) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT work = monitor.rcWork;
        const RECT screen = monitor.rcMonitor;
        // Maximized position and size are relative to the monitor.
        info->ptMaxPosition.x = work.left - screen.left;
        info->ptMaxPosition.y = work.top - screen.top;
        info->ptMaxTrackSize.x = work.right - work.left;
        info->ptMaxTrackSize.y = work.bottom - work.top;
    }
    const ui_size min_size = m_pm.GetMinInfo();
    info->ptMinTrackSize.x = min_size.cx;
    info->ptMinTrackSize.y = min_size.cy;
    // The paint manager then applies the layout's "mininfo" and "maxinfo".
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    const ui_size corner = m_pm.GetRoundCorner();
    if (!::IsIconic(m_hWnd) && (corner.cx != 0 || corner.cy != 0)) {
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        ::OffsetRect(&rc, -rc.left, -rc.top);
        rc.right++;
        rc.bottom++;
        HRGN region = ::CreateRoundRectRgn(rc.left, rc.top, rc.right, rc.bottom, corner.cx, corner.cy);
        // The window owns the region from here on.
        if (!::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT msg, WPARAM wparam, LPARAM lparam, bool&) {
    if ((wparam & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_CLOSE, 0, 0);
        return 0;
    }
    const bool was_zoomed = ::IsZoomed(m_hWnd) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(msg, wparam, lparam);
    if (::IsWindow(m_hWnd) && was_zoomed != (::IsZoomed(m_hWnd) != FALSE)) {
        CControlUI* max_button = m_pm.FindControl(L"maxbtn");
        CControlUI* restore_button = m_pm.FindControl(L"restorebtn");
        if (max_button && restore_button) {
            max_button->SetVisible(was_zoomed);
            restore_button->SetVisible(!was_zoomed);
        }
    }
    return result;
}

bool WindowImplBase::BuildSkin(bool& built) {
    built = false;
    switch (GetResourceType()) {
    case ui_resource_type::zip_resource:
        // A missing archive gives an empty window: no controls, no message.
        if (!load_skin_resource(GetResourceID())) return true;
        CPaintManagerUI::SetResourceZip(g_skin_buffer, g_skin_size);
        break;
    case ui_resource_type::zip:
        if (load_skin_file(GetZIPFileName())) CPaintManagerUI::SetResourceZip(g_skin_buffer, g_skin_size);
        break;
    case ui_resource_type::file:
    case ui_resource_type::resource:
        break;
    }
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetLayoutFile(), nullptr, this, &m_pm);
    if (!root) return false;
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    built = true;
    return true;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    // No caption of the system's: the skin draws everything and the layout's
    // caption area drags the window.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    ::SetWindowPos(m_hWnd, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_pm.Init(m_hWnd);
    m_pm.AddMessageFilter(this);

    if (CPaintManagerUI::GetResourcePath().IsEmpty()) {
        std::wstring folder = module_folder() + GetLayoutFolder().str();
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
        CPaintManagerUI::SetResourcePath(folder.c_str());
    }

    bool built = false;
    if (!BuildSkin(built)) {
        ::MessageBoxW(nullptr, kSkinFailureText, kSkinFailureCaption, MB_OK | MB_ICONERROR);
        ::ExitProcess(1);
    }
    if (built) InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LONG WindowImplBase::GetStyle() {
    LONG style = static_cast<LONG>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    return style & ~WS_CAPTION;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    bool handled = true;
    switch (msg) {
    case WM_CREATE: result = OnCreate(msg, wparam, lparam, handled); break;
    case WM_CLOSE: result = OnClose(msg, wparam, lparam, handled); break;
    case WM_DESTROY: result = OnDestroy(msg, wparam, lparam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(msg, wparam, lparam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(msg, wparam, lparam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(msg, wparam, lparam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(msg, wparam, lparam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(msg, wparam, lparam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(msg, wparam, lparam, handled); break;
    case WM_SIZE: result = OnSize(msg, wparam, lparam, handled); break;
    case WM_CHAR: result = OnChar(msg, wparam, lparam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(msg, wparam, lparam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(msg, wparam, lparam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(msg, wparam, lparam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(msg, wparam, lparam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(msg, wparam, lparam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(msg, wparam, lparam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(msg, wparam, lparam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(msg, wparam, lparam, handled); break;
    default: handled = false; break;
    }
    if (handled) return result;

    result = HandleCustomMessage(msg, wparam, lparam, handled);
    if (handled) return result;

    intptr_t pm_result = 0;
    if (m_pm.MessageHandler(msg, wparam, lparam, pm_result)) return static_cast<LRESULT>(pm_result);
    return CWindowWnd::HandleMessage(msg, wparam, lparam);
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

const ui_notify_map& WindowImplBase::GetMessageMap() { return m_messageMap; }

LRESULT WindowImplBase::MessageHandler(UINT msg, WPARAM wparam, LPARAM, bool&) {
    if (msg == WM_KEYDOWN && (wparam == VK_RETURN || wparam == VK_ESCAPE)) {
        // Never marked as handled: the key still reaches the window.
        return ResponseDefaultKeyEvent(wparam);
    }
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const wchar_t*) { return nullptr; }
