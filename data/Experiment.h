#pragma once

#include <vector>

class Parser;

/// One recorded crowd experiment: the measured trajectories of the pedestrians at common frame
/// times and the obstacle segments of the scene. Read-only after construction except for the
/// display position. Arrays of positions and velocities are pedestrian-major: pedestrian p at
/// frame k is at index p × frameCount + k.
class Experiment {
public:
    /// Builds the experiment from a parser that has loaded its file.
    explicit Experiment(Parser& parser);
    virtual ~Experiment() = default;
    Experiment(const Experiment&) = delete;
    Experiment& operator=(const Experiment&) = delete;

    /// Index of pedestrian p at frame k in the position and velocity arrays.
    int sampleIndex(int pedestrian, int frame) const { return pedestrian * frameCount + frame; }

    float displayPosition = 0.0f;  ///< fraction of the duration that the view shows
    int pedestrianCount = 0;
    int obstacleCount = 0;
    int frameCount = 0;
    std::vector<float> posX, posY;  ///< measured positions (length unit of the file)
    std::vector<float> velX, velY;  ///< measured velocities (length unit per second)
    std::vector<float> times;       ///< time of each frame (seconds)
    std::vector<float> obstacleX1, obstacleY1, obstacleX2, obstacleY2;
    /// True: stepped along the measured frame times; false: pedestrians follow waypoints.
    bool timeDriven = true;
    std::vector<int> waypointCount;  ///< empty when the experiment has no waypoints
    std::vector<std::vector<float>> waypointX, waypointY, waypointRadius;
};
