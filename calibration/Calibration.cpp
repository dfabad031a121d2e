#include "calibration/Calibration.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "calibration/EvaluationPool.h"
#include "core/NumberText.h"
#include "core/Random.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"

Calibration::Calibration() = default;

void Calibration::setRecord(Record* bound) {
    record = bound;
    evaluations = 0;
    space = ParameterSpace();
    count = 0;
    if (!record || !record->boundSimulation()) {
        return;
    }
    space = ParameterSpace::perPedestrian(
        table(), record->boundSimulation()->parameterDistributionsCopy(), record->simulatedCount);
    count = space.columns();
}

int Calibration::pedestrians() const {
    return record ? record->simulatedCount : 0;
}

ParameterTable Calibration::table() const {
    return record->parameters();
}

float Calibration::evaluationCost() {
    record->reset();
    ++evaluations;
    float value = 0.0f;
    if (pool) {
        // The algorithm's own sequence is set aside while the run draws from its stream.
        const unsigned algorithmState = Random::currentState();
        Random::seed(Random::streamSeed(usedSeed, evaluations));
        value = metric->evaluate(record);
        Random::seed(algorithmState);
    } else {
        value = metric->evaluate(record);
    }
    if (onEvaluation) {
        onEvaluation(value);
    }
    return value;
}

bool Calibration::startsFrom(float value) {
    if (!refuseNonFiniteStart || std::isfinite(value)) {
        return true;
    }
    failure = "The starting parameter values cost " + NumberText::format("%g", double{value}) +
              ", not a finite number, so no trial can be compared with them; the calibration did "
              "not start. Check that the metric has something to compare (two pedestrians "
              "present together for \"Inter-pedestrian distance\") and the model's settings.";
    return false;
}

int Calibration::evaluationCosts(int trials, const std::function<void(int, float*)>& fill,
                                 std::vector<float>& costs) {
    costs.assign(static_cast<size_t>(trials), std::numeric_limits<float>::quiet_NaN());
    // A trial's values go into a table through the space, on whichever thread evaluates it.
    const auto fillTable = [&](int trial, ParameterTable target) {
        std::vector<float> values(static_cast<size_t>(space.rows()) *
                                  static_cast<size_t>(space.columns()));
        fill(trial, values.data());
        space.writeAll(target, values.data());
    };
    if (!pool) {
        for (int i = 0; i < trials; ++i) {
            if (cancelled()) {
                return i;
            }
            fillTable(i, table());
            costs[static_cast<size_t>(i)] = evaluationCost();
        }
        return trials;
    }
    // Stream seeds are numbered by evaluation, as if the trials ran one after another.
    const unsigned long long first = evaluations;
    const unsigned runSeed = usedSeed;
    const int done = pool->evaluate(
        trials, fillTable,
        [first, runSeed](int i) {
            return Random::streamSeed(runSeed, first + static_cast<unsigned long long>(i) + 1);
        },
        costs, &cancelRequest);
    evaluations += static_cast<unsigned long long>(done);
    if (onEvaluation) {
        for (int i = 0; i < done; ++i) {
            onEvaluation(costs[static_cast<size_t>(i)]);
        }
    }
    return done;
}

void Calibration::position(const std::string& text) const {
    if (onPosition) {
        onPosition(text);
    }
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
            stream << "    " << space.entries[static_cast<size_t>(k) * P + i].best << "\n";
        }
    }
}
