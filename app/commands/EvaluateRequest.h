#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/commands/ExperimentSource.h"

/// "Parameter name=text" settings, split at the first "=", applied in the order given.
using ParameterSettings = std::vector<std::pair<std::string, std::string>>;

/// What one evaluation runs: the model and metric by display name, with their settings, over an
/// experiment or several.
struct EvaluateRequest {
    /// The first experiment file, and the reading options of every file named on the command line.
    ExperimentSource experiment;
    /// Further experiment files, read with the same options.
    std::vector<std::string> moreFiles;
    /// A list of experiments (experiment,options), in place of files named on the command line.
    std::string experimentList;
    std::string model;
    std::string metric;
    ParameterSettings modelSettings;
    ParameterSettings metricSettings;
    /// A parameter file whose values (per pedestrian, or shared) replace the defaults; empty: none.
    std::string loadParams;
    /// Threads (sharing the steps of a large crowd, or a calibration's evaluations); 0: one per
    /// core the process may run on.
    int jobs = 1;
};
