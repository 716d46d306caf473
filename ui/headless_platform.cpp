#include "ui/headless_platform.h"

#include <algorithm>

ui_surface headless_platform::frame_buffer(int32_t width, int32_t height) {
    if (width != buffer_size_.cx || height != buffer_size_.cy) {
        pixels_.assign(static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0)), 0u);
        buffer_size_ = ui_size{width, height};
    }
    return surface();
}

namespace {

std::wstring shown_text(const std::wstring& text, unsigned style) {
    // Without the no-prefix flag an '&' would be a mnemonic marker, not drawn.
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(style & kTextNoPrefix) && text[i] == L'&' && i + 1 < text.size()) ++i;
        shown.push_back(text[i]);
    }
    return shown;
}

}  // namespace

// The boxes of the characters as draw_text places them.
ui_rect headless_platform::text_bounds(const ui_rect& rect, const std::wstring& text, const ui_font& font,
                                       unsigned style) {
    std::wstring shown = shown_text(text, style);
    int64_t width = 0;
    for (wchar_t ch : shown) width += glyph_width(font, ch);
    int64_t x = rect.left;
    if (style & kTextCenter) x = rect.left + (rect.width() - width) / 2;
    else if (style & kTextRight) x = rect.right - width;
    int64_t y = (style & kTextVCenter) ? rect.top + (int64_t(rect.height()) - font.size) / 2 : rect.top;
    return ui_intersect(rect, ui_rect{ui_clamp_coord(x), ui_clamp_coord(y), ui_clamp_coord(x + width),
                                      ui_clamp_coord(y + font.size)});
}

void headless_platform::draw_text(const ui_rect& rect, const ui_rect& clip, const std::wstring& text,
                                  const ui_font& font, uint32_t argb, unsigned style) {
    texts.push_back(text_call{rect, clip, text, font, argb, style});
    const ui_rect bounds = text_bounds(rect, text, font, style);
    std::wstring shown = shown_text(text, style);
    int64_t width = 0;
    for (wchar_t ch : shown) width += glyph_width(font, ch);
    // Where the first character starts (bounds is cut to rect; this is not).
    int64_t x = rect.left;
    if (style & kTextCenter) x = rect.left + (rect.width() - width) / 2;
    else if (style & kTextRight) x = rect.right - width;
    ui_rect limit = ui_intersect(ui_intersect(bounds, clip), ui_rect{0, 0, buffer_size_.cx, buffer_size_.cy});
    if (limit.empty()) return;
    // GDI writes the colour bytes and leaves alpha 0 in a 32-bit DIB.
    const uint32_t px = argb & 0x00FFFFFFu;
    for (wchar_t ch : shown) {
        const int64_t w = glyph_width(font, ch);
        if (x >= limit.right) break;
        // A one-pixel gap on the right of each box keeps characters countable.
        ui_rect box = ui_intersect(ui_rect{ui_clamp_coord(x), limit.top, ui_clamp_coord(x + w - 1), limit.bottom}, limit);
        if (ch != L' ' && !box.empty()) {
            for (int32_t yy = box.top; yy < box.bottom; ++yy)
                std::fill_n(pixels_.data() + static_cast<size_t>(yy) * static_cast<size_t>(buffer_size_.cx) + box.left,
                            box.width(), px);
        }
        x += w;
    }
}
