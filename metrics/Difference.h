#pragma once

#include "metrics/Metric.h"

/// Mean squared distance between measured and simulated positions over all agents and frames.
class Difference : public virtual Metric {
public:
    Difference() { name = "Difference"; }
    float evaluate(Record* record) override { return score(record, nullptr); }
    float evaluateParts(Record* record, std::vector<float>& parts) override;

private:
    /// The score; with `parts`, also each pedestrian's part of it.
    float score(Record* record, std::vector<float>* parts);
};
