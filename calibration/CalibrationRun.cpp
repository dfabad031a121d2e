#include "calibration/CalibrationRun.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

#include "calibration/Calibration.h"
#include "data/Record.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

bool runCalibration(Record& record, Simulation& reference, Metric& metric, Calibration& calibration,
                    std::ostream& reportOut, int jobs, const EvaluationPool::Factory& instances) {
    calibration.failure.clear();
    std::unique_ptr<EvaluationPool> pool;
    const std::vector<float> before(
        record.parameterMatrix,
        record.parameterMatrix + record.simulatedCount * record.parameterCount);
    try {
        scoreReferenceFirst(record, reference, metric);
        calibration.verbose = true;
        calibration.refuseNonFiniteStart = true;
        calibration.entries.clear();
        calibration.count = 0;
        calibration.setRecord(&record);
        calibration.setMetric(&metric);
        if (jobs >= 2 && instances && calibration.evaluatesInParallel() &&
            record.boundExperiment()) {
            pool = std::make_unique<EvaluationPool>(jobs, instances, *record.boundExperiment());
        }
        calibration.pool = pool.get();
        // Threads that are not busy with whole evaluations share the steps of large crowds.
        if (Simulation* model = record.boundSimulation()) {
            model->setStepThreads(pool ? 1 : jobs);
        }
        calibration.calibrate();
    } catch (const std::bad_alloc&) {
        calibration.failure = "The calibration ran out of memory and was stopped.";
    }
    calibration.pool = nullptr;
    if (!calibration.failure.empty()) {
        std::copy(before.begin(), before.end(), record.parameterMatrix);
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
