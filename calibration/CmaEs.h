#pragma once

#include "calibration/BoundedSearch.h"

/// The covariance matrix adaptation evolution strategy (CmaEsSearch) on the box of the
/// parameters' ranges, each mapped onto [0, 1]: it starts from the current values, evaluates a
/// generation's samples at once, and restarts from random points with a doubled population while
/// the budget lasts.
class CmaEs : public BoundedSearch {
public:
    /// From this many searched values on, the covariance is diagonal (the separable variant).
    static constexpr int separableDefault = 40;

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
