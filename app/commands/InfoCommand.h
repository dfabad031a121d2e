#pragma once

#include <iosfwd>

struct ExperimentSource;

/// `vestra-batch info`: what an experiment file holds, as it is read with the given options.
class InfoCommand {
public:
    InfoCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Reads the file and describes it; the exit status.
    int run(const ExperimentSource& source);

private:
    std::ostream& out;
    std::ostream& err;
};
