#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/commands/CalibrateRequest.h"

class Simulation;

/// `vestra-batch simulate`: one run of the model over a recording, as evaluate runs it, with its
/// trajectories (or the measured ones) written to a file that the recording readers read.
class SimulateCommand {
public:
    /// What one simulate command writes.
    struct Request {
        CalibrateRequest run;   ///< the recording, model, settings, parameter file and seed
        std::string output;     ///< the file to write
        std::string format;     ///< "txt", "csv" or "ndjson"; empty: by the output's extension
        bool measured = false;  ///< write the measured trajectories instead
    };

    explicit SimulateCommand(std::ostream& err) : err(err) {}

    /// Runs and writes; the exit status.
    int run(const Request& request);
    /// Where the trajectories come from (the recording, and the model with its parameter values
    /// and seed), as the file's comments say it; `model` may be null for measured trajectories.
    static std::vector<std::string> about(const Request& request, const Simulation* model);

private:
    std::ostream& err;
};
