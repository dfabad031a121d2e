#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/SweepOptions.h"
#include "app/commands/AnalyseRequest.h"
#include "app/commands/CalibrateRequest.h"

/// A command line of vestra-batch after parsing: the command, and each value its options gave in
/// a field of its own. A command reads only its part.
struct CommandLine {
    Command command = Command::help;
    /// info and convert: the experiment; evaluate and calibrate: also what runs.
    CalibrateRequest run;
    /// convert and simulate: the file to write.
    std::string output;
    /// simulate: the layout of the file ("txt", "csv" or "ndjson"); empty: by its extension.
    std::string outputFormat;
    /// simulate: write the measured trajectories instead of the simulated ones.
    bool measured = false;
    /// analyse: where and how the crowds are measured, and the folder written.
    AnalyseRequest analysis;
    /// sweep and collect.
    SweepOptions sweep;
    /// The options given, in order, for the checks of options that go together.
    std::vector<std::string> given;

    /// True when the option `name` was given.
    bool gave(const std::string& name) const {
        return std::find(given.begin(), given.end(), name) != given.end();
    }
};
