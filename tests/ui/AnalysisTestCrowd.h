#pragma once

#include <vector>

#include "analysis/CrowdFrames.h"

// 21 frames 0.1 s apart of pedestrians walking at 0.9 m/s along y = const:
//   0: from (0, 1) to the right, frames 0–20, crosses x = 1 left to right;
//   1: from (1.05, 2) to the right, frames 5–15, never crosses x = 1 (with `middle` only);
//   2: from (2, 1.5) to the left, frames 0–20, crosses x = 1 right to left.
// Everybody stays within x 0 to 2, y 1 to 2.
inline CrowdFrames threeWalkers(bool middle) {
    const auto walker = [](int id, int first, int samples, double x, double y, double dx) {
        CrowdTrack track{id, first, {}, {}};
        for (int s = 0; s < samples; ++s) {
            track.x.push_back(x + dx * s);
            track.y.push_back(y);
        }
        return track;
    };
    std::vector<double> times;
    for (int k = 0; k < 21; ++k) {
        times.push_back(0.1 * k);
    }
    std::vector<CrowdTrack> tracks{walker(0, 0, 21, 0.0, 1.0, 0.09)};
    if (middle) {
        tracks.push_back(walker(1, 5, 11, 1.05, 2.0, 0.09));
    }
    tracks.push_back(walker(2, 0, 21, 2.0, 1.5, -0.09));
    return CrowdFrames(times, tracks);
}
