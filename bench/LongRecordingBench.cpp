#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "CopiedRun.h"

namespace {

// One evaluation (reset, run, Difference score) of a model on `copies` copies of the run; the
// items are present samples, so a flat rate over the copy counts means linear cost.
void longRecordingEvaluation(benchmark::State& state, const char* model) {
    CopiedRun recording(static_cast<int>(state.range(0)));
    timeModelOn(state, recording, model, recording.presentSamples());
}
BENCHMARK_CAPTURE(longRecordingEvaluation, boids, "Boids")
    ->Arg(5)
    ->Arg(20)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(longRecordingEvaluation, helbing, "Helbing")
    ->Arg(5)
    ->Arg(20)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(longRecordingEvaluation, rvo2, "RVO2")
    ->Arg(5)
    ->Arg(20)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(longRecordingEvaluation, vision, "Vision")
    ->Arg(5)
    ->Arg(20)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond);

}  // namespace
