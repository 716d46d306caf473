// Containers: CContainerUI and the vertical and horizontal layouts.
#pragma once

#include <vector>

#include "ui/control.h"

// The container interface: the list of child controls.
class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual int GetCount() const = 0;
    // Takes ownership on success; false (and no ownership) when refused.
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    // Removes and, when the container auto-destroys, deletes the child.
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    ui_rect GetClientPos() const override;
    void SetPos(ui_rect rc, bool need_invalidate = true) override;
    void Move(ui_size offset, bool need_invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, unsigned flags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(ui_canvas& canvas, const ui_rect& paint) override;

    // Inner margins: the area in which non-floating children are laid out.
    virtual ui_rect GetInset() const;
    virtual void SetInset(ui_rect inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    // Horizontal alignment of children (kTextLeft/kTextCenter/kTextRight).
    virtual unsigned GetChildAlign() const;
    virtual void SetChildAlign(unsigned align);
    // Vertical alignment of children: 0 top, kTextVCenter centre, 0x08 bottom.
    virtual unsigned GetChildVAlign() const;
    virtual void SetChildVAlign(unsigned align);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool auto_destroy);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enabled = true);
    // Places a floating child by its fixed position relative to this container.
    virtual void SetFloatPos(int index);

protected:
    std::vector<CControlUI*> m_items;
    ui_rect m_rcInset;
    int m_iChildPadding = 0;
    unsigned m_iChildAlign = kTextLeft;
    unsigned m_iChildVAlign = 0;
    bool m_bAutoDestroy = true;
    bool m_bMouseChildEnabled = true;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    unsigned GetControlFlags() const override;
    void SetPos(ui_rect rc, bool need_invalidate = true) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    unsigned GetControlFlags() const override;
    void SetPos(ui_rect rc, bool need_invalidate = true) override;
};
