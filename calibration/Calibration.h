#pragma once

#include "core/Configurable.h"

/// Abstract base of the parameter-optimisation algorithms.
class Calibration : public Configurable {
public:
    ~Calibration() override = default;
    /// Runs the optimisation.
    virtual void calibrate() = 0;
};
