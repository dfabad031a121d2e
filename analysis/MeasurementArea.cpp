#include "analysis/MeasurementArea.h"

#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/convex_hull.hpp>
#include <boost/geometry/algorithms/correct.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/algorithms/is_valid.hpp>
#include <boost/geometry/strategies/agnostic/hull_graham_andrew.hpp>
#include <cmath>

#include "core/NumberText.h"
#include "core/TokenScanner.h"

namespace bg = boost::geometry;

namespace {

std::string validityMessage(bg::validity_failure_type failure) {
    switch (failure) {
        case bg::failure_few_points:
        case bg::failure_wrong_topological_dimension:
            return "it encloses no area";
        case bg::failure_spikes:
            return "an edge turns back along itself";
        case bg::failure_self_intersections:
            return "it is not simple: its edges cross or touch each other";
        case bg::failure_invalid_coordinate:
            return "a coordinate is not a finite number";
        default:
            return "it is not a valid polygon";
    }
}

}  // namespace

std::optional<MeasurementArea> MeasurementArea::fromPoints(const std::vector<PlanePoint>& corners,
                                                           std::string& error) {
    if (corners.size() < 3) {
        error = NumberText::format("an area needs at least three corners, not %zu", corners.size());
        return std::nullopt;
    }
    for (const PlanePoint& corner : corners) {
        if (!std::isfinite(corner.x()) || !std::isfinite(corner.y())) {
            error = "an area's corners must be finite numbers";
            return std::nullopt;
        }
    }
    PlanePolygon polygon;
    polygon.outer().assign(corners.begin(), corners.end());
    bg::correct(polygon);
    std::string written;
    for (const PlanePoint& corner : corners) {
        written += NumberText::format(written.empty() ? "%g %g" : " %g %g", corner.x(), corner.y());
    }
    MeasurementArea checked(polygon, bg::area(polygon), written);
    PlanePolygon hull;
    bg::convex_hull(polygon, hull);
    // Corners on one line would otherwise be reported as edges that cross.
    bg::validity_failure_type failure = bg::no_failure;
    if (!(bg::area(hull) > 0.0)) {
        failure = bg::failure_wrong_topological_dimension;
    } else if (bg::intersects(polygon)) {
        failure = bg::failure_self_intersections;
    } else if (!bg::is_valid(polygon, failure) || !(checked.size > 0.0)) {
        failure = failure == bg::no_failure ? bg::failure_wrong_topological_dimension : failure;
    }
    if (failure != bg::no_failure) {
        error = "the area " + checked.text() + " is refused: " + validityMessage(failure);
        return std::nullopt;
    }
    return checked;
}

std::optional<MeasurementArea> MeasurementArea::fromText(const std::string& text,
                                                         std::string& error) {
    std::vector<double> numbers;
    std::string wrong;
    scanTokens(text, [&](size_t start, size_t length) {
        const std::string token = text.substr(start, length);
        if (NumberText::isCompleteNumber(token)) {
            numbers.push_back(NumberText::toDouble(token.c_str()));
        } else if (wrong.empty()) {
            wrong = token;
        }
    });
    if (!wrong.empty()) {
        error = "an area is written as numbers \"x1 y1 x2 y2 x3 y3 ...\"; \"" + wrong +
                "\" is not a number";
        return std::nullopt;
    }
    if (numbers.size() % 2 != 0) {
        error = NumberText::format(
            "an area is written as pairs \"x1 y1 x2 y2 x3 y3 ...\", but %zu numbers were given",
            numbers.size());
        return std::nullopt;
    }
    std::vector<PlanePoint> corners;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) {
        corners.emplace_back(numbers[i], numbers[i + 1]);
    }
    return fromPoints(corners, error);
}

std::optional<MeasurementArea> MeasurementArea::rectangle(double minX, double minY, double maxX,
                                                          double maxY, std::string& error) {
    return fromPoints({{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}}, error);
}

bool MeasurementArea::covers(const PlanePoint& point) const {
    return bg::covered_by(point, shape);
}

bool MeasurementArea::covers(const MeasurementArea& inner) const {
    return bg::covered_by(inner.shape, shape);
}
