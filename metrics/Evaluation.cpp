#include "metrics/Evaluation.h"

#include "data/Record.h"
#include "metrics/Metric.h"

float evaluateModel(Record& record, Simulation& reference, Metric& metric) {
    Simulation* const model = record.boundSimulation();
    record.bindSimulation(&reference);
    record.reset();
    metric.evaluate(&record);
    record.bindSimulation(model);
    record.reset();
    return metric.evaluate(&record);
}
