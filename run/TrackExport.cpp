#include "run/TrackExport.h"

#include <algorithm>

#include "data/Experiment.h"
#include "models/Simulation.h"

namespace TrackExport {

TrackSet measured(const Experiment& experiment) {
    TrackSet set;
    set.times.assign(experiment.times.begin(), experiment.times.begin() + experiment.frameCount);
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        TrackSet::Track track;
        track.id = p + 1;
        track.firstFrame = experiment.presentFirst[p];
        for (int k = experiment.presentFirst[p]; k <= experiment.presentLast[p]; ++k) {
            const std::ptrdiff_t at = experiment.sampleIndex(p, k);
            track.x.push_back(experiment.posX[at]);
            track.y.push_back(experiment.posY[at]);
            track.vx.push_back(experiment.velX[at]);
            track.vy.push_back(experiment.velY[at]);
        }
        set.tracks.push_back(std::move(track));
    }
    return set;
}

TrackSet simulated(const Simulation& simulation, const Experiment& experiment) {
    TrackSet set;
    const int frames = simulation.frameCount();
    if (experiment.timeDriven) {
        set.times.assign(experiment.times.begin(),
                         experiment.times.begin() + experiment.frameCount);
    }
    // A run through waypoints steps by the second frame time until everybody has arrived.
    const float step =
        experiment.frameCount > 1 && experiment.times[1] > 0.0f ? experiment.times[1] : 1.0f;
    while (static_cast<int>(set.times.size()) < frames) {
        set.times.push_back(static_cast<float>(set.times.size()) * step);
    }
    const std::vector<int>& from = simulation.recordedFrom();
    for (int i = 0; i < std::min(simulation.agentCount(), experiment.pedestrianCount); ++i) {
        TrackSet::Track track;
        track.id = i + 1;
        track.firstFrame = from.empty() ? 0 : from[static_cast<std::size_t>(i)];
        track.x = simulation.recordedX()[static_cast<std::size_t>(i)];
        track.y = simulation.recordedY()[static_cast<std::size_t>(i)];
        track.vx = simulation.recordedVX()[static_cast<std::size_t>(i)];
        track.vy = simulation.recordedVY()[static_cast<std::size_t>(i)];
        set.tracks.push_back(std::move(track));
    }
    return set;
}

}  // namespace TrackExport
