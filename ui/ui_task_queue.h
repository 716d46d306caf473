// The one way from another thread back to the UI thread.
//
// A worker posts changes (closures that touch controls) and goes on at once: it
// never waits for the UI thread. The UI thread runs every posted change, in the
// order they were posted, when it is woken. Only the wake-up is platform work (a
// message posted to a hidden window on Windows, see ui_task_queue_win.h); the
// queue itself is portable.
//
// Wake-ups are coalesced: while one is outstanding, further posts only append,
// so a worker that posts thousands of changes while the UI thread is busy puts
// one message into the UI thread's queue, not thousands. While changes keep
// coming, the UI thread may also switch from being woken to polling (see
// after_batch::poll): a worker that posts a change per file then costs the
// system one wake-up per burst instead of one per change.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

class ui_task_queue {
public:
    using task = std::function<void()>;
    // Asks the UI thread to call run_pending() soon; returns false when it could
    // not (the next post then tries again). Called on the posting thread with
    // the queue's lock held, so it must be quick, must not wait for the UI
    // thread and must not post; holding the lock lets close() guarantee that no
    // wake-up is in flight once it returns.
    using waker = std::function<bool()>;

    explicit ui_task_queue(waker wake);
    ~ui_task_queue();
    ui_task_queue(const ui_task_queue&) = delete;
    ui_task_queue& operator=(const ui_task_queue&) = delete;

    // Any thread. Appends the change; false (and the change is dropped) once the
    // queue is closed or when given an empty task.
    bool post(task change);

    // What the UI thread does about the changes posted after a batch.
    enum class after_batch {
        wake,  // the next post wakes it again
        // It runs the queue again soon by itself (on a timer) and posts send no
        // wake-up meanwhile; a call that finds the queue empty returns 0 and
        // hands back to wake-ups, so the caller then stops polling.
        poll,
    };

    // UI thread. Runs every change posted before the call, in order, and returns
    // how many ran. Changes posted meanwhile (also by the changes themselves)
    // wait for the next wake-up or poll, so a busy worker cannot keep the UI
    // thread here.
    size_t run_pending(after_batch then = after_batch::wake);

    // Any thread. Drops the changes not yet run and refuses further posts; no
    // wake-up is in progress when it returns. Returns how many changes it
    // dropped. Idempotent.
    size_t close();

    bool closed() const;
    size_t pending() const;

private:
    mutable std::mutex lock_;
    std::deque<task> tasks_;
    waker wake_;
    bool wake_pending_ = false;  // a wake-up was sent and run_pending() has not yet taken the queue
    // Written under the lock; read without it between the changes of a batch.
    std::atomic<bool> closed_{false};
};
