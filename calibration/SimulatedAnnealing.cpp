#include "calibration/SimulatedAnnealing.h"

#include <cmath>
#include <iostream>
#include <vector>

#include "core/NumberText.h"
#include "core/Random.h"
#include "run/Record.h"

SimulatedAnnealing::SimulatedAnnealing() {
    name = "Simulated Annealing";
}

SimulatedAnnealing::Stage::Stage(Calibration& shared, int& trials)
    : CalibrationStage(shared), K(trials) {
    shared.addParameter("K", std::make_unique<Configurable::Type_int>(), &K);
}

void SimulatedAnnealing::Stage::clampTrials() {
    // K below 1 would make no trial and never end.
    if (K < 1) {
        K = 1;
    }
}

bool SimulatedAnnealing::accepts(float current, float trial, float temperature) {
    if (current > trial) {
        return true;
    }
    // A NaN trial gives a NaN probability, which never exceeds r.
    const float worsening = current - trial;
    const float p = static_cast<float>(
        std::exp(static_cast<double>(worsening) /
                 (0.05 * static_cast<double>(temperature) * static_cast<double>(trial))));
    const float r = static_cast<float>(static_cast<double>(Random::draw() % 1000001) / 1000000.0);
    return p > r;
}

void SimulatedAnnealing::Stage::run() {
    clampSettings();
    ParameterSpace& space = calibration.space;
    const size_t E = space.size();
    // The values before a trial, to go back to when it is not accepted.
    std::vector<float> saved(E);
    banner();
    seedGenerator();
    float current = evaluationCost();
    if (!startsFrom(current)) {
        return;
    }
    float best = current;
    float passStart = current;
    int stall = 0;
    for (int pass = 1;; ++pass) {
        costLine(best);
        const float temperature = static_cast<float>(K - stall) / static_cast<float>(K);
        for (size_t e = 0; e < E && !cancelled(); ++e) {
            ParameterEntry& entry = space.entries[e];
            position(NumberText::format("pass %d, temperature %g, entry %zu of %zu", pass,
                                        static_cast<double>(temperature), e + 1, E));
            for (int trial = 0; trial < K && !cancelled(); ++trial) {
                readValues(saved.data());
                setValue(e, entry.distribution.sample());
                const float c = evaluationCost();
                if (accepts(current, c, temperature)) {
                    current = c;
                } else {
                    writeValues(saved.data());
                }
                if (best > current) {
                    for (size_t s = 0; s < E; ++s) {
                        space.entries[s].best = valueOf(s);
                    }
                    best = current;
                }
            }
        }
        if (cancelled()) {
            break;  // ends like a finished run, from the best values found
        }
        if (passStart > best) {
            stall = 0;
            passStart = best;
        } else if (++stall == K) {
            break;
        }
    }
    for (size_t s = 0; s < E; ++s) {
        setValue(s, space.entries[s].best);
    }
    calibration.cost = evaluationCost();
}
