#include "ui/button.h"

#include <algorithm>
#include <cwchar>

#include "ui/paint_manager.h"

namespace {
bool is_mouse_event(int type) { return type >= kEventMouseMove && type <= kEventDoubleClick; }
}  // namespace

// ---- CButtonUI ----

CButtonUI::CButtonUI() { m_uTextStyle = kTextSingleLine | kTextVCenter | kTextCenter; }

const wchar_t* CButtonUI::GetClass() const { return L"Button"; }

void* CButtonUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Button") == 0) return this;
    return CLabelUI::GetInterface(name);
}

unsigned CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? kFlagTabStop : 0u) | (IsEnabled() ? kFlagSetCursor : 0u);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
    if ((!IsMouseEnabled() || !IsEnabled()) && is_mouse_event(event.Type)) {
        CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case kEventSetFocus:
    case kEventKillFocus:
        CLabelUI::DoEvent(event);
        Invalidate();
        return;
    case kEventKeyDown:
        if (IsKeyboardEnabled() && (event.chKey == kKeySpace || event.chKey == kKeyReturn)) {
            Activate();
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (m_rcItem.contains(event.ptMouse)) {
            m_uButtonState |= kStatePushed | kStateCaptured;
            Invalidate();
        }
        return;
    case kEventMouseMove:
        if (m_uButtonState & kStateCaptured) {
            bool inside = m_rcItem.contains(event.ptMouse);
            unsigned before = m_uButtonState;
            if (inside) m_uButtonState |= kStatePushed;
            else m_uButtonState &= ~kStatePushed;
            if (before != m_uButtonState) Invalidate();
        }
        return;
    case kEventButtonUp:
        if (m_uButtonState & kStateCaptured) {
            bool activate = m_rcItem.contains(event.ptMouse) && IsEnabled();
            // The state is settled before the click runs: its handler may
            // close the window or start long work.
            m_uButtonState &= ~(kStatePushed | kStateCaptured);
            Invalidate();
            if (activate) Activate();
        }
        return;
    case kEventMouseEnter:
        m_uButtonState |= kStateHot;
        Invalidate();
        if (m_pManager) m_pManager->SendNotify(this, L"mouseenter");
        return;
    case kEventMouseLeave:
        if (m_rcItem.contains(event.ptMouse)) {
            if (m_pManager) m_pManager->AddMouseLeaveNeeded(this);
            return;
        }
        m_uButtonState &= ~kStateHot;
        Invalidate();
        if (m_pManager) m_pManager->SendNotify(this, L"mouseleave");
        return;
    case kEventSetCursor:
        if (m_pManager) m_pManager->SetCursor(m_bArrowCursor ? ui_cursor::arrow : ui_cursor::hand);
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"normalimage") == 0) SetNormalImage(value);
    else if (std::wcscmp(name, L"hotimage") == 0) SetHotImage(value);
    else if (std::wcscmp(name, L"pushedimage") == 0) SetPushedImage(value);
    else if (std::wcscmp(name, L"focusedimage") == 0) SetFocusedImage(value);
    else if (std::wcscmp(name, L"disabledimage") == 0) SetDisabledImage(value);
    else if (std::wcscmp(name, L"foreimage") == 0) SetForeImage(value);
    else if (std::wcscmp(name, L"hotforeimage") == 0) SetHotForeImage(value);
    else if (std::wcscmp(name, L"pushedforeimage") == 0) SetPushedForeImage(value);
    else if (std::wcscmp(name, L"cursor") == 0) m_bArrowCursor = std::wcscmp(value, L"arrow") == 0;
    else CLabelUI::SetAttribute(name, value);
}

ui_size CButtonUI::EstimateSize(ui_size available) { return CLabelUI::EstimateSize(available); }

void CButtonUI::PaintBkColor(ui_canvas& canvas) { CLabelUI::PaintBkColor(canvas); }

void CButtonUI::PaintStatusImage(ui_canvas& canvas) {
    if (IsFocused()) m_uButtonState |= kStateFocused;
    else m_uButtonState &= ~kStateFocused;
    if (!IsEnabled()) m_uButtonState |= kStateDisabled;
    else m_uButtonState &= ~kStateDisabled;

    auto first = [](const CDuiString& a, const CDuiString& b) -> const CDuiString& { return a.IsEmpty() ? b : a; };
    const CDuiString* fore = &m_sForeImage;
    if (m_uButtonState & kStateDisabled) {
        DrawImage(canvas, first(m_sDisabledImage, m_sNormalImage));
    } else if (m_uButtonState & kStatePushed) {
        DrawImage(canvas, first(m_sPushedImage, m_sNormalImage));
        if (!m_sPushedForeImage.IsEmpty()) fore = &m_sPushedForeImage;
    } else if (m_uButtonState & kStateHot) {
        DrawImage(canvas, first(m_sHotImage, m_sNormalImage));
        if (!m_sHotForeImage.IsEmpty()) fore = &m_sHotForeImage;
    } else if ((m_uButtonState & kStateFocused) && !m_sFocusedImage.IsEmpty()) {
        DrawImage(canvas, m_sFocusedImage);
    } else {
        DrawImage(canvas, m_sNormalImage);
    }
    DrawImage(canvas, *fore);
}

void CButtonUI::PaintText(ui_canvas& canvas) { CLabelUI::PaintText(canvas); }

void CButtonUI::PaintBorder(ui_canvas& canvas) { CLabelUI::PaintBorder(canvas); }

void CButtonUI::SetNormalImage(const wchar_t* image) { m_sNormalImage = image; Invalidate(); }
void CButtonUI::SetHotImage(const wchar_t* image) { m_sHotImage = image; Invalidate(); }
void CButtonUI::SetPushedImage(const wchar_t* image) { m_sPushedImage = image; Invalidate(); }
void CButtonUI::SetFocusedImage(const wchar_t* image) { m_sFocusedImage = image; Invalidate(); }
void CButtonUI::SetDisabledImage(const wchar_t* image) { m_sDisabledImage = image; Invalidate(); }
void CButtonUI::SetForeImage(const wchar_t* image) { m_sForeImage = image; Invalidate(); }
void CButtonUI::SetHotForeImage(const wchar_t* image) { m_sHotForeImage = image; Invalidate(); }
void CButtonUI::SetPushedForeImage(const wchar_t* image) { m_sPushedForeImage = image; Invalidate(); }

// ---- COptionUI ----

COptionUI::~COptionUI() {
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

const wchar_t* COptionUI::GetClass() const { return L"Option"; }

void* COptionUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Option") == 0) return this;
    return CButtonUI::GetInterface(name);
}

bool COptionUI::Activate() {
    // "click" goes out while the selection is still the old one.
    if (!CButtonUI::Activate()) return false;
    if (m_sGroupName.IsEmpty()) Selected(!m_bSelected);
    else Selected(true);
    return true;
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (init && !m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetEnabled(bool enabled) {
    CButtonUI::SetEnabled(enabled);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? kStateSelected : 0u;
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name) return;
    if (!value) value = L"";
    if (std::wcscmp(name, L"group") == 0) SetGroup(value);
    else if (std::wcscmp(name, L"selected") == 0) Selected(ui_parse_bool(value));
    else if (std::wcscmp(name, L"selectedimage") == 0) SetSelectedImage(value);
    else if (std::wcscmp(name, L"selectedhotimage") == 0) SetSelectedHotImage(value);
    else if (std::wcscmp(name, L"selectedforeimage") == 0) SetSelectedForeImage(value);
    else CButtonUI::SetAttribute(name, value);
}

void COptionUI::Selected(bool selected, bool notify) {
    if (m_bSelected == selected) return;
    m_bSelected = selected;
    if (selected) m_uButtonState |= kStateSelected;
    else m_uButtonState &= ~kStateSelected;
    if (m_pManager) {
        if (!m_sGroupName.IsEmpty()) {
            if (selected) {
                if (const auto* group = m_pManager->GetOptionGroup(m_sGroupName)) {
                    std::vector<CControlUI*> members(*group);
                    for (CControlUI* c : members) {
                        auto* option = static_cast<COptionUI*>(c->GetInterface(L"Option"));
                        if (option && option != this) option->Selected(false, notify);
                    }
                }
                if (notify) m_pManager->SendNotify(this, L"selectchanged");
            }
        } else if (notify) {
            m_pManager->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::SetGroup(const wchar_t* group) {
    CDuiString g(group);
    if (g == m_sGroupName) return;
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = g;
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddOptionGroup(m_sGroupName, this);
    Invalidate();
}

void COptionUI::SetSelectedImage(const wchar_t* image) { m_sSelectedImage = image; Invalidate(); }
void COptionUI::SetSelectedHotImage(const wchar_t* image) { m_sSelectedHotImage = image; Invalidate(); }
void COptionUI::SetSelectedForeImage(const wchar_t* image) { m_sSelectedForeImage = image; Invalidate(); }

void COptionUI::PaintStatusImage(ui_canvas& canvas) {
    if (IsEnabled() && (m_uButtonState & kStateSelected)) {
        bool drawn = false;
        if ((m_uButtonState & kStateHot) && !m_sSelectedHotImage.IsEmpty())
            drawn = DrawImage(canvas, m_sSelectedHotImage);
        if (!drawn && !m_sSelectedImage.IsEmpty()) drawn = DrawImage(canvas, m_sSelectedImage);
        if (drawn) {
            DrawImage(canvas, m_sSelectedForeImage);
            return;
        }
    }
    // Not selected, or no selected image: the button's images, never pushed.
    unsigned saved = m_uButtonState;
    m_uButtonState &= ~kStatePushed;
    CButtonUI::PaintStatusImage(canvas);
    m_uButtonState = (m_uButtonState & ~kStatePushed) | (saved & kStatePushed);
}

void COptionUI::PaintText(ui_canvas& canvas) { CButtonUI::PaintText(canvas); }

// ---- CCheckBoxUI ----

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBox"; }

void* CCheckBoxUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"CheckBox") == 0) return this;
    return COptionUI::GetInterface(name);
}
