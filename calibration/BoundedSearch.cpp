#include "calibration/BoundedSearch.h"

#include <algorithm>
#include <cmath>

void BoundedSearch::clampSettings() {
    budget = std::max(budget, 1);
    // A negative or NaN tolerance could never be met: the search would only end by its budget.
    tolerance = tolerance >= 0.0f ? tolerance : 0.0f;
}

bool BoundedSearch::begin() {
    clampSettings();
    banner();
    seedGenerator();
    const std::size_t n = space.size();
    startValues.assign(n, 0.0f);
    readValues(startValues.data());
    lowerEnds.assign(n, 0.0);
    upperEnds.assign(n, 0.0);
    for (const ParameterEntry& entry : space.entries) {
        const std::size_t i = space.valueIndex(entry.row, entry.column);
        lowerEnds[i] = entry.distribution.min;
        upperEnds[i] = entry.distribution.max;
    }
    bestValues = startValues;
    bestCost = evaluationCost();
    return startsFrom(bestCost);
}

void BoundedSearch::consider(const float* values, float trialCost) {
    if (bestCost > trialCost || (std::isnan(bestCost) && !std::isnan(trialCost))) {
        bestCost = trialCost;
        std::copy(values, values + bestValues.size(), bestValues.begin());
    }
}

void BoundedSearch::finish() {
    writeValues(bestValues.data());
    for (ParameterEntry& entry : space.entries) {
        entry.best = bestValues[space.valueIndex(entry.row, entry.column)];
    }
    cost = evaluationCost();
}
