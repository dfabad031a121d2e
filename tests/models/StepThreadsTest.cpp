#include "core/StepThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "core/Random.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "tests/support/RunDigest.h"

namespace {

// Counts how often each item is decided.
struct CountingTask : StepThreads::Task {
    explicit CountingTask(std::size_t n) : counts(n) {}
    void decide(std::size_t begin, std::size_t end) override {
        for (std::size_t i = begin; i < end; ++i) {
            ++counts[i];
        }
    }
    std::vector<std::atomic<int>> counts;
};

}  // namespace

TEST(StepThreads, EveryItemIsDecidedOnceInEveryRun) {
    // Batches of at least 64 items, and of single items as the crowd tree's subtrees are
    // dealt out.
    const struct {
        int threads;
        std::size_t items;
        std::size_t smallestBatch;
    } cases[] = {{2, 0, 64},    {2, 1, 64},     {2, 63, 64}, {3, 64, 64},
                 {3, 5000, 64}, {4, 20001, 64}, {2, 4, 1},   {3, 7, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.threads) + " threads, " + std::to_string(c.items) +
                     " items, batches of " + std::to_string(c.smallestBatch) + " or more");
        StepThreads pool(c.threads);
        EXPECT_EQ(pool.threads(), c.threads);
        CountingTask task(c.items);
        for (int run = 0; run < 50; ++run) {
            pool.run(c.items, task, c.smallestBatch);
        }
        for (std::size_t i = 0; i < c.items; ++i) {
            ASSERT_EQ(task.counts[i].load(), 50) << "item " << i;
        }
    }
}

TEST(StepThreads, SleepingWorkersWakeForTheNextRun) {
    StepThreads pool(2);
    CountingTask task(1000);
    pool.run(1000, task);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past the workers' spinning
    pool.run(1000, task);
    EXPECT_EQ(task.counts[999].load(), 2);
}

// A large crowd with drawn parameters stepped on 1, 2 and 3 threads: every state after every
// step, and the generator's sequence (Vision draws waiting times), are the same.
TEST(StepThreads, EveryModelStepsTheSameOnAnyNumberOfThreads) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::vector<std::string> models = registry.simulations.names;
    models.push_back("reference");
    // Enough agents to share the steps out even while every 13th is away.
    const int agents = 2200;
    for (const std::string& name : models) {
        SCOPED_TRACE(name);
        std::uint64_t digests[3] = {};
        unsigned generator[3] = {};
        for (int threads = 1; threads <= 3; ++threads) {
            std::unique_ptr<Simulation> model = name == "reference"
                                                    ? std::make_unique<SimulationGeneric<Dummy>>()
                                                    : registry.simulations.create(name);
            model->setStepThreads(threads);
            EXPECT_EQ(model->stepThreads(), threads);
            Random::seed(41);
            placeGridCrowd(*model, agents, true);
            digests[threads - 1] = digestOfSteps(*model, name == "Vision" ? 11 : 25);
            generator[threads - 1] = Random::currentState();
        }
        EXPECT_EQ(digests[1], digests[0]);
        EXPECT_EQ(digests[2], digests[0]);
        EXPECT_EQ(generator[1], generator[0]);
        EXPECT_EQ(generator[2], generator[0]);
    }
}
