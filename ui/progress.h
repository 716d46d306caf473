// CProgressUI: a bar filled with its fore image in proportion to its value.
#pragma once

#include "ui/label.h"

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(ui_canvas& canvas) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);    // no clamping
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);    // no clamping
    int GetValue() const { return m_nValue; }
    // Clamped first against the maximum, then against the minimum.
    void SetValue(int value);
    CDuiString GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const wchar_t* image);

    // The fore image's destination relative to the control's top-left corner,
    // after the range corrections that painting stores. Empty: nothing drawn.
    ui_rect FillRect();

protected:
    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    CDuiString m_sForeImage;
};
