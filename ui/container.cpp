#include "ui/container.h"

#include <algorithm>
#include <cwchar>

#include "ui/paint_manager.h"

namespace {

ui_rect deflate(const ui_rect& r, const ui_rect& inset) {
    ui_rect d{ui_clamp_coord(int64_t(r.left) + inset.left), ui_clamp_coord(int64_t(r.top) + inset.top),
              ui_clamp_coord(int64_t(r.right) - inset.right), ui_clamp_coord(int64_t(r.bottom) - inset.bottom)};
    if (d.right < d.left) d.right = d.left;
    if (d.bottom < d.top) d.bottom = d.top;
    return d;
}

int clamp_size(int v, int lo, int hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

}  // namespace

// ---- CContainerUI ----

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() { RemoveAll(); }

const wchar_t* CContainerUI::GetClass() const { return L"Container"; }

void* CContainerUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (name && std::wcscmp(name, L"Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

int CContainerUI::GetCount() const { return static_cast<int>(m_items.size()); }

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || control == this || index < 0 || index > GetCount()) return false;
    if (m_pManager) m_pManager->InitControls(control, this);
    else control->SetManager(nullptr, this, false);
    if (IsVisible()) NeedUpdate();
    else control->SetInternVisible(false);
    m_items.insert(m_items.begin() + index, control);
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (!control) return false;
    m_items.erase(m_items.begin() + index);
    NeedUpdate();
    if (m_bAutoDestroy) control->Delete();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    if (m_bAutoDestroy)
        for (CControlUI* c : items) c->Delete();
    if (!items.empty()) NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* c : m_items) c->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

ui_rect CContainerUI::GetClientPos() const { return deflate(m_rcItem, m_rcInset); }

void CContainerUI::SetPos(ui_rect rc, bool need_invalidate) {
    CControlUI::SetPos(rc, need_invalidate);
    ui_rect inner = deflate(m_rcItem, m_rcInset);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = m_items[static_cast<size_t>(i)];
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) SetFloatPos(i);
        else c->SetPos(inner, false);
    }
}

void CContainerUI::Move(ui_size offset, bool need_invalidate) {
    CControlUI::Move(offset, need_invalidate);
    for (CControlUI* c : m_items)
        if (c->IsVisible()) c->Move(offset, false);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (CControlUI* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (CControlUI* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool enabled) { CControlUI::SetMouseEnabled(enabled); }

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, void* data, unsigned flags) {
    if ((flags & kFindVisible) && !IsVisible()) return nullptr;
    if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
    const bool hit_test = (flags & kFindHitTest) != 0;
    ui_point pt = hit_test ? *static_cast<ui_point*>(data) : ui_point{};
    if (hit_test && !m_rcItem.contains(pt)) return nullptr;
    if (hit_test && !m_bMouseChildEnabled) return m_bMouseEnabled ? proc(this, data) : nullptr;

    if (flags & kFindMeFirst) {
        if (!hit_test || m_bMouseEnabled)
            if (CControlUI* r = proc(this, data)) return r;
    }
    // A non-floating child counts only inside the inset area.
    ui_rect inner = deflate(m_rcItem, m_rcInset);
    const int n = GetCount();
    for (int k = 0; k < n; ++k) {
        int i = (flags & kFindTopFirst) ? n - 1 - k : k;
        CControlUI* c = m_items[static_cast<size_t>(i)];
        CControlUI* r = c->FindControl(proc, data, flags);
        if (!r) continue;
        if (hit_test && !r->IsFloat() && !inner.contains(pt)) continue;
        return r;
    }
    if (!(flags & kFindMeFirst) && (!hit_test || m_bMouseEnabled)) return proc(this, data);
    return nullptr;
}

void CContainerUI::DoEvent(TEventUI& event) { CControlUI::DoEvent(event); }

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"inset") == 0) {
        SetInset(ui_parse_rect(value));
    } else if (std::wcscmp(name, L"childpadding") == 0) {
        SetChildPadding(ui_parse_int(value));
    } else if (std::wcscmp(name, L"childalign") == 0) {
        if (std::wcscmp(value, L"left") == 0) SetChildAlign(kTextLeft);
        else if (std::wcscmp(value, L"center") == 0) SetChildAlign(kTextCenter);
        else if (std::wcscmp(value, L"right") == 0) SetChildAlign(kTextRight);
    } else if (std::wcscmp(name, L"childvalign") == 0) {
        if (std::wcscmp(value, L"top") == 0) SetChildVAlign(0);
        else if (std::wcscmp(value, L"vcenter") == 0) SetChildVAlign(kTextVCenter);
        else if (std::wcscmp(value, L"bottom") == 0) SetChildVAlign(0x08);
    } else if (std::wcscmp(name, L"mousechild") == 0) {
        SetMouseChildEnabled(ui_parse_bool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CContainerUI::DoPaint(ui_canvas& canvas, const ui_rect& paint) {
    CControlUI::DoPaint(canvas, paint);
    if (m_items.empty()) return true;
    ui_rect saved = canvas.clip;
    ui_rect inner_clip = ui_intersect(saved, deflate(m_rcItem, m_rcInset));
    ui_rect float_clip = ui_intersect(saved, m_rcItem);
    for (CControlUI* c : m_items) {
        if (!c->IsVisible()) continue;
        canvas.clip = c->IsFloat() ? float_clip : inner_clip;
        if (canvas.clip.empty()) continue;
        c->Paint(canvas, paint);
    }
    canvas.clip = saved;
    return true;
}

ui_rect CContainerUI::GetInset() const { return m_rcInset; }
void CContainerUI::SetInset(ui_rect inset) {
    m_rcInset = inset;
    NeedUpdate();
}
int CContainerUI::GetChildPadding() const { return m_iChildPadding; }
void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    NeedUpdate();
}
unsigned CContainerUI::GetChildAlign() const { return m_iChildAlign; }
void CContainerUI::SetChildAlign(unsigned align) {
    m_iChildAlign = align;
    NeedUpdate();
}
unsigned CContainerUI::GetChildVAlign() const { return m_iChildVAlign; }
void CContainerUI::SetChildVAlign(unsigned align) {
    m_iChildVAlign = align;
    NeedUpdate();
}
bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool auto_destroy) { m_bAutoDestroy = auto_destroy; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool enabled) { m_bMouseChildEnabled = enabled; }

void CContainerUI::SetFloatPos(int index) {
    CControlUI* c = GetItemAt(index);
    if (!c || !c->IsFloat()) return;
    ui_size xy = c->GetFixedXY();
    int64_t left = static_cast<int64_t>(m_rcItem.left) + xy.cx;
    int64_t top = static_cast<int64_t>(m_rcItem.top) + xy.cy;
    int64_t right = left + c->GetFixedWidth();
    int64_t bottom = top + c->GetFixedHeight();
    auto fit = ui_clamp_coord;
    // SetPos raises a right or bottom edge that lies before the left or top one.
    c->SetPos(ui_rect{fit(left), fit(top), fit(right), fit(bottom)}, false);
}

// ---- stacking layouts ----

namespace {

// One axis of a stacking layout: "main" runs along the stacking direction.
struct stack_item {
    CControlUI* control;
    int main;         // size along the stacking axis, 0: stretchable
    int pad_before;
    int pad_after;
};

// Distributes avail along the stacking axis. Returns the main sizes in order.
std::vector<int> distribute(std::vector<stack_item>& items, int avail, int child_padding,
                            int (*min_of)(CControlUI*), int (*max_of)(CControlUI*)) {
    int64_t fixed = 0;
    int stretchables = 0;
    for (auto& it : items) {
        if (it.main == 0) ++stretchables;
        else it.main = clamp_size(it.main, min_of(it.control), max_of(it.control));
        fixed += int64_t(it.main) + it.pad_before + it.pad_after;
    }
    if (!items.empty()) fixed += int64_t(items.size() - 1) * child_padding;
    int64_t each = stretchables > 0 ? std::max<int64_t>(0, (avail - fixed) / stretchables) : 0;
    std::vector<int> sizes;
    sizes.reserve(items.size());
    // The last stretchable child takes whatever the others leave.
    int64_t used_by_stretch = 0;
    int seen = 0;
    for (auto& it : items) {
        int64_t size = it.main;
        if (it.main == 0) {
            ++seen;
            size = (seen == stretchables) ? std::max<int64_t>(0, avail - fixed - used_by_stretch) : each;
            size = clamp_size(static_cast<int>(std::min<int64_t>(size, INT32_MAX)), min_of(it.control),
                              max_of(it.control));
            used_by_stretch += size;
        }
        sizes.push_back(ui_clamp_coord(size));
    }
    return sizes;
}

int min_h(CControlUI* c) { return c->GetMinHeight(); }
int max_h(CControlUI* c) { return c->GetMaxHeight(); }
int min_w(CControlUI* c) { return c->GetMinWidth(); }
int max_w(CControlUI* c) { return c->GetMaxWidth(); }

}  // namespace

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

void* CVerticalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"VerticalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

unsigned CVerticalLayoutUI::GetControlFlags() const { return 0; }

void CVerticalLayoutUI::SetPos(ui_rect rc, bool need_invalidate) {
    CControlUI::SetPos(rc, need_invalidate);
    ui_rect inner = deflate(m_rcItem, m_rcInset);
    const ui_size avail{inner.width(), inner.height()};
    std::vector<stack_item> items;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = m_items[static_cast<size_t>(i)];
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        ui_rect pad = c->GetPadding();
        items.push_back(stack_item{c, c->EstimateSize(avail).cy, pad.top, pad.bottom});
    }
    std::vector<int> heights = distribute(items, avail.cy, m_iChildPadding, min_h, max_h);
    int64_t y = inner.top;
    for (size_t k = 0; k < items.size(); ++k) {
        CControlUI* c = items[k].control;
        ui_rect pad = c->GetPadding();
        int width = c->EstimateSize(avail).cx;
        if (width == 0) width = ui_clamp_coord(std::max<int64_t>(0, int64_t(avail.cx) - pad.left - pad.right));
        width = clamp_size(width, c->GetMinWidth(), c->GetMaxWidth());
        int64_t left = int64_t(inner.left) + pad.left;
        if (m_iChildAlign & kTextCenter) left = inner.left + (int64_t(avail.cx) + pad.left - pad.right - width) / 2;
        else if (m_iChildAlign & kTextRight) left = int64_t(inner.right) - pad.right - width;
        int64_t top = y + pad.top;
        auto fit = ui_clamp_coord;
        c->SetPos(ui_rect{fit(left), fit(top), fit(left + width), fit(top + heights[k])}, false);
        y = top + heights[k] + pad.bottom + m_iChildPadding;
    }
}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

void* CHorizontalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"HorizontalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

unsigned CHorizontalLayoutUI::GetControlFlags() const { return 0; }

void CHorizontalLayoutUI::SetPos(ui_rect rc, bool need_invalidate) {
    CControlUI::SetPos(rc, need_invalidate);
    ui_rect inner = deflate(m_rcItem, m_rcInset);
    const ui_size avail{inner.width(), inner.height()};
    std::vector<stack_item> items;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = m_items[static_cast<size_t>(i)];
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        ui_rect pad = c->GetPadding();
        items.push_back(stack_item{c, c->EstimateSize(avail).cx, pad.left, pad.right});
    }
    std::vector<int> widths = distribute(items, avail.cx, m_iChildPadding, min_w, max_w);
    int64_t x = inner.left;
    for (size_t k = 0; k < items.size(); ++k) {
        CControlUI* c = items[k].control;
        ui_rect pad = c->GetPadding();
        int height = c->EstimateSize(avail).cy;
        if (height == 0) height = ui_clamp_coord(std::max<int64_t>(0, int64_t(avail.cy) - pad.top - pad.bottom));
        height = clamp_size(height, c->GetMinHeight(), c->GetMaxHeight());
        int64_t top = int64_t(inner.top) + pad.top;
        if (m_iChildVAlign & kTextVCenter) top = inner.top + (int64_t(avail.cy) + pad.top - pad.bottom - height) / 2;
        else if (m_iChildVAlign & 0x08) top = int64_t(inner.bottom) - pad.bottom - height;
        int64_t left = x + pad.left;
        auto fit = ui_clamp_coord;
        c->SetPos(ui_rect{fit(left), fit(top), fit(left + widths[k]), fit(top + height)}, false);
        x = left + widths[k] + pad.right + m_iChildPadding;
    }
}
