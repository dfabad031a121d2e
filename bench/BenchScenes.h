#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "calibration/Greedy.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/Parser.h"
#include "metrics/Difference.h"
#include "models/Dummy.h"
#include "models/Simulation.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

/// A shipped example experiment, loaded once per benchmark.
inline std::unique_ptr<Experiment> loadExample(const std::string& file) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::string error;
    return loadExperimentFile(registry, std::string(VESTRA_EXAMPLES_DIR) + "/" + file, error);
}

/// Places n agents on a grid at pedestrian density (one per 1.2 m × 1.2 m), each walking to a
/// point across the square, so that paths cross everywhere.
inline void placeCrowd(Simulation& simulation, int n) {
    simulation.initialise(n);
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const float spacing = 1.2f;
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i % side) * spacing;
        const float y = static_cast<float>(i / side) * spacing;
        const float extent = static_cast<float>(side) * spacing;
        simulation.setPosition(i, x, y);
        simulation.setVelocity(i, 0.0f, 0.0f);
        simulation.setGoal(i, extent - x, extent - y);
    }
}

/// Binds a record to an experiment and one model, set up and counted, ready to evaluate.
inline void prepareModel(Record& record, Experiment& experiment, Simulation& model) {
    record.setExperiment(&experiment);
    record.bindSimulation(&model);
    record.prepare();
    record.rebuildIndex();
}

/// Four walls round the square [0, side]² (m).
inline void addSquareWalls(Simulation& simulation, float side) {
    simulation.addObstacle({0, 0, side, 0});
    simulation.addObstacle({side, 0, side, side});
    simulation.addObstacle({side, side, 0, side});
    simulation.addObstacle({0, side, 0, 0});
}

/// Times steps of 0.1 s of `model` with n agents placed by placeCrowd, after five untimed ones;
/// the items are agent-steps.
inline void timeCrowdSteps(benchmark::State& state, Simulation& model, int n) {
    placeCrowd(model, n);
    Random::seed(1);
    for (int warmUp = 0; warmUp < 5; ++warmUp) {
        model.step(0.1f);
    }
    for (auto _ : state) {
        model.step(0.1f);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

/// Times evaluations of a prepared record as a calibration runs them: reset, run over every
/// frame, Difference score. Each evaluation counts as `items` items.
inline void timeEvaluations(benchmark::State& state, Record& record, std::int64_t items = 1) {
    Difference metric;
    Random::seed(1);
    for (auto _ : state) {
        record.reset();
        benchmark::DoNotOptimize(metric.evaluate(&record));
    }
    state.SetItemsProcessed(state.iterations() * items);
}

/// A record of an experiment and the model named `model`, built as the program's "Load" builds
/// it; the experiment must outlive it.
struct BoundRecord {
    BoundRecord(const Experiment& experiment, const char* model) {
        ComponentRegistry registry;
        registerStandardComponents(registry);
        simulation = registry.simulations.create(model);
        record.build(&experiment, &reference, simulation.get());
        record.rebuildIndex();
    }

    std::unique_ptr<Simulation> simulation;
    SimulationGeneric<Dummy> reference;
    Record record;
};

/// Times evaluations of the model named `model` on the experiment `recording` gives, with the
/// record built as the program's "Load" builds it; each counts as `items` items.
inline void timeModelOn(benchmark::State& state, Parser& recording, const char* model,
                        std::int64_t items = 1) {
    const Experiment experiment(recording);
    BoundRecord bound(experiment, model);
    timeEvaluations(state, bound.record, items);
}

/// Times whole Greedy calibrations of `record` from its default parameters, each cancelled after
/// `budget` evaluations (0: none), scored by Difference. The figure to read is evaluations per
/// second, which counts the trial values' drawing and writing besides the runs.
inline void timeGreedy(benchmark::State& state, Record& record, long budget = 0) {
    Difference metric;
    long evaluations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        record.prepare();  // back to the default parameters
        Random::seed(1);
        Greedy greedy;
        greedy.setSeed(1);
        long done = 0;
        greedy.onEvaluation = [&evaluations, &done, &greedy, budget](float) {
            ++evaluations;
            if (++done == budget) {
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
