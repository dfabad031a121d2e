#pragma once

class Experiment;

/// What a user wants to know of a recording before using it.
struct ExperimentSummary {
    int pedestrians = 0;
    int obstacles = 0;
    int frames = 0;
    float duration = 0.0f;     ///< s, last frame time minus first
    int mostPresent = 0;       ///< most pedestrians present on one frame
    double meanPresent = 0.0;  ///< pedestrians present on a frame, on average
    double medianSpeed = 0.0;  ///< m/s, over every measured sample
};

ExperimentSummary summarize(const Experiment& experiment);
