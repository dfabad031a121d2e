#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "app/HeldOutScores.h"

struct EvaluateRequest;
struct SweepRow;

/// Scores the held-out recording of a sweep row after its calibration, each score exactly as
/// `vestra-batch evaluate` of that recording prints it: with the fitted parameter file, with the
/// model's defaults, and with "Constant Velocity"; and the same again by the paired metric, where
/// the row's metric has one.
class HeldOutScoring {
public:
    /// The model every held-out recording is also scored with, as the baseline.
    static constexpr const char* baselineModel = "Constant Velocity";

    /// Messages go to `err`.
    explicit HeldOutScoring(std::ostream& err) : err(err) {}

    /// The metric that is reported beside `metric` with the same settings: "Final Displacement
    /// Error" beside "Average Displacement Error", as prediction studies print them; empty for
    /// every other metric.
    static std::string pairedMetric(const std::string& metric);

    /// Scores `row`'s held-out recording with the parameter file `fitted`; false after saying
    /// why not.
    bool score(const SweepRow& row, const std::string& fitted, HeldOutScores& scores,
               std::optional<HeldOutScores>& paired);

private:
    /// The three scores by `metric`; false after saying why not.
    bool scoreBy(const SweepRow& row, const std::string& metric, const std::string& fitted,
                 HeldOutScores& scores);
    /// One evaluation of the request's single recording; false after saying why not.
    bool evaluate(const EvaluateRequest& request, double& score);

    std::ostream& err;
};
