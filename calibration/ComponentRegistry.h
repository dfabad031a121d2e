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
/// knows the layers above it.
class ComponentRegistry : public ParserRegistry {
public:
    template <class Base>
    using Kind = ComponentKind<Base>;

    /// Appends a factory of T and the display name of a temporary T; returns the name.
    template <class T>
    const std::string& addSimulation() {
        return simulations.add<T>(T().name);
    }
    template <class T>
    const std::string& addMetric() {
        return metrics.add<T>(T().name);
    }
    template <class T>
    const std::string& addCalibration() {
        return calibrations.add<T>(T().name);
    }

    Kind<Simulation> simulations;
    Kind<Metric> metrics;
    Kind<Calibration> calibrations;
};
