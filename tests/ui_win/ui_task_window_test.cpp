// The hidden window that wakes the UI thread, with a real message loop: a worker
// thread posts, the test's thread (the UI thread) runs GetMessage/DispatchMessage
// until the worker's last change has run.
#include "ui/ui_task_queue_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <thread>
#include <vector>

namespace {

// Pumps the thread's messages until `done` holds or a quit message arrives.
template <typename Pred>
void pump_until(Pred done) {
    MSG msg;
    while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST(UiTaskWindow, WorkerChangesRunInOrderOnTheUiThread) {
    ui_task_window tasks;
    ASSERT_TRUE(tasks.create());
    HWND hwnd = tasks.window();
    ASSERT_NE(hwnd, nullptr);
    // A message-only window: its parent is the message-only desktop, it is never visible.
    EXPECT_FALSE(IsWindowVisible(hwnd));

    const DWORD ui_thread = GetCurrentThreadId();
    constexpr int kChanges = 20000;
    std::vector<int> seen;  // touched only on the UI thread
    std::atomic<bool> wrong_thread{false};
    bool finished = false;

    std::thread worker([&] {
        for (int i = 0; i < kChanges; ++i) {
            tasks.post([&, i] {
                if (GetCurrentThreadId() != ui_thread) {
                    wrong_thread = true;
                }
                seen.push_back(i);
            });
        }
        tasks.post([&] { finished = true; });
    });
    pump_until([&] { return finished; });
    worker.join();

    EXPECT_FALSE(wrong_thread);
    ASSERT_EQ(seen.size(), static_cast<size_t>(kChanges));
    for (int i = 0; i < kChanges; ++i) {
        ASSERT_EQ(seen[i], i);
    }
    tasks.destroy();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(UiTaskWindow, WakeUpsAreCoalescedIntoOneMessage) {
    ui_task_window tasks;
    ASSERT_TRUE(tasks.create());
    int sum = 0;
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(tasks.post([&sum] { ++sum; }));
    }
    // Exactly one wake message waits in the thread's queue for 500 changes.
    int wake_messages = 0;
    MSG msg;
    while (PeekMessageW(&msg, tasks.window(), ui_task_window::wake_message, ui_task_window::wake_message,
                        PM_REMOVE)) {
        ++wake_messages;
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(wake_messages, 1);
    EXPECT_EQ(sum, 500);
    // Right after a drain that found changes the window polls on its timer: a
    // further post sends no wake message and still runs.
    ASSERT_TRUE(tasks.post([&sum] { sum += 1000; }));
    EXPECT_FALSE(PeekMessageW(&msg, tasks.window(), ui_task_window::wake_message, ui_task_window::wake_message,
                              PM_NOREMOVE));
    pump_until([&] { return sum == 1500; });
    EXPECT_EQ(sum, 1500);
    // A poll that finds nothing stops the timer; the next post wakes again.
    for (int i = 0; i < 5; ++i) {
        Sleep(ui_task_window::poll_period_ms * 2);
        while (PeekMessageW(&msg, tasks.window(), 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ASSERT_TRUE(tasks.post([&sum] { sum += 1000; }));
    EXPECT_TRUE(PeekMessageW(&msg, tasks.window(), ui_task_window::wake_message, ui_task_window::wake_message,
                             PM_NOREMOVE));
    pump_until([&] { return sum == 2500; });
    EXPECT_EQ(sum, 2500);
}

BOOL CALLBACK close_message_box(HWND hwnd, LPARAM closed) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (wcscmp(cls, L"#32770") == 0) {
        PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        *reinterpret_cast<bool*>(closed) = true;
        return FALSE;
    }
    return TRUE;
}

TEST(UiTaskWindow, ChangesRunInsideAMessageBoxOfTheUiThread) {
    // The UI thread sits in a message box's modal loop; the worker's change must
    // run there, and it is the change that ends the box. Were it not dispatched
    // inside the modal loop, MessageBoxW would never return.
    ui_task_window tasks;
    ASSERT_TRUE(tasks.create());
    const DWORD ui_thread = GetCurrentThreadId();
    std::atomic<bool> box_shown{false};
    bool closed_by_change = false;
    std::thread worker([&] {
        // Wait for the box to exist so the change surely runs inside its loop.
        while (!box_shown) {
            EnumThreadWindows(ui_thread, [](HWND hwnd, LPARAM shown) -> BOOL {
                wchar_t cls[32] = {};
                GetClassNameW(hwnd, cls, 32);
                if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
                    reinterpret_cast<std::atomic<bool>*>(shown)->store(true);
                    return FALSE;
                }
                return TRUE;
            }, reinterpret_cast<LPARAM>(&box_shown));
            Sleep(10);
        }
        tasks.post([&] {
            EnumThreadWindows(GetCurrentThreadId(), close_message_box, reinterpret_cast<LPARAM>(&closed_by_change));
        });
    });
    int answer = MessageBoxW(nullptr, L"ui task window test", L"test", MB_OK);
    worker.join();
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(closed_by_change);
}

TEST(UiTaskWindow, PostAfterDestroyIsRefusedAndNothingRuns) {
    ui_task_window tasks;
    EXPECT_FALSE(tasks.post([] {})) << "no window yet";
    ASSERT_TRUE(tasks.create());
    bool ran = false;
    ASSERT_TRUE(tasks.post([&] { ran = true; }));
    tasks.destroy();  // the pending change is dropped with the window
    EXPECT_FALSE(tasks.post([&] { ran = true; }));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
    EXPECT_FALSE(ran);
}

TEST(UiTaskWindow, WorkersPostingWhileTheWindowIsDestroyedDoNotCrash) {
    for (int round = 0; round < 20; ++round) {
        ui_task_window tasks;
        ASSERT_TRUE(tasks.create());
        std::atomic<bool> go{true};
        std::atomic<int> accepted{0};
        std::thread worker([&] {
            while (go) {
                if (tasks.post([] {})) {
                    ++accepted;
                }
            }
        });
        while (accepted < 100) {
            std::this_thread::yield();
        }
        tasks.destroy();
        go = false;
        worker.join();
        EXPECT_FALSE(tasks.post([] {}));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace
