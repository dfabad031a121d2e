#pragma once

#include <optional>
#include <string>

#include "analysis/PlaneGeometry.h"

/// A validated segment of the plane (metres) across which crossings are counted. Its sides are
/// named looking from the first point to the second: left and right.
class MeasurementLine {
public:
    /// The segment from `from` to `to`; empty with `error` set when a coordinate is not finite
    /// or the two points coincide (a line of zero length is crossed by nobody).
    static std::optional<MeasurementLine> fromPoints(const PlanePoint& from, const PlanePoint& to,
                                                     std::string& error);
    /// The segment from text "x1 y1 x2 y2", checked as fromPoints checks it.
    static std::optional<MeasurementLine> fromText(const std::string& text, std::string& error);

    /// The end points, in the order that names the sides.
    const PlanePoint& first() const { return start; }
    const PlanePoint& second() const { return end; }
    /// Its length in metres.
    double length() const;
    /// Twice the signed area of (first, second, point): positive on the left, negative on the
    /// right, zero on the line through both points.
    double side(const PlanePoint& point) const;
    /// True when the segment from `a` to `b` meets this segment.
    bool meets(const PlanePoint& a, const PlanePoint& b) const;

private:
    MeasurementLine(const PlanePoint& from, const PlanePoint& to) : start(from), end(to) {}

    PlanePoint start, end;
};
