#pragma once

#include "metrics/Metric.h"

/// Mean squared distance between measured and simulated positions over all agents and frames.
class Difference : public virtual Metric {
public:
    Difference() { name = "Difference"; }
    float evaluate(Record* record) override;
};
