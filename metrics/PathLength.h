#pragma once

#include "metrics/Metric.h"

/// Compares the sum of squared step lengths per pedestrian over the first 80 % of the frames,
/// measured against simulated, summing the absolute differences.
class PathLength : public virtual Metric {
public:
    PathLength() { name = "Path Length"; }
    float evaluate(Record* record) override { return score(record, nullptr); }
    float evaluateParts(Record* record, std::vector<float>& parts) override;

private:
    /// The score; with `parts`, also each pedestrian's part of it.
    float score(Record* record, std::vector<float>* parts);
};
