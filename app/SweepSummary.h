#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct SweepResult;

/// The table a collected sweep prints: for each experiment, model, metric, algorithm and
/// settings (everything a row states but its seed), in the order of their first row, the best
/// calibrated cost of its finished runs and the mean and spread of those costs over the seeds.
class SweepSummary {
public:
    struct Line {
        std::string experiment;  ///< the experiment, or the list of experiments of a row
        std::string model;
        std::string metric;
        std::string algorithm;
        std::string settings;  ///< see SweepResult::settings
        int runs = 0;          ///< finished runs (seeds)
        double best = 0.0;     ///< lowest calibrated cost; costs that are not numbers are skipped
        double mean = 0.0;     ///< mean calibrated cost
        double spread = 0.0;   ///< sample standard deviation (n − 1); not a number for one run
    };

    /// Summarizes the done results; failed and cancelled runs are left out.
    static SweepSummary of(const std::vector<SweepResult>& results);
    /// Writes the table with aligned columns, costs with nine significant digits ("nan" when a
    /// cost is not a number, "-" for the spread of a single run); a settings column follows when
    /// some line has settings.
    void print(std::ostream& out) const;

    std::vector<Line> lines;
};
