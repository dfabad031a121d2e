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
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"

namespace {

// Builds the evaluation pool (left null when the run evaluates on the calling thread) and gives
// the model its step threads. False, with calibration.failure, when the system refused threads.
bool startThreads(const std::vector<CalibratedRecording>& recordings, Calibration& calibration,
                  int jobs, const EvaluationPool::Factory& instances,
                  std::unique_ptr<EvaluationPool>& pool) {
    const std::string refused = "The calibration did not start. ";
    std::vector<const Experiment*> experiments;
    for (const CalibratedRecording& recording : recordings) {
        experiments.push_back(recording.record->boundExperiment());
    }
    const int count = static_cast<int>(experiments.size());
    const bool hasExperiments =
        std::find(experiments.begin(), experiments.end(), nullptr) == experiments.end();
    if (jobs >= 2 && instances && hasExperiments &&
        (calibration.evaluatesInParallel() || count > 1)) {
        // Never fewer than 2: with a pool every evaluation draws from a stream of its own, and
        // that, not the number of threads, decides the result of a model that draws.
        const int atOnce = calibration.mostEvaluationsAtOnce() * count;
        const int threads = std::max(2, std::min({jobs, atOnce, ThreadGroup::most}));
        pool = std::make_unique<EvaluationPool>(threads, instances, experiments);
        if (!pool->failure().empty()) {
            calibration.failure = refused + pool->failure();
            pool.reset();
            return false;
        }
    }
    // Threads that are not busy with whole evaluations share the runs a metric is made of, and
    // the steps of large crowds.
    if (!pool && jobs >= 2 && instances) {
        calibration.metric->shareRuns(jobs, [instances] { return instances().model; });
    }
    for (const CalibratedRecording& recording : recordings) {
        Simulation* const model = recording.record->boundSimulation();
        if (model && !model->setStepThreads(pool ? 1 : jobs)) {
            calibration.failure = refused + model->stepThreadsFailure();
            pool.reset();
            return false;
        }
    }
    return true;
}

}  // namespace

bool runCalibration(Record& record, Simulation& reference, Metric& metric, Calibration& calibration,
                    std::ostream& reportOut, int jobs, const EvaluationPool::Factory& instances) {
    return runCalibration({{&record, &reference}}, metric, calibration, reportOut, jobs, instances);
}

bool runCalibration(const std::vector<CalibratedRecording>& recordings, Metric& metric,
                    Calibration& calibration, std::ostream& reportOut, int jobs,
                    const EvaluationPool::Factory& instances) {
    calibration.failure.clear();
    std::unique_ptr<EvaluationPool> pool;
    std::vector<Record*> records;
    std::vector<std::vector<float>> before;
    for (const CalibratedRecording& recording : recordings) {
        records.push_back(recording.record);
        before.push_back(recording.record->parameters().values());
    }
    try {
        for (const CalibratedRecording& recording : recordings) {
            scoreReferenceFirst(*recording.record, *recording.reference, metric);
        }
        calibration.verbose = true;
        calibration.refuseNonFiniteStart = true;
        calibration.setRecords(records);
        calibration.setMetric(&metric);
        if (records.size() > 1 && calibration.scope != ParameterScope::shared) {
            calibration.failure =
                "A calibration of several recordings searches values shared by all pedestrians "
                "(scope shared): the pedestrians of different recordings are not the same.";
        } else if (startThreads(recordings, calibration, jobs, instances, pool)) {
            calibration.pool = pool.get();
            calibration.calibrate();
        }
    } catch (const std::bad_alloc&) {
        calibration.failure = "The calibration ran out of memory and was stopped.";
    }
    calibration.pool = nullptr;
    metric.shareRuns(1, {});
    if (!calibration.failure.empty()) {
        for (std::size_t r = 0; r < records.size(); ++r) {
            std::vector<float>& values = records[r]->parameters().values();
            std::copy(before[r].begin(),
                      before[r].begin() + std::min(before[r].size(), values.size()),
                      values.begin());
        }
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
