#pragma once

#include <vector>

class Experiment;

/// The pairs of pedestrians of an experiment who are present together on some frame, ordered
/// by the first pedestrian and then the second. They are found by a sweep over the presence
/// windows in order of entry, which costs in the pedestrians and the pairs found: in a long
/// recording, most pairs never meet and are never looked at.
class OverlappingPairs {
public:
    /// Two pedestrians, first < second.
    struct Pair {
        int first = 0;
        int second = 0;
    };

    /// The pairs among pedestrians 0 to `pedestrians` − 1 of `experiment`.
    OverlappingPairs(const Experiment& experiment, int pedestrians);

    const std::vector<Pair>& pairs() const { return found; }

private:
    std::vector<Pair> found;
};
