// Input events sent to controls, notifications sent to the window's code, and
// the interfaces that receive them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/ui_types.h"

class CControlUI;
class CMarkupNode;

// Event numbers of TEventUI::Type.
enum ui_event_type : int {
    kEventKeyDown = 3,
    kEventMouseMove = 9,
    kEventMouseLeave = 10,
    kEventMouseEnter = 11,
    kEventButtonDown = 13,
    kEventButtonUp = 14,
    kEventDoubleClick = 16,
    kEventKillFocus = 20,
    kEventSetFocus = 21,
    kEventWindowSize = 22,
    kEventSetCursor = 23,
    kEventTimer = 24,
};

// Key codes the core reacts to (the Windows virtual-key values).
enum ui_key : unsigned {
    kKeyTab = 0x09,
    kKeyReturn = 0x0D,
    kKeyEscape = 0x1B,
    kKeySpace = 0x20,
};

// An input event for one control.
typedef struct tagTEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    uint32_t dwTimestamp = 0;
    ui_point ptMouse;
    wchar_t chKey = 0;
    uint16_t wKeyState = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
} TEventUI;

// A notification for the window's code ("click", "selectchanged", "windowinit", ...).
typedef struct tagTNotifyUI {
    CDuiString sType;
    CDuiString sVirtualWnd;
    CControlUI* pSender = nullptr;
    uint32_t dwTimestamp = 0;   // system tick count in milliseconds when sent
    ui_point ptMouse;           // last mouse position the paint manager saw (client coordinates)
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
} TNotifyUI;

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;
protected:
    ~INotifyUI() = default;
};

// Notification map: type -> handler. A window fills the map with handlers bound
// to itself; NotifyPump runs the entry whose type equals the notification's.
struct ui_notify_entry {
    CDuiString type;
    std::function<void(TNotifyUI&)> handler;
};
using ui_notify_map = std::vector<ui_notify_entry>;

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    // Runs the first map entry whose type matches exactly; returns whether one ran.
    bool NotifyPump(TNotifyUI& msg);
protected:
    // Empty by default.
    virtual const ui_notify_map& GetMessageMap();
};

// Offered every element name the builder does not know.
class IDialogBuilderCallback {
public:
    // A new control for the element name, or nullptr.
    virtual CControlUI* CreateControl(const wchar_t* class_name) = 0;
protected:
    ~IDialogBuilderCallback() = default;
};
