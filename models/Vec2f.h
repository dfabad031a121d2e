#pragma once

#include <cmath>

/// Plane vector of two floats for the pedestrian models.
struct Vec2f {
    float x = 0.0f;
    float y = 0.0f;

    Vec2f() = default;
    Vec2f(float px, float py) : x(px), y(py) {}

    Vec2f operator+(const Vec2f& o) const { return {x + o.x, y + o.y}; }
    Vec2f operator-(const Vec2f& o) const { return {x - o.x, y - o.y}; }
    Vec2f operator-() const { return {-x, -y}; }
    Vec2f operator*(float s) const { return {x * s, y * s}; }
    float dot(const Vec2f& o) const { return x * o.x + y * o.y; }
    float length() const { return std::sqrt(x * x + y * y); }
    /// The vector divided by its length, or unchanged when the length is 1e-8 or less, so a
    /// zero vector never turns into NaN.
    Vec2f normalised() const {
        const float l = length();
        return l > 1e-8f ? Vec2f(x / l, y / l) : *this;
    }
    /// Direction angle, atan2(y, x).
    float angle() const { return std::atan2(y, x); }
};

/// 2×2 rotation matrix with rows (cos θ, −sin θ) and (sin θ, cos θ).
struct Rotation2f {
    float c = 1.0f;
    float s = 0.0f;

    static Rotation2f byAngle(float theta) { return {std::cos(theta), std::sin(theta)}; }
    Vec2f operator*(const Vec2f& v) const { return {c * v.x - s * v.y, s * v.x + c * v.y}; }
};
