// A ui_platform without a window, for host tests and benchmarks: a frame
// buffer in memory, a recorded trail of what the core asked for, and a text
// stand-in that writes one box per character the way GDI writes text into a
// 32-bit bitmap (colour bytes with alpha 0).
#pragma once

#include <string>
#include <vector>

#include "ui/ui_platform.h"

class headless_platform : public ui_platform {
public:
    struct text_call {
        ui_rect rect;
        ui_rect clip;
        std::wstring text;
        ui_font font;
        uint32_t argb;
        unsigned style;
    };

    explicit headless_platform(int32_t width = 980, int32_t height = 420) : client_{width, height}, window_height_(height) {}

    ui_size client_size() override { return client_; }
    int32_t window_height() override { return window_height_; }
    void resize_window(int32_t width, int32_t height) override {
        client_ = ui_size{width, height};
        window_height_ = height;
        ++resizes;
    }
    void capture_mouse() override { captured = true; }
    void release_mouse() override { captured = false; }
    void track_mouse_leave() override { ++leave_tracking_requests; }
    void set_cursor(ui_cursor c) override { cursor = c; }
    void focus_window() override { ++focus_requests; }
    bool make_layered() override {
        if (!layered_supported) return false;
        layered = true;
        return true;
    }
    void invalidate(const ui_rect& area) override { invalidated.push_back(area); }
    ui_surface frame_buffer(int32_t width, int32_t height) override;
    void present(const ui_rect& dirty, bool layered_frame, uint8_t opacity) override {
        presented.push_back(dirty);
        last_present_layered = layered_frame;
        last_opacity = opacity;
    }
    void draw_text(const ui_rect& rect, const ui_rect& clip, const std::wstring& text, const ui_font& font,
                   uint32_t argb, unsigned style) override;
    ui_rect text_bounds(const ui_rect& rect, const std::wstring& text, const ui_font& font, unsigned style) override;
    uint32_t tick_count() override { return ticks; }
    void post_async_notify() override { ++async_posts; }

    // Sets the client size as a window resize by the user would (no resize_window call).
    void set_client_size(int32_t width, int32_t height) { client_ = ui_size{width, height}; window_height_ = height; }
    void set_window_height(int32_t height) { window_height_ = height; }
    ui_surface surface() { return ui_surface{pixels_.data(), buffer_size_.cx, buffer_size_.cy}; }

    // Width of the box drawn for one character of the font.
    static int64_t glyph_width(const ui_font& font, wchar_t ch) { return ch < 0x80 ? (int64_t(font.size) + 1) / 2 : font.size; }

    bool layered_supported = true;
    bool layered = false;
    bool captured = false;
    int leave_tracking_requests = 0;
    int focus_requests = 0;
    int resizes = 0;
    int async_posts = 0;
    uint32_t ticks = 1000;
    ui_cursor cursor = ui_cursor::arrow;
    std::vector<ui_rect> invalidated;
    std::vector<ui_rect> presented;
    bool last_present_layered = false;
    uint8_t last_opacity = 0;
    std::vector<text_call> texts;

private:
    ui_size client_;
    int32_t window_height_;
    std::vector<uint32_t> pixels_;
    ui_size buffer_size_;
};
