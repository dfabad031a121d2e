#pragma once

#include <vector>

#include "core/Segment.h"
#include "data/Parser.h"
#include "data/TrackFile.h"

/// Hands a set of tracks held in memory (a simulated crowd) to an Experiment as a reader hands
/// over a file: track i is pedestrian i, present on the frames of its samples, on the set's frame
/// times, in the scene of the given obstacles. So a simulated crowd can be scored, simulated and
/// written as any recording.
class TrackSetParser : public Parser {
public:
    TrackSetParser(TrackSet tracks, std::vector<Segment> obstacles);

    /// The tracks are in memory already; there is nothing to read.
    bool load(const std::string& path) override;
    void fill(ExperimentData& data) override;
    void fillPresence(std::vector<int>& presentFirst, std::vector<int>& presentLast,
                      std::vector<std::ptrdiff_t>& sampleBase) override;

private:
    TrackSet set;
    std::vector<Segment> scene;
};
