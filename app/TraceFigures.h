#pragma once

#include <string>

/// What a calibration's trace file says of the run: its first cost, its last cost (the
/// calibrated one, since every algorithm ends with one evaluation of the best values) and its
/// number of evaluations.
struct TraceFigures {
    double initialCost = 0.0;
    double bestCost = 0.0;
    long long evaluations = 0;

    /// Reads the trace at `path`; false, with `error`, for a file that cannot be read, a row
    /// that is not a trace row, or no evaluations at all.
    bool read(const std::string& path, std::string& error);
};
