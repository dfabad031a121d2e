#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "BenchScenes.h"
#include "metrics/AverageDisplacementError.h"

namespace {

// A plaza of 40 walkers on slow curves, every one present on all 500 frames, 0.4 s apart (the
// sampling of the street-scene recordings): 481 sequences of 8 + 12 frames.
class CurvingPlaza : public Parser {
public:
    static constexpr int walkers = 40;
    static constexpr int frames = 500;
    static constexpr float frameTime = 0.4f;  // s

    CurvingPlaza() : Parser("bench") {}
    bool load(const std::string&) override { return true; }
    void fill(ExperimentData& data) override {
        data.pedestrianCount = walkers;
        data.frameCount = frames;
        for (int k = 0; k < frames; ++k) {
            data.times.push_back(frameTime * static_cast<float>(k));
        }
        for (int p = 0; p < walkers; ++p) {
            const float turn = 0.02f * static_cast<float>(p % 9 - 4);  // rad/s
            const float speed = 1.0f + 0.01f * static_cast<float>(p);  // m/s
            float x = static_cast<float>(p % 8) * 3.0f;
            float y = static_cast<float>(p / 8) * 3.0f;
            float heading = 0.7f * static_cast<float>(p);
            for (int k = 0; k < frames; ++k) {
                data.posX.push_back(x);
                data.posY.push_back(y);
                data.velX.push_back(speed * std::cos(heading));
                data.velY.push_back(speed * std::sin(heading));
                x += frameTime * data.velX.back();
                y += frameTime * data.velY.back();
                heading += turn * frameTime;
            }
        }
    }
};

// One evaluation of the average displacement error of a model, its sequences on `threads`.
void predictionEvaluation(benchmark::State& state, const char* modelName) {
    const int threads = static_cast<int>(state.range(0));
    CurvingPlaza plaza;
    Experiment experiment(plaza);
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::unique_ptr<Simulation> model = registry.simulations.create(modelName);
    Record record;
    prepareModel(record, experiment, *model);
    AverageDisplacementError metric;
    const std::string name = modelName;
    metric.shareRuns(threads, [&registry, name] { return registry.simulations.create(name); });
    Random::seed(1);
    for (auto _ : state) {
        record.reset();
        benchmark::DoNotOptimize(metric.evaluate(&record));
    }
    state.counters["evaluations_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(predictionEvaluation, constantVelocity, "Constant Velocity")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(predictionEvaluation, rvo2, "RVO2")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(predictionEvaluation, helbing, "Helbing")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(predictionEvaluation, vision, "Vision")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
