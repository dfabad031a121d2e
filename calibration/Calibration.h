#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "calibration/ParameterSpace.h"
#include "core/Configurable.h"
#include "core/PDF.h"

class EvaluationPool;
class Metric;
class Record;

/// One calibrated value: a pedestrian's (or all pedestrians') value of one distributed model
/// parameter.
using ParameterEntry = ParameterSpace::Entry;

/// Abstract base of the parameter-optimisation algorithms. It owns the parameter space searched
/// (parameter-major: entry k × P + i is pedestrian i's value of parameter k; one entry per
/// parameter in the shared scope), the binding to the records and the metric, the best cost, the
/// console conventions and the best-parameter report. Trial values go into the records'
/// parameter tables in place, through the space.
///
/// With several records (recordings, each bound to a model of its own), the scope must be shared:
/// the cost of a set of values is the mean of the records' scores, each run drawing from a stream
/// of its own seeded from the run's seed, the evaluation's number and the recording's place, so
/// that the result is the same however many threads evaluate the recordings.
class Calibration : public Configurable {
public:
    Calibration();
    ~Calibration() override = default;

    /// Brings out-of-range settings back to the nearest supported value.
    void parametersCommitted() override { clampSettings(); }

    /// Runs the optimisation. Afterwards the matrix holds the best values found, every entry's
    /// best equals its cell, and cost holds the metric's value of one last run with them.
    virtual void calibrate() = 0;

    /// Binds the record and rebuilds the space from its model's distributions and table.
    void setRecord(Record* bound);
    /// Binds several records, the first one standing for all where one is needed (its table
    /// holds the values searched, which are copied into the others). More than one record needs
    /// the shared scope; the space is left empty otherwise.
    void setRecords(const std::vector<Record*>& bound);
    /// The bound records, in their order.
    const std::vector<Record*>& boundRecords() const { return records; }
    /// Each record's score in the first evaluation of the last run (the starting values) and in
    /// its last evaluation on the calling thread (the best values, once the run has ended).
    const std::vector<float>& startScores() const { return firstScores; }
    const std::vector<float>& bestScores() const { return lastScores; }
    void setMetric(Metric* bound) { metric = bound; }
    /// Writes the best-parameter report.
    void report(std::ostream& out) const;

    /// Seeds every following run with `seed` instead of the calendar time, so that the same
    /// seed, experiment, model, metric and settings give the same result.
    void setSeed(unsigned seed) {
        fixedSeed = seed;
        seedIsFixed = true;
    }
    /// Returns to seeding with the calendar time.
    void clearSeed() { seedIsFixed = false; }
    /// The seed of the last run.
    unsigned lastSeed() const { return usedSeed; }
    /// Evaluations of the current (or last) run.
    unsigned long long evaluationCount() const { return evaluations; }

    /// Where the progress text goes when verbose (nowhere unless set).
    void setConsole(std::ostream& out) { console = &out; }
    /// Called with the cost of every evaluation, in order (progress displays, traces).
    std::function<void(float)> onEvaluation;

    /// Called when the algorithm moves on ("pass 2, entry 5 of 24"), for progress displays.
    std::function<void(const std::string&)> onPosition;

    /// Asks the run to stop after the evaluation in progress and end as a finished run does,
    /// with the best values found so far. Safe from any thread and from a signal handler.
    void requestCancel() { cancelRequest.store(true, std::memory_order_relaxed); }
    /// True once a cancel has been requested (until the next run starts).
    bool cancelled() const { return cancelRequest.load(std::memory_order_relaxed); }
    /// Forgets a cancel request, before a new run.
    void clearCancel() { cancelRequest.store(false, std::memory_order_relaxed); }

    /// Worker threads for the evaluations that do not depend on each other, or null to evaluate
    /// everything on the calling thread. With workers, every evaluation draws from a stream of
    /// its own, seeded from the run's seed and the evaluation's number, so the result is the
    /// same whatever the number of workers. Not owned.
    EvaluationPool* pool = nullptr;
    /// Whether the algorithm has evaluations that can run at once (a pool is worth building).
    virtual bool evaluatesInParallel() const { return false; }
    /// The most evaluations the algorithm runs at once, once the record is bound: more threads
    /// than this would only wait.
    virtual int mostEvaluationsAtOnce() const { return 1; }

    /// Which values the next binding searches: one per pedestrian (the default) or one for all.
    ParameterScope scope = ParameterScope::pedestrian;
    /// The values searched, one per pedestrian (or one for all) and distributed parameter.
    ParameterSpace space;
    Record* record = nullptr;
    int count = 0;       ///< distributed parameters taken from the model
    float cost = -1.0f;  ///< best cost of the last calibration
    /// Why the last run did not complete (its working storage could not be had, or the starting
    /// values cost no finite number); empty when it did. A refused run leaves the matrix as it
    /// was.
    std::string failure;
    bool verbose = false;
    /// Whether a run whose starting values cost no finite number is refused rather than run:
    /// no trial could ever be compared with that cost, so the search would go blind and report
    /// a cost that means nothing. The programs set it; an algorithm on its own runs anyway.
    bool refuseNonFiniteStart = false;
    Metric* metric = nullptr;

protected:
    /// Resets the records (the matrix values go to the agents) and lets the metric run and score
    /// each once; the mean of their scores.
    float evaluationCost();
    /// The first record's parameter table, which trial values go into.
    ParameterTable table() const;
    /// Entry `e`'s value in the records' tables.
    float valueOf(std::size_t e) const { return space.value(table(), e); }
    /// Puts `value` into every record's table as entry `e`.
    void setValue(std::size_t e, float value) const;
    /// Reads every searched value (rows × columns of the space, row after row).
    void readValues(float* values) const { space.readAll(table(), values); }
    /// Writes a whole set of searched values into every record's table.
    void writeValues(const float* values) const;
    /// False, with failure set, when the run refuses a non-finite starting cost (see
    /// refuseNonFiniteStart) and `cost`, that of the starting values, is one.
    bool startsFrom(float cost);
    /// The costs of `count` trials that do not depend on each other: trial i's whole set of
    /// searched values (rows × columns of the space, row after row) is what fill(i, values)
    /// writes. With a pool they run at once; without one, one after another in the record's own
    /// table, exactly as evaluationCost does. Either way onEvaluation sees them in trial order.
    /// After a cancel request no further trial starts: the trials evaluated are always the
    /// first ones, and their number is returned.
    int evaluationCosts(int count, const std::function<void(int, float*)>& fill,
                        std::vector<float>& costs);
    /// Reports the algorithm's position through onPosition.
    void position(const std::string& text) const;
    /// Seeds the shared generator at the start of a run.
    void seedGenerator();
    /// Writes the start banner when verbose.
    void banner();
    /// Writes "Cost: " and a cost when verbose.
    void costLine(float value);
    /// Clamps the settings of the algorithm; hybrids clamp both parts.
    virtual void clampSettings() {}
    /// Pedestrians per parameter (the record's simulated count).
    int pedestrians() const;
    std::ostream& out() { return console ? *console : silent; }

private:
    // The searches a hybrid runs one after the other work on its part through a stage.
    friend class CalibrationStage;

    /// Where progress goes; null, the default, discards it (into `silent`).
    std::ostream* console = nullptr;
    std::ostream silent{nullptr};
    /// The mean score of the records after an evaluation numbered `number`, each run from its
    /// own stream; keeps the scores for startScores and bestScores.
    float scoreRecords(unsigned long long number);
    /// The stream that the run of recording `recording` in evaluation `number` draws from.
    unsigned streamOf(unsigned long long number, int recording) const;
    /// Keeps the scores of evaluation `number` for startScores and bestScores.
    void keepScores(unsigned long long number, std::vector<float> scores);
    /// The same, with the recordings shared among the pool's workers.
    float scoreRecordsOnPool(unsigned long long number);

    std::vector<Record*> records;
    std::vector<float> firstScores;
    std::vector<float> lastScores;
    unsigned long long evaluations = 0;  ///< evaluations of the current run so far
    std::atomic<bool> cancelRequest{false};
    unsigned fixedSeed = 0;
    unsigned usedSeed = 0;
    bool seedIsFixed = false;
};
