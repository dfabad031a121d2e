#include "calibration/CalibrationRun.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "calibration/Calibration.h"
#include "core/ThreadGroup.h"
#include "run/Record.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

namespace {

// Builds the evaluation pool (left null when the run evaluates on the calling thread) and gives
// the model its step threads. False, with calibration.failure, when the system refused threads.
bool startThreads(Record& record, Calibration& calibration, int jobs,
                  const EvaluationPool::Factory& instances, std::unique_ptr<EvaluationPool>& pool) {
    const std::string refused = "The calibration did not start. ";
    if (jobs >= 2 && instances && calibration.evaluatesInParallel() && record.boundExperiment()) {
        // Never fewer than 2: with a pool every evaluation draws from a stream of its own, and
        // that, not the number of threads, decides the result of a model that draws.
        const int threads =
            std::max(2, std::min({jobs, calibration.mostEvaluationsAtOnce(), ThreadGroup::most}));
        pool = std::make_unique<EvaluationPool>(threads, instances, *record.boundExperiment());
        if (!pool->failure().empty()) {
            calibration.failure = refused + pool->failure();
            pool.reset();
            return false;
        }
    }
    // Threads that are not busy with whole evaluations share the steps of large crowds.
    Simulation* const model = record.boundSimulation();
    if (model && !model->setStepThreads(pool ? 1 : jobs)) {
        calibration.failure = refused + model->stepThreadsFailure();
        pool.reset();
        return false;
    }
    return true;
}

}  // namespace

bool runCalibration(Record& record, Simulation& reference, Metric& metric, Calibration& calibration,
                    std::ostream& reportOut, int jobs, const EvaluationPool::Factory& instances) {
    calibration.failure.clear();
    std::unique_ptr<EvaluationPool> pool;
    const std::vector<float> before = record.parameters().values();
    try {
        scoreReferenceFirst(record, reference, metric);
        calibration.verbose = true;
        calibration.refuseNonFiniteStart = true;
        calibration.setRecord(&record);
        calibration.setMetric(&metric);
        if (startThreads(record, calibration, jobs, instances, pool)) {
            calibration.pool = pool.get();
            calibration.calibrate();
        }
    } catch (const std::bad_alloc&) {
        calibration.failure = "The calibration ran out of memory and was stopped.";
    }
    calibration.pool = nullptr;
    if (!calibration.failure.empty()) {
        std::vector<float>& values = record.parameters().values();
        std::copy(before.begin(), before.begin() + std::min(before.size(), values.size()),
                  values.begin());
        calibration.cost = std::numeric_limits<float>::quiet_NaN();
        return false;
    }
    if (calibration.cancelled()) {
        reportOut << "\n# Cancelled after " << calibration.evaluationCount()
                  << " evaluations; the best values found follow.\n";
    }
    calibration.report(reportOut);
    reportOut.flush();
    return true;
}
