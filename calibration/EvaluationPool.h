#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ParameterTable.h"
#include "core/ThreadGroup.h"

class ComponentRegistry;
class Experiment;
class Metric;
class Record;
class Simulation;

/// Worker threads that evaluate many parameter matrices at once. Each worker owns a model, a
/// metric and a record of its own for every experiment of the calibration, set up as the
/// calibration's, so the only thing the threads share are the experiments, which evaluations only
/// read. With several experiments, a trial scores every one of them, each run of a trial being a
/// piece of work of its own, so that the experiments of one trial are scored at once too.
class EvaluationPool {
public:
    /// One worker's own model and metric, made with the calibration's settings.
    struct Instances {
        std::unique_ptr<Simulation> model;
        std::unique_ptr<Metric> metric;
    };
    using Factory = std::function<Instances()>;
    /// Writes trial i's parameter values into a worker's parameter table.
    using Fill = std::function<void(int trial, ParameterTable table)>;
    /// The seed that the run of trial `trial` on experiment `experiment` draws from.
    using Seeds = std::function<unsigned(int trial, int experiment)>;

    /// Builds `threads` workers (at least 2, at most ThreadGroup::most; instances are made on the
    /// calling thread) and starts them waiting for work. When the system refuses a thread,
    /// failure() says so and the pool must not be used.
    EvaluationPool(int threads, const Factory& make, const Experiment& experiment);
    /// The same for several experiments, each worker with a record (and instances) for each.
    EvaluationPool(int threads, const Factory& make,
                   const std::vector<const Experiment*>& experiments);
    ~EvaluationPool();
    EvaluationPool(const EvaluationPool&) = delete;
    EvaluationPool& operator=(const EvaluationPool&) = delete;

    /// Evaluates `count` trials and returns when they are done: for each experiment e, a worker
    /// fills its table for e with trial i, resets its record, seeds its thread's generator with
    /// seeds(i, e) and lets its metric run and score the record; costs[i] is the mean of the
    /// trial's scores (summed in double in experiment order), and `scores`, when given, holds
    /// them all, trial after trial. Trials are started in order; once `stop` is set no further
    /// trial starts, and those started are finished. Returns the number evaluated (the first
    /// ones); the others' costs are left as they were.
    int evaluate(int count, const Fill& fill, const Seeds& seeds, std::vector<float>& costs,
                 const std::atomic<bool>* stop = nullptr, std::vector<float>* scores = nullptr);

    int threads() const { return static_cast<int>(workers.size()); }
    /// Experiments each trial is scored on.
    int experiments() const { return experimentCount; }
    /// Why the threads could not be started; empty when they were.
    const std::string& failure() const { return running.failure(); }

    /// The factory of instances like `model` and `metric`: the components of the same names from
    /// `registry`, given the same parameter texts. The three must outlive the pool's set-up.
    static Factory sameAs(const ComponentRegistry& registry, const Simulation& model,
                          const Metric& metric);

private:
    struct Leg;
    struct Worker;
    void work(Worker& worker);
    /// Makes every worker return.
    void stop();

    std::vector<std::unique_ptr<Worker>> workers;
    int experimentCount = 1;

    // The batch in progress, guarded by `lock` except where noted.
    std::mutex lock;
    std::condition_variable workArrived;
    std::condition_variable workDone;
    int batch = 0;      ///< number of the current batch; a change wakes the workers
    int count = 0;      ///< runs of the batch: trials × experiments
    int nextTrial = 0;  ///< the next run to take (trial × experiments + experiment)
    int finished = 0;   ///< runs done
    const std::atomic<bool>* stopRequest = nullptr;
    bool stopping = false;
    const Fill* fill = nullptr;
    const Seeds* seeds = nullptr;
    std::vector<float> runScores;  ///< the score of each run of the batch

    ThreadGroup running;  ///< one thread per worker, once started
};
