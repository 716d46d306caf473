// CLabelUI: a control that draws one line of text.
#pragma once

#include "ui/control.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    void SetText(const wchar_t* text) override;
    void SetFixedWidth(int cx) override;
    void SetFixedHeight(int cy) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    ui_size EstimateSize(ui_size available) override;
    void PaintBkColor(ui_canvas& canvas) override;
    void PaintText(ui_canvas& canvas) override;

    // DT_* style; default single line and vertically centred (0x24).
    unsigned GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(unsigned style);
    // 0: the paint manager's default font colour.
    uint32_t GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(uint32_t argb);
    uint32_t GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(uint32_t argb);
    // -1: the paint manager's default font.
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    ui_rect GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(ui_rect padding);

protected:
    // Draws text in the given colour and style inside rect (clipped to it).
    void DrawLabelText(ui_canvas& canvas, const ui_rect& rect, const CDuiString& text, uint32_t argb, int font,
                       unsigned style);

    unsigned m_uTextStyle = kTextVCenter | kTextSingleLine;
    uint32_t m_dwTextColor = 0;
    uint32_t m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    ui_rect m_rcTextPadding;
    ui_size m_cxyEstimated;
    bool m_bNeedEstimateSize = true;
};

// The colour actually handed to the platform: 0 and pure black become
// 0xFF000001 so that the layered window's alpha fix-up keeps black text.
uint32_t ui_text_draw_color(uint32_t argb);
// Applies an "align" value: "left", "center", "right" searched in that order;
// the last one found decides the horizontal bits.
unsigned ui_apply_align(unsigned style, const wchar_t* value);
