#pragma once

#include <cmath>

#include "core/Vec2.h"

/// 2×2 rotation matrix with rows (cos θ, −sin θ) and (sin θ, cos θ).
struct Rotation2 {
    float c = 1.0f;
    float s = 0.0f;

    static Rotation2 byAngle(float theta) { return {std::cos(theta), std::sin(theta)}; }
    Vec2 operator*(const Vec2& v) const { return {c * v.x - s * v.y, s * v.x + c * v.y}; }
};
