#include "python/TrackSetParser.h"

#include "data/ExperimentData.h"

TrackSetParser::TrackSetParser(TrackSet tracks, std::vector<Segment> obstacles)
    : Parser("tracks"), set(std::move(tracks)), scene(std::move(obstacles)) {}

bool TrackSetParser::load(const std::string&) {
    return true;
}

void TrackSetParser::fill(ExperimentData& data) {
    data.pedestrianCount = static_cast<int>(set.tracks.size());
    data.frameCount = static_cast<int>(set.times.size());
    data.times = set.times;
    data.obstacles = scene;
    data.timeDriven = true;
    // Sample after sample of one pedestrian, then the next: the layout Experiment::sampleIndex
    // reads through sampleBase.
    for (const TrackSet::Track& track : set.tracks) {
        data.posX.insert(data.posX.end(), track.x.begin(), track.x.end());
        data.posY.insert(data.posY.end(), track.y.begin(), track.y.end());
        data.velX.insert(data.velX.end(), track.vx.begin(), track.vx.end());
        data.velY.insert(data.velY.end(), track.vy.begin(), track.vy.end());
    }
}

void TrackSetParser::fillPresence(std::vector<int>& presentFirst, std::vector<int>& presentLast,
                                  std::vector<std::ptrdiff_t>& sampleBase) {
    std::ptrdiff_t stored = 0;
    for (const TrackSet::Track& track : set.tracks) {
        const int samples = static_cast<int>(track.x.size());
        presentFirst.push_back(track.firstFrame);
        presentLast.push_back(track.firstFrame + samples - 1);
        sampleBase.push_back(stored - track.firstFrame);
        stored += samples;
    }
}
