#include "ui/ui_task_queue_win.h"

#include <utility>

namespace {

const wchar_t kClassName[] = L"UninstUiTaskWindow";

}  // namespace

ui_task_window::ui_task_window()
    : queue_([this]() {
          // Runs on the posting thread with the queue locked; destroy() closes the
          // queue before it destroys the window, so the handle is still valid here.
          HWND hwnd = hwnd_.load();
          return hwnd != nullptr && PostMessageW(hwnd, wake_message, 0, 0) != FALSE;
      }) {}

ui_task_window::~ui_task_window() { destroy(); }

bool ui_task_window::create() {
    if (hwnd_.load() != nullptr) {
        return true;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ui_task_window::window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    HWND hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (hwnd == nullptr) {
        return false;
    }
    hwnd_.store(hwnd);
    return true;
}

void ui_task_window::destroy() {
    // Close first: once close() returns no worker is inside PostMessageW for this
    // window, and none will try again.
    queue_.close();
    HWND hwnd = hwnd_.exchange(nullptr);
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
}

bool ui_task_window::post(ui_task_queue::task change) {
    if (hwnd_.load() == nullptr) {
        return false;
    }
    return queue_.post(std::move(change));
}

void ui_task_window::run_and_poll(HWND hwnd, bool from_timer) {
    const size_t ran = queue_.run_pending(ui_task_queue::after_batch::poll);
    if (ran == 0) {
        // Back to wake-ups (the queue cleared its flag when it found nothing).
        if (from_timer) KillTimer(hwnd, poll_timer_id);
        return;
    }
    if (!from_timer && SetTimer(hwnd, poll_timer_id, poll_period_ms, nullptr) == 0) {
        // No timer: nobody would run what the workers post next, so go back to
        // wake-ups now (this also runs what was posted meanwhile).
        queue_.run_pending(ui_task_queue::after_batch::wake);
    }
}

LRESULT CALLBACK ui_task_window::window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (msg == wake_message || (msg == WM_TIMER && wparam == poll_timer_id)) {
        auto* self = reinterpret_cast<ui_task_window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            self->run_and_poll(hwnd, msg == WM_TIMER);
        }
        return 0;
    } else if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}
