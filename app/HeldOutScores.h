#pragma once

/// A held-out recording's scores by one metric: with the values a calibration fitted on other
/// recordings, with the model's own defaults, and with "Constant Velocity", the baseline of
/// prediction studies.
struct HeldOutScores {
    double fitted = 0.0;
    double defaults = 0.0;
    double constantVelocity = 0.0;
};
