#include "calibration/CalibrationRun.h"

#include <ostream>

#include "calibration/Calibration.h"
#include "data/Record.h"
#include "metrics/Metric.h"

float runCalibration(Record& record, Simulation& reference, Metric& metric,
                     Calibration& calibration, std::ostream& reportOut) {
    Simulation* const model = record.boundSimulation();
    record.bindSimulation(&reference);
    record.reset();
    metric.evaluate(&record);
    record.bindSimulation(model);
    record.reset();
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
