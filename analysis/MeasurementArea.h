#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/PlaneGeometry.h"

/// A validated simple polygon of the plane (metres): where densities are measured, or the
/// walkable area that bounds the Voronoi cells. Build one through fromPoints or fromText.
class MeasurementArea {
public:
    /// The polygon through `corners` in order (either orientation, not repeating the first);
    /// empty with `error` set when there are fewer than three corners, a corner is not finite,
    /// the edges cross or touch each other, or the polygon encloses no area.
    static std::optional<MeasurementArea> fromPoints(const std::vector<PlanePoint>& corners,
                                                     std::string& error);
    /// The polygon from text "x1 y1 x2 y2 x3 y3 ..." (white space between numbers, "." as the
    /// decimal point in any locale), checked as fromPoints checks it.
    static std::optional<MeasurementArea> fromText(const std::string& text, std::string& error);
    /// The rectangle from (minX, minY) to (maxX, maxY); empty with `error` when it has no area.
    static std::optional<MeasurementArea> rectangle(double minX, double minY, double maxX,
                                                    double maxY, std::string& error);

    /// The polygon, clockwise and closed.
    const PlanePolygon& polygon() const { return shape; }
    /// Its area in square metres.
    double area() const { return size; }
    /// True when the point lies inside or on the boundary.
    bool covers(const PlanePoint& point) const;
    /// True when `inner` lies inside this polygon, boundaries touching allowed.
    bool covers(const MeasurementArea& inner) const;
    /// The corners as they were given, as text "x1 y1 x2 y2 ...", for messages.
    std::string text() const { return written; }

private:
    MeasurementArea(PlanePolygon polygon, double area, std::string asWritten)
        : shape(std::move(polygon)), size(area), written(std::move(asWritten)) {}

    PlanePolygon shape;
    double size = 0.0;
    std::string written;
};
