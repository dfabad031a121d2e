#pragma once

#include <array>

#include "core/Vec2.h"

/// One row of the crowd engine's agent table: a disc with its state, the velocity it wants in
/// the current step and what the searches found around it before the step.
///
/// What the other agents read while they decide comes first, on a cache line of its own; what
/// the agent itself writes while deciding follows on the next lines, so that agents deciding
/// on different threads never write a line that another thread reads.
struct alignas(64) CrowdAgent {
    /// Neighbours the rules look at (k of the k-nearest search).
    static constexpr int maxNeighbours = 10;
    /// Obstacle segments the rules look at.
    static constexpr int maxObstacles = 2;
    /// Body radius until the parameters are applied (m).
    static constexpr float defaultRadius = 0.2f;
    /// Largest surface distance at which another agent counts as a neighbour (m).
    static constexpr float defaultSearchRange = 10.0f;

    int id = 0;                              ///< index in the table
    Vec2 position;                           ///< m
    Vec2 velocity;                           ///< m/s
    float radius = defaultRadius;            ///< m
    Vec2 desiredVelocity;                    ///< m/s, set before every step
    float searchRange = defaultSearchRange;  ///< m, surface distance
    /// In the scene. An absent agent is in no search and no neighbour list, gets no rule and
    /// does not move; its lists are empty.
    bool present = true;

    alignas(64) Vec2 newVelocity;  ///< m/s, the rule's result after the speed limit
    /// The nearest neighbour overlaps this agent; the list then holds overlapping ones only.
    bool overlapping = false;
    int neighbourCount = 0;  ///< entries in use at the front of the two neighbour arrays
    /// Table indices of the neighbours, nearest first; equal distances in index order.
    std::array<int, maxNeighbours> neighbours{};
    /// Surface distance |p − p_j| − r − r_j of each neighbour (m, negative when overlapping).
    std::array<float, maxNeighbours> neighbourDistances{};
    int obstacleCount = 0;  ///< entries in use at the front of obstacles
    /// Indices into the engine's obstacle table, nearest first.
    std::array<int, maxObstacles> obstacles{};
};
