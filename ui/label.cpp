#include "ui/label.h"

#include <algorithm>
#include <cwchar>

#include "ui/paint_manager.h"

uint32_t ui_text_draw_color(uint32_t argb) {
    // The layered window's alpha fix-up treats a pixel of exactly 0 as
    // transparent; GDI writes black text as 0, so black is nudged to 1.
    if (argb == 0 || argb == 0xFF000000u) return 0xFF000001u;
    return argb;
}

unsigned ui_apply_align(unsigned style, const wchar_t* value) {
    if (!value) return style;
    if (std::wcsstr(value, L"left")) style &= ~(kTextCenter | kTextRight);
    if (std::wcsstr(value, L"center")) style = (style & ~kTextRight) | kTextCenter;
    if (std::wcsstr(value, L"right")) style = (style & ~kTextCenter) | kTextRight;
    return style;
}

CLabelUI::CLabelUI() = default;

const wchar_t* CLabelUI::GetClass() const { return L"Label"; }

void* CLabelUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Label") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetText(const wchar_t* text) {
    if (m_sText == (text ? text : L"")) return;
    CControlUI::SetText(text);
    m_bNeedEstimateSize = true;
}

void CLabelUI::SetFixedWidth(int cx) {
    m_bNeedEstimateSize = true;
    CControlUI::SetFixedWidth(cx);
}

void CLabelUI::SetFixedHeight(int cy) {
    m_bNeedEstimateSize = true;
    CControlUI::SetFixedHeight(cy);
}

void CLabelUI::DoEvent(TEventUI& event) { CControlUI::DoEvent(event); }

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"align") == 0) {
        SetTextStyle(ui_apply_align(m_uTextStyle, value));
    } else if (std::wcscmp(name, L"font") == 0) {
        SetFont(ui_parse_int(value));
    } else if (std::wcscmp(name, L"textcolor") == 0) {
        uint32_t c = ui_parse_color(value);
        if ((c >> 24) == 0) c |= 0xFF000000u;   // six digits: opaque
        SetTextColor(c);
    } else if (std::wcscmp(name, L"disabledtextcolor") == 0) {
        uint32_t c = ui_parse_color(value);
        if ((c >> 24) == 0) c |= 0xFF000000u;
        SetDisabledTextColor(c);
    } else if (std::wcscmp(name, L"textpadding") == 0) {
        SetTextPadding(ui_parse_rect(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

ui_size CLabelUI::EstimateSize(ui_size available) {
    if (m_cxyFixed.cy != 0 || !m_bNeedEstimateSize) {
        if (m_cxyFixed.cy != 0) return m_cxyFixed;
        return m_cxyEstimated;
    }
    // Without a fixed height a label asks for one line of its font.
    int font_size = m_pManager ? m_pManager->GetFont(m_iFont).size : 12;
    m_cxyEstimated = ui_size{m_cxyFixed.cx, ui_clamp_coord(std::max<int64_t>(
                                                0, int64_t(font_size) + 8 + m_rcTextPadding.top + m_rcTextPadding.bottom))};
    m_bNeedEstimateSize = false;
    (void)available;
    return m_cxyEstimated;
}

void CLabelUI::PaintBkColor(ui_canvas& canvas) { CControlUI::PaintBkColor(canvas); }

void CLabelUI::PaintText(ui_canvas& canvas) {
    if (m_sText.IsEmpty()) return;
    uint32_t color;
    if (IsEnabled()) {
        color = m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000u);
    } else {
        color = m_dwDisabledTextColor ? m_dwDisabledTextColor
                                      : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFF000000u);
    }
    ui_rect rc{ui_clamp_coord(int64_t(m_rcItem.left) + m_rcTextPadding.left),
               ui_clamp_coord(int64_t(m_rcItem.top) + m_rcTextPadding.top),
               ui_clamp_coord(int64_t(m_rcItem.right) - m_rcTextPadding.right),
               ui_clamp_coord(int64_t(m_rcItem.bottom) - m_rcTextPadding.bottom)};
    DrawLabelText(canvas, rc, m_sText, color, m_iFont, m_uTextStyle);
}

void CLabelUI::DrawLabelText(ui_canvas& canvas, const ui_rect& rect, const CDuiString& text, uint32_t argb, int font,
                             unsigned style) {
    if (text.IsEmpty() || !canvas.platform || !m_pManager) return;
    ui_rect clip = ui_intersect(canvas.clip, rect);
    if (clip.empty()) return;
    canvas.platform->draw_text(rect, clip, text.str(), m_pManager->GetFont(font), ui_text_draw_color(argb),
                               style | kTextNoPrefix);
    const ui_font& f = m_pManager->GetFont(font);
    canvas.text_area =
        ui_union(canvas.text_area, ui_intersect(canvas.platform->text_bounds(rect, text.str(), f, style | kTextNoPrefix), clip));
}

void CLabelUI::SetTextStyle(unsigned style) {
    m_uTextStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(uint32_t argb) {
    m_dwTextColor = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
    m_dwDisabledTextColor = argb;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_iFont = index;
    m_bNeedEstimateSize = true;
    Invalidate();
}

void CLabelUI::SetTextPadding(ui_rect padding) {
    m_rcTextPadding = padding;
    m_bNeedEstimateSize = true;
    Invalidate();
}
