// A value worked out ahead on a thread of its own, with real threads.
#include "uninstall/background_result.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

TEST(BackgroundResult, TakeWaitsForTheStartedComputationAndRunsItOnce) {
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<int> runs{0};
    std::thread::id worker;
    background_result<std::string> facts;
    ASSERT_TRUE(facts.start([&] {
        std::unique_lock<std::mutex> hold(m);
        cv.wait(hold, [&] { return release; });
        worker = std::this_thread::get_id();
        ++runs;
        return std::string("gathered ahead");
    }));
    EXPECT_FALSE(facts.start([] { return std::string("again"); })) << "one computation per object";
    // take() must wait for the computation still blocked above.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::lock_guard<std::mutex> hold(m);
        release = true;
        cv.notify_all();
    });
    int now_runs = 0;
    EXPECT_EQ(facts.take([&] { ++now_runs; return std::string("now"); }), "gathered ahead");
    releaser.join();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(now_runs, 0);
    EXPECT_NE(worker, std::this_thread::get_id());
    // Taken once: a second take works the value out on the spot.
    EXPECT_EQ(facts.take([&] { ++now_runs; return std::string("now"); }), "now");
    EXPECT_EQ(now_runs, 1);
}

TEST(BackgroundResult, WithoutAStartOrAfterAFailureTheValueIsWorkedOutOnTheSpot) {
    struct Case {
        const char* what;
        bool start;
        bool fail;
    } cases[] = {{"never started", false, false}, {"the computation threw", true, true}};
    for (const auto& c : cases) {
        background_result<int> value;
        if (c.start) {
            ASSERT_TRUE(value.start([&]() -> int {
                if (c.fail) throw std::runtime_error("probe failed");
                return 1;
            })) << c.what;
        }
        std::thread::id ran_on;
        EXPECT_EQ(value.take([&] { ran_on = std::this_thread::get_id(); return 7; }), 7) << c.what;
        EXPECT_EQ(ran_on, std::this_thread::get_id()) << c.what;
    }
}

TEST(BackgroundResult, WaitLetsTheComputationEndAndKeepsItsValue) {
    std::atomic<bool> done{false};
    background_result<int> value;
    ASSERT_TRUE(value.start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        done = true;
        return 42;
    }));
    value.wait();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(value.take([] { return 0; }), 42);
}

}  // namespace
