#include "ui/control.h"

#include <climits>
#include <cwchar>

#include "ui/paint_manager.h"
#include "ui/render.h"

// ---- value syntax ----

int32_t ui_parse_int(const wchar_t* text, const wchar_t** end) {
    const wchar_t* p = text ? text : L"";
    while (*p == L' ' || *p == L'\t') ++p;
    bool negative = false;
    if (*p == L'-' || *p == L'+') negative = *p++ == L'-';
    int64_t value = 0;
    while (*p >= L'0' && *p <= L'9') {
        // Saturate instead of overflowing on absurd input.
        if (value <= INT32_MAX) value = value * 10 + (*p - L'0');
        ++p;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    if (end) *end = p;
    return static_cast<int32_t>(value);
}

ui_rect ui_parse_rect(const wchar_t* text) {
    int32_t v[4] = {0, 0, 0, 0};
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < 4; ++i) {
        v[i] = ui_parse_int(p, &p);
        while (*p == L' ') ++p;
        if (*p != L',') break;
        ++p;
    }
    return ui_rect{v[0], v[1], v[2], v[3]};
}

ui_size ui_parse_size(const wchar_t* text) {
    ui_rect r = ui_parse_rect(text);
    return ui_size{r.left, r.top};
}

uint32_t ui_parse_color(const wchar_t* text) {
    const wchar_t* p = text ? text : L"";
    while (*p == L' ') ++p;
    if (*p == L'#') ++p;
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) p += 2;
    uint32_t value = 0;
    for (int i = 0; i < 8; ++i, ++p) {
        int digit;
        if (*p >= L'0' && *p <= L'9') digit = *p - L'0';
        else if (*p >= L'a' && *p <= L'f') digit = *p - L'a' + 10;
        else if (*p >= L'A' && *p <= L'F') digit = *p - L'A' + 10;
        else break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

bool ui_parse_bool(const wchar_t* text) { return text && std::wcscmp(text, L"true") == 0; }

// ---- CControlUI ----

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager) m_pManager->ReapControl(this);
}

void CControlUI::Delete() { delete this; }

CDuiString CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(const wchar_t* name) { m_sName = name; }
const wchar_t* CControlUI::GetClass() const { return L"Control"; }

void* CControlUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Control") == 0) return this;
    return nullptr;
}

unsigned CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && parent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

CDuiString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const wchar_t* text) {
    if (m_sText == (text ? text : L"")) return;
    m_sText = text;
    Invalidate();
}

const ui_rect& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(ui_rect rc, bool need_invalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (need_invalidate && rc != m_rcItem) Invalidate();   // the old place
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (need_invalidate) Invalidate();
}

void CControlUI::Move(ui_size offset, bool need_invalidate) {
    if (need_invalidate) Invalidate();
    m_rcItem = ui_offset(m_rcItem, offset.cx, offset.cy);
    if (need_invalidate) Invalidate();
}

ui_rect CControlUI::GetClientPos() const { return m_rcItem; }
int CControlUI::GetWidth() const { return m_rcItem.width(); }
int CControlUI::GetHeight() const { return m_rcItem.height(); }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }

ui_rect CControlUI::GetPadding() const { return m_rcPadding; }
void CControlUI::SetPadding(ui_rect padding) {
    m_rcPadding = padding;
    NeedParentUpdate();
}

ui_size CControlUI::GetFixedXY() const { return m_cXY; }
void CControlUI::SetFixedXY(ui_size xy) {
    m_cXY = xy;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return m_cxyFixed.cx; }
void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return m_cxyFixed.cy; }
void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return m_cxyMin.cx; }
void CControlUI::SetMinWidth(int cx) {
    if (cx < 0) return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}
int CControlUI::GetMaxWidth() const { return m_cxyMax.cx; }
void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0) return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}
int CControlUI::GetMinHeight() const { return m_cxyMin.cy; }
void CControlUI::SetMinHeight(int cy) {
    if (cy < 0) return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}
int CControlUI::GetMaxHeight() const { return m_cxyMax.cy; }
void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0) return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

CDuiString CControlUI::GetToolTip() const { return m_sToolTip; }
void CControlUI::SetToolTip(const wchar_t* text) { m_sToolTip = text; }
CDuiString CControlUI::GetUserData() const { return m_sUserData; }
void CControlUI::SetUserData(const wchar_t* text) { m_sUserData = text; }
uintptr_t CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(uintptr_t tag) { m_pTag = tag; }

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    bool was = IsVisible();
    m_bVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    if (IsVisible() != was) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }
void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool enabled) { m_bMouseEnabled = enabled; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enabled) { m_bKeyboardEnabled = enabled; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }
void CControlUI::SetFloat(bool is_float) {
    if (m_bFloat == is_float) return;
    m_bFloat = is_float;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, void* data, unsigned flags) {
    if ((flags & kFindVisible) && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
    if ((flags & kFindHitTest) && (!m_bMouseEnabled || !m_rcItem.contains(*static_cast<ui_point*>(data))))
        return nullptr;
    return proc(this, data);
}

void CControlUI::Invalidate() {
    if (!IsVisible() || !m_pManager) return;
    ui_rect rc = m_rcItem;
    // Only the part that the ancestors show can change on screen.
    for (CControlUI* p = m_pParent; p; p = p->GetParent()) {
        rc = ui_intersect(rc, p->GetPos());
        if (rc.empty()) return;
    }
    m_pManager->Invalidate(rc);
}

bool CControlUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::Init() { DoInit(); }
void CControlUI::DoInit() {}

void CControlUI::Event(TEventUI& event) { DoEvent(event); }

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case kEventSetCursor:
        if (m_pManager) m_pManager->SetCursor(ui_cursor::arrow);
        return;
    case kEventSetFocus:
        m_bFocused = true;
        Invalidate();
        return;
    case kEventKillFocus:
        m_bFocused = false;
        Invalidate();
        return;
    case kEventTimer:
        return;
    default:
        break;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"pos") == 0) {
        ui_rect rc = ui_parse_rect(value);
        SetFixedXY(ui_size{rc.left, rc.top});
        // Computed in 64 bits: absurd coordinates must not overflow.
        int64_t w = static_cast<int64_t>(rc.right) - rc.left, h = static_cast<int64_t>(rc.bottom) - rc.top;
        if (w <= INT32_MAX) SetFixedWidth(static_cast<int>(w));
        if (h <= INT32_MAX) SetFixedHeight(static_cast<int>(h));
    } else if (std::wcscmp(name, L"padding") == 0) {
        SetPadding(ui_parse_rect(value));
    } else if (std::wcscmp(name, L"bkcolor") == 0) {
        SetBkColor(ui_parse_color(value));
    } else if (std::wcscmp(name, L"bkimage") == 0) {
        SetBkImage(value);
    } else if (std::wcscmp(name, L"width") == 0) {
        SetFixedWidth(ui_parse_int(value));
    } else if (std::wcscmp(name, L"height") == 0) {
        SetFixedHeight(ui_parse_int(value));
    } else if (std::wcscmp(name, L"minwidth") == 0) {
        SetMinWidth(ui_parse_int(value));
    } else if (std::wcscmp(name, L"minheight") == 0) {
        SetMinHeight(ui_parse_int(value));
    } else if (std::wcscmp(name, L"maxwidth") == 0) {
        SetMaxWidth(ui_parse_int(value));
    } else if (std::wcscmp(name, L"maxheight") == 0) {
        SetMaxHeight(ui_parse_int(value));
    } else if (std::wcscmp(name, L"name") == 0) {
        SetName(value);
    } else if (std::wcscmp(name, L"text") == 0) {
        SetText(value);
    } else if (std::wcscmp(name, L"tooltip") == 0) {
        SetToolTip(value);
    } else if (std::wcscmp(name, L"userdata") == 0) {
        SetUserData(value);
    } else if (std::wcscmp(name, L"enabled") == 0) {
        SetEnabled(ui_parse_bool(value));
    } else if (std::wcscmp(name, L"mouse") == 0) {
        SetMouseEnabled(ui_parse_bool(value));
    } else if (std::wcscmp(name, L"keyboard") == 0) {
        SetKeyboardEnabled(ui_parse_bool(value));
    } else if (std::wcscmp(name, L"visible") == 0) {
        SetVisible(ui_parse_bool(value));
    } else if (std::wcscmp(name, L"float") == 0) {
        SetFloat(ui_parse_bool(value));
    } else {
        AddCustomAttribute(name, value);
    }
}

void CControlUI::SetAttributeList(const wchar_t* list) {
    // name="value" pairs; a value ends at the next unescaped quote.
    const wchar_t* p = list ? list : L"";
    for (;;) {
        while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
        if (!*p) return;
        std::wstring name, value;
        while (*p && *p != L'=' && *p != L' ') name += *p++;
        while (*p == L' ') ++p;
        if (*p++ != L'=') return;
        while (*p == L' ') ++p;
        if (*p++ != L'"') return;
        while (*p && *p != L'"') {
            if (*p == L'\\' && p[1] == L'"') ++p;
            value += *p++;
        }
        if (*p++ != L'"') return;
        SetAttribute(name.c_str(), value.c_str());
    }
}

const wchar_t* CControlUI::GetCustomAttribute(const wchar_t* name) const {
    auto it = m_customAttributes.find(name ? name : L"");
    return it == m_customAttributes.end() ? nullptr : it->second.c_str();
}

void CControlUI::AddCustomAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !*name) return;
    m_customAttributes[name] = value ? value : L"";
}

ui_size CControlUI::EstimateSize(ui_size) { return m_cxyFixed; }

bool CControlUI::Paint(ui_canvas& canvas, const ui_rect& paint) {
    ui_rect area = ui_intersect(paint, m_rcItem);
    if (area.empty()) return false;
    ui_rect saved = canvas.clip;
    canvas.clip = ui_intersect(canvas.clip, area);
    if (!canvas.clip.empty()) DoPaint(canvas, area);
    canvas.clip = saved;
    return true;
}

bool CControlUI::DoPaint(ui_canvas& canvas, const ui_rect&) {
    PaintBkColor(canvas);
    PaintBkImage(canvas);
    PaintStatusImage(canvas);
    PaintText(canvas);
    PaintBorder(canvas);
    return true;
}

void CControlUI::PaintBkColor(ui_canvas& canvas) {
    if (m_bkColor >> 24) CRenderEngine::DrawColor(canvas.surface, canvas.clip, m_rcItem, m_bkColor);
}

void CControlUI::PaintBkImage(ui_canvas& canvas) {
    if (!m_bkImage.IsEmpty()) DrawImage(canvas, m_bkImage);
}

void CControlUI::PaintStatusImage(ui_canvas&) {}
void CControlUI::PaintText(ui_canvas&) {}
// Borders are not part of the skin dialect we support.
void CControlUI::PaintBorder(ui_canvas&) {}

void CControlUI::SetBkColor(uint32_t argb) {
    if (m_bkColor == argb) return;
    m_bkColor = argb;
    Invalidate();
}

void CControlUI::SetBkImage(const wchar_t* image) {
    if (m_bkImage == (image ? image : L"")) return;
    m_bkImage = image;
    Invalidate();
}

bool CControlUI::DrawImage(ui_canvas& canvas, const CDuiString& image, const ui_rect& dest) {
    if (image.IsEmpty() || !m_pManager) return false;
    const ui_image* img = m_pManager->GetImage(image);
    if (!img) return false;
    CRenderEngine::DrawImage(canvas.surface, ui_intersect(canvas.clip, m_rcItem), *img, dest);
    return true;
}
