#pragma once

#include <cstddef>

#include "calibration/Calibration.h"
#include "calibration/CalibrationStage.h"

/// Coordinate-wise random search: each pass visits every entry, tries its samples drawn from the
/// parameter's distribution and keeps a trial value only when it lowers the best cost of the
/// pass. Passes repeat while a pass lowers the cost.
class Greedy : public Calibration {
public:
    /// The search itself, on the Calibration part it is given: this algorithm's, or that of a
    /// hybrid that runs it after the genetic search.
    class Stage : public CalibrationStage {
    public:
        /// A search on `shared`, which must outlive it.
        explicit Stage(Calibration& shared) : CalibrationStage(shared) {}
        /// Searches from the values in the record's table and leaves the best ones there.
        void run();
        /// The samples of the entry that has the most.
        int mostEvaluationsAtOnce() const;

    private:
        /// Entry `e`'s trials, evaluated at once by the pool.
        void tryAtOnce(size_t e, float& best);
    };

    Greedy() { name = "Greedy"; }
    void calibrate() override { search.run(); }
    bool evaluatesInParallel() const override { return true; }
    /// The samples of the entry that has the most.
    int mostEvaluationsAtOnce() const override { return search.mostEvaluationsAtOnce(); }

private:
    Stage search{*this};
};
