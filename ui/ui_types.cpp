#include "ui/ui_types.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace {
wchar_t fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
}  // namespace

int ui_compare_nocase(const wchar_t* a, const wchar_t* b) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (;; ++a, ++b) {
        wchar_t ca = fold(*a), cb = fold(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

int CDuiString::Compare(const wchar_t* text) const { return std::wcscmp(s_.c_str(), text ? text : L""); }

int CDuiString::CompareNoCase(const wchar_t* text) const { return ui_compare_nocase(s_.c_str(), text); }

int CDuiString::Find(const wchar_t* text, size_t start) const {
    if (!text || start > s_.size()) return -1;
    size_t at = s_.find(text, start);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CDuiString CDuiString::Mid(size_t start, size_t count) const {
    if (start >= s_.size()) return CDuiString();
    return CDuiString(s_.substr(start, count));
}

int32_t ui_clamp_coord(int64_t v) {
    constexpr int64_t kLimit = INT32_MAX / 2;
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kLimit, kLimit));
}

ui_rect ui_intersect(const ui_rect& a, const ui_rect& b) {
    ui_rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (r.empty()) return ui_rect{};
    return r;
}

ui_rect ui_union(const ui_rect& a, const ui_rect& b) {
    if (a.empty()) return b.empty() ? ui_rect{} : b;
    if (b.empty()) return a;
    return ui_rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

ui_rect ui_offset(const ui_rect& r, int32_t dx, int32_t dy) {
    return ui_rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
