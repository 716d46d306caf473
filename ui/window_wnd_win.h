// CWindowWnd: a native top-level window bound to a C++ object. The object is
// stored with the window at WM_NCCREATE; every later message goes to its
// HandleMessage, and at WM_NCDESTROY the object is detached and told through
// OnFinalMessage. The object is never deleted by the window.
#pragma once

#include <windows.h>

class CControlUI;

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Registers the window class when needed and creates the window with this
    // object as its creation parameter. Null when the class cannot be
    // registered (an already registered class is fine) or the window not made.
    HWND Create(HWND parent, LPCWSTR title, DWORD style, DWORD ex_style, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    void ShowWindow(bool show = true, bool take_focus = true);
    // Posts WM_CLOSE with the result code as wParam.
    void Close(UINT ret = IDOK);
    // Centres the window over its owner, or over the work area of its monitor
    // when it has none (or the owner is minimized), keeping it inside the work area.
    void CenterWindow();
    // Loads the icon resource at the large and small system icon sizes, each
    // rounded up to a multiple of 16 pixels, and sets both on the window.
    void SetIcon(UINT resource_id);
    LRESULT SendMessage(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
    LRESULT PostMessage(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
    UINT GetLastCloseCode() const { return m_uCloseCode; }

    // ---- virtual operations, in slot order ----
    // The registered class name.
    virtual LPCWSTR GetWindowClass() const = 0;
    // A system class to derive from (superclassing); none by default.
    virtual LPCWSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    // Default processing through the previous window procedure.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam);
    virtual void OnFinalMessage(HWND hwnd);
    // Whether a press on the control may drag the window: no when there is no
    // control or when it or any ancestor has control flags (buttons, check boxes).
    virtual bool IsHTCaptionFlag(CControlUI* control);
    virtual ~CWindowWnd();

protected:
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

    HWND m_hWnd = nullptr;
    // The procedure that default processing goes to: DefWindowProcW, or the
    // system class's own procedure when superclassing.
    WNDPROC m_OldWndProc = ::DefWindowProcW;
    UINT m_uCloseCode = 0;  // the code of the last Close


private:
    void ReleaseIcons();
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
};
