#pragma once

#include <iosfwd>

struct EvaluateRequest;

/// `vestra-batch evaluate`: one run of the model over the experiment, scored as the desktop
/// program's "Evaluate" scores it; the score is the last line of standard output.
class EvaluateCommand {
public:
    EvaluateCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Runs and scores; the exit status (unusable input when the score is not a finite number).
    int run(const EvaluateRequest& request);

private:
    std::ostream& out;
    std::ostream& err;
};
