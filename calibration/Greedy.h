#pragma once

#include "calibration/Calibration.h"

/// Coordinate-wise random search: each pass visits every entry, tries its samples drawn from the
/// parameter's distribution and keeps a trial value only when it lowers the best cost of the
/// pass. Passes repeat while a pass lowers the cost.
class Greedy : public virtual Calibration {
public:
    Greedy() { name = "Greedy"; }
    void calibrate() override;
    bool evaluatesInParallel() const override { return true; }
    /// The samples of the entry that has the most.
    int mostEvaluationsAtOnce() const override;

private:
    /// Entry `e`'s trials, evaluated at once by the pool.
    void tryAtOnce(size_t e, float& best);
};
