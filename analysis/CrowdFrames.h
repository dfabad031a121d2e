#pragma once

#include <cstddef>
#include <vector>

class Experiment;
class Simulation;

/// One pedestrian's positions (metres) on consecutive frames, from firstFrame on.
struct CrowdTrack {
    int id = 0;          ///< the pedestrian's index in the experiment (agent i is pedestrian i)
    int firstFrame = 0;  ///< frame of x[0], y[0]
    std::vector<double> x, y;  ///< positions in metres, one per frame from firstFrame

    /// The last frame on which the pedestrian is present.
    int lastFrame() const { return firstFrame + static_cast<int>(x.size()) - 1; }
    /// True when the pedestrian is present on `frame`.
    bool covers(int frame) const { return frame >= firstFrame && frame <= lastFrame(); }
    /// Position on a frame the track covers.
    double xAt(int frame) const { return x[static_cast<size_t>(frame - firstFrame)]; }
    double yAt(int frame) const { return y[static_cast<size_t>(frame - firstFrame)]; }
};

/// A pedestrian present on one frame: which track, and where.
struct CrowdSample {
    int track = 0;            ///< index into CrowdFrames::tracks()
    int id = 0;               ///< the pedestrian
    double x = 0.0, y = 0.0;  ///< metres
};

/// The samples a crowd measurement reads: the frame times and each pedestrian's track, from a
/// measured experiment or from a simulation run over the experiment's frames, so that both are
/// measured by the same code.
class CrowdFrames {
public:
    /// Frames at `frameTimes` (seconds, not decreasing) and the tracks present on them; every
    /// track must hold at least one sample and lie within the frames.
    CrowdFrames(std::vector<double> frameTimes, std::vector<CrowdTrack> crowdTracks);
    /// The measured pedestrians over the frames that have a time.
    static CrowdFrames measured(const Experiment& experiment);
    /// The simulated agents' recorded trajectories over the experiment's frames that have a
    /// time; agent i is pedestrian i, present on the frames its recording covers.
    static CrowdFrames simulated(const Simulation& simulation, const Experiment& experiment);

    /// Frames of the crowd, whether anybody is present on them or not.
    int frameCount() const { return static_cast<int>(times.size()); }
    /// Time of a frame in seconds.
    double time(int frame) const { return times[static_cast<size_t>(frame)]; }
    /// Every pedestrian's track (by increasing id when read from an experiment or a run).
    const std::vector<CrowdTrack>& tracks() const { return crowd; }
    /// The pedestrians present on a frame, in track order.
    std::vector<CrowdSample> samples(int frame) const;
    /// True when nobody is present on any frame.
    bool empty() const { return crowd.empty(); }
    /// The smallest and largest coordinates of every sample (metres); infinite when empty.
    double minX() const { return lowX; }
    double minY() const { return lowY; }
    double maxX() const { return highX; }
    double maxY() const { return highY; }

private:
    std::vector<double> times;
    std::vector<CrowdTrack> crowd;
    std::vector<std::vector<int>> present;  ///< tracks present on each frame
    double lowX = 0.0, lowY = 0.0, highX = 0.0, highY = 0.0;
};
