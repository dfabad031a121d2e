#pragma once

#include <string>
#include <vector>

class Experiment;

/// The statistics file of a run: the obstacle count and the second frame time, the obstacle
/// segments, then one line "agent frame x y 175.0" per simulated sample, lengths × 100.
namespace StatisticsFile {

/// The simulated trajectories of a run, as a model records them.
struct Trajectories {
    const std::vector<std::vector<float>>& x;
    const std::vector<std::vector<float>>& y;
    /// Frame of each agent's sample 0; empty when every trajectory starts at frame 0.
    const std::vector<int>& from;
    int frames;  ///< frames of the run
};

/// Writes the file for `experiment` and the first `agents` trajectories to `path`, atomically.
/// False, with `error`, on failure; `lines` receives the lines written.
bool write(const Experiment& experiment, const Trajectories& run, int agents,
           const std::string& path, long long& lines, std::string& error);

}  // namespace StatisticsFile
