// What the portable paint manager asks of the platform (the native window).
// The Windows layer implements it over one HWND; host tests and benchmarks use
// a headless implementation.
#pragma once

#include <cstdint>
#include <string>

#include "ui/ui_types.h"

// A font as the layout describes it; the platform turns it into a native font.
struct ui_font {
    std::wstring face;        // empty: the system's default GUI font face
    int size = 12;            // character height in pixels (the native height is -size)
    bool bold = false;        // weight raised by 700
    bool underline = false;
    bool italic = false;
    bool strikeout = false;
    bool operator==(const ui_font& o) const {
        return face == o.face && size == o.size && bold == o.bold && underline == o.underline &&
               italic == o.italic && strikeout == o.strikeout;
    }
};

// A view of a 32-bit top-down pixel buffer. Each pixel is 0xAARRGGBB as a
// uint32_t (bytes B, G, R, A in memory), colours premultiplied by alpha.
struct ui_surface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* row(int32_t y) const { return pixels + static_cast<size_t>(y) * static_cast<size_t>(width); }
    ui_rect bounds() const { return ui_rect{0, 0, width, height}; }
};

enum class ui_cursor { arrow, hand };

// Text style flags: the Windows DT_* values.
enum : unsigned {
    kTextLeft = 0x0000,
    kTextCenter = 0x0001,
    kTextRight = 0x0002,
    kTextVCenter = 0x0004,
    kTextSingleLine = 0x0020,
    kTextNoPrefix = 0x0800,
};

class ui_platform {
public:
    virtual ~ui_platform() = default;

    // Size of the window's client area.
    virtual ui_size client_size() = 0;
    // The window's current outer height (for a caption bottom of -1).
    virtual int32_t window_height() = 0;
    // Resizes the window; no move, no activation, no z-order change.
    virtual void resize_window(int32_t width, int32_t height) = 0;

    virtual void capture_mouse() = 0;
    virtual void release_mouse() = 0;
    // Asks to be told (on_mouse_leave) when the mouse leaves the window.
    virtual void track_mouse_leave() = 0;
    virtual void set_cursor(ui_cursor cursor) = 0;
    // Gives the window the keyboard focus (a button press on the window).
    virtual void focus_window() = 0;

    // Makes the window layered. Windows: adds WS_EX_LAYERED and starts the
    // 10 ms timer 0x2000. Returns false when the system cannot present layered
    // windows; the window then stays opaque.
    virtual bool make_layered() = 0;
    // Asks for a paint request of a non-layered window for this area.
    virtual void invalidate(const ui_rect& area) = 0;

    // The frame buffer for the composed picture, width x height pixels. The
    // platform keeps it (Windows: a DIB section selected into a memory DC, so
    // draw_text can write into it) until it is asked for another size; the
    // contents survive between calls with the same size.
    virtual ui_surface frame_buffer(int32_t width, int32_t height) = 0;
    // Presents the frame buffer. dirty is the repainted area. Layered:
    // UpdateLayeredWindow with per-pixel alpha and the opacity; otherwise a
    // blit of the dirty area to the window.
    virtual void present(const ui_rect& dirty, bool layered, uint8_t opacity) = 0;
    // Draws one line of text into the frame buffer, inside rect and clip. style
    // holds DT_* flags (single line, vertical centre, no prefix and the
    // alignment). argb is the text colour; the core never passes alpha 0 or
    // pure black. Pixels written with alpha 0 are made opaque by the core's
    // alpha fix-up afterwards.
    virtual void draw_text(const ui_rect& rect, const ui_rect& clip, const std::wstring& text, const ui_font& font,
                           uint32_t argb, unsigned style) = 0;

    // The part of rect that draw_text writes for this text: the core runs the
    // alpha fix-up only there. Must not be smaller than what draw_text
    // touches; the default, the whole rectangle, is always safe.
    virtual ui_rect text_bounds(const ui_rect& rect, const std::wstring& text, const ui_font& font, unsigned style) {
        (void)text;
        (void)font;
        (void)style;
        return rect;
    }

    // Milliseconds of the system tick count (notification timestamps).
    virtual uint32_t tick_count() = 0;
    // Asks for DeliverAsyncNotify to be called later on the UI thread
    // (Windows: posts WM_APP + 1 to the window).
    virtual void post_async_notify() = 0;
};
