#pragma once

#include <cstddef>
#include <vector>

#include "core/Vec2.h"

#include "models/orca/HalfPlane.h"

// The three small linear programs of velocity selection. Each works on a list of half-planes
// and the disc of velocities no faster than `radius` (m/s).

/// Finds the point of the boundary line of half-plane k that lies in the disc, satisfies the
/// half-planes 0 … k − 1 and is best for the optimum: nearest to it, or, when `directional`,
/// farthest along the unit direction `optimum`. False (result untouched) when there is none.
bool solveOnLine(const HalfPlane* planes, std::size_t k, float radius, const Vec2& optimum,
                 bool directional, Vec2& result);

inline bool solveOnLine(const std::vector<HalfPlane>& planes, std::size_t k, float radius,
                        const Vec2& optimum, bool directional, Vec2& result) {
    return solveOnLine(planes.data(), k, radius, optimum, directional, result);
}

/// Finds the velocity in the disc nearest to `optimum` (or farthest along it, when
/// `directional`) that satisfies the `count` half-planes. Returns the index of the first
/// half-plane it could not satisfy, with `result` the best velocity for the ones before it, or
/// `count` on success.
std::size_t solveInDisc(const HalfPlane* planes, std::size_t count, float radius,
                        const Vec2& optimum, bool directional, Vec2& result);

inline std::size_t solveInDisc(const std::vector<HalfPlane>& planes, float radius,
                               const Vec2& optimum, bool directional, Vec2& result) {
    return solveInDisc(planes.data(), planes.size(), radius, optimum, directional, result);
}

/// For a set without a solution: keeps the first `obstacleCount` half-planes hard and
/// minimises the largest violation of the others, starting from the partial `result` that
/// solveInDisc left when it failed at `firstFailed`. The projected half-planes are kept on the
/// stack; only sets longer than PlaneList::inlineCapacity put them into `scratch`, which keeps
/// its size between calls so that the stepping loop does not allocate.
void solveProjected(const std::vector<HalfPlane>& planes, std::size_t obstacleCount,
                    std::size_t firstFailed, float radius, Vec2& result,
                    std::vector<HalfPlane>& scratch);

/// The same with a scratch list of its own.
void solveProjected(const std::vector<HalfPlane>& planes, std::size_t obstacleCount,
                    std::size_t firstFailed, float radius, Vec2& result);
