#include "analysis/MeasurementLine.h"

#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/geometries/segment.hpp>
#include <cmath>
#include <vector>

#include "core/NumberText.h"
#include "core/TokenScanner.h"

namespace bg = boost::geometry;

std::optional<MeasurementLine> MeasurementLine::fromPoints(const PlanePoint& from,
                                                           const PlanePoint& to,
                                                           std::string& error) {
    if (!std::isfinite(from.x()) || !std::isfinite(from.y()) || !std::isfinite(to.x()) ||
        !std::isfinite(to.y())) {
        error = "a line's end points must be finite numbers";
        return std::nullopt;
    }
    if (from.x() == to.x() && from.y() == to.y()) {
        error = NumberText::format("the line from (%g, %g) to (%g, %g) has zero length", from.x(),
                                   from.y(), to.x(), to.y());
        return std::nullopt;
    }
    return MeasurementLine(from, to);
}

std::optional<MeasurementLine> MeasurementLine::fromText(const std::string& text,
                                                         std::string& error) {
    std::vector<double> numbers;
    bool allNumbers = true;
    scanTokens(text, [&](size_t start, size_t length) {
        const std::string token = text.substr(start, length);
        allNumbers = allNumbers && NumberText::isCompleteNumber(token);
        numbers.push_back(NumberText::toDouble(token.c_str()));
    });
    if (!allNumbers || numbers.size() != 4) {
        error = "a line is written as four numbers \"x1 y1 x2 y2\", not \"" + text + "\"";
        return std::nullopt;
    }
    return fromPoints({numbers[0], numbers[1]}, {numbers[2], numbers[3]}, error);
}

double MeasurementLine::length() const {
    return std::hypot(end.x() - start.x(), end.y() - start.y());
}

double MeasurementLine::side(const PlanePoint& point) const {
    return (end.x() - start.x()) * (point.y() - start.y()) -
           (end.y() - start.y()) * (point.x() - start.x());
}

bool MeasurementLine::meets(const PlanePoint& a, const PlanePoint& b) const {
    using Segment = bg::model::segment<PlanePoint>;
    return bg::intersects(Segment(a, b), Segment(start, end));
}
