#pragma once

#include <string>
#include <vector>

#include "calibration/BoundedSearch.h"

/// A derivative-free local search of the NLopt library, BOBYQA or Nelder-Mead, bounded by the
/// parameters' ranges and started from the current values. It evaluates one point at a time; when
/// its steps fall below the tolerance it starts again from random values in the ranges, until
/// the budget is spent. Whatever ends it (an error of
/// the library, a trial that costs no number, a cancel), the run finishes as every run does,
/// with the best values found; an error is kept in `note` and written to the console.
class LocalSearch : public BoundedSearch {
public:
    enum class Method { bobyqa, nelderMead };

    explicit LocalSearch(Method chosen);
    void calibrate() override;

    /// Why the library ended the last search early: bad bounds (a range whose min exceeds its
    /// max), a trial that cost no number, progress limited by rounding; empty when it ended by
    /// its budget or tolerance, or was cancelled.
    std::string note;

private:
    struct Objective;
    /// Runs the library's search number `run` from `start` with the evaluations the budget has
    /// left; its costs pass through `objective`. True when it converged with evaluations left
    /// and without an error, so that another search may follow.
    bool search(std::vector<double> start, Objective& objective, int run);

    Method method;
};
