#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "core/Random.h"
#include "run/Record.h"
#include "metrics/Difference.h"
#include "models/PedestrianV.h"
#include "models/SimulationGeneric.h"

namespace {

// One evaluation (reset, run over every frame, score) of the Vision model on an example.
void visionEvaluation(benchmark::State& state, const char* file) {
    const auto experiment = loadExample(file);
    SimulationGeneric<PedestrianV> model;
    Record record;
    prepareModel(record, *experiment, model);
    timeEvaluations(state, record);
    state.counters["pedestrians"] = experiment->pedestrianCount;
    state.counters["frames"] = experiment->frameCount;
}
BENCHMARK_CAPTURE(visionEvaluation, corridor, "corridor-crossing.ana")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(visionEvaluation, bottleneck, "bottleneck.ana")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(visionEvaluation, crossing, "crossing-flows.ana")->Unit(benchmark::kMicrosecond);

// One step of n Vision pedestrians; perception is quadratic in n by design.
void visionStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    SimulationGeneric<PedestrianV> model;
    timeCrowdSteps(state, model, n);
    // Each pedestrian looks at every other one.
    state.counters["per pair"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * n * (n - 1),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(visionStep)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
