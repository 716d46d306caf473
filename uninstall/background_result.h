// A value worked out on a thread of its own before it is needed, so that the
// thread that needs it later finds it ready instead of computing it then (the
// wizard gathers the machine's facts for the device report while the user is
// still reading the first page).
#pragma once

#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

template <class T>
class background_result {
public:
    background_result() = default;
    ~background_result() { wait(); }
    background_result(const background_result&) = delete;
    background_result& operator=(const background_result&) = delete;

    // Starts compute() on a new thread. False, and nothing started, when a
    // computation was started before or no thread can be had.
    bool start(std::function<T()> compute) {
        if (started_) return false;
        try {
            thread_ = std::thread([this, compute = std::move(compute)] {
                try {
                    value_.emplace(compute());
                } catch (...) {
                    // No value: take() works it out itself.
                }
            });
        } catch (const std::system_error&) {
            return false;
        }
        started_ = true;
        return true;
    }

    // The started computation's value, after waiting for it. When none was
    // started, it failed or its value was taken already, compute_now() runs on
    // the calling thread instead.
    T take(const std::function<T()>& compute_now) {
        wait();
        if (value_) {
            T value = std::move(*value_);
            value_.reset();
            return value;
        }
        return compute_now();
    }

    // Waits until a started computation has ended; its value stays for take().
    void wait() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
    std::optional<T> value_;  // written by the thread, read after join()
    bool started_ = false;
};
