// The window host and the paint manager's window side with real (hidden)
// windows under Wine: hit testing with the caption rectangle, closing, the
// pre-message handling of the loop, asynchronous notifications, fonts and GDI
// text into the frame buffer, centring and icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/paint_manager_win.h"
#include "ui/win_platform_win.h"
#include "ui/window_impl_base_win.h"

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"300,200\" caption=\"%CAPTION%\" layeredimage=\"\">"
    L"<VerticalLayout name=\"root\">"
    L"<HorizontalLayout name=\"page\" width=\"300\" height=\"200\">"
    L"<Button name=\"btn\" float=\"true\" pos=\"10,10\" width=\"50\" height=\"30\" />"
    L"<CheckBox name=\"chk\" float=\"true\" pos=\"100,10\" width=\"20\" height=\"20\" />"
    L"<Label name=\"lab\" float=\"true\" pos=\"10,100\" width=\"100\" height=\"20\" text=\"x\" />"
    L"</HorizontalLayout></VerticalLayout></Window>";

// A window built from markup text (no archive), recording what reaches it.
class test_window : public WindowImplBase {
public:
    explicit test_window(const std::wstring& caption = L"0,0,0,-1") {
        layout_ = kLayout;
        layout_.replace(layout_.find(L"%CAPTION%"), 9, caption);
    }
    LPCWSTR GetWindowClass() const override { return L"UiWindowLayerTest"; }
    CDuiString GetLayoutFolder() override { return CDuiString(L""); }
    CDuiString GetLayoutFile() override { return CDuiString(layout_.c_str()); }
    void InitWindow() override { ++init_calls; }
    void Notify(TNotifyUI& msg) override {
        notifications.push_back(msg.sType.str());
        WindowImplBase::Notify(msg);
    }
    void OnFinalMessage(HWND hwnd) override {
        WindowImplBase::OnFinalMessage(hwnd);
        final_called = true;
    }

    // Creates the window and runs its messages until the first paint pass has
    // laid the controls out ("windowinit").
    HWND make(int x = 100, int y = 100) {
        HWND hwnd = Create(nullptr, L"test", WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW, x, y, 600, 800);
        MSG msg;
        while (hwnd && std::find(notifications.begin(), notifications.end(), L"windowinit") == notifications.end() &&
               GetMessageW(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&msg);
        }
        return hwnd;
    }

    int init_calls = 0;
    bool final_called = false;
    std::vector<std::wstring> notifications;

private:
    std::wstring layout_;
};

LRESULT hit(HWND hwnd, int cx, int cy) {
    POINT pt = {cx, cy};
    ClientToScreen(hwnd, &pt);
    return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

TEST(WindowHost, CreationBuildsTheLayoutWithoutCaptionBits) {
    test_window w;
    HWND hwnd = w.make();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(w.init_calls, 1);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 300) << "the layout's size replaces the creation size";
    EXPECT_EQ(rc.bottom - rc.top, 200);
    GetClientRect(hwnd, &rc);
    EXPECT_EQ(rc.right, 300) << "the client area is the whole window";
    EXPECT_EQ(rc.bottom, 200);
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0) << "layeredimage makes it layered";
    EXPECT_TRUE(w.m_pm.IsLayered());
    EXPECT_NE(w.m_pm.FindControl(L"btn"), nullptr);
    DestroyWindow(hwnd);
    EXPECT_TRUE(w.final_called);
}

struct hit_case {
    const wchar_t* caption;
    int x, y;
    LRESULT expected;
    const char* what;
};

TEST(WindowHost, HitTestDragsByTheCaptionAreaExceptOverButtonsAndCheckBoxes) {
    const hit_case cases[] = {
        {L"0,0,0,-1", 150, 150, HTCAPTION, "background"},
        {L"0,0,0,-1", 20, 105, HTCAPTION, "label"},
        {L"0,0,0,-1", 20, 20, HTCLIENT, "button"},
        {L"0,0,0,-1", 105, 15, HTCLIENT, "check box"},
        {L"0,0,0,-1", 299, 199, HTCAPTION, "last pixel of the window"},
        {L"20,0,30,50", 10, 10, HTCLIENT, "left of the caption"},
        {L"20,0,30,50", 270, 10, HTCLIENT, "at the caption's right edge"},
        {L"20,0,30,50", 269, 10, HTCAPTION, "just inside the right edge"},
        {L"20,0,30,50", 150, 49, HTCAPTION, "last caption row"},
        {L"20,0,30,50", 150, 50, HTCLIENT, "below the caption"},
        {L"0,10,0,-1", 150, 5, HTCLIENT, "above the caption"},
    };
    for (const hit_case& c : cases) {
        test_window w(c.caption);
        HWND hwnd = w.make();
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(hit(hwnd, c.x, c.y), c.expected) << c.what << " with caption " << std::string(c.caption, c.caption + wcslen(c.caption));
        DestroyWindow(hwnd);
    }
}

TEST(WindowHost, FirstHitTestFixesTheCaptionHeight) {
    test_window w;
    HWND hwnd = w.make();
    ASSERT_EQ(hit(hwnd, 150, 150), HTCAPTION);  // fixes the bottom at 200
    SetWindowPos(hwnd, nullptr, 0, 0, 300, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(hit(hwnd, 150, 199), HTCAPTION);
    EXPECT_EQ(hit(hwnd, 150, 300), HTCLIENT) << "a later resize does not move the caption's bottom";
    DestroyWindow(hwnd);
}

TEST(WindowHost, IsHTCaptionFlagWithoutControlIsNo) {
    test_window w;
    EXPECT_FALSE(w.IsHTCaptionFlag(nullptr));
}

TEST(WindowHost, SystemCloseDestroysTheWindowAndDetachesItsReceivers) {
    test_window w;
    HWND hwnd = w.make();
    CControlUI* btn = w.m_pm.FindControl(L"btn");
    ASSERT_NE(btn, nullptr);
    w.m_pm.SendNotify(btn, L"probe");
    ASSERT_EQ(w.notifications.back(), L"probe") << "the window is a notifier while it lives";
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(w.final_called);
    EXPECT_EQ(w.m_pm.GetPaintWindow(), nullptr);
    EXPECT_EQ(w.m_pm.GetPlatform(), nullptr) << "nothing may paint into a destroyed window";
    size_t before = w.notifications.size();
    w.m_pm.SendNotify(btn, L"late");
    EXPECT_EQ(w.notifications.size(), before) << "no notifications after the window is gone";
    // A change after the window is gone is kept and paints nothing.
    btn->SetText(L"after");
    pump();
}

class recording_filter : public IMessageFilterUI {
public:
    recording_filter(std::vector<int>& calls, int id, bool swallow) : calls_(calls), id_(id), swallow_(swallow) {}
    LRESULT MessageHandler(UINT msg, WPARAM wparam, LPARAM, bool& handled) override {
        if (msg == WM_KEYDOWN && wparam == 'A') {
            calls_.push_back(id_);
            handled = swallow_;
        }
        return 0;
    }

private:
    std::vector<int>& calls_;
    int id_;
    bool swallow_;
};

MSG key_message(HWND hwnd, WPARAM key) {
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return msg;
}

bool close_posted(HWND hwnd) {
    MSG msg;
    return PeekMessageW(&msg, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

TEST(MessageLoop, FiltersRunInOrderAndAHandledMessageStopsThere) {
    test_window w;
    HWND hwnd = w.make();
    std::vector<int> calls;
    recording_filter first(calls, 1, false), second(calls, 2, true), third(calls, 3, false);
    w.m_pm.AddMessageFilter(&first);
    w.m_pm.AddMessageFilter(&second);
    w.m_pm.AddMessageFilter(&third);
    EXPECT_FALSE(w.m_pm.AddMessageFilter(&first)) << "a filter is added once";
    MSG msg = key_message(hwnd, 'A');
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(calls, std::vector<int>({1, 2}));
    // Messages of windows without a paint manager are left alone.
    MSG other = key_message(GetDesktopWindow(), 'A');
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&other));
    EXPECT_TRUE(w.m_pm.RemoveMessageFilter(&second));
    calls.clear();
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(calls, std::vector<int>({1, 3}));
    w.m_pm.RemoveMessageFilter(&first);
    w.m_pm.RemoveMessageFilter(&third);
    DestroyWindow(hwnd);
}

TEST(MessageLoop, EscapeClosesReturnDoesNothingAndNeitherIsSwallowed) {
    test_window w;
    HWND hwnd = w.make();
    pump();
    MSG ret = key_message(hwnd, VK_RETURN);
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&ret));
    EXPECT_FALSE(close_posted(hwnd));
    MSG esc = key_message(hwnd, VK_ESCAPE);
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&esc)) << "the key still reaches the window";
    EXPECT_TRUE(close_posted(hwnd)) << "Escape posts WM_CLOSE";
    DestroyWindow(hwnd);
}

TEST(MessageLoop, TabMovesTheFocusAndIsSwallowed) {
    test_window w;
    HWND hwnd = w.make();
    CControlUI* btn = w.m_pm.FindControl(L"btn");
    CControlUI* chk = w.m_pm.FindControl(L"chk");
    MSG tab = key_message(hwnd, VK_TAB);
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&tab));
    EXPECT_EQ(w.m_pm.GetFocus(), btn);
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&tab));
    EXPECT_EQ(w.m_pm.GetFocus(), chk);
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&tab));
    EXPECT_EQ(w.m_pm.GetFocus(), btn) << "wraps around";
    DestroyWindow(hwnd);
}

TEST(MessageLoop, AsynchronousNotificationsArriveThroughTheQueue) {
    test_window w;
    HWND hwnd = w.make();
    pump();
    CControlUI* btn = w.m_pm.FindControl(L"btn");
    w.notifications.clear();
    w.m_pm.SendNotify(btn, L"later", 0, 0, true);
    w.m_pm.SendNotify(btn, L"later", 0, 0, true, false);  // same sender and type: updates the queued one
    EXPECT_TRUE(w.notifications.empty()) << "not delivered synchronously";
    pump();
    EXPECT_EQ(w.notifications, std::vector<std::wstring>({L"later"}));
    DestroyWindow(hwnd);
}

TEST(MessageLoop, QuitEndsTheLoop) {
    // The loop dispatches what came before the quit message, then returns.
    test_window w;
    HWND hwnd = w.make();
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    PostQuitMessage(0);
    CPaintManagerUI::MessageLoop();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(w.final_called);
}

TEST(Fonts, NativeFontFollowsTheLayoutFont) {
    test_window w;
    HWND hwnd = w.make();
    win_platform* platform = GetWindowPlatform(w.m_pm);
    ASSERT_NE(platform, nullptr);
    LOGFONTW gui = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);

    struct font_case {
        ui_font font;
        const wchar_t* face;
        LONG weight;
    };
    ui_font plain;
    plain.face = L"宋体";
    plain.size = 20;
    ui_font bold = plain;
    bold.bold = true;
    bold.size = 14;
    ui_font unnamed;  // the default GUI font's face
    unnamed.size = 12;
    ui_font decorated = plain;
    decorated.underline = decorated.italic = decorated.strikeout = true;
    const font_case cases[] = {
        {plain, L"宋体", gui.lfWeight},
        {bold, L"宋体", gui.lfWeight + 700},
        {unnamed, gui.lfFaceName, gui.lfWeight},
        {decorated, L"宋体", gui.lfWeight},
    };
    for (const font_case& c : cases) {
        HFONT handle = platform->font_for(c.font);
        ASSERT_NE(handle, nullptr);
        LOGFONTW lf = {};
        ASSERT_EQ(GetObjectW(handle, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_STREQ(lf.lfFaceName, c.face);
        EXPECT_EQ(lf.lfHeight, -c.font.size) << "a character height, not a cell height";
        EXPECT_EQ(lf.lfWeight, c.weight);
        EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(lf.lfUnderline != 0, c.font.underline);
        EXPECT_EQ(lf.lfItalic != 0, c.font.italic);
        EXPECT_EQ(lf.lfStrikeOut != 0, c.font.strikeout);
        EXPECT_EQ(platform->font_for(c.font), handle) << "created once";
    }
    ui_font long_face = plain;
    long_face.face = std::wstring(40, L'x');
    LOGFONTW lf = {};
    GetObjectW(platform->font_for(long_face), sizeof(lf), &lf);
    EXPECT_EQ(wcslen(lf.lfFaceName), 31u) << "a face name holds 31 characters";
    DestroyWindow(hwnd);
}

TEST(Text, GdiTextLandsInTheFrameBufferInsideTheClip) {
    test_window w;
    HWND hwnd = w.make();
    win_platform* platform = GetWindowPlatform(w.m_pm);
    ASSERT_NE(platform, nullptr);
    ui_surface s = platform->frame_buffer(300, 200);
    ASSERT_NE(s.pixels, nullptr);
    std::fill(s.pixels, s.pixels + 300 * 200, 0u);
    ui_font font;
    font.face = L"宋体";
    font.size = 20;
    const unsigned style = kTextSingleLine | kTextVCenter | kTextNoPrefix;
    platform->draw_text(ui_rect{0, 100, 300, 140}, ui_rect{0, 100, 60, 140}, L"WWWWWWWWWWWWWWWW", font, 0xFF00FF00u,
                        style);
    int inside = 0, outside = 0, above = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            uint32_t p = s.row(y)[x];
            if (p == 0) continue;
            if (y < 100 || y >= 140) ++above;
            else if (x < 60) ++inside;
            else ++outside;
            // Written by GDI: green only, the core's alpha fix-up makes it opaque.
            EXPECT_EQ(p & 0x00FF00FFu, 0u) << x << "," << y;
        }
    }
    EXPECT_GT(inside, 50) << "the text is drawn into the top-down buffer at its rectangle";
    EXPECT_EQ(outside, 0) << "nothing beyond the clip";
    EXPECT_EQ(above, 0) << "nothing outside the text rectangle";
    DestroyWindow(hwnd);
}

TEST(Text, NoPrefixShowsTheAmpersand) {
    // "&&" with prefix processing draws one ampersand; without, two.
    test_window w;
    HWND hwnd = w.make();
    win_platform* platform = GetWindowPlatform(w.m_pm);
    ui_surface s = platform->frame_buffer(300, 200);
    ui_font font;
    font.size = 20;
    auto ink_width = [&](unsigned style) {
        std::fill(s.pixels, s.pixels + 300 * 200, 0u);
        platform->draw_text(ui_rect{0, 0, 300, 40}, ui_rect{0, 0, 300, 40}, L"&&&&", font, 0xFFFFFFFFu, style);
        int right = -1;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 300; ++x)
                if (s.row(y)[x] != 0) right = std::max(right, x);
        return right;
    };
    int with_prefix = ink_width(kTextSingleLine);
    int without_prefix = ink_width(kTextSingleLine | kTextNoPrefix);
    EXPECT_GT(without_prefix, with_prefix + 5);
    DestroyWindow(hwnd);
}

RECT work_area(HWND hwnd) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

TEST(WindowHost, CenterWindowUsesTheWorkAreaOrTheOwner) {
    test_window w;
    HWND hwnd = w.make(0, 0);
    w.CenterWindow();
    RECT rc, work = work_area(hwnd);
    GetWindowRect(hwnd, &rc);
    EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_EQ(rc.right - rc.left, 300) << "moved, not resized";

    // Over an owner near the right edge: centred on it, then pulled back inside.
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, work.right - 100, work.top + 200, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    test_window owned;
    HWND owned_hwnd = owned.Create(owner, L"owned", WS_POPUP, 0, 0, 0, 600, 800);
    ASSERT_NE(owned_hwnd, nullptr);
    owned.CenterWindow();
    GetWindowRect(owned_hwnd, &rc);
    EXPECT_EQ(rc.right, work.right) << "kept inside the work area";
    EXPECT_NEAR((rc.top + rc.bottom) / 2, work.top + 250, 1) << "centred on the owner vertically";
    DestroyWindow(owned_hwnd);
    DestroyWindow(owner);
    DestroyWindow(hwnd);
}

int icon_width(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

TEST(WindowHost, SetIconLoadsBothSizesRoundedUpToSixteen) {
    // This test program carries the wizard's icons 104 to 107.
    test_window w;
    HWND hwnd = w.make();
    auto round16 = [](int v) { return (v + 15) / 16 * 16; };
    for (UINT id : {104u, 105u, 106u, 107u}) {
        w.SetIcon(id);
        auto big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
        auto small_icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
        ASSERT_NE(big, nullptr) << id;
        ASSERT_NE(small_icon, nullptr) << id;
        EXPECT_EQ(icon_width(big), round16(GetSystemMetrics(SM_CXICON))) << id;
        EXPECT_EQ(icon_width(small_icon), round16(GetSystemMetrics(SM_CXSMICON))) << id;
    }
    // An unknown id leaves the icons as they were.
    auto before = SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0);
    w.SetIcon(999);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), before);
    DestroyWindow(hwnd);
}

TEST(WindowHost, SkinIconsDifferPerPlatform) {
    // The four icons are distinct pictures, not one icon four times.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<std::vector<uint32_t>> pictures;
    for (UINT id : {104u, 105u, 106u, 107u}) {
        auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(icon, nullptr) << id;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        std::vector<uint32_t> bits(32 * 32);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = 32;
        bi.bmiHeader.biHeight = -32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, info.hbmColor, 0, 32, bits.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
        pictures.push_back(bits);
    }
    for (size_t i = 0; i < pictures.size(); ++i)
        for (size_t j = i + 1; j < pictures.size(); ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " vs " << j;
}

}  // namespace
