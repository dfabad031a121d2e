#include "calibration/EvaluationPool.h"

#include <cassert>

#include "calibration/ComponentRegistry.h"
#include "core/Random.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"

// One experiment's share of a worker: a model and metric of its own, and the record binding them.
struct EvaluationPool::Leg {
    Instances instances;
    Record record;
};

struct EvaluationPool::Worker {
    std::vector<std::unique_ptr<Leg>> legs;  ///< one per experiment, in their order
};

EvaluationPool::EvaluationPool(int threadCount, const Factory& make, const Experiment& experiment)
    : EvaluationPool(threadCount, make, std::vector<const Experiment*>{&experiment}) {}

EvaluationPool::EvaluationPool(int threadCount, const Factory& make,
                               const std::vector<const Experiment*>& experiments)
    : experimentCount(static_cast<int>(experiments.size())) {
    assert(threadCount >= 2 && threadCount <= ThreadGroup::most && !experiments.empty());
    for (int i = 0; i < threadCount; ++i) {
        auto worker = std::make_unique<Worker>();
        for (const Experiment* experiment : experiments) {
            auto leg = std::make_unique<Leg>();
            leg->instances = make();
            leg->record.setExperiment(experiment);
            leg->record.bindSimulation(leg->instances.model.get());
            leg->record.prepare();
            leg->record.rebuildIndex();
            worker->legs.push_back(std::move(leg));
        }
        workers.push_back(std::move(worker));
    }
    running.start(
        threadCount, [this](int i) { work(*workers[static_cast<size_t>(i)]); }, [this] { stop(); });
}

EvaluationPool::~EvaluationPool() {
    stop();
    running.join();
}

void EvaluationPool::stop() {
    {
        const std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    workArrived.notify_all();
}

int EvaluationPool::evaluate(int trials, const Fill& fillTrial, const Seeds& seedOf,
                             std::vector<float>& costsOut, const std::atomic<bool>* stop,
                             std::vector<float>* scores) {
    assert(failure().empty());
    costsOut.resize(static_cast<size_t>(trials));
    if (trials == 0) {
        return 0;
    }
    std::unique_lock<std::mutex> guard(lock);
    count = trials * experimentCount;
    nextTrial = 0;
    finished = 0;
    fill = &fillTrial;
    seeds = &seedOf;
    runScores.assign(static_cast<size_t>(count), 0.0f);
    stopRequest = stop;
    ++batch;
    workArrived.notify_all();
    // Done when every run that was started has finished and no more will start.
    workDone.wait(guard, [this] { return finished == nextTrial && nextTrial == count; });
    const int done = finished / experimentCount;
    for (int trial = 0; trial < done; ++trial) {
        const auto first = runScores.begin() + trial * experimentCount;
        costsOut[static_cast<size_t>(trial)] =
            meanScore(std::vector<float>(first, first + experimentCount));
    }
    if (scores) {
        scores->assign(runScores.begin(), runScores.begin() + finished);
    }
    fill = nullptr;
    seeds = nullptr;
    stopRequest = nullptr;
    return done;
}

void EvaluationPool::work(Worker& worker) {
    int seenBatch = 0;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        workArrived.wait(guard, [&] { return stopping || batch != seenBatch; });
        if (stopping) {
            return;
        }
        seenBatch = batch;
        // Trials are taken one at a time under the lock; the evaluation itself, which takes
        // milliseconds, runs without it.
        while (nextTrial < count) {
            // A trial whose first run has started is finished: its cost is the mean of all.
            if (nextTrial % experimentCount == 0 && stopRequest &&
                stopRequest->load(std::memory_order_relaxed)) {
                // No further trial starts; the batch ends when those running have finished.
                count = nextTrial;
                if (finished == count) {
                    workDone.notify_one();
                }
                break;
            }
            const int run = nextTrial++;
            const int trial = run / experimentCount;
            const int experiment = run % experimentCount;
            const Fill& fillTrial = *fill;
            const unsigned seed = (*seeds)(trial, experiment);
            guard.unlock();
            Leg& leg = *worker.legs[static_cast<size_t>(experiment)];
            fillTrial(trial, leg.record.parameters());
            leg.record.reset();
            Random::seed(seed);
            const float cost = leg.instances.metric->evaluate(&leg.record);
            guard.lock();
            runScores[static_cast<size_t>(run)] = cost;
            if (++finished == count && nextTrial == count) {
                workDone.notify_one();
            }
        }
    }
}

EvaluationPool::Factory EvaluationPool::sameAs(const ComponentRegistry& registry,
                                               const Simulation& model, const Metric& metric) {
    return [&registry, &model, &metric]() {
        const auto copySettings = [](const Configurable& from, Configurable& to) {
            for (const std::string& name : from.parameterNames()) {
                to.setParameter(name, from.getParameter(name));
            }
            to.commitParameters();
        };
        Instances made;
        made.model = registry.simulations.create(model.name);
        made.metric = registry.metrics.create(metric.name);
        assert(made.model && made.metric);
        made.metric->setConsole(metric.console());
        copySettings(model, *made.model);
        copySettings(metric, *made.metric);
        return made;
    };
}
