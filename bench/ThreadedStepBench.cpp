#include <benchmark/benchmark.h>

#include "BenchScenes.h"
#include "core/Random.h"
#include "models/PedestrianV.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "models/SimulationHelbing.h"
#include "models/SimulationRVO2.h"

namespace {

// One step of a large crowd with the deciding part on 1, 2 or more threads; wall-clock time,
// so that the threads' work counts once.
template <class Model>
void threadedStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Model model;
    model.setStepThreads(static_cast<int>(state.range(1)));
    timeCrowdSteps(state, model, n);
}
BENCHMARK_TEMPLATE(threadedStep, SimulationBoids)
    ->ArgsProduct({{20000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(threadedStep, SimulationHelbing)
    ->ArgsProduct({{20000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(threadedStep, SimulationRVO2)
    ->ArgsProduct({{20000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(threadedStep, SimulationGeneric<PedestrianV>)
    ->ArgsProduct({{3000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
