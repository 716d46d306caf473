// CPaintManagerUI: one per skinned window. Holds the root control, fonts,
// images and name table; composes the window's picture into a BGRA frame
// buffer; turns input into control events; delivers notifications.
//
// The portable part never sees a window message: the Windows layer
// (paint_manager_win.cpp) translates messages into the On* calls below, and
// everything native goes through the ui_platform given with SetPlatform.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/image.h"
#include "ui/notify.h"
#include "ui/ui_platform.h"
#include "ui/ui_types.h"

class CControlUI;
class IMessageFilterUI;
class zip_archive;

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- Windows layer (defined in paint_manager_win.cpp, WIN32_BUILD only) ----
    static void SetInstance(void* hinstance);
    static void* GetInstance();
    // Takes the window's DC, resets the tables (ResetTables) and joins the
    // pre-message list.
    void Init(void* hwnd);
    void* GetPaintWindow() const;
    bool MessageHandler(unsigned msg, uintptr_t wparam, intptr_t lparam, intptr_t& result);
    bool PreMessageHandler(unsigned msg, uintptr_t wparam, intptr_t lparam, intptr_t& result);
    static void MessageLoop();
    static bool TranslateMessage(const void* msg);   // const MSG*
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    // Windows layer state (declared here, used only by paint_manager_win.cpp).
    // uiwin may add fields in this block.
    void* m_hWndPaint = nullptr;
    void* m_hDcPaint = nullptr;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    // ---- end of Windows layer ----

    // The platform of this window (not owned). Without one the manager has no
    // window: window attributes are kept but not applied, nothing is painted.
    void SetPlatform(ui_platform* platform);
    ui_platform* GetPlatform() const { return m_platform; }
    bool HasWindow() const { return m_platform != nullptr; }
    // The client size from the platform ((0, 0) without one).
    ui_size GetClientSize() const;

    // Empties the window's font, image, attribute and name tables (window creation).
    void ResetTables();

    // ---- Skin archive and resource folder (process-wide) ----
    // Opens the in-memory archive (the buffer must live as long as the
    // process). A second call while an in-memory archive is open does nothing
    // and succeeds: the first window's archive serves every later window.
    static bool SetResourceZip(const void* data, unsigned size, const wchar_t* password = nullptr);
    // The open archive, or nullptr.
    static const zip_archive* GetResourceZip();
    // An in-memory archive was given but could not be opened: layouts then
    // fail with "Error opening zip file" instead of being read from files.
    static bool IsResourceZipBroken();
    // "membuffer" once an in-memory archive is open, else empty.
    static CDuiString GetResourceZipName();
    static void SetResourcePath(const wchar_t* path);
    static CDuiString GetResourcePath();
    // Closes the archive (tests only: the product keeps it for the process).
    static void ResetResourceZip();

    // ---- Root, names, lookup ----
    // Makes root the window's root, gives the tree the manager and parents,
    // registers names (last duplicate wins) and asks for a layout.
    bool AttachDialog(CControlUI* root);
    // Gives control (and its subtree) the manager and parent.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    CControlUI* GetRoot() const { return m_pRoot; }
    // Exact, case-sensitive; hidden controls are found too.
    CControlUI* FindControl(const wchar_t* name) const;
    // Topmost visible, mouse-enabled control under the point.
    CControlUI* FindControl(ui_point pt) const;
    // Called by controls when they are renamed or go away.
    void RemoveName(CControlUI* control);
    // Called when a control is destroyed: forgets it as hover/click/focus
    // control, in names, groups and queued notifications.
    void ReapControl(CControlUI* control);

    // Option groups: the options that share a group name.
    bool AddOptionGroup(const wchar_t* group, CControlUI* control);
    const std::vector<CControlUI*>* GetOptionGroup(const wchar_t* group) const;
    void RemoveOptionGroup(const wchar_t* group, CControlUI* control);

    // A control that got a mouse leave while the mouse was still inside it
    // asks to be told again when the mouse really leaves its rectangle.
    void AddMouseLeaveNeeded(CControlUI* control);

    // ---- Window attributes ----
    // Applies one Window attribute as the layout gives it (names ignore case,
    // except "layeredimage").
    void SetWindowAttribute(const wchar_t* name, const wchar_t* value);
    const wchar_t* GetWindowCustomAttribute(const wchar_t* name) const;
    ui_size GetInitSize() const { return m_szInitWindowSize; }
    // Resizes the window when no root is attached yet.
    void SetInitSize(int cx, int cy);
    // The caption rectangle; a bottom of -1 is replaced at the first call by the
    // window's height, and the replacement is kept.
    ui_rect GetCaptionRect();
    void SetCaptionRect(ui_rect rc) { m_rcCaption = rc; }
    ui_rect GetSizeBox() const { return m_rcSizeBox; }
    ui_size GetRoundCorner() const { return m_szRoundCorner; }
    ui_size GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy);
    ui_size GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy);
    bool IsNoActivate() const { return m_bNoActivate; }
    void SetNoActivate(bool no_activate) { m_bNoActivate = no_activate; }
    uint8_t GetOpacity() const { return m_nOpacity; }
    void SetOpacity(uint8_t opacity);
    int GetShadowSize() const { return 0; }

    // Makes the window layered (false: the platform cannot; it stays opaque).
    bool SetLayered(bool layered);
    bool IsLayered() const { return m_bLayered; }
    void SetLayeredImage(const wchar_t* image);
    CDuiString GetLayeredImage() const { return m_sLayeredImage; }

    // ---- Fonts ----
    // Adds or replaces the font with this id (id < 0 or empty face: ignored).
    bool AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic, bool shared);
    // Own table first, then the shared one; unknown and -1 give the default.
    const ui_font& GetFont(int index) const;
    const ui_font& GetDefaultFont() const { return m_defaultFont; }
    uint32_t GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    uint32_t GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    // Empties the process-wide shared font table (tests).
    static void RemoveAllSharedFonts();

    // ---- Images ----
    // The decoded image of an archive entry (or file), loaded on first use and
    // cached; nullptr when it cannot be loaded (the failure is remembered).
    const ui_image* GetImage(const wchar_t* name);
    // Number of load attempts so far (cache misses), for tests and benchmarks.
    size_t GetImageLoadCount() const { return m_imageLoads; }

    // ---- Default attribute lists per control class ----
    void AddDefaultAttributeList(const wchar_t* control_class, const wchar_t* list);
    const wchar_t* GetDefaultAttributeList(const wchar_t* control_class) const;

    // ---- Invalidation and painting ----
    // Adds the area to the pending rectangle (layered) or asks the platform
    // for a paint request (not layered).
    void Invalidate(const ui_rect& area);
    void Invalidate();                       // the whole client area
    void NeedUpdate() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Whether a layered paint pass has work (pending area or layout).
    bool IsPaintPending() const;
    ui_rect GetPendingRect() const { return m_rcLayeredUpdate; }
    // The paint pass over the area (the pending area for a layered window).
    // Lays the tree out first when needed ("windowinit" after the first layout
    // after attaching), composes, fixes alpha and presents. Returns whether it
    // painted anything.
    bool Paint(const ui_rect& area);
    // Number of paint passes that composed something.
    size_t GetPaintCount() const { return m_paintCount; }
    // The frame buffer of the last pass (empty before the first).
    ui_surface GetSurface() const { return m_surface; }

    // ---- Input from the Windows layer (client coordinates) ----
    void OnMouseMove(ui_point pt);
    void OnMouseLeave();
    void OnLButtonDown(ui_point pt);
    void OnLButtonDblClk(ui_point pt);
    void OnLButtonUp(ui_point pt);
    // To the focused control; returns whether one received it.
    bool OnKeyDown(unsigned key, wchar_t ch = 0);
    // Set cursor request over the point: the control under the mouse decides.
    // Returns whether a control handled it.
    bool OnSetCursor(ui_point pt);
    // Tab: moves the keyboard focus to the next (or previous) tab stop.
    bool SetNextTabControl(bool forward = true);
    // WM_CLOSE: ends hover and click state, clears the focus.
    void OnClose();
    // The client area changed size: the tree needs a new layout.
    void OnSize(int cx, int cy);
    // The 10 ms layered tick: runs the paint pass when something is pending,
    // unless a pass ran so recently that the next tick still comes within
    // kLayeredFrameGapMs of it (by the platform's tick count; the time since
    // the previous tick stands for the time to the next). minimized: the
    // window is minimized (then nothing is painted).
    void OnLayeredTimer(bool minimized = false);
    // A stream of changes is presented on the last tick that keeps passes
    // within this many milliseconds of each other: every 40 ms with 10 ms
    // ticks, every 31 ms with the 15.6 ms ticks of the system's default timer
    // resolution. So a window whose controls change thousands of times a
    // second repaints well within every 50 ms, while presenting (which costs
    // milliseconds a frame under Wine) leaves the UI thread mostly free.
    static constexpr uint32_t kLayeredFrameGapMs = 40;
    // The nominal tick, used until two ticks have been seen.
    static constexpr uint32_t kLayeredTickMs = 10;
    // A paint request of a non-layered window for the area.
    void OnPaint(const ui_rect& area);
    // The window lost the keyboard focus.
    void OnKillFocus();

    ui_point GetMousePos() const { return m_ptLastMousePos; }
    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    CControlUI* GetHoverControl() const { return m_pEventHover; }
    CControlUI* GetClickControl() const { return m_pEventClick; }
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }
    void SetCursor(ui_cursor cursor);

    // ---- Notifications ----
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // Synchronous: the sender's notify handlers (none here), then every
    // notifier in registration order, before returning. Asynchronous: queued
    // (with repeats not allowed, a queued record of the same sender and type is
    // updated instead) and the platform asked to call DeliverAsyncNotify.
    void SendNotify(TNotifyUI& msg, bool async = false, bool allow_repeat = true);
    void SendNotify(CControlUI* control, const wchar_t* type, uintptr_t wparam = 0, intptr_t lparam = 0,
                    bool async = false, bool allow_repeat = true);
    // Delivers the queued asynchronous notifications (WM_APP + 1).
    void DeliverAsyncNotify();

private:
    void HandleMouseMove(ui_point pt);
    void SendEvent(CControlUI* control, int type, ui_point pt, uintptr_t wparam = 0, wchar_t ch = 0);
    bool LayoutIfNeeded();
    void PaintLayeredBase(const ui_rect& area);

    ui_platform* m_platform = nullptr;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    bool m_bMouseCapture = false;
    bool m_bMouseTracking = false;   // leave tracking requested since the mouse entered
    bool m_bUpdateNeeded = false;
    bool m_bFirstLayout = true;
    bool m_bNoActivate = false;
    ui_point m_ptLastMousePos{-1, -1};

    ui_rect m_rcCaption;
    bool m_bCaptionFixed = false;
    ui_rect m_rcSizeBox;
    ui_size m_szRoundCorner;
    ui_size m_szInitWindowSize;
    ui_size m_szMinWindow;
    ui_size m_szMaxWindow;
    uint8_t m_nOpacity = 255;
    bool m_bLayered = false;
    CDuiString m_sLayeredImage;
    ui_rect m_rcLayeredUpdate;
    std::map<std::wstring, std::wstring> m_windowCustomAttributes;

    std::map<std::wstring, CControlUI*> m_nameTable;
    std::map<int, ui_font> m_fonts;
    ui_font m_defaultFont;
    uint32_t m_dwDefaultFontColor = 0xFF000000;
    uint32_t m_dwDefaultDisabledColor = 0xFFA7A6AA;
    std::map<std::wstring, std::unique_ptr<ui_image>> m_images;   // null: load failed
    size_t m_imageLoads = 0;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    std::map<std::wstring, std::vector<CControlUI*>> m_optionGroups;
    std::vector<CControlUI*> m_mouseLeaveNeeded;

    std::vector<INotifyUI*> m_notifiers;
    std::vector<TNotifyUI> m_asyncNotify;
    bool m_bAsyncPosted = false;

    ui_surface m_surface;
    std::vector<uint32_t> m_layeredBase;   // the layered image drawn over the client size
    ui_size m_layeredBaseSize;
    size_t m_paintCount = 0;
    bool m_bLayeredPainted = false;   // a timer pass has presented; m_layeredPaintTick is its time
    uint32_t m_layeredPaintTick = 0;
    bool m_bLayeredTicked = false;    // a tick has come; m_layeredLastTick is its time
    uint32_t m_layeredLastTick = 0;
};
