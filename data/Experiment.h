#pragma once

#include <cstddef>
#include <vector>

#include "data/ExperimentData.h"

class Parser;

/// One recorded crowd experiment: the measured trajectories of the pedestrians at common frame
/// times and the obstacle segments of the scene. Read-only after construction, so that records on
/// several threads may share it.
///
/// Pedestrians may come and go: pedestrian p is present (measured, and simulated) from frame
/// presentFirst[p] to presentLast[p], and its samples are stored for those frames only, one
/// after another, so memory follows the samples that exist. When everybody is present on every
/// frame the arrays are the plain pedestrian-major table: pedestrian p at frame k is at index
/// p × frameCount + k.
class Experiment : public ExperimentData {
public:
    /// Builds the experiment from a parser that has loaded its file.
    explicit Experiment(Parser& parser);
    virtual ~Experiment() = default;
    Experiment(const Experiment&) = delete;
    Experiment& operator=(const Experiment&) = delete;

    /// Index of pedestrian p at frame k in the position and velocity arrays; only meaningful
    /// while p is present at k.
    std::ptrdiff_t sampleIndex(int pedestrian, int frame) const {
        return sampleBase[static_cast<size_t>(pedestrian)] + frame;
    }
    /// True when pedestrian p was measured at frame k.
    bool isPresent(int pedestrian, int frame) const {
        return frame >= presentFirst[static_cast<size_t>(pedestrian)] &&
               frame <= presentLast[static_cast<size_t>(pedestrian)];
    }
    /// Frames on which pedestrian p is present.
    int presentFrames(int pedestrian) const {
        return presentLast[static_cast<size_t>(pedestrian)] -
               presentFirst[static_cast<size_t>(pedestrian)] + 1;
    }
    /// True when some pedestrian is missing from some frame.
    bool hasPartialPresence() const { return partialPresence; }

    /// The measured velocities as direction (radians) and speed per sample, parallel to
    /// velX/velY, when the reader had them; empty otherwise.
    std::vector<float> directions, speeds;
    /// First and last frame (inclusive) on which each pedestrian is present.
    std::vector<int> presentFirst, presentLast;
    /// Index of each pedestrian's frame 0 in the sample arrays (negative for one that enters
    /// later): sample (p, k) is at sampleBase[p] + k.
    std::vector<std::ptrdiff_t> sampleBase;

private:
    bool partialPresence = false;
};
