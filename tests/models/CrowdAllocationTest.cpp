// Counts heap allocations to show that a step of the crowd models allocates nothing. Counting
// means replacing the global operator new and delete of the whole tests_models program, so it
// is only done in builds without AddressSanitizer, whose own operators check that every block
// is freed the way it was allocated; there these tests are skipped.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "models/SimulationBoids.h"
#include "models/SimulationHelbing.h"
#include "models/SimulationRVO2.h"
#include "tests/support/CrowdScene.h"
#include "tests/support/RunDigest.h"

#if defined(__SANITIZE_ADDRESS__)
#define VESTRA_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESTRA_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef VESTRA_COUNTS_ALLOCATIONS
#define VESTRA_COUNTS_ALLOCATIONS 1
#endif

namespace {

std::atomic<long> allocations{0};

}  // namespace

#if VESTRA_COUNTS_ALLOCATIONS

namespace {

void* allocate(std::size_t size) noexcept {
    ++allocations;
    return std::malloc(size > 0 ? size : 1);
}

}  // namespace

// Every plain and array form, so that all blocks not over-aligned come from malloc and go back
// to free. Kept out of line: inlined into a caller, a free would meet a pointer that came from
// new, which the compiler rightly warns about.
[[gnu::noinline]] void* operator new(std::size_t size) {
    if (void* block = allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new[](std::size_t size) {
    if (void* block = allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete[](void* block) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

#endif

namespace {

// A dense crowd of n agents on a grid crossing to the other side, among a few walls.
template <class Model>
void placeCrowd(Model& simulation, int n) {
    for (int s = 0; s < 12; ++s) {
        simulation.addObstacle({3.0f * s, 4.0f, 3.0f * s + 1.0f, 5.0f});
    }
    std::vector<CrowdWalker> walkers;
    for (int i = 0; i < n; ++i) {
        const float x = 0.6f * static_cast<float>(i % 60);
        const float y = 0.6f * static_cast<float>(i / 60);
        walkers.push_back({x, y, 0, 0, 36.0f - x, 36.0f - y, 0.25f});
    }
    placeWalkers(simulation, walkers);
}

// With `comeAndGo`, every seventh agent leaves or comes back before each step.
template <class Model>
long allocationsOverSteps(int agents, int steps, bool comeAndGo = false) {
    Model simulation;
    placeCrowd(simulation, agents);
    const long before = allocations.load();
    for (int k = 0; k < steps; ++k) {
        for (int i = k; comeAndGo && i < agents; i += 7) {
            simulation.setPresent(i, !simulation.isPresent(i));
        }
        simulation.step(0.1f);
    }
    return allocations.load() - before;
}

// The same for any model, on a grid crowd among walls with every 13th agent going and coming
// back, with the decisions shared among `threads` threads.
template <class Model>
long allocationsOverGridSteps(int agents, int steps, int threads) {
    Model simulation;
    simulation.setStepThreads(threads);
    placeGridCrowd(simulation, agents);
    const long before = allocations.load();
    digestOfSteps(simulation, steps);
    return allocations.load() - before;
}

class CrowdAllocation : public testing::Test {
protected:
    void SetUp() override {
        if (!VESTRA_COUNTS_ALLOCATIONS) {
            GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
        }
    }
};

}  // namespace

TEST_F(CrowdAllocation, CountingWorks) {
    const long before = allocations.load();
    const auto block = std::make_unique<int>(3);
    const auto blocks = std::make_unique<int[]>(3);
    EXPECT_EQ(allocations.load() - before, 2);
}

TEST_F(CrowdAllocation, BoidsStepsAllocateNothing) {
    EXPECT_EQ(allocationsOverSteps<SimulationBoids>(1500, 10), 0);
}

TEST_F(CrowdAllocation, HelbingStepsAllocateNothing) {
    EXPECT_EQ(allocationsOverSteps<SimulationHelbing>(1500, 10), 0);
}

TEST_F(CrowdAllocation, StepsWhileAgentsComeAndGoAllocateNothing) {
    EXPECT_EQ(allocationsOverSteps<SimulationHelbing>(1500, 10, true), 0);
}

TEST_F(CrowdAllocation, CollisionAvoidanceStepsAllocateNothing) {
    EXPECT_EQ(allocationsOverGridSteps<SimulationRVO2>(1500, 15, 1), 0);
}

// Agents bunched at one spot build a kd-tree too deep for the search's stack, which is searched
// by recursion; at several spots, a shallower one that the stack serves. Neither allocates.
TEST_F(CrowdAllocation, CollisionAvoidanceAmongBunchedAgentsAllocatesNothing) {
    for (const int spots : {1, 5}) {
        SimulationRVO2 simulation;
        placeGridCrowd(simulation, 300);
        for (int i = 0; i < simulation.agentCount(); ++i) {
            simulation.setPosition(i, 3.0f * static_cast<float>(i % spots), 1.0f);
        }
        const long before = allocations.load();
        for (int k = 0; k < 6; ++k) {
            simulation.step(0.1f);
        }
        EXPECT_EQ(allocations.load() - before, 0) << spots << " spots";
    }
}

TEST_F(CrowdAllocation, ThreadedStepsAllocateNothing) {
    EXPECT_EQ(allocationsOverGridSteps<SimulationRVO2>(2500, 15, 2), 0);
    EXPECT_EQ(allocationsOverGridSteps<SimulationHelbing>(2500, 15, 2), 0);
}
