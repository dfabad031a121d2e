#pragma once

#include <cstddef>
#include <vector>

#include "calibration/Calibration.h"

/// Base of the searches that treat the searched values as one point in the box of their
/// parameters' ranges (each entry's distribution from min to max) and stop at a budget of
/// evaluations: CMA-ES, BOBYQA and Nelder-Mead. It keeps the lowest-cost values evaluated, so
/// that a run cancelled or stopped by an error still ends with the best values found.
class BoundedSearch : public Calibration {
public:
    /// Evaluations of a run, the one of the starting values included; the last evaluation of
    /// the best values, which every algorithm makes, comes on top. At least 1.
    int budget = 2000;
    /// Where a search counts as converged, as a fraction of each parameter's range (steps) or
    /// of the cost (CMA-ES's cost differences). At least 0.
    float tolerance = 0.001f;

protected:
    void clampSettings() override;

    /// Starts a run: the banner, the seed and the evaluation of the starting values, which are
    /// the best so far. False when the run refuses their cost (see startsFrom).
    bool begin();
    /// Keeps `values` (a whole set, laid out as the space lays them out) when `trialCost` is
    /// lower than the best so far. A cost that is not a number is never lower.
    void consider(const float* values, float trialCost);
    /// Ends a run: the best values go into the records and the entries, and cost is that of
    /// one last evaluation of them.
    void finish();

    /// The searched values, one coordinate each, in the space's layout.
    std::size_t dimension() const { return bestValues.size(); }
    /// Coordinate i's range: its entry's distribution, from min to max.
    double lower(std::size_t i) const { return lowerEnds[i]; }
    double upper(std::size_t i) const { return upperEnds[i]; }

    std::vector<float> startValues;  ///< the values the run started from
    float bestCost = 0.0f;

private:
    std::vector<float> bestValues;
    std::vector<double> lowerEnds;
    std::vector<double> upperEnds;
};
