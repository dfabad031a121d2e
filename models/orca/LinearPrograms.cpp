#include "models/orca/LinearPrograms.h"

#include <algorithm>
#include <cmath>

#include "models/orca/FloatLanes.h"
#include "models/orca/OrcaTolerance.h"
#include "models/orca/PlaneList.h"

namespace {

// Narrows [tLeft, tRight], the stretch of `line` inside the disc, to what the half-planes
// 0 … k − 1 admit, one plane at a time. False when none of it is left.
bool narrowOneByOne(const HalfPlane* planes, std::size_t k, const HalfPlane& line, float& tLeft,
                    float& tRight) {
    for (std::size_t i = 0; i < k; ++i) {
        const HalfPlane& other = planes[i];
        const float denominator = det(line.direction, other.direction);
        const float numerator = det(other.direction, line.point - other.point);
        if (std::fabs(denominator) <= orcaEpsilon) {
            // Parallel lines: either the earlier half-plane excludes this whole line or it
            // does not restrict it at all.
            if (numerator < 0.0f) {
                return false;
            }
            continue;
        }
        const float t = numerator / denominator;
        if (denominator >= 0.0f) {
            tRight = std::min(tRight, t);
        } else {
            tLeft = std::max(tLeft, t);
        }
        if (tLeft > tRight) {
            return false;
        }
    }

    return true;
}

// The same, four planes at a time. The bounds only ever narrow, so a stretch that empties at
// some plane is empty at the end, and the order of the planes matters only to which of two
// equal bounds is kept: the same but for the sign of a zero. A bound that ends at zero is
// therefore worked out again one plane at a time.
bool narrowByEarlierPlanes(const HalfPlane* planes, std::size_t k, const HalfPlane& line,
                           float& tLeft, float& tRight) {
#if defined(VESTRA_FLOAT_LANES)
    using FloatLanes::Floats;
    using FloatLanes::Mask;
    using FloatLanes::select;
    if (k == 0) {
        return true;
    }
    Floats left = Floats{} + tLeft;
    Floats right = Floats{} + tRight;
    Mask excluded{};
    for (std::size_t i = 0; i < k; i += FloatLanes::width) {
        // A last block shorter than the lanes repeats its last plane, which narrows no further.
        Floats x, y, dx, dy;
        for (std::size_t lane = 0; lane < FloatLanes::width; ++lane) {
            const HalfPlane& other = planes[std::min(i + lane, k - 1)];
            x[lane] = other.point.x;
            y[lane] = other.point.y;
            dx[lane] = other.direction.x;
            dy[lane] = other.direction.y;
        }
        const Floats denominator = line.direction.x * dy - line.direction.y * dx;
        const Floats numerator = dx * (line.point.y - y) - dy * (line.point.x - x);
        const Mask parallel = FloatLanes::magnitude(denominator) <= orcaEpsilon;
        excluded |= parallel & (numerator < 0.0f);
        const Floats t = numerator / denominator;
        const Mask bindsRight = ~parallel & (denominator >= 0.0f);
        const Mask bindsLeft = ~parallel & ~(denominator >= 0.0f);
        right = select(bindsRight & (t < right), t, right);
        left = select(bindsLeft & (left < t), t, left);
    }
    if (FloatLanes::any(excluded)) {
        return false;
    }
    float narrowedLeft = left[0];
    float narrowedRight = right[0];
    for (std::size_t lane = 1; lane < FloatLanes::width; ++lane) {
        narrowedLeft = std::max(narrowedLeft, left[lane]);
        narrowedRight = std::min(narrowedRight, right[lane]);
    }
    if (narrowedLeft == 0.0f || narrowedRight == 0.0f) {
        return narrowOneByOne(planes, k, line, tLeft, tRight);
    }
    tLeft = narrowedLeft;
    tRight = narrowedRight;
    return !(tLeft > tRight);
#else
    return narrowOneByOne(planes, k, line, tLeft, tRight);
#endif
}

}  // namespace

bool solveOnLine(const HalfPlane* planes, std::size_t k, float radius, const Vec2& optimum,
                 bool directional, Vec2& result) {
    const HalfPlane& line = planes[k];
    const float dot = line.point.dot(line.direction);
    // For a unit direction this is dot² + radius² − |point|²; written with the line's distance
    // from the origin it does not cancel two large squares when the point lies far out, as
    // the intersection points of nearly parallel lines do.
    const float offset = det(line.direction, line.point);
    const float discriminant = radius * radius - offset * offset;
    if (discriminant < 0.0f) {
        return false;
    }
    const float root = std::sqrt(discriminant);
    float tLeft = -dot - root;
    float tRight = -dot + root;

    if (!narrowByEarlierPlanes(planes, k, line, tLeft, tRight)) {
        return false;
    }

    if (directional) {
        const float t = optimum.dot(line.direction) > 0.0f ? tRight : tLeft;
        result = line.point + t * line.direction;
    } else {
        const float t = std::clamp(line.direction.dot(optimum - line.point), tLeft, tRight);
        result = line.point + t * line.direction;
    }
    return true;
}

std::size_t solveInDisc(const HalfPlane* planes, std::size_t count, float radius,
                        const Vec2& optimum, bool directional, Vec2& result) {
    if (directional) {
        result = optimum * radius;
    } else if (optimum.squaredLength() > radius * radius) {
        result = optimum.normalised() * radius;
    } else {
        result = optimum;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (planes[i].violation(result) > 0.0f) {
            const Vec2 previous = result;
            if (!solveOnLine(planes, i, radius, optimum, directional, result)) {
                result = previous;
                return i;
            }
        }
    }
    return count;
}

void solveProjected(const std::vector<HalfPlane>& planes, std::size_t obstacleCount,
                    std::size_t firstFailed, float radius, Vec2& result,
                    std::vector<HalfPlane>& scratch) {
    // Each projected set holds fewer half-planes than the whole set.
    PlaneList projected(planes.size(), scratch);
    float distance = 0.0f;
    for (std::size_t i = firstFailed; i < planes.size(); ++i) {
        const HalfPlane& worst = planes[i];
        if (worst.violation(result) <= distance) {
            continue;
        }
        // Velocities that violate half-plane i no more than half-plane j are those on the
        // left of the bisector of the two boundary lines; the obstacle half-planes stay hard.
        projected.clear();
        for (std::size_t j = 0; j < obstacleCount; ++j) {
            projected.push_back(planes[j]);
        }
        for (std::size_t j = obstacleCount; j < i; ++j) {
            const HalfPlane& other = planes[j];
            const float denominator = det(worst.direction, other.direction);
            Vec2 point;
            if (std::fabs(denominator) <= orcaEpsilon) {
                if (worst.direction.dot(other.direction) > 0.0f) {
                    continue;  // same direction: half-plane i already bounds the violation
                }
                point = 0.5f * (worst.point + other.point);
            } else {
                point =
                    worst.point + (det(other.direction, worst.point - other.point) / denominator) *
                                      worst.direction;
            }
            projected.push_back({point, (other.direction - worst.direction).normalised()});
        }
        const Vec2 previous = result;
        const Vec2 inward(-worst.direction.y, worst.direction.x);
        if (solveInDisc(projected.data(), projected.size(), radius, inward, true, result) <
            projected.size()) {
            // The projected program always has a solution in exact arithmetic; a failure is
            // rounding, and the previous velocity is the better answer.
            result = previous;
        }
        distance = worst.violation(result);
    }
}

void solveProjected(const std::vector<HalfPlane>& planes, std::size_t obstacleCount,
                    std::size_t firstFailed, float radius, Vec2& result) {
    std::vector<HalfPlane> scratch;
    solveProjected(planes, obstacleCount, firstFailed, radius, result, scratch);
}
