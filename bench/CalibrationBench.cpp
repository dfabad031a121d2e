#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "models/PedestrianV.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

namespace {

// A whole Greedy calibration of the Vision model on an example. The cost of a calibration is its
// evaluations, so the figure to read is evaluations per second; compare it with the plain
// evaluation benchmark to see the per-trial overhead of drawing and writing the trial value.
void greedyCalibration(benchmark::State& state, const char* file) {
    const auto experiment = loadExample(file);
    SimulationGeneric<PedestrianV> model;
    Record record;
    prepareModel(record, *experiment, model);
    timeGreedy(state, record);
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
