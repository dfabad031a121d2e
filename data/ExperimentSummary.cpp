#include "data/ExperimentSummary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/Experiment.h"

ExperimentSummary summarize(const Experiment& e) {
    ExperimentSummary summary;
    summary.pedestrians = e.pedestrianCount;
    summary.obstacles = static_cast<int>(e.obstacles.size());
    summary.frames = e.frameCount;
    const int F = e.frameCount;
    if (F <= 0) {
        return summary;
    }
    summary.duration = e.times[static_cast<size_t>(F - 1)] - e.times[0];
    // Arrivals and departures per frame, summed up frame by frame.
    std::vector<int> change(static_cast<size_t>(F) + 1, 0);
    std::vector<float> speeds;
    for (int p = 0; p < e.pedestrianCount; ++p) {
        ++change[static_cast<size_t>(e.presentFirst[p])];
        --change[static_cast<size_t>(e.presentLast[p]) + 1];
        for (int k = e.presentFirst[p]; k <= e.presentLast[p]; ++k) {
            const std::ptrdiff_t i = e.sampleIndex(p, k);
            speeds.push_back(std::hypot(e.velX[i], e.velY[i]));
        }
    }
    long long present = 0;
    long long total = 0;
    for (int k = 0; k < F; ++k) {
        present += change[static_cast<size_t>(k)];
        total += present;
        summary.mostPresent = std::max(summary.mostPresent, static_cast<int>(present));
    }
    summary.meanPresent = static_cast<double>(total) / F;
    if (!speeds.empty()) {
        const auto middle = speeds.begin() + static_cast<std::ptrdiff_t>(speeds.size() / 2);
        std::nth_element(speeds.begin(), middle, speeds.end());
        summary.medianSpeed = *middle;
    }
    return summary;
}
