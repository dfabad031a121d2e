#pragma once

#include "calibration/Calibration.h"
#include "calibration/CalibrationStage.h"

/// Changes one value at a time like the greedy search, but also accepts a worse cost with a
/// probability that shrinks with the relative worsening and with a temperature tied to the
/// number of passes in a row without a new best. Ends after K such passes.
class SimulatedAnnealing : public Calibration {
public:
    /// The search itself, on the Calibration part it is given: this algorithm's, or that of a
    /// hybrid that runs it after the genetic search. Its K is a setting of that part.
    class Stage : public CalibrationStage {
    public:
        /// Declares "K" on the part's parameter list, bound to `trials`, which must outlive the
        /// stage.
        Stage(Calibration& shared, int& trials);
        /// Searches from the values in the record's table and leaves the best ones there.
        void run();
        /// Brings K back to at least 1.
        void clampTrials();

    private:
        int& K;
    };

    SimulatedAnnealing();
    void calibrate() override { annealing.run(); }

    /// The acceptance test of a trial cost against the current one at a temperature: always for a
    /// strictly lower cost, otherwise with probability exp((current − trial) / (0.05 × T × trial))
    /// against one draw of the shared generator. A NaN trial is never accepted.
    static bool accepts(float current, float trial, float temperature);

    /// Trials per value in each pass, and the passes without a new best that end the search.
    int K = 20;

protected:
    void clampSettings() override { annealing.clampTrials(); }

private:
    Stage annealing{*this, K};
};
