#pragma once

#include <iosfwd>
#include <string>

#include "app/commands/CalibrateRequest.h"

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

private:
    std::ostream& err;
};
