#include "calibration/Greedy.h"

#include "core/NumberText.h"
#include "data/Record.h"

#include <algorithm>
#include <iostream>
#include <vector>

void Greedy::calibrate() {
    banner();
    seedGenerator();
    const size_t E = entries.size();
    float current = evaluationCost();
    if (!startsFrom(current)) {
        return;
    }
    for (int pass = 1;; ++pass) {
        costLine(current);
        const float start = current;
        float best = current;
        for (size_t e = 0; e < E && !cancelled(); ++e) {
            ParameterEntry& entry = entries[e];
            if (verbose) {
                out() << "\r    Parameter: " << e + 1 << " / " << E;
            }
            out().flush();
            position(NumberText::format("pass %d, entry %zu of %zu", pass, e + 1, E));
            if (pool) {
                tryAtOnce(entry, best);
            } else {
                for (int s = 0; s < entry.samples && !cancelled(); ++s) {
                    *entry.target = entry.distribution.sample();
                    const float trial = evaluationCost();
                    // A NaN trial never counts as better.
                    if (best > trial) {
                        best = trial;
                        entry.best = *entry.target;
                    }
                }
            }
            *entry.target = entry.best;
        }
        if (verbose) {
            out() << "\n";
        }
        // A cancelled run ends like a finished one: best values in place, one last evaluation.
        current = evaluationCost();
        cost = current;
        if (cancelled() || !(start - current > 0.0f)) {
            break;
        }
    }
}

int Greedy::mostEvaluationsAtOnce() const {
    int most = 1;
    for (const ParameterEntry& entry : entries) {
        most = std::max(most, entry.samples);
    }
    return most;
}

void Greedy::tryAtOnce(ParameterEntry& entry, float& best) {
    // The samples are drawn first, in the order the trials would draw them one by one; then
    // the kept value is chosen by the same rule, in the same order.
    std::vector<float> values(static_cast<size_t>(std::max(entry.samples, 0)));
    for (float& value : values) {
        value = entry.distribution.sample();
    }
    const float* const base = record->parameterMatrix;
    const size_t cells = static_cast<size_t>(record->simulatedCount) * record->parameterCount;
    const std::ptrdiff_t cell = entry.target - base;
    std::vector<float> costs;
    const int done = evaluationCosts(
        static_cast<int>(values.size()),
        [&](int i, float* matrix) {
            std::copy(base, base + cells, matrix);
            matrix[cell] = values[static_cast<size_t>(i)];
        },
        costs);
    for (size_t i = 0; i < static_cast<size_t>(done); ++i) {
        if (best > costs[i]) {
            best = costs[i];
            entry.best = values[i];
        }
    }
}
