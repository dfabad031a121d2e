#pragma once

#include "metrics/DisplacementError.h"

/// The mean distance between predicted and measured positions over the predicted frames.
class AverageDisplacementError : public DisplacementError {
public:
    AverageDisplacementError() : DisplacementError(false, "Average Displacement Error") {}
};
