#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/HeldOutScores.h"
#include "app/SweepPlanFields.h"

struct SweepRow;

/// What became of one row of a sweep, kept in the sweep's folder as "row-N.result.csv" (a header
/// and one line, written atomically): the row as the plan stated it, and how its run ended. Rows
/// over a list or with a held-out recording have further fields after the first seventeen;
/// results of other rows keep the seventeen alone, as older results have them.
struct SweepResult : SweepPlanFields {
    int row = 0;
    /// "done", "failed" or "cancelled" (a run stopped before its end).
    std::string status;
    double initialCost = 0.0;  ///< the first evaluation of the calibration (done runs)
    double bestCost = 0.0;     ///< the calibrated cost (done runs; the best found, cancelled ones)
    long long evaluations = 0;
    double seconds = 0.0;  ///< wall time of the run
    std::string params;    ///< the parameter file, relative to the sweep's folder (done runs)
    std::string message;   ///< why a run failed or was cancelled
    /// The held-out recording's scores by the row's metric (done rows that name one).
    std::optional<HeldOutScores> heldOutScores;
    /// Its scores by the metric paired with the row's (see HeldOutScoring::pairedMetric).
    std::optional<HeldOutScores> heldOutPaired;

    /// True when the result holds costs and evaluations: a done run, or a cancelled one that
    /// ended at least one evaluation.
    bool hasFigures() const {
        return status == "done" || (status == "cancelled" && evaluations > 0);
    }
    /// The plan's settings beside the seed (options, model, metric and algorithm settings) in
    /// words, empty when the row has none: rows that differ in them are different studies.
    std::string settings() const;
    /// A result for `row`, with its plan fields and the given status.
    static SweepResult of(const SweepRow& row, const std::string& status);
    /// True when the result belongs to a run of exactly this row of the plan.
    bool isRunOf(const SweepRow& row) const;
    /// The first field in which the result differs from the row, as "model \"A\", not \"B\"".
    std::string differenceFrom(const SweepRow& row) const;

    bool write(const std::string& path, std::string& error) const;
    /// False, with `error` naming the file and what is wrong, for a missing or malformed file.
    bool read(const std::string& path, std::string& error);
    /// Writes a failed result of `row` into the sweep folder `folder`, for a row that ended
    /// without writing its own; false, with `error`, when it cannot be written.
    static bool recordFailure(const SweepRow& row, const std::string& folder,
                              const std::string& message, double seconds, std::string& error);

private:
    /// Takes the fields of a result line; false, with `what` is wrong, for a malformed one.
    bool takeFields(const std::vector<std::string>& fields, std::string& what);
    /// Takes the fields after the first seventeen; false, with `what`, for a malformed one.
    bool takeListFields(const std::vector<std::string>& fields, std::string& what);
};
