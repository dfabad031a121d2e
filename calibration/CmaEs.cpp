#include "calibration/CmaEs.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "calibration/CmaEsSearch.h"
#include "core/NumberText.h"

CmaEs::CmaEs() {
    name = "CMA-ES";
    addParameter("population", std::make_unique<Type_int>(), &population);
    addParameter("budget", std::make_unique<Type_int>(), &budget);
    addParameter("tolerance", std::make_unique<Type_float>(), &tolerance);
}

void CmaEs::clampSettings() {
    BoundedSearch::clampSettings();
    population = std::max(population, 0);
}

int CmaEs::mostEvaluationsAtOnce() const {
    CmaEsSearch::Settings settings;
    settings.population = std::max(population, 0);
    settings.budget = std::max(budget, 1);
    return CmaEsSearch::largestPopulation(static_cast<int>(space.size()), settings);
}

void CmaEs::calibrate() {
    if (!begin()) {
        return;
    }
    const std::size_t n = dimension();
    // Rounding to float may step past an end of a range, which a draw never leaves.
    const auto toValues = [this, n](const std::vector<double>& point, float* values) {
        for (std::size_t i = 0; i < n; ++i) {
            const double value = lower(i) + point[i] * (upper(i) - lower(i));
            values[i] = static_cast<float>(std::min(std::max(value, std::min(lower(i), upper(i))),
                                                    std::max(lower(i), upper(i))));
        }
    };
    std::vector<double> start(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double width = upper(i) - lower(i);
        start[i] = width != 0.0 ? (startValues[i] - lower(i)) / width : 0.5;
    }

    CmaEsSearch::Settings settings;
    settings.population = population;
    settings.budget = budget - 1;  // the starting values took one
    settings.tolerance = tolerance;
    settings.separable = static_cast<long long>(n) >= separableFrom;
    CmaEsSearch search(settings);
    search.onGeneration = [this](const CmaEsSearch::Position& at) {
        costLine(bestCost);
        position(NumberText::format("run %d (population %d), generation %d, step %.3g", at.run,
                                    at.population, at.generation, at.step));
        if (at.ended && verbose) {
            out() << "Run " << at.run << " ended after " << at.generation
                  << " generations: " << at.ended << ".\n";
        }
    };
    std::vector<float> values(n);
    search.minimise(
        start, [&](const std::vector<std::vector<double>>& points, std::vector<double>& costs) {
            std::vector<float> trialCosts;
            const int done = evaluationCosts(
                static_cast<int>(points.size()),
                [&](int k, float* trial) { toValues(points[static_cast<std::size_t>(k)], trial); },
                trialCosts);
            for (std::size_t k = 0; k < static_cast<std::size_t>(done); ++k) {
                costs[k] = trialCosts[k];
                toValues(points[k], values.data());
                consider(values.data(), trialCosts[k]);
            }
            return done;
        });
    finish();
}
