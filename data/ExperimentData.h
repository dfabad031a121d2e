#pragma once

#include <vector>

#include "core/Segment.h"

/// What a parser hands over to build an experiment, filled in one call (Parser::fill).
/// Experiment derives from it, so each of these fields is declared once and a parser fills the
/// experiment's own fields without a copy.
struct ExperimentData {
    int pedestrianCount = 0;
    int frameCount = 0;
    std::vector<float> posX, posY;  ///< measured positions (length unit of the file)
    std::vector<float> velX, velY;  ///< measured velocities (length unit per second)
    std::vector<float> times;       ///< time of each frame (seconds)
    /// The scene's obstacle segments, in the order in which every model receives them.
    std::vector<Segment> obstacles;
    /// True: stepped along the measured frame times; false: pedestrians follow waypoints.
    bool timeDriven = true;
    std::vector<int> waypointCount;  ///< empty when the experiment has no waypoints
    std::vector<std::vector<float>> waypointX, waypointY, waypointRadius;
};
