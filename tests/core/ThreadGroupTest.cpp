#include "core/ThreadGroup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <utility>

TEST(ThreadGroup, ARefusedThreadStopsAndJoinsThoseStartedAndSaysWhy) {
    // Launch number `refused` throws what std::thread throws when pthread_create fails with
    // EAGAIN (ulimit -u reached); the bodies wait to be stopped, as a pool's workers wait.
    for (const int refused : {0, 2}) {
        SCOPED_TRACE(refused);
        int launches = 0;
        ThreadGroup group([&](std::function<void()> body) {
            if (launches++ == refused) {
                throw std::system_error(EAGAIN, std::generic_category());
            }
            return std::thread(std::move(body));
        });
        std::mutex lock;
        std::condition_variable stopped;
        bool stopping = false;
        std::atomic<int> ended{0};
        int stops = 0;
        const auto wait = [&](int) {
            std::unique_lock<std::mutex> guard(lock);
            stopped.wait(guard, [&] { return stopping; });
            ++ended;
        };
        const auto stop = [&] {
            ++stops;
            const std::lock_guard<std::mutex> guard(lock);
            stopping = true;
            stopped.notify_all();
        };
        EXPECT_FALSE(group.start(3, wait, stop));
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(ended.load(), refused);
        EXPECT_EQ(group.size(), 0);
        EXPECT_EQ(group.failure(),
                  "Only " + std::to_string(refused) +
                      " of 3 worker threads could be started: the system refused another (a "
                      "limit on threads or processes, such as ulimit -u, or on memory for their "
                      "stacks is reached). Ask for fewer threads.");
    }
}
