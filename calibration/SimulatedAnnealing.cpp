#include "calibration/SimulatedAnnealing.h"

#include <cmath>
#include <iostream>
#include <vector>

#include "core/NumberText.h"
#include "core/Random.h"
#include "data/Record.h"

SimulatedAnnealing::SimulatedAnnealing() {
    name = "Simulated Annealing";
    addParameter("K", std::make_unique<Type_int>(), &K);
}

void SimulatedAnnealing::clampSettings() {
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

void SimulatedAnnealing::calibrate() {
    clampSettings();
    const size_t E = static_cast<size_t>(pedestrians()) * static_cast<size_t>(count);
    std::vector<float> saved(E);
    float* const matrix = record->parameterMatrix;
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
            ParameterEntry& entry = entries[e];
            position(NumberText::format("pass %d, temperature %g, entry %zu of %zu", pass,
                                        static_cast<double>(temperature), e + 1, E));
            for (int trial = 0; trial < K && !cancelled(); ++trial) {
                std::copy(matrix, matrix + E, saved.begin());
                *entry.target = entry.distribution.sample();
                const float c = evaluationCost();
                if (accepts(current, c, temperature)) {
                    current = c;
                } else {
                    std::copy(saved.begin(), saved.end(), matrix);
                }
                if (best > current) {
                    for (ParameterEntry& snapshot : entries) {
                        snapshot.best = *snapshot.target;
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
    for (ParameterEntry& entry : entries) {
        *entry.target = entry.best;
    }
    cost = evaluationCost();
}
