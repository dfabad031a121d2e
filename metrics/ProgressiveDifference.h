#pragma once

#include "metrics/Metric.h"

/// Mean squared error of one-step velocity predictions: every agent is put into its measured
/// state of one frame, the model advances one step, and the velocity it chose is compared with
/// the measured velocity of the next frame.
class ProgressiveDifference : public virtual Metric {
public:
    ProgressiveDifference();
    /// Drives the record's simulation itself, frame by frame; does not run the record.
    float evaluate(Record* record) override { return score(record, nullptr); }
    float evaluateParts(Record* record, std::vector<float>& parts) override;

    /// Declared and editable, but no part of the value.
    int step = 30;
    /// Declared and editable, but no part of the value.
    int window = 50;

private:
    /// The score; with `parts`, also each pedestrian's part of it.
    float score(Record* record, std::vector<float>* parts);
};
