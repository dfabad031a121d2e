#pragma once

#include <cmath>
#include <memory>
#include <string>

#include "app/StandardComponents.h"
#include "core/ComponentRegistry.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/Record.h"
#include "models/Simulation.h"

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
