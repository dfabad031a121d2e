#include "calibration/Calibration.h"

#include <ctime>
#include <iostream>

#include "core/Random.h"
#include "data/Record.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"

Calibration::Calibration() : console(&std::cout) {}

void Calibration::setRecord(Record* bound) {
    record = bound;
    entries.clear();
    count = 0;
    if (!record || !record->boundSimulation()) {
        return;
    }
    const std::vector<PDF> distributions = record->boundSimulation()->parameterDistributionsCopy();
    const int P = record->simulatedCount;
    for (size_t k = 0; k < distributions.size(); ++k) {
        for (int i = 0; i < P; ++i) {
            ParameterEntry entry;
            entry.target = record->parameterMatrix + i * record->parameterCount + k;
            entry.samples = 20;
            entry.distribution = distributions[k];
            entry.best = *entry.target;
            entries.push_back(entry);
        }
        ++count;
    }
}

int Calibration::pedestrians() const {
    return record ? record->simulatedCount : 0;
}

float Calibration::evaluationCost() {
    record->reset();
    const float value = metric->evaluate(record);
    if (onEvaluation) {
        onEvaluation(value);
    }
    return value;
}

void Calibration::seedGenerator() {
    usedSeed = seedIsFixed ? fixedSeed : static_cast<unsigned>(std::time(nullptr));
    Random::seed(usedSeed);
}

void Calibration::banner() {
    if (verbose) {
        out() << "\n--CALIBRATING--\n\n";
    }
}

void Calibration::costLine(float value) {
    if (verbose) {
        out() << "Cost: " << value << "\n";
    }
}

void Calibration::report(std::ostream& stream) const {
    stream << "\n#--BEST PARAMETERS--\n\n";
    stream << "%%cost\n" << cost << "\n";
    const int P = pedestrians();
    for (int k = 0; k < count; ++k) {
        stream << "%%parameter_" << k << "\n";
        for (int i = 0; i < P; ++i) {
            stream << "    " << entries[static_cast<size_t>(k) * P + i].best << "\n";
        }
    }
}
