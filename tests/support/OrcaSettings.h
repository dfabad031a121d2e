#pragma once

#include <cstddef>

#include "models/orca/OrcaEngine.h"

// The engine settings the model uses by default, changed field by field in tests.
struct Settings {
    float neighbourDistance = 15.0f;  // m
    std::size_t maxNeighbours = 10;
    float agentHorizon = 5.0f;     // s
    float obstacleHorizon = 5.0f;  // s
    float radius = 0.25f;          // m
    float maxSpeed = 1.6f;         // m/s
};

inline void configure(OrcaEngine& engine, const Settings& s = Settings()) {
    engine.setDefaults(s.neighbourDistance, s.maxNeighbours, s.agentHorizon, s.obstacleHorizon,
                       s.radius, s.maxSpeed, Vec2());
}
