#include "calibration/CalibrationRun.h"

#include <ostream>

#include "calibration/Calibration.h"
#include "data/Record.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"

float runCalibration(Record& record, Simulation& reference, Metric& metric,
                     Calibration& calibration, std::ostream& reportOut) {
    scoreReferenceFirst(record, reference, metric);
    calibration.verbose = true;
    calibration.entries.clear();
    calibration.count = 0;
    calibration.setRecord(&record);
    calibration.setMetric(&metric);
    calibration.calibrate();
    calibration.report(reportOut);
    reportOut.flush();
    return calibration.cost;
}
