// The Windows side of the hand-off to the UI thread: a hidden message-only window
// owned by the UI thread. A post appends to the queue and, when no wake-up is
// outstanding, posts one message to that window; the window's procedure then
// runs every queued change on the UI thread. Message-only windows receive posted
// messages inside any message loop of their thread (also a message box's), and
// never show up in the task bar or in window enumeration. After a wake-up that
// found changes, the window polls the queue on a short timer instead of being
// woken for every change, until a poll finds the queue empty: a worker posting
// thousands of changes a second then costs tens of messages, not thousands.
#pragma once

#include "ui/ui_task_queue.h"

#include <atomic>

#include <windows.h>

class ui_task_window {
public:
    ui_task_window();
    ~ui_task_window();  // UI thread; same as destroy()
    ui_task_window(const ui_task_window&) = delete;
    ui_task_window& operator=(const ui_task_window&) = delete;

    // UI thread: creates the hidden window; the calling thread becomes the UI
    // thread that runs the changes. False when the window cannot be created.
    bool create();
    // UI thread: refuses further posts, drops changes not yet run, destroys the
    // window. Safe against workers posting at the same moment.
    void destroy();

    // Any thread; never waits for the UI thread. False after destroy() (or
    // before create()): the change is dropped.
    bool post(ui_task_queue::task change);

    HWND window() const { return hwnd_.load(); }
    ui_task_queue& queue() { return queue_; }

    // The message that wakes the window and the timer that polls while changes
    // keep coming; exposed for tests.
    static constexpr UINT wake_message = WM_APP + 0x2A;
    static constexpr UINT_PTR poll_timer_id = 1;
    static constexpr UINT poll_period_ms = 10;

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    void run_and_poll(HWND hwnd, bool from_timer);

    std::atomic<HWND> hwnd_{nullptr};
    ui_task_queue queue_;
};
