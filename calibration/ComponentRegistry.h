#pragma once

#include <string>

#include "core/ComponentKind.h"
#include "data/ParserRegistry.h"

class Simulation;
class Metric;
class Calibration;

/// The registered parsers, models, metrics and calibration algorithms, each kind in
/// registration order with the display names of its components. The desktop window keeps its
/// combo boxes paired with these lists; the command-line tool creates components by name. It
/// lives with the calibrations, the highest of the kinds it names, so that no lower layer
/// knows the layers above it; its readers are a ParserRegistry, which is all that reading an
/// experiment file needs.
class ComponentRegistry : public ParserRegistry {
public:
    /// The list of one kind, by its base class.
    template <class Base>
    using Kind = ComponentKind<Base>;

    /// Appends a factory of model T and the display name of a temporary T; returns the name.
    template <class T>
    const std::string& addSimulation() {
        return simulations.add<T>(T().name);
    }
    /// Appends a factory of metric T and its display name; returns the name.
    template <class T>
    const std::string& addMetric() {
        return metrics.add<T>(T().name);
    }
    /// Appends a factory of calibration algorithm T and its display name; returns the name.
    template <class T>
    const std::string& addCalibration() {
        return calibrations.add<T>(T().name);
    }

    Kind<Simulation> simulations;    ///< the models
    Kind<Metric> metrics;            ///< the metrics
    Kind<Calibration> calibrations;  ///< the calibration algorithms
};
