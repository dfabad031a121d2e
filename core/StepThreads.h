#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

#include "core/ThreadGroup.h"

/// A small pool of threads that share the deciding part of a model's step: every agent decides
/// from the state before the step and writes only its own results, so the agents can be dealt
/// out to threads in any way and the results are the same as on one thread.
///
/// The threads live as long as the pool. Between two steps a worker waits a little while
/// without sleeping, so that a run of steps hands out work with atomic counters only; a worker
/// that has had nothing to do for a while sleeps until the next step wakes it.
class StepThreads {
public:
    /// Decides the agents of one batch [begin, end).
    class Task {
    public:
        virtual void decide(std::size_t begin, std::size_t end) = 0;

    protected:
        ~Task() = default;
    };

    /// A pool of `threads` threads in all, the calling thread being one of them; at least 2 and
    /// at most ThreadGroup::most. When the system refuses a thread, failure() says so and the
    /// pool has the calling thread alone.
    explicit StepThreads(int threads);
    ~StepThreads();
    StepThreads(const StepThreads&) = delete;
    StepThreads& operator=(const StepThreads&) = delete;

    /// Threads in all, the calling one included.
    int threads() const { return workers.size() + 1; }
    /// Why the threads could not be started; empty when they were.
    const std::string& failure() const { return workers.failure(); }

    /// Calls task.decide over [0, count) in batches of at least `smallestBatch` items, on
    /// every thread of the pool at once, and returns when all batches are done.
    void run(std::size_t count, Task& task, std::size_t smallestBatch = defaultSmallestBatch);

    /// Items below which a batch costs more to hand out than to do: agents of a step.
    static constexpr std::size_t defaultSmallestBatch = 64;

private:
    void work();
    /// Takes batches until none is left.
    void takeBatches();
    /// Makes every worker return.
    void stop();

    // The current job. Written by run() before the generation is raised, read by the workers
    // after they see it raised.
    Task* task = nullptr;
    std::size_t itemCount = 0;
    std::size_t batchSize = 1;
    std::atomic<std::size_t> nextItem{0};
    /// Workers still busy with the current job.
    std::atomic<int> busy{0};
    /// Raised once per job; a worker starts a job when it sees it change.
    std::atomic<unsigned> generation{0};
    std::atomic<bool> stopping{false};
    // Only for a worker that goes to sleep and for waking it: never taken while steps follow
    // each other closely.
    std::atomic<int> sleepers{0};
    std::mutex sleepMutex;
    std::condition_variable wake;
    ThreadGroup workers;
};

/// Calls `body(begin, end)` over [0, count): in batches on every thread of `threads`, or at
/// once on the calling thread when `threads` is null. The body must treat every item on its
/// own, so that the results do not depend on how the items are dealt out.
template <class Body>
void forEachBatch(StepThreads* threads, std::size_t count, Body&& body,
                  std::size_t smallestBatch = StepThreads::defaultSmallestBatch) {
    if (!threads) {
        body(std::size_t{0}, count);
        return;
    }
    struct Batches : StepThreads::Task {
        explicit Batches(Body& batchBody) : call(batchBody) {}
        void decide(std::size_t begin, std::size_t end) override { call(begin, end); }
        Body& call;
    } task(body);
    threads->run(count, task, smallestBatch);
}
