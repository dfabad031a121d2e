#include <benchmark/benchmark.h>

#include <sstream>

#include "BenchScenes.h"
#include "calibration/Greedy.h"
#include "run/Record.h"
#include "metrics/Difference.h"
#include "models/Dummy.h"
#include "models/PedestrianV.h"
#include "models/SimulationGeneric.h"

namespace {

// A whole Greedy calibration of the Vision model on an example. The cost of a calibration is its
// evaluations, so the figure to read is evaluations per second; compare it with the plain
// evaluation benchmark to see the per-trial overhead of drawing and writing the trial value.
void greedyCalibration(benchmark::State& state, const char* file) {
    const auto experiment = loadExample(file);
    SimulationGeneric<PedestrianV> model;
    Record record;
    prepareModel(record, *experiment, model);
    Difference metric;
    long evaluations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        record.prepare();  // back to the default parameters
        Greedy greedy;
        greedy.setSeed(1);
        greedy.onEvaluation = [&evaluations](float) { ++evaluations; };
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
BENCHMARK_CAPTURE(greedyCalibration, corridor, "corridor-crossing.ana")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(greedyCalibration, bottleneck, "bottleneck.ana")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(greedyCalibration, crossing, "crossing-flows.ana")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
