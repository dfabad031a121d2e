#pragma once

#include <random>
#include <vector>

#include "analysis/CrowdFrames.h"
#include "analysis/PlaneGeometry.h"

// Relative precision of areas and densities: Boost.Geometry rounds the corners its cuts make on
// a grid of 1e-7 of the operands' extent.
constexpr double geometryPrecision = 1e-6;

// A crowd whose tracks all start at frame 0, `frames` frames `dt` seconds apart.
inline CrowdFrames crowdOf(std::vector<CrowdTrack> tracks, int frames, double dt) {
    std::vector<double> times;
    for (int k = 0; k < frames; ++k) {
        times.push_back(k * dt);
    }
    return CrowdFrames(std::move(times), std::move(tracks));
}

// A pedestrian from (x, y) at `first` moving by (dx, dy) per frame for `samples` frames.
inline CrowdTrack walker(int id, int first, int samples, double x, double y, double dx, double dy) {
    CrowdTrack track{id, first, {}, {}};
    for (int s = 0; s < samples; ++s) {
        track.x.push_back(x + dx * s);
        track.y.push_back(y + dy * s);
    }
    return track;
}

// `count` positions drawn uniformly in [0, width] × [0, height] from a seeded generator.
inline std::vector<PlanePoint> randomCrowd(unsigned seed, int count, double width, double height) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> across(0.0, width), along(0.0, height);
    std::vector<PlanePoint> points;
    for (int i = 0; i < count; ++i) {
        const double x = across(generator);
        points.emplace_back(x, along(generator));
    }
    return points;
}
