#pragma once

#include "metrics/Metric.h"

/// Compares, for every pair of pedestrians, the mean squared distance between them over all
/// frames, measured against simulated.
class InterPedDist : public virtual Metric {
public:
    InterPedDist() { name = "Inter-pedestrian distance"; }
    float evaluate(Record* record) override;
};
