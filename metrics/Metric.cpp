#include "metrics/Metric.h"

#include <limits>

#include "run/Record.h"

bool Metric::runRecord(Record* record) {
    if (!record || !record->boundExperiment() || !record->boundSimulation()) {
        return false;
    }
    record->run();
    return true;
}

float Metric::notANumber() {
    return std::numeric_limits<float>::quiet_NaN();
}
