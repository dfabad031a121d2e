#include "core/ThreadGroup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

#include "tests/support/RefusingLaunch.h"

namespace {

// Bodies that wait until they are told to stop, as a pool's workers wait for work.
struct WaitingBodies {
    void body(int) {
        std::unique_lock<std::mutex> guard(lock);
        ++started;
        stopped.wait(guard, [this] { return stopping; });
        ++ended;
    }
    void stop() {
        ++stops;
        const std::lock_guard<std::mutex> guard(lock);
        stopping = true;
        stopped.notify_all();
    }

    std::mutex lock;
    std::condition_variable stopped;
    bool stopping = false;
    int started = 0;
    std::atomic<int> ended{0};
    std::atomic<int> stops{0};
};

}  // namespace

TEST(ThreadGroup, StartsEveryThreadWithItsNumber) {
    std::mutex lock;
    std::set<int> numbers;
    ThreadGroup group;
    ASSERT_TRUE(group.start(
        4,
        [&](int i) {
            const std::lock_guard<std::mutex> guard(lock);
            numbers.insert(i);
        },
        [] {}));
    EXPECT_EQ(group.size(), 4);
    EXPECT_TRUE(group.failure().empty());
    group.join();
    EXPECT_EQ(numbers, (std::set<int>{0, 1, 2, 3}));
}

TEST(ThreadGroup, ARefusedThreadStopsAndJoinsThoseStartedBeforeIt) {
    // Whichever thread is refused, the ones before it have run and ended when start returns.
    for (const int refused : {0, 1, 4}) {
        SCOPED_TRACE(refused);
        WaitingBodies bodies;
        ThreadGroup group(refusingFrom(refused));
        EXPECT_FALSE(group.start(
            5, [&](int i) { bodies.body(i); }, [&] { bodies.stop(); }));
        EXPECT_EQ(bodies.stops.load(), 1);
        EXPECT_EQ(bodies.ended.load(), refused);
        EXPECT_EQ(group.size(), 0);
    }
}

TEST(ThreadGroup, SaysHowManyStartedAndWhy) {
    const struct {
        int error;
        std::string expected;
    } cases[] = {
        {EAGAIN,
         "Only 2 of 3 worker threads could be started: the system refused another (a limit on "
         "threads or processes, such as ulimit -u, or on memory for their stacks is reached). "
         "Ask for fewer threads."},
        {EPERM,
         "Only 2 of 3 worker threads could be started: the system refused another (Operation "
         "not permitted). Ask for fewer threads."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        WaitingBodies bodies;
        ThreadGroup group(refusingFrom(2, c.error));
        ASSERT_FALSE(group.start(
            3, [&](int i) { bodies.body(i); }, [&] { bodies.stop(); }));
        EXPECT_EQ(group.failure(), c.expected);
    }
}
