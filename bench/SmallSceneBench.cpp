#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "BenchScenes.h"
#include "core/Random.h"
#include "metrics/Difference.h"
#include "models/Dummy.h"
#include "models/PedestrianV.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "models/SimulationHelbing.h"
#include "models/SimulationRVO2.h"
#include "run/Record.h"

namespace {

constexpr float areaPerAgent = 1.44f;  // m², a busy hall
constexpr int frames = 50;             // samples of a run
constexpr float frameTime = 0.1f;      // s

// A scene as a calibration runs it: n walkers at random over a square at pedestrian density,
// each heading for the point mirrored through the centre, inside four walls.
struct SmallScene {
    std::vector<float> x, y, goalX, goalY;

    SmallScene(Simulation& model, int n) {
        Random::seed(5);
        const float side = std::sqrt(areaPerAgent * static_cast<float>(n));
        addSquareWalls(model, side);
        model.initialise(n);
        for (int i = 0; i < n; ++i) {
            x.push_back(side * static_cast<float>(Random::draw()) / Random::maxDraw);
            y.push_back(side * static_cast<float>(Random::draw()) / Random::maxDraw);
            goalX.push_back(side - x.back());
            goalY.push_back(side - y.back());
        }
    }

    // What an evaluation does before the metric reads the trajectories: the parameters and the
    // start state applied, then the first sample and one sample after every step recorded.
    void run(Simulation& model) const {
        model.applyParameters();
        model.clearRecords();
        for (int i = 0; i < model.agentCount(); ++i) {
            model.setPosition(i, x[i], y[i]);
            model.setVelocity(i, 0.0f, 0.0f);
            model.setGoal(i, goalX[i], goalY[i]);
            model.recordSample(i, x[i], y[i], 0.0f, 0.0f);
        }
        for (int k = 1; k < frames; ++k) {
            model.step(frameTime);
            for (int i = 0; i < model.agentCount(); ++i) {
                model.recordSample(i, model.currentX()[i], model.currentY()[i],
                                   model.currentVX()[i], model.currentVY()[i]);
            }
        }
        model.finishRecords();
    }
};

// Whole runs of a small or a large scene; "per agent-step" compares them, set-up included.
template <class Model>
void sceneRun(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Model model;
    const SmallScene scene(model, n);
    Random::seed(1);
    for (auto _ : state) {
        scene.run(model);
    }
    const double agentSteps = static_cast<double>(n) * (frames - 1);
    state.SetItemsProcessed(static_cast<long long>(state.iterations() * agentSteps));
    state.counters["per agent-step"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * agentSteps,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_TEMPLATE(sceneRun, SimulationBoids)->Arg(20)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(sceneRun, SimulationHelbing)->Arg(20)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(sceneRun, SimulationRVO2)->Arg(20)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(sceneRun, SimulationGeneric<PedestrianV>)
    ->Arg(20)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(sceneRun, SimulationGeneric<Dummy>)
    ->Arg(20)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

// One evaluation as a calibration does it (reset, run over every frame, Difference score) of
// a model on a shipped example; the items are evaluations.
void exampleEvaluation(benchmark::State& state, const char* modelName, const char* file) {
    const auto experiment = loadExample(file);
    ComponentRegistry registry;
    registerStandardComponents(registry);
    const auto model = registry.simulations.create(modelName);
    Record record;
    prepareModel(record, *experiment, *model);
    timeEvaluations(state, record);
}

void registerExampleEvaluations() {
    for (const char* model : {"Boids", "Helbing", "RVO2", "Vision"}) {
        for (const char* file : {"bottleneck.ana", "corridor-crossing.ana", "corridor-presence.ana",
                                 "crossing-flows.ana"}) {
            const std::string name = std::string("exampleEvaluation/") + model + "/" + file;
            benchmark::RegisterBenchmark(name.c_str(), exampleEvaluation, model, file)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

const int registered = (registerExampleEvaluations(), 0);

}  // namespace
