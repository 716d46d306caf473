#include "ui/ui_task_queue.h"

#include <utility>

ui_task_queue::ui_task_queue(waker wake) : wake_(std::move(wake)) {}

ui_task_queue::~ui_task_queue() { close(); }

bool ui_task_queue::post(task change) {
    if (!change) {
        return false;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_) {
        return false;  // `change` is destroyed on return, outside the queue
    }
    tasks_.push_back(std::move(change));
    if (!wake_pending_) {
        // A failed wake-up leaves the flag clear, so the next post retries.
        wake_pending_ = !wake_ || wake_();
    }
    return true;
}

size_t ui_task_queue::run_pending(after_batch then) {
    std::deque<task> batch;
    {
        std::lock_guard<std::mutex> hold(lock_);
        batch.swap(tasks_);
        // From here on a post needs a new wake-up (this call no longer sees it),
        // unless the caller polls again and this batch had something to run.
        wake_pending_ = then == after_batch::poll && !batch.empty();
    }
    // Run without the lock: a change may take its time (or post) while workers
    // keep posting.
    size_t ran = 0;
    for (task& change : batch) {
        if (closed_.load()) {
            break;  // a change closed the queue: the rest is dropped as close() promises
        }
        change();
        ++ran;
    }
    return ran;
}

size_t ui_task_queue::close() {
    std::deque<task> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        closed_ = true;
        dropped.swap(tasks_);
    }
    // The dropped closures are destroyed on return, outside the lock, in case
    // their captures do anything heavy on destruction.
    return dropped.size();
}

bool ui_task_queue::closed() const { return closed_.load(); }

size_t ui_task_queue::pending() const {
    std::lock_guard<std::mutex> hold(lock_);
    return tasks_.size();
}
