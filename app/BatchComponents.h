#pragma once

#include <memory>
#include <string>
#include <vector>

#include "calibration/Calibration.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

class ComponentRegistry;
struct CalibrateRequest;
struct EvaluateRequest;

/// The components an evaluate or calibrate request names: the model, the metric and, for
/// calibrate, the algorithm, each created by display name with its "Name=text" settings applied
/// as one batch. Every command that runs a calibration checks its components through here, so a
/// sweep refuses exactly what the calibrate command refuses.
struct BatchComponents {
    std::unique_ptr<Simulation> model;
    std::unique_ptr<Metric> metric;
    std::unique_ptr<Calibration> calibration;  ///< null unless a calibration was requested

    /// Creates the model and metric; false, with one message per problem in `errors`, for an
    /// unknown name (every unknown name is reported, with the valid choices) or the first setting
    /// that names no parameter or whose text is not wholly a value of the parameter's type.
    bool create(const ComponentRegistry& registry, const EvaluateRequest& request,
                std::vector<std::string>& errors);
    /// Creates the model, metric and algorithm, as the other create does.
    bool create(const ComponentRegistry& registry, const CalibrateRequest& request,
                std::vector<std::string>& errors);

private:
    bool createAll(const ComponentRegistry& registry, const EvaluateRequest& request,
                   const CalibrateRequest* calibrate, std::vector<std::string>& errors);
};
