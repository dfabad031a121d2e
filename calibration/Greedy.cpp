#include "calibration/Greedy.h"

#include "core/NumberText.h"
#include "run/Record.h"

#include <algorithm>
#include <iostream>
#include <vector>

void Greedy::Stage::run() {
    banner();
    seedGenerator();
    ParameterSpace& space = calibration.space;
    const size_t E = space.size();
    float current = evaluationCost();
    if (!startsFrom(current)) {
        return;
    }
    for (int pass = 1;; ++pass) {
        costLine(current);
        const float start = current;
        float best = current;
        for (size_t e = 0; e < E && !cancelled(); ++e) {
            ParameterEntry& entry = space.entries[e];
            if (calibration.verbose) {
                out() << "\r    Parameter: " << e + 1 << " / " << E;
            }
            out().flush();
            position(NumberText::format("pass %d, entry %zu of %zu", pass, e + 1, E));
            if (calibration.pool) {
                tryAtOnce(e, best);
            } else {
                for (int s = 0; s < entry.samples && !cancelled(); ++s) {
                    setValue(e, entry.distribution.sample());
                    const float trial = evaluationCost();
                    // A NaN trial never counts as better.
                    if (best > trial) {
                        best = trial;
                        entry.best = valueOf(e);
                    }
                }
            }
            setValue(e, entry.best);
        }
        if (calibration.verbose) {
            out() << "\n";
        }
        // A cancelled run ends like a finished one: best values in place, one last evaluation.
        current = evaluationCost();
        calibration.cost = current;
        if (cancelled() || !(start - current > 0.0f)) {
            break;
        }
    }
}

int Greedy::Stage::mostEvaluationsAtOnce() const {
    int most = 1;
    for (const ParameterEntry& entry : calibration.space.entries) {
        most = std::max(most, entry.samples);
    }
    return most;
}

void Greedy::Stage::tryAtOnce(size_t e, float& best) {
    ParameterSpace& space = calibration.space;
    ParameterEntry& entry = space.entries[e];
    // The samples are drawn first, in the order the trials would draw them one by one; then
    // the kept value is chosen by the same rule, in the same order.
    std::vector<float> values(static_cast<size_t>(std::max(entry.samples, 0)));
    for (float& value : values) {
        value = entry.distribution.sample();
    }
    // Every trial holds the current values but for this entry's.
    std::vector<float> base(static_cast<size_t>(space.rows()) *
                            static_cast<size_t>(space.columns()));
    readValues(base.data());
    const size_t cell = space.valueIndex(entry.row, entry.column);
    std::vector<float> costs;
    const int done = evaluationCosts(
        static_cast<int>(values.size()),
        [&](int i, float* trial) {
            std::copy(base.begin(), base.end(), trial);
            trial[cell] = values[static_cast<size_t>(i)];
        },
        costs);
    for (size_t i = 0; i < static_cast<size_t>(done); ++i) {
        if (best > costs[i]) {
            best = costs[i];
            entry.best = values[i];
        }
    }
}
