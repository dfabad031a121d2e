#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct CalibrateRequest;
struct ExperimentSource;
struct SweepOptions;

/// `vestra-batch crossval`: leave-one-out over a list of recordings. Fold K calibrates shared
/// values on every recording but the K-th and scores the K-th with them, with the model's
/// defaults and with the baseline model. The folds are written as a sweep plan into the output
/// folder (crossval-plan.csv, whose row K calibrates over fold-K.train.csv and holds the K-th
/// recording out) and run by the sweep command, so they resume, run N at a time and go to Slurm
/// as any sweep's rows; collect then writes the tables (CrossvalTable).
class CrossvalCommand {
public:
    CrossvalCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Cross-validates over `request.experimentList` into `options.out`; the exit status.
    int run(const CalibrateRequest& request, const SweepOptions& options);

private:
    /// Reads the list into `sources` (and each one's reading options as words) and checks that
    /// it holds two recordings or more, that the components exist and that every recording
    /// reads; ExitStatus::success, or the status after saying why not.
    int check(const CalibrateRequest& request, std::vector<ExperimentSource>& sources,
              std::vector<std::vector<std::string>>& options) const;
    /// Writes the fold lists and the plan into `folder`, leaving files that already hold the same
    /// text untouched; false after saying why not.
    bool writeFolds(const CalibrateRequest& request, const std::string& folder,
                    const std::vector<ExperimentSource>& sources,
                    const std::vector<std::vector<std::string>>& options) const;
    /// The plan: one row per fold.
    static std::string planText(const CalibrateRequest& request,
                                const std::vector<ExperimentSource>& sources,
                                const std::vector<std::vector<std::string>>& options);

    std::ostream& out;
    std::ostream& err;
};
