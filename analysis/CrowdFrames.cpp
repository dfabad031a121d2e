#include "analysis/CrowdFrames.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

#include "data/Experiment.h"
#include "models/Simulation.h"

namespace {

// Waypoint experiments may hold fewer times than frames; a frame without a time cannot be
// measured.
int timedFrames(const Experiment& experiment) {
    return std::min(experiment.frameCount, static_cast<int>(experiment.times.size()));
}

std::vector<double> frameTimes(const Experiment& experiment) {
    return std::vector<double>(experiment.times.begin(),
                               experiment.times.begin() + timedFrames(experiment));
}

}  // namespace

CrowdFrames::CrowdFrames(std::vector<double> frameTimes, std::vector<CrowdTrack> crowdTracks)
    : times(std::move(frameTimes)), crowd(std::move(crowdTracks)), present(times.size()) {
    lowX = lowY = std::numeric_limits<double>::infinity();
    highX = highY = -std::numeric_limits<double>::infinity();
    for (size_t t = 0; t < crowd.size(); ++t) {
        const CrowdTrack& track = crowd[t];
        assert(!track.x.empty() && track.x.size() == track.y.size());
        assert(track.firstFrame >= 0 && track.lastFrame() < frameCount());
        for (int k = track.firstFrame; k <= track.lastFrame(); ++k) {
            present[static_cast<size_t>(k)].push_back(static_cast<int>(t));
        }
        lowX = std::min(lowX, *std::min_element(track.x.begin(), track.x.end()));
        highX = std::max(highX, *std::max_element(track.x.begin(), track.x.end()));
        lowY = std::min(lowY, *std::min_element(track.y.begin(), track.y.end()));
        highY = std::max(highY, *std::max_element(track.y.begin(), track.y.end()));
    }
}

CrowdFrames CrowdFrames::measured(const Experiment& experiment) {
    const int frames = timedFrames(experiment);
    std::vector<CrowdTrack> tracks;
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        CrowdTrack track;
        track.id = p;
        track.firstFrame = experiment.presentFirst[static_cast<size_t>(p)];
        const int last = std::min(experiment.presentLast[static_cast<size_t>(p)], frames - 1);
        for (int k = track.firstFrame; k <= last; ++k) {
            track.x.push_back(experiment.posX[experiment.sampleIndex(p, k)]);
            track.y.push_back(experiment.posY[experiment.sampleIndex(p, k)]);
        }
        if (!track.x.empty()) {
            tracks.push_back(std::move(track));
        }
    }
    return CrowdFrames(frameTimes(experiment), std::move(tracks));
}

CrowdFrames CrowdFrames::simulated(const Simulation& simulation, const Experiment& experiment) {
    const int frames = timedFrames(experiment);
    const auto& xs = simulation.recordedX();
    const auto& ys = simulation.recordedY();
    std::vector<CrowdTrack> tracks;
    for (size_t i = 0; i < xs.size(); ++i) {
        CrowdTrack track;
        track.id = static_cast<int>(i);
        track.firstFrame = simulation.recordedFrom().empty() ? 0 : simulation.recordedFrom()[i];
        const int samples = std::min({static_cast<int>(xs[i].size()),
                                      static_cast<int>(ys[i].size()), frames - track.firstFrame});
        for (int s = 0; s < samples; ++s) {
            track.x.push_back(xs[i][static_cast<size_t>(s)]);
            track.y.push_back(ys[i][static_cast<size_t>(s)]);
        }
        if (!track.x.empty()) {
            tracks.push_back(std::move(track));
        }
    }
    return CrowdFrames(frameTimes(experiment), std::move(tracks));
}

std::vector<CrowdSample> CrowdFrames::samples(int frame) const {
    std::vector<CrowdSample> out;
    for (const int t : present[static_cast<size_t>(frame)]) {
        const CrowdTrack& track = crowd[static_cast<size_t>(t)];
        out.push_back({t, track.id, track.xAt(frame), track.yAt(frame)});
    }
    return out;
}
