#include "calibration/Calibration.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "calibration/EvaluationPool.h"
#include "core/NumberText.h"
#include "core/Random.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"

Calibration::Calibration() = default;

void Calibration::setRecord(Record* bound) {
    setRecords(bound ? std::vector<Record*>{bound} : std::vector<Record*>{});
}

void Calibration::setRecords(const std::vector<Record*>& bound) {
    records = bound;
    record = records.empty() ? nullptr : records.front();
    evaluations = 0;
    space = ParameterSpace();
    count = 0;
    firstScores.clear();
    lastScores.clear();
    if (!record || !record->boundSimulation() ||
        (records.size() > 1 && scope != ParameterScope::shared)) {
        return;
    }
    const Simulation& model = *record->boundSimulation();
    space = ParameterSpace::of(scope, table(), model.parameterDistributionsCopy(),
                               model.parameterDefaults(), record->simulatedCount);
    count = space.columns();
    if (scope == ParameterScope::shared) {
        // Every pedestrian of every recording starts from the values searched.
        std::vector<float> start(space.size());
        for (std::size_t e = 0; e < space.size(); ++e) {
            start[e] = space.entries[e].best;
        }
        writeValues(start.data());
    }
}

void Calibration::setValue(std::size_t e, float value) const {
    for (Record* bound : records) {
        space.write(bound->parameters(), e, value);
    }
}

void Calibration::writeValues(const float* values) const {
    for (Record* bound : records) {
        space.writeAll(bound->parameters(), values);
    }
}

int Calibration::pedestrians() const {
    return record ? record->simulatedCount : 0;
}

ParameterTable Calibration::table() const {
    return record->parameters();
}

float Calibration::evaluationCost() {
    ++evaluations;
    float value = 0.0f;
    if (records.size() > 1) {
        value = pool ? scoreRecordsOnPool(evaluations) : scoreRecords(evaluations);
    } else if (record->reset(); pool) {
        // The algorithm's own sequence is set aside while the run draws from its stream.
        const unsigned algorithmState = Random::currentState();
        Random::seed(Random::streamSeed(usedSeed, evaluations));
        value = metric->evaluate(record);
        Random::seed(algorithmState);
    } else {
        value = metric->evaluate(record);
    }
    if (records.size() == 1) {
        keepScores(evaluations, std::vector<float>{value});
    }
    if (onEvaluation) {
        onEvaluation(value);
    }
    return value;
}

unsigned Calibration::streamOf(unsigned long long number, int recording) const {
    const auto recordings = static_cast<unsigned long long>(records.size());
    return recordings > 1 ? Random::streamSeed(usedSeed, (number - 1) * recordings +
                                                             static_cast<unsigned>(recording) + 1)
                          : Random::streamSeed(usedSeed, number);
}

void Calibration::keepScores(unsigned long long number, std::vector<float> scores) {
    if (number == 1) {
        firstScores = scores;
    }
    lastScores = std::move(scores);
}

float Calibration::scoreRecords(unsigned long long number) {
    // The algorithm's own sequence is set aside while the runs draw from their streams.
    const unsigned algorithmState = Random::currentState();
    std::vector<float> scores(records.size());
    for (std::size_t r = 0; r < records.size(); ++r) {
        records[r]->reset();
        Random::seed(streamOf(number, static_cast<int>(r)));
        scores[r] = metric->evaluate(records[r]);
    }
    Random::seed(algorithmState);
    const float mean = meanScore(scores);
    keepScores(number, std::move(scores));
    return mean;
}

float Calibration::scoreRecordsOnPool(unsigned long long number) {
    std::vector<float> values(space.size());
    readValues(values.data());
    std::vector<float> cost;
    std::vector<float> scores;
    pool->evaluate(
        1, [&](int, ParameterTable target) { space.writeAll(target, values.data()); },
        [this, number](int, int recording) { return streamOf(number, recording); }, cost, nullptr,
        &scores);
    keepScores(number, scores);
    return cost.front();
}

bool Calibration::startsFrom(float value) {
    if (!refuseNonFiniteStart || std::isfinite(value)) {
        return true;
    }
    failure = "The starting parameter values cost " + NumberText::format("%g", double{value}) +
              ", not a finite number, so no trial can be compared with them; the calibration did "
              "not start. ";
    failure += metric && !metric->problem().empty()
                   ? "\"" + metric->name + "\" says " + metric->problem() + "."
                   : std::string("Check that the metric has something to compare (two pedestrians "
                                 "present together for \"Inter-pedestrian distance\") and the "
                                 "model's settings.");
    return false;
}

int Calibration::evaluationCosts(int trials, const std::function<void(int, float*)>& fill,
                                 std::vector<float>& costs) {
    costs.assign(static_cast<size_t>(trials), std::numeric_limits<float>::quiet_NaN());
    // A trial's values go into a table through the space, on whichever thread evaluates it.
    const auto valuesOf = [&](int trial) {
        std::vector<float> values(space.size());
        fill(trial, values.data());
        return values;
    };
    if (!pool) {
        for (int i = 0; i < trials; ++i) {
            if (cancelled()) {
                return i;
            }
            writeValues(valuesOf(i).data());
            costs[static_cast<size_t>(i)] = evaluationCost();
        }
        return trials;
    }
    // Stream seeds are numbered by evaluation, as if the trials ran one after another.
    const unsigned long long first = evaluations;
    const int done = pool->evaluate(
        trials,
        [&](int trial, ParameterTable target) { space.writeAll(target, valuesOf(trial).data()); },
        [this, first](int i, int recording) {
            return streamOf(first + static_cast<unsigned long long>(i) + 1, recording);
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
    const int rows = space.rows();
    for (int k = 0; k < count; ++k) {
        stream << "%%parameter_" << k << "\n";
        for (int i = 0; i < rows; ++i) {
            stream << "    " << space.entries[static_cast<size_t>(k) * rows + i].best << "\n";
        }
    }
}
