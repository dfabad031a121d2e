#pragma once

#include <iosfwd>
#include <string>

struct ExperimentSource;

/// `vestra-batch convert`: an experiment, as it is read with the given options, written as an
/// ANA file that evaluates exactly as its source.
class ConvertCommand {
public:
    explicit ConvertCommand(std::ostream& err) : err(err) {}

    /// Reads `source` and writes it to `output`; the exit status.
    int run(const ExperimentSource& source, const std::string& output);

private:
    std::ostream& err;
};
