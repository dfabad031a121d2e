#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/Configurable.h"

class Record;
class Simulation;

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

    /// Makes models like the record's, with the same settings.
    using ModelFactory = std::function<std::unique_ptr<Simulation>()>;
    /// Lets a metric whose score is made of runs that do not depend on each other share each
    /// evaluation among `threads` threads, each with a model from `make`, with the same score
    /// for every count. Other metrics ignore it; 1 or less runs everything on the calling thread.
    virtual void shareRuns(int threads, ModelFactory make) {
        static_cast<void>(threads);
        static_cast<void>(make);
    }

    /// Why the last evaluation scored no number, when the metric can say; empty otherwise.
    const std::string& problem() const { return lastProblem; }

protected:
    /// Says why the evaluation in progress scores no number; empty clears it.
    void setProblem(std::string text) { lastProblem = std::move(text); }
    /// Runs the record once; false when it is not bound to an experiment and a simulation.
    static bool runRecord(Record* record);
    /// The cost of a run that cannot be scored; the calibrations never count it as better.
    static float notANumber();

private:
    std::ostream* reportStream = nullptr;
    std::string lastProblem;
};
