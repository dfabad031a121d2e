#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "StreetCrowd.h"
#include "data/Experiment.h"

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
    BoundRecord bound(experiment, model);
    timeGreedy(state, bound.record, evaluationBudget);
}
BENCHMARK_CAPTURE(calibrationThroughput, rvo2, "RVO2")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(calibrationThroughput, vision, "Vision")->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
