#pragma once

#include "metrics/Metric.h"

/// Compares the mean rotation of the crowd about the origin, measured against simulated.
/// With "save" set, each evaluation also reports both means.
class Vorticity : public virtual Metric {
public:
    Vorticity();
    float evaluate(Record* record) override;

    /// Rotation term of a point (x, y) (m) moving at (vx, vy) (m/s): x·vy − y·vx, divided by
    /// r⁴ unless the point is within r² ≤ 1e-7 m² of the origin.
    static float rotationTerm(float x, float y, float vx, float vy);

    /// Report both means on the console (setConsole) after each evaluation.
    bool save = false;
};
