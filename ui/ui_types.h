// Basic value types of the skin UI framework: the UTF-16 string and the
// rectangle, point and size types that every part of the framework shares.
// Portable: the Windows layer converts to and from RECT/POINT/SIZE itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Growable UTF-16 string. std::wstring gives the small inline storage; on
// Windows wchar_t is UTF-16, on the host it only ever holds BMP text in tests.
class CDuiString {
public:
    CDuiString() = default;
    CDuiString(const wchar_t* text) : s_(text ? text : L"") {}
    CDuiString(const wchar_t* text, size_t length) : s_(text ? std::wstring(text, length) : std::wstring()) {}
    CDuiString(const std::wstring& text) : s_(text) {}
    CDuiString(std::wstring&& text) : s_(std::move(text)) {}

    size_t GetLength() const { return s_.size(); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    const wchar_t* GetData() const { return s_.c_str(); }
    operator const wchar_t*() const { return s_.c_str(); }
    wchar_t GetAt(size_t index) const { return index < s_.size() ? s_[index] : L'\0'; }
    wchar_t operator[](size_t index) const { return GetAt(index); }

    void Assign(const wchar_t* text) { s_ = text ? text : L""; }
    void Append(const wchar_t* text) { if (text) s_ += text; }
    CDuiString& operator=(const wchar_t* text) { Assign(text); return *this; }
    CDuiString& operator+=(const wchar_t* text) { Append(text); return *this; }
    CDuiString& operator+=(wchar_t ch) { s_ += ch; return *this; }
    CDuiString operator+(const wchar_t* text) const { CDuiString r(*this); r.Append(text); return r; }

    // Exact comparison; 0 when equal.
    int Compare(const wchar_t* text) const;
    // Comparison ignoring the case of ASCII letters; 0 when equal.
    int CompareNoCase(const wchar_t* text) const;
    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    bool operator==(const CDuiString& other) const { return s_ == other.s_; }
    bool operator!=(const CDuiString& other) const { return s_ != other.s_; }
    bool operator<(const CDuiString& other) const { return s_ < other.s_; }

    // -1 when not found.
    int Find(const wchar_t* text, size_t start = 0) const;
    CDuiString Left(size_t count) const { return CDuiString(s_.substr(0, count)); }
    CDuiString Mid(size_t start, size_t count = std::wstring::npos) const;

    const std::wstring& str() const { return s_; }

private:
    std::wstring s_;
};

// ASCII-only case folding, as the skin dialect's names are ASCII.
int ui_compare_nocase(const wchar_t* a, const wchar_t* b);

struct ui_point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ui_point& o) const { return x == o.x && y == o.y; }
    bool operator!=(const ui_point& o) const { return !(*this == o); }
};

struct ui_size {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const ui_size& o) const { return cx == o.cx && cy == o.cy; }
    bool operator!=(const ui_size& o) const { return !(*this == o); }
};

// Half-open rectangle: [left, right) x [top, bottom), like a Windows RECT.
struct ui_rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(ui_point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const ui_rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const ui_rect& o) const { return !(*this == o); }
};

// Coordinates computed from layout values are kept within half the 32-bit
// range, so that widths, heights and sums of two of them cannot overflow.
int32_t ui_clamp_coord(int64_t v);

// Intersection; an empty rectangle (all zero) when they do not overlap.
ui_rect ui_intersect(const ui_rect& a, const ui_rect& b);
// Smallest rectangle holding both; an empty operand is ignored.
ui_rect ui_union(const ui_rect& a, const ui_rect& b);
ui_rect ui_offset(const ui_rect& r, int32_t dx, int32_t dy);
