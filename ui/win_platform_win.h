// The Windows implementation of ui_platform for one window: the frame buffer as
// a 32-bit top-down DIB section selected into a memory DC (so GDI can draw text
// into the same pixels the core composes), the layered presentation through
// UpdateLayeredWindow, or a blit for an opaque window, and the window's fonts.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/ui_platform.h"

// UpdateLayeredWindow, looked up in user32 at run time; null when the system
// lacks it (the window then stays opaque).
using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
UpdateLayeredWindowFn LookUpUpdateLayeredWindow();
// UpdateLayeredWindowIndirect, which takes the area that changed; null when
// the system lacks it (or lacks UpdateLayeredWindow).
using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
UpdateLayeredWindowIndirectFn LookUpUpdateLayeredWindowIndirect();
// Tests: behave as if the system had no UpdateLayeredWindow (false) or look it
// up again (true).
void SetLayeredWindowsAvailable(bool available);

// The id of the timer that drives a layered window's paint passes, and its period.
constexpr UINT_PTR kLayeredTimerId = 0x2000;
constexpr UINT kLayeredTimerPeriodMs = 10;
// Posted to the window to deliver the queued asynchronous notifications.
constexpr UINT kAsyncNotifyMessage = WM_APP + 1;

// A GDI object (font, bitmap, region) deleted when its owner goes.
template <typename T>
class scoped_gdi {
public:
    scoped_gdi() = default;
    explicit scoped_gdi(T handle) : h_(handle) {}
    scoped_gdi(const scoped_gdi&) = delete;
    scoped_gdi& operator=(const scoped_gdi&) = delete;
    scoped_gdi(scoped_gdi&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    scoped_gdi& operator=(scoped_gdi&& other) noexcept {
        if (this != &other) reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    ~scoped_gdi() { reset(); }
    T get() const { return h_; }
    void reset(T handle = nullptr) {
        if (h_) ::DeleteObject(h_);
        h_ = handle;
    }

private:
    T h_ = nullptr;
};

class win_platform : public ui_platform {
public:
    // Takes the window's DC for the platform's whole life.
    explicit win_platform(HWND hwnd);
    ~win_platform() override;
    win_platform(const win_platform&) = delete;
    win_platform& operator=(const win_platform&) = delete;

    ui_size client_size() override;
    int32_t window_height() override;
    void resize_window(int32_t width, int32_t height) override;
    void capture_mouse() override;
    void release_mouse() override;
    void track_mouse_leave() override;
    void set_cursor(ui_cursor cursor) override;
    void focus_window() override;
    bool make_layered() override;
    void invalidate(const ui_rect& area) override;
    ui_surface frame_buffer(int32_t width, int32_t height) override;
    void present(const ui_rect& dirty, bool layered, uint8_t opacity) override;
    void draw_text(const ui_rect& rect, const ui_rect& clip, const std::wstring& text, const ui_font& font,
                   uint32_t argb, unsigned style) override;
    uint32_t tick_count() override;
    void post_async_notify() override;

    HWND window() const { return hwnd_; }
    HDC window_dc() const { return window_dc_; }
    // Stops the layered timer (the window is going away).
    void stop_timer();

    // The native font for a layout font: the default GUI font's description
    // with the face replaced, the default character set, height -size, weight
    // +700 when bold. Created once per distinct font and kept.
    HFONT font_for(const ui_font& font);

private:
    void release_buffer();

    HWND hwnd_;
    HDC window_dc_ = nullptr;
    HDC memory_dc_ = nullptr;
    scoped_gdi<HBITMAP> buffer_;
    HGDIOBJ old_bitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    ui_size buffer_size_;
    bool timer_running_ = false;
    std::vector<std::pair<ui_font, scoped_gdi<HFONT>>> fonts_;
};
