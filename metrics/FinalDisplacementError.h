#pragma once

#include "metrics/DisplacementError.h"

/// The distance between predicted and measured position on the last predicted frame.
class FinalDisplacementError : public DisplacementError {
public:
    FinalDisplacementError() : DisplacementError(true, "Final Displacement Error") {}
};
