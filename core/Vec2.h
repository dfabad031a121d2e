#pragma once

#include <cmath>

/// A plane vector of two single-precision floats, with the arithmetic every model uses.
struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vec2() = default;
    constexpr Vec2(float px, float py) : x(px), y(py) {}

    constexpr Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vec2 operator-() const { return {-x, -y}; }
    constexpr Vec2 operator*(float s) const { return {x * s, y * s}; }
    /// Division by a scalar is multiplication by its reciprocal.
    Vec2 operator/(float s) const {
        const float inverse = 1.0f / s;
        return {x * inverse, y * inverse};
    }
    Vec2& operator+=(const Vec2& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    Vec2& operator-=(const Vec2& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    Vec2& operator*=(float s) {
        x *= s;
        y *= s;
        return *this;
    }
    constexpr bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const Vec2& o) const { return !(*this == o); }

    constexpr float dot(const Vec2& o) const { return x * o.x + y * o.y; }
    constexpr float squaredLength() const { return x * x + y * y; }
    float length() const { return std::sqrt(squaredLength()); }
    /// The vector divided by its length (undefined for the zero vector).
    Vec2 normalised() const { return *this / length(); }
    /// The vector shortened to `limit` when it is longer, otherwise unchanged.
    Vec2 limitedTo(float limit) const {
        return squaredLength() > limit * limit ? normalised() * limit : *this;
    }
    /// The vector divided by its length when that is above 1e-8, otherwise unchanged, so that
    /// a zero vector stays zero instead of turning into NaN.
    Vec2 normalisedIfLong() const {
        const float l = length();
        return l > 1e-8f ? Vec2(x / l, y / l) : *this;
    }
    /// Direction angle, atan2(y, x).
    float angle() const { return std::atan2(y, x); }
};

inline constexpr Vec2 operator*(float s, const Vec2& v) {
    return v * s;
}

/// Determinant of the matrix with columns a and b: a.x·b.y − a.y·b.x.
inline constexpr float det(const Vec2& a, const Vec2& b) {
    return a.x * b.y - a.y * b.x;
}

/// Positive when point c lies to the left of the directed line from a to b.
inline constexpr float leftOf(const Vec2& a, const Vec2& b, const Vec2& c) {
    return det(a - c, b - a);
}

/// Squared distance from point c to the segment from a to b.
inline float squaredDistanceToSegment(const Vec2& a, const Vec2& b, const Vec2& c) {
    const float r = (c - a).dot(b - a) / (b - a).squaredLength();
    if (r < 0.0f) {
        return (c - a).squaredLength();
    }
    if (r > 1.0f) {
        return (c - b).squaredLength();
    }
    return (c - (a + (b - a) * r)).squaredLength();
}
