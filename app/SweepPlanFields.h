#pragma once

#include <string>

/// The fields of a sweep plan's row as written in the plan (relative paths still relative):
/// what a row asks for, and what its result repeats so that it can be matched to the row.
struct SweepPlanFields {
    std::string experiment;
    std::string model;
    std::string metric;
    std::string algorithm;
    std::string seed;
    std::string options;
    std::string set;
    std::string metricSet;
    std::string algorithmSet;
    /// A list of recordings (experiment,options) to calibrate over, in place of the experiment.
    std::string experiments;
    /// A recording scored after the calibration, which it took no part in; empty: none.
    std::string heldOut;
    /// The reading options of the held-out recording.
    std::string heldOutOptions;

    /// What the row calibrates on: its experiment, or else its list of experiments.
    const std::string& recordings() const { return experiment.empty() ? experiments : experiment; }
    /// True for a row written with the columns of a row over a list or with a held-out
    /// recording, whose result has the fields of those columns too.
    bool hasListFields() const {
        return !experiments.empty() || !heldOut.empty() || !heldOutOptions.empty();
    }
};
