#pragma once

#include <iosfwd>
#include <vector>

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
    /// Scores as evaluate does and, for a metric that is a sum over pedestrians, gives each
    /// pedestrian's part of the score in `parts` (one per simulated pedestrian; they add up to
    /// the score); other metrics leave `parts` empty.
    virtual float evaluateParts(Record* record, std::vector<float>& parts) {
        parts.clear();
        return evaluate(record);
    }

    /// Where a metric that reports what it measured (Vorticity's "save") writes it; null, the
    /// default, writes nothing. The stream must outlive the metric's evaluations.
    void setConsole(std::ostream* stream) { reportStream = stream; }
    std::ostream* console() const { return reportStream; }

protected:
    /// Runs the record once; false when it is not bound to an experiment and a simulation.
    static bool runRecord(Record* record);
    /// The cost of a run that cannot be scored; the calibrations never count it as better.
    static float notANumber();

private:
    std::ostream* reportStream = nullptr;
};
