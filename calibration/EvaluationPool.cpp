#include "calibration/EvaluationPool.h"

#include <cassert>

#include "calibration/ComponentRegistry.h"
#include "core/Random.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"

struct EvaluationPool::Worker {
    Instances instances;
    Record record;
};

EvaluationPool::EvaluationPool(int threadCount, const Factory& make, const Experiment& experiment) {
    assert(threadCount >= 2 && threadCount <= ThreadGroup::most);
    for (int i = 0; i < threadCount; ++i) {
        auto worker = std::make_unique<Worker>();
        worker->instances = make();
        worker->record.setExperiment(&experiment);
        worker->record.bindSimulation(worker->instances.model.get());
        worker->record.prepare();
        worker->record.rebuildIndex();
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

int EvaluationPool::evaluate(int trials, const Fill& fillTrial,
                             const std::function<unsigned(int)>& seedOf,
                             std::vector<float>& costsOut, const std::atomic<bool>* stop) {
    assert(failure().empty());
    costsOut.resize(static_cast<size_t>(trials));
    if (trials == 0) {
        return 0;
    }
    std::unique_lock<std::mutex> guard(lock);
    count = trials;
    nextTrial = 0;
    finished = 0;
    fill = &fillTrial;
    seeds = &seedOf;
    costs = &costsOut;
    stopRequest = stop;
    ++batch;
    workArrived.notify_all();
    // Done when every trial that was started has finished and no more will start.
    workDone.wait(guard, [this] { return finished == nextTrial && nextTrial == count; });
    const int done = finished;
    fill = nullptr;
    seeds = nullptr;
    costs = nullptr;
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
            if (stopRequest && stopRequest->load(std::memory_order_relaxed)) {
                // No further trial starts; the batch ends when those running have finished.
                count = nextTrial;
                if (finished == count) {
                    workDone.notify_one();
                }
                break;
            }
            const int trial = nextTrial++;
            const Fill& fillTrial = *fill;
            const unsigned seed = (*seeds)(trial);
            guard.unlock();
            Record& record = worker.record;
            fillTrial(trial, record.parameters());
            record.reset();
            Random::seed(seed);
            const float cost = worker.instances.metric->evaluate(&record);
            guard.lock();
            (*costs)[static_cast<size_t>(trial)] = cost;
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
