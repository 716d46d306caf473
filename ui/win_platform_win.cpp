#include "ui/win_platform_win.h"

#include <cwchar>

namespace {

struct layered_lookup {
    bool done = false;
    bool disabled = false;
    UpdateLayeredWindowFn fn = nullptr;
    UpdateLayeredWindowIndirectFn indirect = nullptr;
};

layered_lookup& layered_state() {
    static layered_lookup state;
    return state;
}

}  // namespace

UpdateLayeredWindowFn LookUpUpdateLayeredWindow() {
    layered_lookup& s = layered_state();
    if (s.disabled) return nullptr;
    if (!s.done) {
        s.done = true;
        if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
            s.fn = reinterpret_cast<UpdateLayeredWindowFn>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindow")));
            s.indirect = reinterpret_cast<UpdateLayeredWindowIndirectFn>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindowIndirect")));
        }
    }
    return s.fn;
}

UpdateLayeredWindowIndirectFn LookUpUpdateLayeredWindowIndirect() {
    return LookUpUpdateLayeredWindow() ? layered_state().indirect : nullptr;
}

void SetLayeredWindowsAvailable(bool available) {
    layered_state().disabled = !available;
    layered_state().done = false;
}

win_platform::win_platform(HWND hwnd) : hwnd_(hwnd) {
    window_dc_ = ::GetDC(hwnd_);
    memory_dc_ = ::CreateCompatibleDC(window_dc_);
}

win_platform::~win_platform() {
    stop_timer();
    release_buffer();
    fonts_.clear();
    if (memory_dc_) ::DeleteDC(memory_dc_);
    if (window_dc_) ::ReleaseDC(hwnd_, window_dc_);
}

void win_platform::release_buffer() {
    if (old_bitmap_ && memory_dc_) ::SelectObject(memory_dc_, old_bitmap_);
    old_bitmap_ = nullptr;
    buffer_.reset();
    pixels_ = nullptr;
    buffer_size_ = ui_size{};
}

ui_size win_platform::client_size() {
    RECT rc = {};
    ::GetClientRect(hwnd_, &rc);
    return ui_size{rc.right - rc.left, rc.bottom - rc.top};
}

int32_t win_platform::window_height() {
    RECT rc = {};
    ::GetWindowRect(hwnd_, &rc);
    return rc.bottom - rc.top;
}

void win_platform::resize_window(int32_t width, int32_t height) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void win_platform::capture_mouse() { ::SetCapture(hwnd_); }

void win_platform::release_mouse() {
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
}

void win_platform::track_mouse_leave() {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | TME_HOVER;
    track.hwndTrack = hwnd_;
    track.dwHoverTime = HOVER_DEFAULT;
    ::TrackMouseEvent(&track);
}

void win_platform::set_cursor(ui_cursor cursor) {
    ::SetCursor(::LoadCursorW(nullptr, cursor == ui_cursor::hand ? MAKEINTRESOURCEW(32649)    // IDC_HAND
                                                                  : MAKEINTRESOURCEW(32512)));  // IDC_ARROW
}

void win_platform::focus_window() { ::SetFocus(hwnd_); }

bool win_platform::make_layered() {
    if (!LookUpUpdateLayeredWindow()) return false;
    LONG_PTR ex_style = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex_style | WS_EX_LAYERED);
    // Layered windows get no paint requests: the timer runs the pending paint passes.
    timer_running_ = ::SetTimer(hwnd_, kLayeredTimerId, kLayeredTimerPeriodMs, nullptr) != 0;
    return true;
}

void win_platform::stop_timer() {
    if (timer_running_) ::KillTimer(hwnd_, kLayeredTimerId);
    timer_running_ = false;
}

void win_platform::invalidate(const ui_rect& area) {
    RECT rc = {area.left, area.top, area.right, area.bottom};
    ::InvalidateRect(hwnd_, &rc, FALSE);
}

ui_surface win_platform::frame_buffer(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || !memory_dc_) return ui_surface{};
    if (pixels_ && buffer_size_.cx == width && buffer_size_.cy == height) {
        return ui_surface{pixels_, width, height};
    }
    release_buffer();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the core composes
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(window_dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) ::DeleteObject(bitmap);
        return ui_surface{};
    }
    buffer_.reset(bitmap);
    old_bitmap_ = ::SelectObject(memory_dc_, bitmap);
    pixels_ = static_cast<uint32_t*>(bits);
    buffer_size_ = ui_size{width, height};
    return ui_surface{pixels_, width, height};
}

void win_platform::present(const ui_rect& dirty, bool layered, uint8_t opacity) {
    if (!pixels_) return;
    ::GdiFlush();
    UpdateLayeredWindowFn update = layered ? LookUpUpdateLayeredWindow() : nullptr;
    if (update) {
        RECT window = {};
        ::GetWindowRect(hwnd_, &window);
        POINT position = {window.left, window.top};
        SIZE size = {buffer_size_.cx, buffer_size_.cy};
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
        // Naming the area that changed spares the system blending and copying
        // the rest of the window (under Wine a fifth of the cost of a frame of
        // the progress page); the rest of its copy is still the last picture.
        if (UpdateLayeredWindowIndirectFn indirect = LookUpUpdateLayeredWindowIndirect()) {
            RECT area = {dirty.left, dirty.top, dirty.right, dirty.bottom};
            UPDATELAYEREDWINDOWINFO info = {sizeof(info), nullptr, &position, &size, memory_dc_, &source, 0,
                                            &blend, ULW_ALPHA, &area};
            if (indirect(hwnd_, &info)) return;
        }
        update(hwnd_, nullptr, &position, &size, memory_dc_, &source, 0, &blend, ULW_ALPHA);
        return;
    }
    ::BitBlt(window_dc_, dirty.left, dirty.top, dirty.width(), dirty.height(), memory_dc_, dirty.left, dirty.top,
             SRCCOPY);
}

HFONT win_platform::font_for(const ui_font& font) {
    for (auto& entry : fonts_) {
        if (entry.first == font) return entry.second.get();
    }
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (!font.face.empty()) {
        // A face name holds at most 31 characters and its terminator.
        size_t n = font.face.size() < LF_FACESIZE - 1 ? font.face.size() : LF_FACESIZE - 1;
        std::wmemcpy(lf.lfFaceName, font.face.data(), n);
        lf.lfFaceName[n] = L'\0';
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -font.size;
    if (font.bold) lf.lfWeight += FW_BOLD;
    if (font.underline) lf.lfUnderline = TRUE;
    if (font.italic) lf.lfItalic = TRUE;
    if (font.strikeout) lf.lfStrikeOut = TRUE;
    HFONT handle = ::CreateFontIndirectW(&lf);
    fonts_.emplace_back(font, scoped_gdi<HFONT>(handle));
    return handle;
}

void win_platform::draw_text(const ui_rect& rect, const ui_rect& clip, const std::wstring& text, const ui_font& font,
                             uint32_t argb, unsigned style) {
    if (!pixels_ || text.empty()) return;
    HFONT hfont = font_for(font);
    HGDIOBJ old_font = hfont ? ::SelectObject(memory_dc_, hfont) : nullptr;
    ::SetBkMode(memory_dc_, TRANSPARENT);
    ::SetTextColor(memory_dc_, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    scoped_gdi<HRGN> region(::CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom));
    ::SelectClipRgn(memory_dc_, region.get());
    RECT rc = {rect.left, rect.top, rect.right, rect.bottom};
    ::DrawTextW(memory_dc_, text.c_str(), static_cast<int>(text.size()), &rc, style);
    ::SelectClipRgn(memory_dc_, nullptr);
    if (old_font) ::SelectObject(memory_dc_, old_font);
    // GDI may batch; the core reads the pixels (alpha fix-up) right after.
    ::GdiFlush();
}

uint32_t win_platform::tick_count() { return ::GetTickCount(); }

void win_platform::post_async_notify() { ::PostMessageW(hwnd_, kAsyncNotifyMessage, 0, 0); }
