#include "metrics/Evaluation.h"

#include "run/Record.h"
#include "metrics/Metric.h"

void scoreReferenceFirst(Record& record, Simulation& reference, Metric& metric) {
    Simulation* const model = record.boundSimulation();
    record.bindSimulation(&reference);
    record.reset();
    metric.evaluate(&record);
    record.bindSimulation(model);
    record.reset();
}

float evaluateModel(Record& record, Simulation& reference, Metric& metric,
                    std::vector<float>* parts) {
    scoreReferenceFirst(record, reference, metric);
    return parts ? metric.evaluateParts(&record, *parts) : metric.evaluate(&record);
}
