#pragma once

#include <vector>

class CrowdFrames;

/// Each pedestrian's speed on each frame of its track, from the positions speedFrames frames
/// before and after: |x(t2) − x(t1)| / (time(t2) − time(t1)) with t1 = max(first, t − K) and
/// t2 = min(last, t + K). Near a track's ends the difference is one-sided over the frames that
/// exist; with evenly spaced frames it is |x(t+K) − x(t−K)| / (2K·Δt) elsewhere.
class IndividualSpeeds {
public:
    /// Frames on each side of the speed's difference (K) unless told otherwise.
    static constexpr int defaultSpeedFrames = 5;

    /// The speeds of every track of `frames`; `speedFrames` (K) must be at least 1.
    explicit IndividualSpeeds(const CrowdFrames& frames, int speedFrames = defaultSpeedFrames);

    /// Speed in metres per second of track `track` (an index into CrowdFrames::tracks()) on
    /// `frame`, which the track must cover. NaN (no speed) for a track of a single sample, or
    /// when its frames t1 and t2 share one time.
    double speed(int track, int frame) const;

private:
    std::vector<std::vector<double>> bySample;  ///< per track, per sample of the track
    std::vector<int> firstFrames;
};
