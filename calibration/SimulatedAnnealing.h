#pragma once

#include "calibration/Calibration.h"

/// Changes one value at a time like the greedy search, but also accepts a worse cost with a
/// probability that shrinks with the relative worsening and with a temperature tied to the
/// number of passes in a row without a new best. Ends after K such passes.
class SimulatedAnnealing : public virtual Calibration {
public:
    SimulatedAnnealing();
    void calibrate() override;

    /// The acceptance test of a trial cost against the current one at a temperature: always for a
    /// strictly lower cost, otherwise with probability exp((current − trial) / (0.05 × T × trial))
    /// against one draw of the shared generator. A NaN trial is never accepted.
    static bool accepts(float current, float trial, float temperature);

    /// Trials per value in each pass, and the passes without a new best that end the search.
    int K = 20;

protected:
    void clampSettings() override;
};
