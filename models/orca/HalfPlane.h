#pragma once

#include "core/Vec2.h"

/// A permitted region of velocities: those on the left of the directed line through `point`
/// along `direction`, or on it, that is every v with det(direction, point − v) ≤ 0.
struct HalfPlane {
    Vec2 point;      ///< metres per second
    Vec2 direction;  ///< unit length

    /// How far v lies outside the half-plane (m/s); zero or negative when permitted.
    float violation(const Vec2& v) const { return det(direction, point - v); }
};
