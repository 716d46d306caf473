// WindowImplBase: a skinned, borderless window built from a layout of the skin
// archive. It owns the window's paint manager, routes window messages to its
// handler slots and on to the paint manager, drags the window by the layout's
// caption area, closes on Escape, and hands the controls' "click" notifications
// to OnClick.
#pragma once

#include <windows.h>

#include "ui/message_filter_win.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"
#include "ui/ui_types.h"
#include "ui/window_wnd_win.h"

// Where a window's layout and images come from (GetResourceType).
enum class ui_resource_type {
    file = 1,          // files in the resource folder
    zip = 2,           // a zip file in the resource folder (GetZIPFileName)
    resource = 3,      // not supported: builds nothing
    zip_resource = 4,  // a zip archive in the program's resource "ZIPRES" GetResourceID
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase();

    // ---- CWindowWnd ----
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void OnFinalMessage(HWND hwnd) override;
    ~WindowImplBase() override;

    // ---- virtual operations of their own, in slot order ----
    // Once the control tree is attached.
    virtual void InitWindow();
    // closebtn closes, minbtn/maxbtn/restorebtn send their system command.
    virtual void OnClick(TNotifyUI& msg);
    virtual CDuiString GetLayoutFolder() = 0;
    virtual CDuiString GetLayoutFile() = 0;
    // Escape closes the window (result 1); other keys: 0.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM key);
    virtual ui_resource_type GetResourceType() const;
    virtual CDuiString GetZIPFileName() const;
    // The resource id of the skin archive (MAKEINTRESOURCEW(id)); empty by default.
    virtual LPCWSTR GetResourceID() const;
    virtual LRESULT OnClose(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnDestroy(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnNcActivate(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnNcPaint(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnMouseHover(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnSize(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnChar(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnCreate(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnKeyDown(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnKillFocus(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnSetFocus(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    virtual LRESULT OnMouseMove(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    // Any message no slot took; clear handled to pass it on.
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
    // The window's style without the caption bits.
    virtual LONG GetStyle();

    // ---- INotifyUI: the notification map (only "click", to OnClick) ----
    void Notify(TNotifyUI& msg) override;
    // ---- IMessageFilterUI: Return and Escape to ResponseDefaultKeyEvent, never swallowed ----
    LRESULT MessageHandler(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled) override;
    // ---- IDialogBuilderCallback: no controls of its own ----
    CControlUI* CreateControl(const wchar_t* class_name) override;

    CPaintManagerUI m_pm;

protected:
    const ui_notify_map& GetMessageMap() override;

private:
    // Loads the skin archive and builds the layout; false when the builder
    // failed. Sets built to false when the archive resource is missing (an
    // empty window, not a failure).
    bool BuildSkin(bool& built);

    ui_notify_map m_messageMap;
};
