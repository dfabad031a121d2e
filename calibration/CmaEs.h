#pragma once

#include "calibration/BoundedSearch.h"

/// The covariance matrix adaptation evolution strategy (CmaEsSearch) on the box of the
/// parameters' ranges, each mapped onto [0, 1]: it starts from the current values, evaluates a
/// generation's samples at once, and restarts from random points with a doubled population while
/// the budget lasts.
class CmaEs : public BoundedSearch {
public:
    /// From this many searched values on, the covariance is diagonal (the separable variant).
    /// Measured on per-pedestrian calibrations of the shipped recordings (bench/optimisers):
    /// with 12, 16 and 20 values the full covariance came closer to the best cost in 20,000
    /// evaluations, with 24, 30, 50, 60 and 300 the diagonal one did (40 was a draw): a full
    /// covariance of n values needs some n² evaluations to learn, more than a calibration has.
    static constexpr int separableDefault = 24;

    CmaEs();
    void calibrate() override;
    bool evaluatesInParallel() const override { return true; }
    /// The largest generation the budget allows, the last restart's.
    int mostEvaluationsAtOnce() const override;

    /// Samples per generation of the first run; 0 for 4 + ⌊3 ln n⌋ with n searched values.
    int population = 0;
    /// The searched values from which the covariance is diagonal; not a setting of the lists,
    /// so that benchmarks can compare both variants at any size.
    int separableFrom = separableDefault;

protected:
    void clampSettings() override;
};
