#include "core/StepThreads.h"

#include <algorithm>
#include <chrono>

namespace {

// How long a worker keeps looking for the next step before it sleeps: longer than moving and
// recording a large crowd take between two steps, short enough not to hold a core for long
// once the steps stop.
constexpr std::chrono::microseconds spinTime(2000);

// Batches per thread: enough for threads that finish early to help the others.
constexpr std::size_t batchesPerThread = 8;

}  // namespace

StepThreads::StepThreads(int threads) {
    const int extra = std::min(std::max(threads, 2), ThreadGroup::most) - 1;
    workers.start(
        extra, [this](int) { work(); }, [this] { stop(); });
}

StepThreads::~StepThreads() {
    stop();
    workers.join();
}

void StepThreads::stop() {
    stopping = true;
    const std::lock_guard<std::mutex> lock(sleepMutex);
    wake.notify_all();
}

void StepThreads::run(std::size_t count, Task& job, std::size_t smallestBatch) {
    task = &job;
    itemCount = count;
    batchSize = std::max(smallestBatch,
                         count / (static_cast<std::size_t>(threads()) * batchesPerThread) + 1);
    nextItem.store(0, std::memory_order_relaxed);
    busy.store(static_cast<int>(workers.size()), std::memory_order_relaxed);
    generation.fetch_add(1);  // publishes the job to the workers
    if (sleepers.load() > 0) {
        const std::lock_guard<std::mutex> lock(sleepMutex);
        wake.notify_all();
    }
    takeBatches();
    while (busy.load(std::memory_order_acquire) > 0) {
        std::this_thread::yield();
    }
}

void StepThreads::takeBatches() {
    for (;;) {
        const std::size_t begin = nextItem.fetch_add(batchSize, std::memory_order_relaxed);
        if (begin >= itemCount) {
            return;
        }
        task->decide(begin, std::min(begin + batchSize, itemCount));
    }
}

void StepThreads::work() {
    // No job has been published before the workers start, whenever they get going.
    unsigned seen = 0;
    while (!stopping.load()) {
        const auto spinUntil = std::chrono::steady_clock::now() + spinTime;
        bool started = false;
        while (!started && !stopping.load()) {
            for (int look = 0; look < 64 && !started; ++look) {
                started = generation.load(std::memory_order_acquire) != seen;
                if (!started) {
                    std::this_thread::yield();
                }
            }
            if (!started && std::chrono::steady_clock::now() > spinUntil) {
                // Counted as a sleeper before the last look, so that a job published after it
                // finds the count raised and wakes this worker.
                std::unique_lock<std::mutex> lock(sleepMutex);
                ++sleepers;
                wake.wait(lock,
                          [this, seen] { return stopping.load() || generation.load() != seen; });
                --sleepers;
                started = generation.load() != seen;
            }
        }
        if (!started) {
            return;
        }
        seen = generation.load();
        takeBatches();
        busy.fetch_sub(1, std::memory_order_release);
    }
}
