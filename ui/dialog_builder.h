// CDialogBuilder: builds a control tree, fonts and window settings from a layout.
#pragma once

#include "ui/markup.h"
#include "ui/notify.h"

class CControlUI;
class CPaintManagerUI;

class CDialogBuilder {
public:
    // layout: an archive entry name, or markup text when it begins with '<'.
    // type: none for an entry. Returns the root control (owned by the caller,
    // normally handed to CPaintManagerUI::AttachDialog), or nullptr on any
    // read or parse error. The manager may be nullptr (no fonts, no window
    // attributes).
    CControlUI* Create(const wchar_t* layout, const wchar_t* type = nullptr, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);

    CMarkup* GetMarkup() { return &m_xml; }
    const wchar_t* GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }
    const wchar_t* GetLastErrorLocation() const { return m_xml.GetLastErrorLocation(); }

private:
    CControlUI* Parse(const CMarkupNode& root, CControlUI* parent, CPaintManagerUI* manager);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
};

// A new control of the framework's class for an element name (ignoring case),
// or nullptr for an unknown name.
CControlUI* ui_create_control(const wchar_t* class_name);
