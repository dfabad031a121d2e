#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// The headless command-line tool: lists the registered components, describes experiment files,
/// and evaluates or calibrates a model with the same record, metric and calibration code as the
/// desktop program. Exit status: 0 success, 1 input that cannot be used, 2 usage error.
class BatchTool {
public:
    /// `showProgress` switches the progress line on standard error on (for a terminal).
    BatchTool(std::ostream& out, std::ostream& err, bool showProgress)
        : out(out), err(err), showProgress(showProgress) {}

    /// Runs one command given the arguments after the program name.
    int run(const std::vector<std::string>& arguments);

private:
    int runCommand(const std::vector<std::string>& arguments);

    std::ostream& out;
    std::ostream& err;
    bool showProgress;
};
