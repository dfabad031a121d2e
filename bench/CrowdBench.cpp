#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "BenchScenes.h"
#include "core/Random.h"
#include "models/AgentTree.h"
#include "models/CrowdSimulation.h"
#include "models/SimulationBoids.h"
#include "models/SimulationHelbing.h"

namespace {

// One pedestrian per 1.2 m × 1.2 m, as in a busy hall.
constexpr float areaPerAgent = 1.44f;  // m²
constexpr int pillarCount = 32;
constexpr float stepLength = 0.1f;  // s

// A coordinate on [0, extent) from two generator draws, so that large scenes are not gridded.
float uniform(float extent) {
    const double fine = (Random::draw() * 32768.0 + Random::draw()) / (32768.0 * 32768.0);
    return static_cast<float>(fine * extent);
}

// n agents spread at random over a square at pedestrian density, each walking to the point
// mirrored through the centre, so that the flows cross in the middle; four walls round the
// square and 32 pillar faces inside it make 36 obstacle segments.
void placeCrossingCrowd(Simulation& simulation, int n) {
    Random::seed(7);
    const float side = std::sqrt(areaPerAgent * static_cast<float>(n));
    addSquareWalls(simulation, side);
    for (int s = 0; s < pillarCount; ++s) {
        const float x = uniform(side);
        const float y = uniform(side);
        simulation.addObstacle({x, y, x + 0.6f, y + 0.3f});
    }
    simulation.initialise(n);
    for (int i = 0; i < n; ++i) {
        const float x = uniform(side);
        const float y = uniform(side);
        simulation.setPosition(i, x, y);
        simulation.setVelocity(i, 0.0f, 0.0f);
        simulation.setGoal(i, side - x, side - y);
    }
}

// Items are agents handled, one per agent and iteration: agent-steps, or agent-searches.
void reportPerAgent(benchmark::State& state, int n) {
    state.SetItemsProcessed(state.iterations() * n);
    // Seconds per agent and iteration.
    state.counters["perAgent"] = benchmark::Counter(
        n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One step of a whole model: desired velocities, tree, searches, rule, move, state stored.
template <class Model>
void crowdStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Model simulation;
    placeCrossingCrowd(simulation, n);
    for (int warmUp = 0; warmUp < 5; ++warmUp) {
        simulation.step(stepLength);
    }
    for (auto _ : state) {
        simulation.step(stepLength);
    }
    reportPerAgent(state, n);
}
BENCHMARK_TEMPLATE(crowdStep, SimulationBoids)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(crowdStep, SimulationHelbing)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);

// Two successive states of a walking crowd, one step apart.
struct CrowdStates {
    std::vector<CrowdAgent> before;
    std::vector<CrowdAgent> after;
};

CrowdStates walkingCrowd(int n) {
    SimulationBoids simulation;
    placeCrossingCrowd(simulation, n);
    for (int warmUp = 0; warmUp < 5; ++warmUp) {
        simulation.step(stepLength);
    }
    CrowdStates states;
    states.before = simulation.engine().agents();
    simulation.step(stepLength);
    states.after = simulation.engine().agents();
    return states;
}

// The neighbour lists of every agent through the kd-tree: build, then one query per agent.
// The searches alternate between two states a step apart, so that each one follows a search
// of the crowd as it stood one step earlier, as in a run.
void neighboursByTree(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    CrowdStates states = walkingCrowd(n);
    AgentTree tree(n);
    bool later = false;
    for (auto _ : state) {
        std::vector<CrowdAgent>& agents = later ? states.after : states.before;
        later = !later;
        tree.build(agents);
        tree.findAllNeighbours(agents);
        benchmark::ClobberMemory();
    }
    reportPerAgent(state, n);
}
BENCHMARK(neighboursByTree)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);

// The same lists by testing every pair: what the tree saves.
void neighboursByAllPairs(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<CrowdAgent> agents = walkingCrowd(n).before;
    constexpr int k = CrowdAgent::maxNeighbours;
    for (auto _ : state) {
        for (CrowdAgent& agent : agents) {
            std::array<float, k> distances{};
            std::array<int, k> ids{};
            int count = 0;
            float range = agent.searchRange;
            for (const CrowdAgent& other : agents) {
                if (other.id == agent.id) {
                    continue;
                }
                const float d =
                    (other.position - agent.position).length() - agent.radius - other.radius;
                if (!(d < range)) {
                    continue;
                }
                int at = count < k ? count++ : k - 1;
                for (; at > 0 && distances[at - 1] > d; --at) {
                    distances[at] = distances[at - 1];
                    ids[at] = ids[at - 1];
                }
                distances[at] = d;
                ids[at] = other.id;
                if (count == k) {
                    range = distances[k - 1];
                }
            }
            agent.neighbourCount = count;
            agent.neighbours = ids;
            agent.neighbourDistances = distances;
        }
        benchmark::ClobberMemory();
    }
    reportPerAgent(state, n);
}
BENCHMARK(neighboursByAllPairs)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
