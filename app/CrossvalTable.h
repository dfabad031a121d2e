#pragma once

#include <string>
#include <vector>

#include "app/SweepResult.h"

class SweepPlan;

/// The tables of a finished leave-one-out cross-validation, one row per held-out recording, from
/// the results of its folds: crossval.csv for scripts and crossval.md, the table as a paper
/// prints it, with the mean of every column below. Where the metric has a paired one (ADE and
/// FDE), each held-out cell of the paper's table reads "metric/paired".
class CrossvalTable {
public:
    /// True for the plan of a cross-validation: every row names a held-out recording.
    static bool isCrossval(const SweepPlan& plan);

    /// A table of `folds`, each a done result with its held-out scores.
    explicit CrossvalTable(std::vector<SweepResult> folds) : folds(std::move(folds)) {}

    /// One line per fold: experiment (the held-out recording), model, metric, algorithm, seed,
    /// training cost, the held-out costs fitted, default and Constant Velocity, evaluations,
    /// seconds, then the paired metric's name and its three held-out costs (empty without one).
    std::string csv() const;
    /// A caption, the header, a line per held-out recording (its file name) and the mean line.
    std::string markdown() const;
    /// Writes crossval.csv and crossval.md into `folder`, both or neither; false, with `error`.
    bool write(const std::string& folder, std::string& error) const;

private:
    std::vector<SweepResult> folds;
};
