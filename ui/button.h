// Buttons, option boxes and check boxes.
#pragma once

#include "ui/label.h"

// Button state bits.
enum : unsigned {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
    kStatePushed = 0x10,
    kStateCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    unsigned GetControlFlags() const override;

    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    ui_size EstimateSize(ui_size available) override;
    void PaintBkColor(ui_canvas& canvas) override;
    void PaintStatusImage(ui_canvas& canvas) override;
    void PaintText(ui_canvas& canvas) override;
    void PaintBorder(ui_canvas& canvas) override;

    unsigned GetButtonState() const { return m_uButtonState; }

    CDuiString GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* image);
    CDuiString GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* image);
    CDuiString GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const wchar_t* image);
    CDuiString GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* image);
    CDuiString GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* image);
    void SetForeImage(const wchar_t* image);
    void SetHotForeImage(const wchar_t* image);
    void SetPushedForeImage(const wchar_t* image);

protected:
    unsigned m_uButtonState = 0;
    bool m_bArrowCursor = false;   // cursor="arrow"
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
    CDuiString m_sForeImage;
    CDuiString m_sHotForeImage;
    CDuiString m_sPushedForeImage;
};

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(ui_canvas& canvas) override;
    void PaintText(ui_canvas& canvas) override;

    // Changes the selection; sends "selectchanged" when notify and managed.
    virtual void Selected(bool selected, bool notify = true);
    bool IsSelected() const { return m_bSelected; }

    // Empty: an independent option (a check box toggles).
    CDuiString GetGroup() const { return m_sGroupName; }
    void SetGroup(const wchar_t* group);
    CDuiString GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const wchar_t* image);
    void SetSelectedHotImage(const wchar_t* image);
    void SetSelectedForeImage(const wchar_t* image);

protected:
    bool m_bSelected = false;
    CDuiString m_sGroupName;
    CDuiString m_sSelectedImage;
    CDuiString m_sSelectedHotImage;
    CDuiString m_sSelectedForeImage;
};

class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { Selected(check, notify); }
};
