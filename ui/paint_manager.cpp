#include "ui/paint_manager.h"

#include <algorithm>
#include <cwchar>

#include "ui/control.h"
#include "ui/markup.h"
#include "ui/render.h"
#include "ui/resource_file.h"
#include "ui/zip_archive.h"

namespace {

// The skin archive and the shared fonts are process-wide and touched only on
// the UI thread.
struct process_resources {
    zip_archive zip;
    CDuiString zip_name;     // "membuffer" once the in-memory archive is open
    bool zip_broken = false;
    CDuiString resource_path;
    std::map<int, ui_font> shared_fonts;
};

process_resources& resources() {
    static process_resources r;
    return r;
}

// An image entry may be at most this large (compressed bytes); what it
// decodes to is bounded by the image limits.
constexpr size_t kMaxImageFileSize = 64u << 20;

CControlUI* find_hit(CControlUI* control, void*) { return control; }

CControlUI* register_name(CControlUI* control, void* data) {
    auto* table = static_cast<std::map<std::wstring, CControlUI*>*>(data);
    CDuiString name = control->GetName();
    if (!name.IsEmpty()) (*table)[name.str()] = control;   // a later duplicate replaces the earlier one
    return nullptr;
}

struct tab_search {
    CControlUI* current;
    bool forward;
    bool passed_current = false;
    CControlUI* first = nullptr;   // first tab stop in the tree
    CControlUI* last = nullptr;    // last tab stop before current (backward)
    CControlUI* next = nullptr;    // first tab stop after current (forward)
};

bool is_tab_stop(CControlUI* c) {
    return (c->GetControlFlags() & kFlagTabStop) && c->IsVisible() && c->IsEnabled() && c->IsKeyboardEnabled();
}

CControlUI* collect_tab(CControlUI* control, void* data) {
    auto* s = static_cast<tab_search*>(data);
    if (control == s->current) {
        s->passed_current = true;
        return nullptr;
    }
    if (!is_tab_stop(control)) return nullptr;
    if (!s->first) s->first = control;
    if (!s->passed_current) s->last = control;
    else if (!s->next) s->next = control;
    return nullptr;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    if (root) root->Delete();
}

void CPaintManagerUI::SetPlatform(ui_platform* platform) { m_platform = platform; }

ui_size CPaintManagerUI::GetClientSize() const { return m_platform ? m_platform->client_size() : ui_size{}; }

void CPaintManagerUI::ResetTables() {
    m_fonts.clear();
    m_images.clear();
    m_windowCustomAttributes.clear();
    m_nameTable.clear();
    m_optionGroups.clear();
    m_defaultAttributes.clear();
}

// ---- archive ----

bool CPaintManagerUI::SetResourceZip(const void* data, unsigned size, const wchar_t* password) {
    process_resources& r = resources();
    if (r.zip_name == L"membuffer") return true;   // the first window's archive serves every window
    if (password && *password) {                    // our archives have no password
        r.zip_broken = true;
        return false;
    }
    if (!r.zip.open(static_cast<const uint8_t*>(data), size)) {
        r.zip_broken = true;
        return false;
    }
    r.zip_name = L"membuffer";
    r.zip_broken = false;
    return true;
}

const zip_archive* CPaintManagerUI::GetResourceZip() {
    process_resources& r = resources();
    return r.zip.is_open() ? &r.zip : nullptr;
}

bool CPaintManagerUI::IsResourceZipBroken() { return resources().zip_broken; }
CDuiString CPaintManagerUI::GetResourceZipName() { return resources().zip_name; }

void CPaintManagerUI::SetResourcePath(const wchar_t* path) {
    CDuiString p(path);
    if (!p.IsEmpty()) {
        wchar_t last = p.GetAt(p.GetLength() - 1);
        if (last != L'\\' && last != L'/') p += L'\\';
    }
    resources().resource_path = p;
}

CDuiString CPaintManagerUI::GetResourcePath() { return resources().resource_path; }

void CPaintManagerUI::ResetResourceZip() {
    process_resources& r = resources();
    r.zip.close();
    r.zip_name.Empty();
    r.zip_broken = false;
}

// ---- root and names ----

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    if (m_pRoot && m_pRoot != root) {
        CControlUI* old = m_pRoot;
        m_pRoot = nullptr;
        old->Delete();
    }
    m_pFocus = m_pEventHover = m_pEventClick = nullptr;
    m_mouseLeaveNeeded.clear();
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    bool ok = InitControls(root, nullptr);
    root->NeedUpdate();
    Invalidate();
    return ok;
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control) return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    // Children before their container, in order: the last duplicate wins.
    control->FindControl(register_name, &m_nameTable, kFindAll);
    return true;
}

CControlUI* CPaintManagerUI::FindControl(const wchar_t* name) const {
    if (!name) return nullptr;
    auto it = m_nameTable.find(name);
    return it == m_nameTable.end() ? nullptr : it->second;
}

CControlUI* CPaintManagerUI::FindControl(ui_point pt) const {
    if (!m_pRoot) return nullptr;
    return m_pRoot->FindControl(find_hit, &pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

void CPaintManagerUI::RemoveName(CControlUI* control) {
    for (auto it = m_nameTable.begin(); it != m_nameTable.end();) {
        if (it->second == control) it = m_nameTable.erase(it);
        else ++it;
    }
}

void CPaintManagerUI::ReapControl(CControlUI* control) {
    if (m_pFocus == control) m_pFocus = nullptr;
    if (m_pEventHover == control) m_pEventHover = nullptr;
    if (m_pEventClick == control) m_pEventClick = nullptr;
    if (m_pRoot == control) m_pRoot = nullptr;
    RemoveName(control);
    for (auto& group : m_optionGroups) {
        auto& v = group.second;
        v.erase(std::remove(v.begin(), v.end(), control), v.end());
    }
    m_mouseLeaveNeeded.erase(std::remove(m_mouseLeaveNeeded.begin(), m_mouseLeaveNeeded.end(), control),
                             m_mouseLeaveNeeded.end());
    m_asyncNotify.erase(std::remove_if(m_asyncNotify.begin(), m_asyncNotify.end(),
                                       [control](const TNotifyUI& n) { return n.pSender == control; }),
                        m_asyncNotify.end());
}

bool CPaintManagerUI::AddOptionGroup(const wchar_t* group, CControlUI* control) {
    if (!group || !*group || !control) return false;
    auto& v = m_optionGroups[group];
    if (std::find(v.begin(), v.end(), control) == v.end()) v.push_back(control);
    return true;
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(const wchar_t* group) const {
    auto it = m_optionGroups.find(group ? group : L"");
    return it == m_optionGroups.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(const wchar_t* group, CControlUI* control) {
    auto it = m_optionGroups.find(group ? group : L"");
    if (it == m_optionGroups.end()) return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), control), v.end());
    if (v.empty()) m_optionGroups.erase(it);
}

void CPaintManagerUI::AddMouseLeaveNeeded(CControlUI* control) {
    if (control && std::find(m_mouseLeaveNeeded.begin(), m_mouseLeaveNeeded.end(), control) == m_mouseLeaveNeeded.end())
        m_mouseLeaveNeeded.push_back(control);
}

// ---- window attributes ----

void CPaintManagerUI::SetWindowAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"layeredimage") == 0) {
        SetLayered(true);
        SetLayeredImage(value);
    } else if (ui_compare_nocase(name, L"size") == 0) {
        ui_size s = ui_parse_size(value);
        SetInitSize(s.cx, s.cy);
    } else if (ui_compare_nocase(name, L"sizebox") == 0) {
        m_rcSizeBox = ui_parse_rect(value);
    } else if (ui_compare_nocase(name, L"caption") == 0) {
        m_rcCaption = ui_parse_rect(value);
    } else if (ui_compare_nocase(name, L"roundcorner") == 0) {
        m_szRoundCorner = ui_parse_size(value);
    } else if (ui_compare_nocase(name, L"mininfo") == 0) {
        ui_size s = ui_parse_size(value);
        SetMinInfo(s.cx, s.cy);
    } else if (ui_compare_nocase(name, L"maxinfo") == 0) {
        ui_size s = ui_parse_size(value);
        SetMaxInfo(s.cx, s.cy);
    } else if (ui_compare_nocase(name, L"noactivate") == 0) {
        SetNoActivate(ui_compare_nocase(value, L"true") == 0);
    } else if (ui_compare_nocase(name, L"opacity") == 0) {
        int v = ui_parse_int(value);
        SetOpacity(static_cast<uint8_t>(std::clamp(v, 0, 255)));
    } else if (ui_compare_nocase(name, L"defaultfontcolor") == 0) {
        m_dwDefaultFontColor = ui_parse_color(value);
    } else if (ui_compare_nocase(name, L"disabledfontcolor") == 0) {
        m_dwDefaultDisabledColor = ui_parse_color(value);
    } else {
        m_windowCustomAttributes[name] = value;
    }
}

const wchar_t* CPaintManagerUI::GetWindowCustomAttribute(const wchar_t* name) const {
    auto it = m_windowCustomAttributes.find(name ? name : L"");
    return it == m_windowCustomAttributes.end() ? nullptr : it->second.c_str();
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = ui_size{cx, cy};
    if (!m_pRoot && m_platform && cx > 0 && cy > 0) m_platform->resize_window(cx, cy);
}

ui_rect CPaintManagerUI::GetCaptionRect() {
    // The replacement is kept: later resizes do not move the caption's bottom.
    if (m_rcCaption.bottom == -1 && m_platform) m_rcCaption.bottom = m_platform->window_height();
    return m_rcCaption;
}

void CPaintManagerUI::SetMinInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) m_szMinWindow = ui_size{cx, cy};
}

void CPaintManagerUI::SetMaxInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) m_szMaxWindow = ui_size{cx, cy};
}

void CPaintManagerUI::SetOpacity(uint8_t opacity) {
    m_nOpacity = opacity;
    if (m_bLayered) Invalidate();
}

bool CPaintManagerUI::SetLayered(bool layered) {
    if (!layered) return !m_bLayered;   // a layered window stays layered
    if (m_bLayered) return true;
    if (!m_platform || !m_platform->make_layered()) return false;
    m_bLayered = true;
    Invalidate();
    return true;
}

void CPaintManagerUI::SetLayeredImage(const wchar_t* image) {
    m_sLayeredImage = image;
    m_layeredBase.clear();
    m_layeredBaseSize = ui_size{};
    Invalidate();
}

// ---- fonts ----

bool CPaintManagerUI::AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                              bool shared) {
    if (id < 0 || !face || !*face) return false;
    ui_font font;
    font.face = face;
    if (font.face.size() > 31) font.face.resize(31);   // a native face name holds 31 characters
    font.size = std::clamp(size, 0, 4096);   // a character height in pixels; absurd values are cut
    font.bold = bold;
    font.underline = underline;
    font.italic = italic;
    (shared ? resources().shared_fonts : m_fonts)[id] = font;
    Invalidate();
    return true;
}

const ui_font& CPaintManagerUI::GetFont(int index) const {
    auto it = m_fonts.find(index);
    if (it != m_fonts.end()) return it->second;
    auto& shared = resources().shared_fonts;
    auto sit = shared.find(index);
    if (sit != shared.end()) return sit->second;
    return m_defaultFont;
}

void CPaintManagerUI::RemoveAllSharedFonts() { resources().shared_fonts.clear(); }

// ---- images ----

const ui_image* CPaintManagerUI::GetImage(const wchar_t* name) {
    if (!name || !*name) return nullptr;
    auto it = m_images.find(name);
    if (it != m_images.end()) return it->second.get();
    ++m_imageLoads;
    std::vector<uint8_t> bytes;
    bool read = false;
    if (const zip_archive* zip = GetResourceZip()) {
        std::string entry;
        bool ascii = true;
        for (const wchar_t* p = name; *p; ++p) {
            if (*p >= 0x80) ascii = false;
            entry.push_back(static_cast<char>(*p));
        }
        read = ascii && zip->read(entry, bytes, kMaxImageFileSize) == zip_archive::ok;
    } else if (!IsResourceZipBroken()) {
        read = ui_read_file(resources().resource_path.str() + name, bytes, kMaxImageFileSize) == ui_file_result::ok;
    }
    std::unique_ptr<ui_image> image;
    if (read) {
        image = std::make_unique<ui_image>();
        if (!ui_decode_image(bytes.data(), bytes.size(), *image)) image.reset();
    }
    // A failure is cached too, so a missing image is not tried on every paint.
    const ui_image* result = image.get();
    m_images[name] = std::move(image);
    return result;
}

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* control_class, const wchar_t* list) {
    if (!control_class || !list) return;
    std::wstring key(control_class);
    for (wchar_t& c : key)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    m_defaultAttributes[key] = list;
}

const wchar_t* CPaintManagerUI::GetDefaultAttributeList(const wchar_t* control_class) const {
    if (!control_class) return nullptr;
    std::wstring key(control_class);
    for (wchar_t& c : key)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    auto it = m_defaultAttributes.find(key);
    return it == m_defaultAttributes.end() ? nullptr : it->second.c_str();
}

// ---- invalidation and painting ----

void CPaintManagerUI::Invalidate(const ui_rect& area) {
    ui_size client = GetClientSize();
    ui_rect r = ui_intersect(area, ui_rect{0, 0, client.cx, client.cy});
    if (r.empty()) return;
    if (m_bLayered) m_rcLayeredUpdate = ui_union(m_rcLayeredUpdate, r);
    else if (m_platform) m_platform->invalidate(r);
}

void CPaintManagerUI::Invalidate() {
    ui_size client = GetClientSize();
    Invalidate(ui_rect{0, 0, client.cx, client.cy});
}

bool CPaintManagerUI::IsPaintPending() const {
    return m_pRoot && (!m_rcLayeredUpdate.empty() || m_bUpdateNeeded);
}

namespace {
CControlUI* relayout_pending(CControlUI* control, void*) {
    if (control->IsUpdateNeeded()) control->SetPos(control->GetPos(), true);
    return nullptr;
}
}  // namespace

bool CPaintManagerUI::LayoutIfNeeded() {
    bool laid_out = false;
    // "windowinit" may change the tree again; lay out once more, not forever.
    for (int round = 0; round < 2 && m_bUpdateNeeded && m_pRoot; ++round) {
        ui_size client = GetClientSize();
        if (client.cx <= 0 || client.cy <= 0) return laid_out;   // kept for when there is room again
        m_bUpdateNeeded = false;
        if (m_pRoot->IsUpdateNeeded()) {
            m_pRoot->SetPos(ui_rect{0, 0, client.cx, client.cy}, true);
        } else {
            m_pRoot->FindControl(relayout_pending, nullptr, kFindVisible | kFindMeFirst);
        }
        laid_out = true;
        if (m_bFirstLayout) {
            m_bFirstLayout = false;
            SendNotify(m_pRoot, L"windowinit");
        }
    }
    return laid_out;
}

void CPaintManagerUI::PaintLayeredBase(const ui_rect& area) {
    ui_size client{m_surface.width, m_surface.height};
    if (m_layeredBaseSize != client || m_layeredBase.empty()) {
        // The layered image is drawn once over the whole client area and kept.
        m_layeredBase.assign(static_cast<size_t>(client.cx) * static_cast<size_t>(client.cy), 0u);
        m_layeredBaseSize = client;
        if (const ui_image* image = GetImage(m_sLayeredImage)) {
            ui_surface base{m_layeredBase.data(), client.cx, client.cy};
            CRenderEngine::DrawImage(base, base.bounds(), *image, base.bounds());
        }
    }
    ui_surface base{m_layeredBase.data(), client.cx, client.cy};
    CRenderEngine::Copy(m_surface, base, area);
}

bool CPaintManagerUI::Paint(const ui_rect& requested) {
    if (!m_platform || !m_pRoot) {
        m_rcLayeredUpdate = ui_rect{};
        return false;
    }
    ui_size client = GetClientSize();
    if (client.cx <= 0 || client.cy <= 0) return false;
    const ui_rect whole{0, 0, client.cx, client.cy};
    ui_rect area = requested;
    if (LayoutIfNeeded() || !m_pRoot) area = whole;
    if (!m_pRoot) return false;
    if (m_bLayered) area = ui_union(area, m_rcLayeredUpdate);
    m_rcLayeredUpdate = ui_rect{};
    area = ui_intersect(area, whole);
    if (area.empty()) return false;

    ui_surface surface = m_platform->frame_buffer(client.cx, client.cy);
    if (!surface.pixels || surface.width != client.cx || surface.height != client.cy) {
        if (m_bLayered) m_rcLayeredUpdate = area;   // try again on the next tick
        return false;
    }
    // A new buffer has no picture yet: compose all of it.
    if (surface.pixels != m_surface.pixels || surface.width != m_surface.width || surface.height != m_surface.height)
        area = whole;
    m_surface = surface;

    if (m_bLayered && !m_sLayeredImage.IsEmpty()) PaintLayeredBase(area);
    else CRenderEngine::Clear(m_surface, area, 0);

    ui_canvas canvas{m_surface, area, m_platform, ui_rect{}};
    m_pRoot->Paint(canvas, area);
    // Only text goes through the platform's drawing; everything else is
    // written with its alpha already right.
    if (m_bLayered) CRenderEngine::AlphaFixup(m_surface, ui_intersect(canvas.text_area, area));
    m_platform->present(area, m_bLayered, m_nOpacity);
    ++m_paintCount;
    return true;
}

// ---- input ----

void CPaintManagerUI::SendEvent(CControlUI* control, int type, ui_point pt, uintptr_t wparam, wchar_t ch) {
    if (!control) return;
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.dwTimestamp = m_platform ? m_platform->tick_count() : 0;
    event.ptMouse = pt;
    event.chKey = ch;
    event.wParam = wparam;
    control->Event(event);
}

void CPaintManagerUI::HandleMouseMove(ui_point pt) {
    m_ptLastMousePos = pt;
    CControlUI* hover = FindControl(pt);
    if (hover && hover->GetManager() != this) return;
    if (!m_bMouseCapture || !m_pEventClick) {
        if (hover != m_pEventHover) {
            if (CControlUI* old = m_pEventHover) {
                m_pEventHover = nullptr;
                SendEvent(old, kEventMouseLeave, pt);
            }
            m_pEventHover = hover;
            if (hover) SendEvent(hover, kEventMouseEnter, pt);
        }
        // Controls that were told of a leave while still under the mouse.
        std::vector<CControlUI*> waiting;
        waiting.swap(m_mouseLeaveNeeded);
        for (CControlUI* c : waiting) {
            if (c != m_pEventHover && !c->GetPos().contains(pt)) SendEvent(c, kEventMouseLeave, pt);
            else AddMouseLeaveNeeded(c);
        }
    }
    if (m_pEventClick) SendEvent(m_pEventClick, kEventMouseMove, pt);
    else if (m_pEventHover) SendEvent(m_pEventHover, kEventMouseMove, pt);
}

void CPaintManagerUI::OnMouseMove(ui_point pt) {
    if (!m_bMouseTracking && m_platform) {
        m_platform->track_mouse_leave();
        m_bMouseTracking = true;
    }
    HandleMouseMove(pt);
}

void CPaintManagerUI::OnMouseLeave() {
    // The mouse left the window: a point outside every control ends the hover.
    m_bMouseTracking = false;
    HandleMouseMove(ui_point{-1, -1});
}

void CPaintManagerUI::OnLButtonDown(ui_point pt) {
    if (!m_bNoActivate && m_platform) m_platform->focus_window();
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (!control || control->GetManager() != this) return;
    m_pEventClick = control;
    control->SetFocus();
    SetCapture();
    SendEvent(control, kEventButtonDown, pt);
}

void CPaintManagerUI::OnLButtonDblClk(ui_point pt) {
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (!control || control->GetManager() != this) return;
    SetCapture();
    m_pEventClick = control;
    SendEvent(control, kEventDoubleClick, pt);
}

void CPaintManagerUI::OnLButtonUp(ui_point pt) {
    m_ptLastMousePos = pt;
    ReleaseCapture();
    CControlUI* click = m_pEventClick;
    if (!click) return;
    // Forgotten before the event: the click it may produce can close the window.
    m_pEventClick = nullptr;
    SendEvent(click, kEventButtonUp, pt);
}

bool CPaintManagerUI::OnKeyDown(unsigned key, wchar_t ch) {
    if (!m_pFocus) return false;
    SendEvent(m_pFocus, kEventKeyDown, m_ptLastMousePos, key, ch ? ch : static_cast<wchar_t>(key));
    return true;
}

bool CPaintManagerUI::OnSetCursor(ui_point pt) {
    CControlUI* control = FindControl(pt);
    if (!control || control->GetManager() != this) return false;
    if (!(control->GetControlFlags() & kFlagSetCursor)) return false;
    SendEvent(control, kEventSetCursor, pt);
    return true;
}

bool CPaintManagerUI::SetNextTabControl(bool forward) {
    if (!m_pRoot) return false;
    tab_search s{m_pFocus, forward};
    m_pRoot->FindControl(collect_tab, &s, kFindMeFirst);
    CControlUI* target;
    if (forward) target = s.next ? s.next : s.first;
    else target = s.last ? s.last : nullptr;
    if (!forward && !target) {
        // Wrap to the last tab stop of the tree.
        tab_search all{nullptr, true};
        m_pRoot->FindControl(collect_tab, &all, kFindMeFirst);
        target = all.last;
    }
    if (!target) return false;
    SetFocus(target);
    return true;
}

void CPaintManagerUI::OnClose() {
    if (CControlUI* hover = m_pEventHover) {
        m_pEventHover = nullptr;
        SendEvent(hover, kEventMouseLeave, m_ptLastMousePos);
    }
    if (CControlUI* click = m_pEventClick) {
        m_pEventClick = nullptr;
        SendEvent(click, kEventButtonUp, m_ptLastMousePos);
    }
    if (m_bMouseCapture) ReleaseCapture();
    SetFocus(nullptr);
}

void CPaintManagerUI::OnSize(int, int) {
    if (m_pFocus) SendEvent(m_pFocus, kEventWindowSize, m_ptLastMousePos);
    if (m_pRoot) m_pRoot->NeedUpdate();
    m_bUpdateNeeded = m_pRoot != nullptr;
    Invalidate();
}

void CPaintManagerUI::OnLayeredTimer(bool minimized) {
    if (!m_bLayered) return;
    const uint32_t now = m_platform ? m_platform->tick_count() : 0;
    uint32_t period = m_bLayeredTicked ? now - m_layeredLastTick : kLayeredTickMs;
    if (period == 0) period = kLayeredTickMs;
    m_bLayeredTicked = true;
    m_layeredLastTick = now;
    if (minimized || !IsPaintPending()) return;
    // Handing a layered frame to the system can cost milliseconds (Wine
    // rebuilds and blends a window-sized bitmap each time), so a stream of
    // changes is presented only on the last tick that keeps frames within
    // kLayeredFrameGapMs; the area keeps collecting meanwhile. A change after
    // a quiet spell still shows on the next tick.
    if (m_bLayeredPainted && now - m_layeredPaintTick + period <= kLayeredFrameGapMs) return;
    if (Paint(m_rcLayeredUpdate)) {
        m_bLayeredPainted = true;
        m_layeredPaintTick = now;
    }
}

void CPaintManagerUI::OnPaint(const ui_rect& area) {
    if (m_bLayered) {
        // A layered window paints on its timer; just remember the area.
        Invalidate(area);
        return;
    }
    Paint(area);
}

void CPaintManagerUI::OnKillFocus() {
    if (m_bMouseCapture) ReleaseCapture();
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == m_pFocus) return;
    if (CControlUI* old = m_pFocus) {
        m_pFocus = nullptr;
        SendEvent(old, kEventKillFocus, m_ptLastMousePos);
        SendNotify(old, L"killfocus");
    }
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        SendEvent(control, kEventSetFocus, m_ptLastMousePos);
        SendNotify(control, L"setfocus");
    }
}

void CPaintManagerUI::SetCapture() {
    if (m_platform) m_platform->capture_mouse();
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture() {
    if (m_bMouseCapture && m_platform) m_platform->release_mouse();
    m_bMouseCapture = false;
}

void CPaintManagerUI::SetCursor(ui_cursor cursor) {
    if (m_platform) m_platform->set_cursor(cursor);
}

// ---- notifications ----

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier || std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) return false;
    m_notifiers.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (it == m_notifiers.end()) return false;
    m_notifiers.erase(it);
    return true;
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async, bool allow_repeat) {
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = m_platform ? m_platform->tick_count() : 0;
    if (!async) {
        // By index: a notifier may remove itself (or a later one) meanwhile.
        for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->Notify(msg);
        return;
    }
    if (!allow_repeat) {
        for (TNotifyUI& queued : m_asyncNotify) {
            if (queued.pSender == msg.pSender && queued.sType == msg.sType) {
                queued = msg;
                return;
            }
        }
    }
    m_asyncNotify.push_back(msg);
    if (!m_bAsyncPosted && m_platform) {
        m_bAsyncPosted = true;
        m_platform->post_async_notify();
    }
}

void CPaintManagerUI::SendNotify(CControlUI* control, const wchar_t* type, uintptr_t wparam, intptr_t lparam,
                                 bool async, bool allow_repeat) {
    TNotifyUI msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wparam;
    msg.lParam = lparam;
    SendNotify(msg, async, allow_repeat);
}

void CPaintManagerUI::DeliverAsyncNotify() {
    m_bAsyncPosted = false;
    while (!m_asyncNotify.empty()) {
        TNotifyUI msg = m_asyncNotify.front();
        m_asyncNotify.erase(m_asyncNotify.begin());
        for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->Notify(msg);
    }
}
