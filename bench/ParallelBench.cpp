#include <benchmark/benchmark.h>

#include <sstream>

#include "BenchScenes.h"
#include "calibration/CalibrationRun.h"
#include "calibration/EvaluationPool.h"
#include "metrics/Difference.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"

namespace {

// A whole seeded calibration on the bottleneck example with 1 or 2 threads evaluating at once;
// the items are evaluations.
void parallelCalibration(benchmark::State& state, const char* model, const char* algorithm) {
    const int jobs = static_cast<int>(state.range(0));
    const auto experiment = loadExample("bottleneck.ana");
    ComponentRegistry registry;
    registerStandardComponents(registry);
    long long evaluations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto simulation = registry.simulations.create(model);
        const auto calibration = registry.calibrations.create(algorithm);
        calibration->setParameter("N", "100");
        calibration->setParameter("loops", "5");
        calibration->commitParameters();
        calibration->setSeed(3);
        calibration->onEvaluation = [&evaluations](float) { ++evaluations; };
        Difference metric;
        SimulationGeneric<Dummy> reference;
        Record record;
        record.build(experiment.get(), &reference, simulation.get());
        record.rebuildIndex();
        std::ostringstream console;
        calibration->setConsole(console);
        state.ResumeTiming();
        runCalibration(record, reference, metric, *calibration, console, jobs,
                       EvaluationPool::sameAs(registry, *simulation, metric));
    }
    state.SetItemsProcessed(evaluations);
}
BENCHMARK_CAPTURE(parallelCalibration, greedyRVO2, "RVO2", "Greedy")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(parallelCalibration, geneticRVO2, "RVO2", "Genetic")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(parallelCalibration, greedyVision, "Vision", "Greedy")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(parallelCalibration, geneticVision, "Vision", "Genetic")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Building the workers of a calibration: their models, metrics and records, and the threads.
void buildingWorkers(benchmark::State& state, const char* model) {
    const auto experiment = loadExample("crossing-flows.ana");
    ComponentRegistry registry;
    registerStandardComponents(registry);
    const auto simulation = registry.simulations.create(model);
    Difference metric;
    for (auto _ : state) {
        EvaluationPool pool(2, EvaluationPool::sameAs(registry, *simulation, metric), *experiment);
        benchmark::DoNotOptimize(pool.threads());
    }
}
BENCHMARK_CAPTURE(buildingWorkers, rvo2, "RVO2")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(buildingWorkers, vision, "Vision")->Unit(benchmark::kMicrosecond);

}  // namespace
