#pragma once

#include <optional>
#include <string>

#include "core/ParameterScope.h"

#include "app/commands/EvaluateRequest.h"

/// Why a per-pedestrian calibration of several recordings is refused.
inline constexpr const char* severalRecordingsNeedShared =
    "A per-pedestrian calibration fits the pedestrians of one recording; several recordings need "
    "--scope shared, one value of each parameter for all pedestrians.";

/// What one calibration runs, as both its command line and a row of a sweep plan give it: an
/// evaluation's request with the algorithm, its seed and the files the results go to.
struct CalibrateRequest : EvaluateRequest {
    std::string algorithm;
    ParameterSettings algorithmSettings;
    /// None: the calendar time, which is then printed so that the run can be repeated.
    std::optional<unsigned> seed;
    std::string saveParams;  ///< the best values as a parameter file; empty: not written
    std::string trace;       ///< evaluation,cost,best per evaluation; empty: not written
    /// Whether one value per pedestrian, or one for all pedestrians, is searched.
    ParameterScope scope = ParameterScope::pedestrian;
    /// The calibrated values' distribution per parameter, as --set texts; empty: not written.
    std::string saveDistributions;
};
