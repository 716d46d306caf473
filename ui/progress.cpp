#include "ui/progress.h"

#include <climits>
#include <cwchar>

CProgressUI::CProgressUI() {
    m_uTextStyle = kTextSingleLine | kTextCenter;
    m_cxyFixed.cy = 12;
}

const wchar_t* CProgressUI::GetClass() const { return L"Progress"; }

void* CProgressUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Progress") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"hor") == 0) SetHorizontal(ui_parse_bool(value));
    else if (std::wcscmp(name, L"min") == 0) SetMinValue(ui_parse_int(value));
    else if (std::wcscmp(name, L"max") == 0) SetMaxValue(ui_parse_int(value));
    else if (std::wcscmp(name, L"value") == 0) SetValue(ui_parse_int(value));
    else if (std::wcscmp(name, L"foreimage") == 0) SetForeImage(value);
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int min) {
    m_nMin = min;
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_nMax = max;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value > m_nMax) value = m_nMax;
    if (value < m_nMin) value = m_nMin;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const wchar_t* image) {
    m_sForeImage = image;
    Invalidate();
}

ui_rect CProgressUI::FillRect() {
    if (m_nMax <= m_nMin) {
        if (m_nMin == INT_MAX) m_nMin = INT_MAX - 1;
        m_nMax = m_nMin + 1;
    }
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;
    const int64_t range = int64_t(m_nMax) - m_nMin;
    const int64_t done = int64_t(m_nValue) - m_nMin;
    const int w = GetWidth(), h = GetHeight();
    if (m_bHorizontal) {
        int fill = static_cast<int>(int64_t(w) * done / range);
        return fill > 0 ? ui_rect{0, 0, fill, h} : ui_rect{};
    }
    int top = static_cast<int>(int64_t(h) * (int64_t(m_nMax) - m_nValue) / range);
    return top < h ? ui_rect{0, top, w, h} : ui_rect{};
}

void CProgressUI::PaintStatusImage(ui_canvas& canvas) {
    ui_rect fill = FillRect();
    if (fill.empty() || m_sForeImage.IsEmpty()) return;
    DrawImage(canvas, m_sForeImage, ui_offset(fill, m_rcItem.left, m_rcItem.top));
}
