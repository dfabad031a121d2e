#pragma once

#include <iosfwd>
#include <string>

class Metric;
class Record;
struct EvaluateRequest;

/// `vestra-batch evaluate`: one run of the model over the experiment, scored as the desktop
/// program's "Evaluate" scores it; the score is the last line of standard output.
class EvaluateCommand {
public:
    EvaluateCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Runs and scores; the exit status (unusable input when the score is not a finite number).
    int run(const EvaluateRequest& request);
    /// Why a run scored no finite number: the first simulated sample that is not one, or else a
    /// metric that found nothing to compare.
    static std::string whyNotFinite(const Record& record, const Metric& metric);

private:
    std::ostream& out;
    std::ostream& err;
};
