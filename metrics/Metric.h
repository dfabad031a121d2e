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

protected:
    /// Runs the record once; false when it is not bound to an experiment and a simulation.
    static bool runRecord(Record* record);
    /// The cost of a run that cannot be scored; the calibrations never count it as better.
    static float notANumber();
};
