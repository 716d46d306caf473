// The hand-off to the UI thread, with real threads: a "UI thread" that drains the
// queue when woken (as the hidden window does on Windows) and workers that post.
#include "ui/ui_task_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A stand-in for the Windows message queue of the UI thread: wake() counts and
// signals, the UI thread waits for a signal and drains.
class fake_ui_thread {
public:
    bool wake() {
        std::lock_guard<std::mutex> hold(m_);
        ++wakes_;
        ++signals_;
        cv_.notify_one();
        return true;
    }
    // Waits for a wake-up (or stop) and returns false once stopped with nothing to do.
    bool wait_for_wake() {
        std::unique_lock<std::mutex> hold(m_);
        cv_.wait(hold, [&] { return signals_ > 0 || stop_; });
        if (signals_ == 0) {
            return false;
        }
        --signals_;
        return true;
    }
    void stop() {
        std::lock_guard<std::mutex> hold(m_);
        stop_ = true;
        cv_.notify_one();
    }
    int wakes() {
        std::lock_guard<std::mutex> hold(m_);
        return wakes_;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    int wakes_ = 0;
    int signals_ = 0;
    bool stop_ = false;
};

TEST(UiTaskQueue, RunsEveryChangeOfEveryWorkerInOrderOnTheUiThread) {
    constexpr int kWorkers = 4;
    constexpr int kPerWorker = 5000;
    fake_ui_thread ui;
    ui_task_queue queue([&] { return ui.wake(); });

    // Only the UI thread touches `seen` (no lock): a change that ran elsewhere
    // would show up as a wrong thread id, and under TSan as a race.
    std::vector<std::vector<int>> seen(kWorkers);
    std::thread::id ui_id;
    std::atomic<bool> wrong_thread{false};
    std::atomic<int> done_workers{0};

    std::thread ui_thread([&] {
        ui_id = std::this_thread::get_id();
        while (ui.wait_for_wake()) {
            queue.run_pending();
        }
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            for (int i = 0; i < kPerWorker; ++i) {
                ASSERT_TRUE(queue.post([&, w, i] {
                    if (std::this_thread::get_id() != ui_id) {
                        wrong_thread = true;
                    }
                    seen[w].push_back(i);
                }));
            }
            ++done_workers;
        });
    }
    for (auto& t : workers) {
        t.join();
    }
    // Every post has returned; one more wake-up drains whatever is left.
    std::atomic<bool> last_ran{false};
    ASSERT_TRUE(queue.post([&] { last_ran = true; }));
    while (!last_ran) {
        std::this_thread::yield();
    }
    ui.stop();
    ui_thread.join();

    EXPECT_FALSE(wrong_thread);
    for (int w = 0; w < kWorkers; ++w) {
        ASSERT_EQ(seen[w].size(), static_cast<size_t>(kPerWorker)) << "worker " << w;
        for (int i = 0; i < kPerWorker; ++i) {
            ASSERT_EQ(seen[w][i], i) << "worker " << w << " change out of order";
        }
    }
    // Coalescing: far fewer wake-ups than changes.
    EXPECT_LT(ui.wakes(), kWorkers * kPerWorker);
}

TEST(UiTaskQueue, PostNeverWaitsForTheUiThread) {
    // The UI thread is stuck in a change until the worker has posted again. If
    // post waited for the UI thread (a blocking send, a lock held while changes
    // run), this would never finish.
    fake_ui_thread ui;
    ui_task_queue queue([&] { return ui.wake(); });
    std::mutex m;
    std::condition_variable cv;
    bool worker_posted = false;
    bool first_running = false;
    std::vector<int> order;

    ASSERT_TRUE(queue.post([&] {
        std::unique_lock<std::mutex> hold(m);
        first_running = true;
        cv.notify_all();
        cv.wait(hold, [&] { return worker_posted; });
        order.push_back(1);
    }));
    std::thread ui_thread([&] { queue.run_pending(); });
    std::thread worker([&] {
        {
            std::unique_lock<std::mutex> hold(m);
            cv.wait(hold, [&] { return first_running; });
        }
        EXPECT_TRUE(queue.post([&] { order.push_back(2); }));
        std::lock_guard<std::mutex> hold(m);
        worker_posted = true;
        cv.notify_all();
    });
    worker.join();
    ui_thread.join();
    // The second change was posted while the first ran: it waits for its own turn.
    EXPECT_EQ(order, std::vector<int>({1}));
    EXPECT_EQ(queue.pending(), 1u);
    EXPECT_EQ(queue.run_pending(), 1u);
    EXPECT_EQ(order, std::vector<int>({1, 2}));
}

TEST(UiTaskQueue, OneWakeUpPerBatch) {
    int wakes = 0;
    ui_task_queue queue([&] { ++wakes; return true; });
    int sum = 0;
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(queue.post([&sum, i] { sum += i; }));
    }
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.run_pending(), 100u);
    EXPECT_EQ(sum, 5050);
    // Nothing pending: a drain runs nothing and does not ask for a wake-up.
    EXPECT_EQ(queue.run_pending(), 0u);
    EXPECT_EQ(wakes, 1);
    // After the drain, the next post wakes again.
    ASSERT_TRUE(queue.post([] {}));
    EXPECT_EQ(wakes, 2);
}

TEST(UiTaskQueue, WhilePollingPostsSendNoWakeUpsUntilAPollFindsNothing) {
    using after = ui_task_queue::after_batch;
    int wakes = 0;
    ui_task_queue queue([&] { ++wakes; return true; });
    std::vector<int> order;
    ASSERT_TRUE(queue.post([&] { order.push_back(0); }));
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.run_pending(after::poll), 1u);
    // The UI thread polls now: a burst of posts wakes nobody.
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(queue.post([&, i] { order.push_back(i); }));
    }
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.run_pending(after::poll), 100u);
    // A poll that finds nothing hands back to wake-ups.
    EXPECT_EQ(queue.run_pending(after::poll), 0u);
    ASSERT_TRUE(queue.post([&] { order.push_back(101); }));
    EXPECT_EQ(wakes, 2);
    // A plain drain always hands back to wake-ups, even after a batch.
    EXPECT_EQ(queue.run_pending(after::wake), 1u);
    ASSERT_TRUE(queue.post([&] { order.push_back(102); }));
    EXPECT_EQ(wakes, 3);
    EXPECT_EQ(queue.run_pending(), 1u);
    ASSERT_EQ(order.size(), 103u);
    for (int i = 0; i <= 102; ++i) ASSERT_EQ(order[i], i);
}

TEST(UiTaskQueue, APollingUiThreadNeverStrandsAChange) {
    // The UI thread runs as the hidden window does on Windows: woken, it drains
    // and then polls every millisecond until a poll finds nothing. The worker
    // posts in bursts with pauses around the poll period, so posts land just
    // before, during and just after the poll that ends the polling. Each
    // burst's last change must run without any later post to carry it.
    using after = ui_task_queue::after_batch;
    fake_ui_thread ui;
    ui_task_queue queue([&] { return ui.wake(); });
    std::vector<int> seen;  // UI thread only
    std::atomic<int> last_run{-1};
    std::thread ui_thread([&] {
        while (ui.wait_for_wake()) {
            while (queue.run_pending(after::poll) > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    constexpr int kBursts = 200;
    int next = 0;
    for (int b = 0; b < kBursts; ++b) {
        const int size = 1 + (b * 7) % 50;
        for (int i = 0; i < size; ++i, ++next) {
            const int value = next;
            ASSERT_TRUE(queue.post([&, value] {
                seen.push_back(value);
                last_run = value;
            }));
        }
        // Wait until this burst has run, with a bound only to report a hang.
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (last_run.load() != next - 1 && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::yield();
        }
        ASSERT_EQ(last_run.load(), next - 1) << "burst " << b << " was stranded";
        std::this_thread::sleep_for(std::chrono::microseconds((b % 5) * 400));
    }
    ui.stop();
    ui_thread.join();
    ASSERT_EQ(seen.size(), static_cast<size_t>(next));
    for (int i = 0; i < next; ++i) ASSERT_EQ(seen[i], i);
    // Most changes arrived while the UI thread polled.
    EXPECT_LT(ui.wakes(), next);
}

TEST(UiTaskQueue, ChangePostedByAChangeRunsInTheNextBatch) {
    int wakes = 0;
    ui_task_queue queue([&] { ++wakes; return true; });
    std::vector<int> order;
    ASSERT_TRUE(queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(3); });
    }));
    ASSERT_TRUE(queue.post([&] { order.push_back(2); }));
    EXPECT_EQ(queue.run_pending(), 2u);
    EXPECT_EQ(order, std::vector<int>({1, 2}));
    EXPECT_EQ(wakes, 2) << "the change posted during the drain needs its own wake-up";
    EXPECT_EQ(queue.run_pending(), 1u);
    EXPECT_EQ(order, std::vector<int>({1, 2, 3}));
}

TEST(UiTaskQueue, FailedWakeUpIsRetriedByTheNextPost) {
    int calls = 0;
    bool window_alive = false;
    ui_task_queue queue([&] { ++calls; return window_alive; });
    ASSERT_TRUE(queue.post([] {}));
    EXPECT_EQ(calls, 1);
    window_alive = true;
    ASSERT_TRUE(queue.post([] {}));
    EXPECT_EQ(calls, 2) << "a lost wake-up must not leave the changes stranded";
    ASSERT_TRUE(queue.post([] {}));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(queue.run_pending(), 3u);
}

TEST(UiTaskQueue, ClosedQueueDropsPendingAndRefusesNewChanges) {
    int wakes = 0;
    ui_task_queue queue([&] { ++wakes; return true; });
    auto token = std::make_shared<int>(7);
    std::weak_ptr<int> alive = token;
    int ran = 0;
    ASSERT_TRUE(queue.post([&ran, token] { ran += *token; }));
    token.reset();
    ASSERT_FALSE(alive.expired());

    EXPECT_EQ(queue.close(), 1u);
    EXPECT_TRUE(queue.closed());
    EXPECT_TRUE(alive.expired()) << "closing frees the dropped changes and what they hold";
    EXPECT_FALSE(queue.post([&] { ++ran; }));
    EXPECT_EQ(queue.run_pending(), 0u);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(wakes, 1) << "no wake-up after close";
    EXPECT_EQ(queue.close(), 0u);  // twice is fine
}

TEST(UiTaskQueue, ChangeThatClosesTheQueueStopsTheBatch) {
    ui_task_queue queue([] { return true; });
    std::vector<int> order;
    ASSERT_TRUE(queue.post([&] { order.push_back(1); }));
    ASSERT_TRUE(queue.post([&] { order.push_back(2); queue.close(); }));
    ASSERT_TRUE(queue.post([&] { order.push_back(3); }));
    EXPECT_EQ(queue.run_pending(), 2u);
    EXPECT_EQ(order, std::vector<int>({1, 2}));
}

TEST(UiTaskQueue, EmptyTaskIsRefused) {
    int wakes = 0;
    ui_task_queue queue([&] { ++wakes; return true; });
    EXPECT_FALSE(queue.post(ui_task_queue::task()));
    EXPECT_EQ(queue.pending(), 0u);
    EXPECT_EQ(wakes, 0);
}

TEST(UiTaskQueue, CloseRacingWithWorkersAccountsForEveryAcceptedChange) {
    // Workers keep posting through the close. Every post that returned true
    // either ran before close() or was dropped by it; nothing runs afterwards.
    constexpr int kWorkers = 3;
    constexpr int kPerWorker = 20000;
    ui_task_queue queue([] { return true; });
    std::atomic<int> accepted{0};
    std::atomic<int> ran{0};
    std::atomic<bool> closed{false};
    std::atomic<int> ran_after_close{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < kPerWorker; ++i) {
                bool ok = queue.post([&] {
                    ++ran;
                    if (closed) {
                        ++ran_after_close;
                    }
                });
                if (!ok) {
                    break;
                }
                ++accepted;
            }
        });
    }
    // Drain until some changes have run, then close while workers still post.
    while (ran < 1000) {
        queue.run_pending();
        std::this_thread::yield();
    }
    size_t dropped = queue.close();
    closed = true;
    for (auto& t : workers) {
        t.join();
    }
    EXPECT_EQ(queue.run_pending(), 0u);
    EXPECT_EQ(ran_after_close, 0);
    EXPECT_EQ(queue.pending(), 0u);
    EXPECT_EQ(static_cast<size_t>(accepted.load()), static_cast<size_t>(ran.load()) + dropped);
}

}  // namespace
