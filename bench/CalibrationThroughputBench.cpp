#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "StreetCrowd.h"
#include "calibration/Greedy.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "metrics/Difference.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

namespace {

constexpr int walkerCount = 40;
constexpr int frameCount = 50;
// A whole per-pedestrian calibration takes a quarter of a million evaluations; its first
// ones, cut off by a cancel as a user's would, already give a steady rate.
constexpr long evaluationBudget = 2000;

// A Greedy calibration of the model named `model` on a street recording whose 40 pedestrians
// come and go over 50 frames, on the calling thread, cancelled after evaluationBudget
// evaluations: the figure to read is evaluations per second, which is what a user waiting for
// a calibration sees, the trial values' drawing and writing included.
void calibrationThroughput(benchmark::State& state, const char* model) {
    StreetCrowd recording(walkerCount, frameCount);
    const Experiment experiment(recording);
    ComponentRegistry registry;
    registerStandardComponents(registry);
    const auto simulation = registry.simulations.create(model);
    SimulationGeneric<Dummy> reference;
    Record record;
    record.build(&experiment, &reference, simulation.get());
    record.rebuildIndex();
    Difference metric;
    long evaluations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        record.prepare();  // back to the default parameters
        Random::seed(1);
        Greedy greedy;
        greedy.setSeed(1);
        long done = 0;
        greedy.onEvaluation = [&evaluations, &done, &greedy](float) {
            ++evaluations;
            if (++done == evaluationBudget) {
                greedy.requestCancel();
            }
        };
        greedy.setRecord(&record);
        greedy.setMetric(&metric);
        state.ResumeTiming();
        greedy.calibrate();
        benchmark::DoNotOptimize(greedy.cost);
    }
    state.counters["evaluations"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kAvgIterations);
    state.counters["evaluations_per_second"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(calibrationThroughput, rvo2, "RVO2")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(calibrationThroughput, vision, "Vision")->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
