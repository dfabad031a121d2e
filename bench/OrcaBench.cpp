#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "BenchScenes.h"
#include "core/Vec2.h"
#include "run/Record.h"
#include "metrics/Difference.h"
#include "models/SimulationRVO2.h"
#include "models/orca/OrcaEngine.h"

namespace {

// Floor area per pedestrian (m²): a moderately busy walkway.
constexpr float areaPerAgent = 1.44f;
// A walker closer than this to its goal (m) picks a new one, so the crowd never settles.
constexpr float arrivalDistance = 0.5f;
constexpr float timeStep = 0.1f;  // s

// Walkers spread at random over a square at pedestrian density, each heading for a random
// point of the square, with the RVO2 model's default settings; optionally random wall
// segments 1 to 4 m long.
class Crowd {
public:
    Crowd(int agents, int segments)
        : side(std::sqrt(static_cast<float>(agents) * areaPerAgent)), coordinate(0.0f, side) {
        engine.setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
        for (int i = 0; i < agents; ++i) {
            engine.spawnAgent(randomPoint());
            goals.push_back(randomPoint());
        }
        std::uniform_real_distribution<float> length(1.0f, 4.0f);
        std::uniform_real_distribution<float> angle(0.0f, 6.2831853f);
        for (int i = 0; i < segments; ++i) {
            const Vec2 a = randomPoint();
            const float l = length(random);
            const float t = angle(random);
            engine.addPolygon({a, a + l * Vec2(std::cos(t), std::sin(t))});
        }
        engine.indexObstacles();
        engine.prepareObstacleSearch();
        engine.setTimeStep(timeStep);
    }

    void steer() {
        for (std::size_t i = 0; i < engine.agentCount(); ++i) {
            Vec2 toGoal = goals[i] - engine.position(i);
            if (toGoal.squaredLength() < arrivalDistance * arrivalDistance) {
                goals[i] = randomPoint();
                toGoal = goals[i] - engine.position(i);
            }
            const float speed = engine.agent(i).maxSpeed();
            engine.setPreferredVelocity(
                i, toGoal.squaredLength() > speed * speed ? toGoal.normalised() * speed : toGoal);
        }
    }

    OrcaEngine engine;

private:
    Vec2 randomPoint() { return Vec2(coordinate(random), coordinate(random)); }

    float side;  // m
    std::mt19937 random{12345};
    std::uniform_real_distribution<float> coordinate;
    std::vector<Vec2> goals;
};

// One engine step; the counter "per agent-step" is the time divided by the agent count.
void orcaAdvance(benchmark::State& state) {
    const int agents = static_cast<int>(state.range(0));
    Crowd crowd(agents, static_cast<int>(state.range(1)));
    // Let the walkers get going before timing.
    for (int k = 0; k < 20; ++k) {
        crowd.steer();
        crowd.engine.advance();
    }
    for (auto _ : state) {
        state.PauseTiming();
        crowd.steer();
        state.ResumeTiming();
        crowd.engine.advance();
    }
    state.SetItemsProcessed(state.iterations() * agents);
    state.counters["per agent-step"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * agents,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(orcaAdvance)
    ->ArgNames({"agents", "segments"})
    ->Args({1000, 0})
    ->Args({5000, 0})
    ->Args({20000, 0})
    ->Args({1000, 100})
    ->Args({5000, 100})
    ->Args({20000, 100})
    ->Unit(benchmark::kMillisecond);

// One evaluation (reset, run over every frame, score) of the RVO2 model on an example.
void rvo2Evaluation(benchmark::State& state, const char* file) {
    const auto experiment = loadExample(file);
    SimulationRVO2 model;
    Record record;
    prepareModel(record, *experiment, model);
    timeEvaluations(state, record);
    state.counters["pedestrians"] = experiment->pedestrianCount;
    state.counters["frames"] = experiment->frameCount;
}
BENCHMARK_CAPTURE(rvo2Evaluation, corridor, "corridor-crossing.ana")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(rvo2Evaluation, bottleneck, "bottleneck.ana")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(rvo2Evaluation, crossing, "crossing-flows.ana")->Unit(benchmark::kMicrosecond);

}  // namespace
