#pragma once

#include "core/Configurable.h"

class Record;

/// Turns one simulated run into one cost, comparing the record's simulated trajectories with its
/// experiment's measured ones; lower is better. Concrete metrics derive virtually, so that the
/// factory's Metric pointer is the one the owner deletes.
class Metric : public Configurable {
public:
    ~Metric() override = default;
    /// Runs the record once and scores it. The caller has reset the record before.
    virtual float evaluate(Record* record) = 0;
};
