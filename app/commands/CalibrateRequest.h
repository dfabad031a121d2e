#pragma once

#include <optional>
#include <string>

#include "app/commands/EvaluateRequest.h"

/// What one calibration runs, as both its command line and a row of a sweep plan give it: an
/// evaluation's request with the algorithm, its seed and the files the results go to.
struct CalibrateRequest : EvaluateRequest {
    std::string algorithm;
    ParameterSettings algorithmSettings;
    /// None: the calendar time, which is then printed so that the run can be repeated.
    std::optional<unsigned> seed;
    std::string saveParams;  ///< the best values as a parameter file; empty: not written
    std::string trace;       ///< evaluation,cost,best per evaluation; empty: not written
};
