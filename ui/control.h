// CControlUI: the base of every control of the skin UI framework.
#pragma once

#include <cstdint>
#include <map>

#include "ui/notify.h"
#include "ui/ui_platform.h"
#include "ui/ui_types.h"

class CPaintManagerUI;
class CControlUI;

// Control flags (GetControlFlags).
enum : unsigned {
    kFlagTabStop = 0x01,
    kFlagSetCursor = 0x02,
};

// FindControl flags.
enum : unsigned {
    kFindAll = 0x00,
    kFindVisible = 0x01,
    kFindEnabled = 0x02,
    kFindHitTest = 0x04,
    kFindTopFirst = 0x08,
    kFindMeFirst = 0x80,
};

// Called for each candidate of FindControl; returns the control to stop the
// search with, or nullptr to go on.
using FINDCONTROLPROC = CControlUI* (*)(CControlUI* control, void* data);

// The target of one paint pass: the frame buffer, the area being repainted and
// the paint manager's platform (for text).
struct ui_canvas {
    ui_surface surface;
    ui_rect clip;           // everything drawn is clipped to this (window client coordinates)
    ui_platform* platform = nullptr;
    // Where the platform drew text (GDI leaves alpha 0 there): the only area
    // the layered window's alpha fix-up has to visit.
    ui_rect text_area;
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual void Delete();

    virtual CDuiString GetName() const;
    virtual void SetName(const wchar_t* name);
    // The element name of the class ("Control", "Label", ...).
    virtual const wchar_t* GetClass() const;
    // this (as the named interface) when the control is one, else nullptr.
    virtual void* GetInterface(const wchar_t* name);
    virtual unsigned GetControlFlags() const;

    // Sends "click" when visible and enabled; false otherwise.
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;

    virtual CDuiString GetText() const;
    virtual void SetText(const wchar_t* text);

    // Item rectangle in window client coordinates.
    virtual const ui_rect& GetPos() const;
    virtual void SetPos(ui_rect rc, bool need_invalidate = true);
    virtual void Move(ui_size offset, bool need_invalidate = true);
    virtual ui_rect GetClientPos() const;
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;

    // Outer margins in the parent's layout.
    virtual ui_rect GetPadding() const;
    virtual void SetPadding(ui_rect padding);
    // Fixed position, relative to the parent for a floating control.
    virtual ui_size GetFixedXY() const;
    virtual void SetFixedXY(ui_size xy);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);    // negative: ignored
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);   // negative: ignored
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);

    virtual CDuiString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual CDuiString GetUserData() const;
    virtual void SetUserData(const wchar_t* text);
    virtual uintptr_t GetTag() const;
    virtual void SetTag(uintptr_t tag);

    // Visible only when the control and all its ancestors are.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    // The visibility inherited from the ancestors.
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool is_float = true);

    virtual CControlUI* FindControl(FINDCONTROLPROC proc, void* data, unsigned flags);

    void Invalidate();
    bool IsUpdateNeeded() const;
    // Asks for this control's layout to be redone (its parent's, as the parent places it).
    void NeedUpdate();
    void NeedParentUpdate();

    virtual void Init();
    virtual void DoInit();
    // Entry for input events: Event runs DoEvent.
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    // Applies one attribute. Unknown names are kept as custom attributes.
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    // A list of name="value" pairs separated by spaces (the class defaults).
    void SetAttributeList(const wchar_t* list);
    // An unknown attribute kept from the layout, or nullptr.
    const wchar_t* GetCustomAttribute(const wchar_t* name) const;
    void AddCustomAttribute(const wchar_t* name, const wchar_t* value);

    // The preferred size given the space available; (0, 0) when none.
    virtual ui_size EstimateSize(ui_size available);

    // Paints when the control intersects the area; false when it did not.
    virtual bool Paint(ui_canvas& canvas, const ui_rect& paint);
    virtual bool DoPaint(ui_canvas& canvas, const ui_rect& paint);
    virtual void PaintBkColor(ui_canvas& canvas);
    virtual void PaintBkImage(ui_canvas& canvas);
    virtual void PaintStatusImage(ui_canvas& canvas);
    virtual void PaintText(ui_canvas& canvas);
    virtual void PaintBorder(ui_canvas& canvas);

    uint32_t GetBkColor() const { return m_bkColor; }
    void SetBkColor(uint32_t argb);
    CDuiString GetBkImage() const { return m_bkImage; }
    void SetBkImage(const wchar_t* image);

protected:
    // Draws the named image (an archive entry) stretched into dest (client
    // coordinates), clipped to the control and the canvas. False when the
    // image cannot be loaded.
    bool DrawImage(ui_canvas& canvas, const CDuiString& image, const ui_rect& dest);
    bool DrawImage(ui_canvas& canvas, const CDuiString& image) { return DrawImage(canvas, image, m_rcItem); }

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CDuiString m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bSetPos = false;   // guards against re-entrant SetPos
    ui_rect m_rcItem;
    ui_rect m_rcPadding;
    ui_size m_cXY;
    ui_size m_cxyFixed;
    ui_size m_cxyMin;
    ui_size m_cxyMax{9999, 9999};
    CDuiString m_sText;
    CDuiString m_sToolTip;
    CDuiString m_sUserData;
    uintptr_t m_pTag = 0;
    uint32_t m_bkColor = 0;
    CDuiString m_bkImage;
    std::map<std::wstring, std::wstring> m_customAttributes;
};

// Parsing helpers shared by the controls and the paint manager (the value
// syntax of the skin dialect).
// Signed 32-bit decimal; leading spaces skipped; *end (when given) after the number.
int32_t ui_parse_int(const wchar_t* text, const wchar_t** end = nullptr);
// Up to four comma-separated integers; a missing number counts as 0.
ui_rect ui_parse_rect(const wchar_t* text);
ui_size ui_parse_size(const wchar_t* text);
// AARRGGBB after an optional "#" or "0x". Six digits give alpha 0 (the caller decides).
uint32_t ui_parse_color(const wchar_t* text);
// Exactly "true".
bool ui_parse_bool(const wchar_t* text);
