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
/// metric and a record of its own, set up for the same experiment as the calibration's, so the
/// only thing the threads share is the experiment, which evaluations only read.
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

    /// Builds `threads` workers (at least 2, at most ThreadGroup::most; instances are made on the
    /// calling thread) and starts them waiting for work. When the system refuses a thread,
    /// failure() says so and the pool must not be used.
    EvaluationPool(int threads, const Factory& make, const Experiment& experiment);
    ~EvaluationPool();
    EvaluationPool(const EvaluationPool&) = delete;
    EvaluationPool& operator=(const EvaluationPool&) = delete;

    /// Evaluates `count` trials and returns when they are done: a worker fills its table with
    /// trial i, resets its record, seeds its thread's generator with seeds(i) and lets its
    /// metric run and score the record; costs[i] is the score. Trials are started in order;
    /// once `stop` is set no further trial starts. Returns the number evaluated (the first
    /// ones); the others' costs are left as they were.
    int evaluate(int count, const Fill& fill, const std::function<unsigned(int)>& seeds,
                 std::vector<float>& costs, const std::atomic<bool>* stop = nullptr);

    int threads() const { return static_cast<int>(workers.size()); }
    /// Why the threads could not be started; empty when they were.
    const std::string& failure() const { return running.failure(); }

    /// The factory of instances like `model` and `metric`: the components of the same names from
    /// `registry`, given the same parameter texts. The three must outlive the pool's set-up.
    static Factory sameAs(const ComponentRegistry& registry, const Simulation& model,
                          const Metric& metric);

private:
    struct Worker;
    void work(Worker& worker);
    /// Makes every worker return.
    void stop();

    std::vector<std::unique_ptr<Worker>> workers;

    // The batch in progress, guarded by `lock` except where noted.
    std::mutex lock;
    std::condition_variable workArrived;
    std::condition_variable workDone;
    int batch = 0;      ///< number of the current batch; a change wakes the workers
    int count = 0;      ///< trials of the batch
    int nextTrial = 0;  ///< the next trial to take
    int finished = 0;   ///< trials done
    const std::atomic<bool>* stopRequest = nullptr;
    bool stopping = false;
    const Fill* fill = nullptr;
    const std::function<unsigned(int)>* seeds = nullptr;
    std::vector<float>* costs = nullptr;

    ThreadGroup running;  ///< one thread per worker, once started
};
