#include "metrics/Evaluation.h"

#include "data/Record.h"
#include "metrics/Metric.h"

void scoreReferenceFirst(Record& record, Simulation& reference, Metric& metric) {
    Simulation* const model = record.boundSimulation();
    record.bindSimulation(&reference);
    record.reset();
    metric.evaluate(&record);
    record.bindSimulation(model);
    record.reset();
}

float evaluateModel(Record& record, Simulation& reference, Metric& metric) {
    scoreReferenceFirst(record, reference, metric);
    return metric.evaluate(&record);
}
