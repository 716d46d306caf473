#include "ui/dialog_builder.h"

#include <cwchar>

#include "ui/button.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/label.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"

namespace {

bool is_resource_element(const wchar_t* name) {
    return ui_compare_nocase(name, L"Image") == 0 || ui_compare_nocase(name, L"Font") == 0 ||
           ui_compare_nocase(name, L"Default") == 0 || ui_compare_nocase(name, L"MultiLanguage") == 0;
}

bool bool_nocase(const wchar_t* value) { return ui_compare_nocase(value, L"true") == 0; }

void add_font(const CMarkupNode& node, CPaintManagerUI* manager) {
    int id = -1;
    const wchar_t* face = nullptr;
    int size = 12;
    bool bold = false, underline = false, italic = false, shared = false;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const wchar_t* name = node.GetAttributeName(i);
        const wchar_t* value = node.GetAttributeValue(i);
        if (ui_compare_nocase(name, L"id") == 0) id = ui_parse_int(value);
        else if (ui_compare_nocase(name, L"name") == 0) face = value;
        else if (ui_compare_nocase(name, L"size") == 0) size = ui_parse_int(value);
        else if (ui_compare_nocase(name, L"bold") == 0) bold = bool_nocase(value);
        else if (ui_compare_nocase(name, L"underline") == 0) underline = bool_nocase(value);
        else if (ui_compare_nocase(name, L"italic") == 0) italic = bool_nocase(value);
        else if (ui_compare_nocase(name, L"shared") == 0) shared = bool_nocase(value);
    }
    if (id >= 0 && face && *face) manager->AddFont(id, face, size, bold, underline, italic, shared);
}

void add_default(const CMarkupNode& node, CPaintManagerUI* manager) {
    const wchar_t* name = nullptr;
    const wchar_t* value = nullptr;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        if (ui_compare_nocase(node.GetAttributeName(i), L"name") == 0) name = node.GetAttributeValue(i);
        else if (ui_compare_nocase(node.GetAttributeName(i), L"value") == 0) value = node.GetAttributeValue(i);
    }
    if (name && value) manager->AddDefaultAttributeList(name, value);
}

}  // namespace

CControlUI* ui_create_control(const wchar_t* name) {
    if (!name) return nullptr;
    if (ui_compare_nocase(name, L"Control") == 0) return new CControlUI;
    if (ui_compare_nocase(name, L"Container") == 0) return new CContainerUI;
    if (ui_compare_nocase(name, L"VerticalLayout") == 0) return new CVerticalLayoutUI;
    if (ui_compare_nocase(name, L"HorizontalLayout") == 0) return new CHorizontalLayoutUI;
    if (ui_compare_nocase(name, L"Label") == 0) return new CLabelUI;
    if (ui_compare_nocase(name, L"Button") == 0) return new CButtonUI;
    if (ui_compare_nocase(name, L"Option") == 0) return new COptionUI;
    if (ui_compare_nocase(name, L"CheckBox") == 0) return new CCheckBoxUI;
    if (ui_compare_nocase(name, L"Progress") == 0) return new CProgressUI;
    return nullptr;
}

CControlUI* CDialogBuilder::Create(const wchar_t* layout, const wchar_t* /*type*/, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    m_pCallback = callback;
    if (!layout) return nullptr;
    bool loaded = layout[0] == L'<' ? m_xml.Load(layout) : m_xml.LoadFromFile(layout);
    if (!loaded) return nullptr;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;

    if (manager) {
        for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
            if (ui_compare_nocase(node.GetName(), L"Font") == 0) add_font(node, manager);
            else if (ui_compare_nocase(node.GetName(), L"Default") == 0) add_default(node, manager);
        }
        if (ui_compare_nocase(root.GetName(), L"Window") == 0 && manager->HasWindow()) {
            for (int i = 0; i < root.GetAttributeCount(); ++i)
                manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
        }
    }
    return Parse(root, parent, manager);
}

CControlUI* CDialogBuilder::Parse(const CMarkupNode& root, CControlUI* parent, CPaintManagerUI* manager) {
    CControlUI* first = nullptr;
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* cls = node.GetName();
        if (is_resource_element(cls)) continue;
        CControlUI* control = ui_create_control(cls);
        if (!control && m_pCallback) control = m_pCallback->CreateControl(cls);
        if (!control) continue;   // unknown element: skipped with its subtree

        if (node.HasChildren()) Parse(node, control, manager);

        if (parent) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
            if (!container || !container->Add(control)) {
                control->Delete();
                continue;
            }
        }
        if (manager) {
            control->SetManager(manager, control->GetParent(), false);
            if (const wchar_t* defaults = manager->GetDefaultAttributeList(cls)) control->SetAttributeList(defaults);
        }
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        // The whole tree gets the manager back when it is attached.
        if (manager) control->SetManager(nullptr, control->GetParent(), false);
        if (!first) {
            first = control;
        } else if (!parent) {
            // Only the first top-level control is handed out; a second one
            // would have no owner.
            control->Delete();
        }
    }
    return first;
}
