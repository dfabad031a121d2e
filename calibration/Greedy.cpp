#include "calibration/Greedy.h"

#include <iostream>

void Greedy::calibrate() {
    banner();
    seedGenerator();
    const size_t E = entries.size();
    float current = evaluationCost();
    for (;;) {
        costLine(current);
        const float start = current;
        float best = current;
        for (size_t e = 0; e < E; ++e) {
            ParameterEntry& entry = entries[e];
            if (verbose) {
                out() << "\r    Parameter: " << e + 1 << " / " << E;
            }
            out().flush();
            for (int s = 0; s < entry.samples; ++s) {
                *entry.target = entry.distribution.sample();
                const float trial = evaluationCost();
                // A NaN trial never counts as better.
                if (best > trial) {
                    best = trial;
                    entry.best = *entry.target;
                }
            }
            *entry.target = entry.best;
        }
        if (verbose) {
            out() << "\n";
        }
        current = evaluationCost();
        cost = current;
        if (!(start - current > 0.0f)) {
            break;
        }
    }
}
