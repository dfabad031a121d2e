#include "metrics/Evaluation.h"

#include <limits>

#include "metrics/Metric.h"
#include "run/Record.h"

void scoreReferenceFirst(Record& record, Simulation& reference, Metric& metric) {
    Simulation* const model = record.boundSimulation();
    record.bindSimulation(&reference);
    record.reset();
    metric.evaluate(&record);
    record.bindSimulation(model);
    record.reset();
}

float meanScore(const std::vector<float>& scores) {
    double sum = 0.0;
    for (const float score : scores) {
        sum += score;
    }
    return scores.empty() ? std::numeric_limits<float>::quiet_NaN()
                          : static_cast<float>(sum / static_cast<double>(scores.size()));
}

float evaluateModel(Record& record, Simulation& reference, Metric& metric,
                    std::vector<float>* parts) {
    scoreReferenceFirst(record, reference, metric);
    return parts ? metric.evaluateParts(&record, *parts) : metric.evaluate(&record);
}
