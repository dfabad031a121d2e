#pragma once

#include <memory>
#include <string>
#include <vector>

#include "calibration/Calibration.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

struct BatchOptions;
class ComponentRegistry;

/// The components an evaluate or calibrate command line names: the model, the metric and, for
/// calibrate, the algorithm, each created by display name with its "Name=text" settings applied
/// as one batch. Every command that runs a calibration checks its components through here, so a
/// sweep refuses exactly what the calibrate command refuses.
struct BatchComponents {
    std::unique_ptr<Simulation> model;
    std::unique_ptr<Metric> metric;
    std::unique_ptr<Calibration> calibration;  ///< null unless the command is calibrate

    /// Creates them; false, with one message per problem in `errors`, for an unknown name (every
    /// unknown name is reported, with the valid choices) or the first setting that names no
    /// parameter or whose text is not wholly a value of the parameter's type.
    bool create(const ComponentRegistry& registry, const BatchOptions& options,
                std::vector<std::string>& errors);
};
