#include "analysis/VoronoiCells.h"

#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/correct.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/distance.hpp>
#include <boost/geometry/algorithms/envelope.hpp>
// GCC 12 warns of an uninitialised rescale factor inside Boost 1.74's intersection, a false
// alarm that Boost fixed later; the warning points into this header, so silencing it here
// alone keeps the warnings of our own code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/geometry/algorithms/intersection.hpp>
#pragma GCC diagnostic pop
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/strategies/cartesian/distance_projected_point.hpp>
#include <boost/geometry/strategies/cartesian/distance_pythagoras.hpp>
#include <boost/polygon/voronoi.hpp>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "analysis/MeasurementArea.h"
#include "core/NumberText.h"

namespace bg = boost::geometry;

namespace {

using GridPoint = boost::polygon::point_data<int>;

// The Voronoi builder takes 32-bit signed coordinates.
constexpr double largestGridCoordinate = 2147483647.0;
constexpr double pi = 3.14159265358979323846;

PlanePolygon closedPolygon(std::vector<PlanePoint> corners) {
    PlanePolygon polygon;
    polygon.outer().assign(corners.begin(), corners.end());
    bg::correct(polygon);
    return polygon;
}

// The smallest upright box around the region's corners. (Boost's envelope does the same, but
// GCC 12 warns of its unset starting box once inlined here.)
bg::model::box<PlanePoint> extentOf(const PlaneRegion& region) {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    for (const PlanePolygon& piece : region) {
        for (const PlanePoint& corner : piece.outer()) {
            x0 = std::min(x0, corner.x());
            y0 = std::min(y0, corner.y());
            x1 = std::max(x1, corner.x());
            y1 = std::max(y1, corner.y());
        }
    }
    return {{x0, y0}, {x1, y1}};
}

// Distance from a point to the nearest edge of a region (0 on an edge, whether inside or not).
double edgeDistance(const PlanePoint& point, const PlaneRegion& region) {
    double nearest = std::numeric_limits<double>::infinity();
    for (const PlanePolygon& piece : region) {
        const bg::model::linestring<PlanePoint> edges(piece.outer().begin(), piece.outer().end());
        nearest = std::min(nearest, bg::distance(point, edges));
    }
    return nearest;
}

// True when every corner of `corners` that lies farther than `clear` from the edges of `other`
// is inside `out` exactly when it is inside `other`.
bool cornersAgree(const PlaneRegion& corners, const PlaneRegion& other, const PlaneRegion& out,
                  double clear) {
    for (const PlanePolygon& piece : corners) {
        for (const PlanePoint& corner : piece.outer()) {
            if (edgeDistance(corner, other) <= clear) {
                continue;
            }
            const bool inside = bg::covered_by(corner, other);
            const bool inOut = !out.empty() && bg::distance(corner, out) <= 0.5 * clear;
            if (inside != inOut) {
                return false;
            }
        }
    }
    return true;
}

// The intersection of two regions. Boost 1.74's overlay rounds its operands to a grid of 1e-7
// of their joint extent, and a corner within a grid step of the other operand's edge can make
// it return the whole of an operand, or nothing. Such a result puts a corner that lies clearly
// inside (or outside) the other operand outside (or inside) the result; it is redone with the
// shape moved by a few grid steps, which moves the area by that distance times the perimeter.
PlaneRegion cut(const PlaneRegion& region, const PlanePolygon& shape) {
    bg::model::box<PlanePoint> joint = extentOf(region);
    bg::expand(joint, extentOf(PlaneRegion{shape}));
    const double step = 1e-7 * std::max(joint.max_corner().x() - joint.min_corner().x(),
                                        joint.max_corner().y() - joint.min_corner().y());
    // Three directions far apart, so that an edge along one is moved off by the next; the
    // moves grow from 4 to 16 and 64 grid steps. After the last, its result stands.
    constexpr double moves[][2] = {{0.0, 0.0}, {0.6, 0.8}, {-0.8, 0.6}, {0.28, -0.96}};
    PlaneRegion out;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const double distance = attempt == 0 ? 0.0 : std::pow(4.0, attempt) * step;
        PlanePolygon moved = shape;
        for (PlanePoint& corner : moved.outer()) {
            corner = PlanePoint(corner.x() + distance * moves[attempt][0],
                                corner.y() + distance * moves[attempt][1]);
        }
        out.clear();
        bg::intersection(region, moved, out);
        const PlaneRegion other{moved};
        if (cornersAgree(region, other, out, 8.0 * step) &&
            cornersAgree(other, region, out, 8.0 * step)) {
            break;
        }
    }
    return out;
}

// The points of `region` nearer to `own` than to `other`: the region cut by a rectangle with
// one side on their bisector, reaching past the region's farthest corner. Boost.Geometry rounds
// the operands of an intersection to a grid of 1e-7 of their joint extent, so a rectangle no
// larger than needed keeps the cell's corners precise to about 1e-7 of the cell's size.
PlaneRegion nearerPart(const PlaneRegion& region, const PlanePoint& own, const PlanePoint& other) {
    const double dx = own.x() - other.x();
    const double dy = own.y() - other.y();
    const double length = std::hypot(dx, dy);
    const double nx = dx / length, ny = dy / length;
    const double mx = 0.5 * (own.x() + other.x()), my = 0.5 * (own.y() + other.y());
    const bg::model::box<PlanePoint> extent = extentOf(region);
    double reach = 0.0;
    for (const double x : {extent.min_corner().x(), extent.max_corner().x()}) {
        for (const double y : {extent.min_corner().y(), extent.max_corner().y()}) {
            reach = std::max(reach, 1.5 * std::hypot(x - mx, y - my));
        }
    }
    // Boost 1.74's overlay can lose the whole region when the cut's edge passes within its
    // rounding grid (1e-7 of the operands' extent) of a corner. A region that lies on one side
    // but for what that rounding may have moved is therefore kept, or dropped, without a cut.
    const double touching = 1e-6 * reach;
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    for (const PlanePolygon& piece : region) {
        for (const PlanePoint& corner : piece.outer()) {
            const double level = (corner.x() - mx) * nx + (corner.y() - my) * ny;
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
        }
    }
    if (lowest >= -touching) {
        return region;
    }
    if (highest <= touching) {
        return {};
    }
    const double tx = -ny * reach, ty = nx * reach;
    const double ox = nx * reach, oy = ny * reach;
    return cut(region, closedPolygon({{mx + tx, my + ty},
                                      {mx - tx, my - ty},
                                      {mx - tx + ox, my - ty + oy},
                                      {mx + tx + ox, my + ty + oy}}));
}

PlanePolygon cutoffPolygon(const PlanePoint& centre, double radius, int sides) {
    std::vector<PlanePoint> corners;
    for (int k = 0; k < sides; ++k) {
        const double angle = 2.0 * pi * k / sides;
        corners.emplace_back(centre.x() + radius * std::cos(angle),
                             centre.y() + radius * std::sin(angle));
    }
    return closedPolygon(std::move(corners));
}

// The region cut by the bisector of `own` with each of `nearestFirst`, nearest first: they
// shrink the region most, so that every later cut is rounded on a finer grid.
PlaneRegion cutByNeighbours(PlaneRegion region, const PlanePoint& own,
                            const std::vector<PlanePoint>& nearestFirst) {
    for (const PlanePoint& other : nearestFirst) {
        if (region.empty()) {
            break;
        }
        region = nearerPart(region, own, other);
    }
    return region;
}

// The walkable area within `box`; exact, without a rounded cut, when the area is an upright
// rectangle (the default).
PlaneRegion walkablePart(const MeasurementArea& walkable, const bg::model::box<PlanePoint>& box) {
    // The outer ring bounds the area; the envelope of a whole polygon, holes and all, trips a
    // false warning of uninitialised use inside the library.
    bg::model::box<PlanePoint> extent;
    bg::envelope(walkable.polygon().outer(), extent);
    const auto& ring = walkable.polygon().outer();
    const bool upright =
        ring.size() == 5 && std::all_of(ring.begin(), ring.end(), [&](const PlanePoint& p) {
            return (p.x() == extent.min_corner().x() || p.x() == extent.max_corner().x()) &&
                   (p.y() == extent.min_corner().y() || p.y() == extent.max_corner().y());
        });
    const double x0 = std::max(box.min_corner().x(), extent.min_corner().x());
    const double y0 = std::max(box.min_corner().y(), extent.min_corner().y());
    const double x1 = std::min(box.max_corner().x(), extent.max_corner().x());
    const double y1 = std::min(box.max_corner().y(), extent.max_corner().y());
    const PlanePolygon within = closedPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    if (upright) {
        return x1 > x0 && y1 > y0 ? PlaneRegion{within} : PlaneRegion{};
    }
    return cut(PlaneRegion{walkable.polygon()}, within);
}

}  // namespace

bool VoronoiCells::checkSettings(const VoronoiSettings& settings, std::string& error) {
    if (!(settings.resolution > 0.0) || !std::isfinite(settings.resolution)) {
        error = NumberText::format("the resolution must be a positive number of metres, not %g",
                                   settings.resolution);
        return false;
    }
    if (!(settings.cutoffRadius >= 0.0) || !std::isfinite(settings.cutoffRadius)) {
        error = NumberText::format("the cutoff radius must be 0 (none) or positive, not %g",
                                   settings.cutoffRadius);
        return false;
    }
    if (settings.cutoffSides < 3) {
        error = NumberText::format("the cutoff polygon needs at least 3 sides, not %d",
                                   settings.cutoffSides);
        return false;
    }
    return true;
}

double VoronoiCell::area() const {
    return bg::area(region) / sharedBy;
}

double VoronoiCell::areaWithin(const PlanePolygon& area) const {
    return bg::area(cut(region, area)) / sharedBy;
}

bool VoronoiCells::build(const std::vector<PlanePoint>& positions, const MeasurementArea& walkable,
                         const VoronoiSettings& settings, std::string& error) {
    built.clear();
    if (!checkSettings(settings, error)) {
        return false;
    }
    for (const PlanePoint& position : positions) {
        if (!std::isfinite(position.x()) || !std::isfinite(position.y())) {
            error = "a pedestrian's position is not a finite number";
            return false;
        }
    }
    if (positions.empty()) {
        return true;
    }
    // The outer ring bounds the area; the envelope of a whole polygon, holes and all, trips a
    // false warning of uninitialised use inside the library.
    bg::model::box<PlanePoint> extent;
    bg::envelope(walkable.polygon().outer(), extent);
    for (const PlanePoint& position : positions) {
        bg::expand(extent, position);
    }
    const double originX = 0.5 * (extent.min_corner().x() + extent.max_corner().x());
    const double originY = 0.5 * (extent.min_corner().y() + extent.max_corner().y());
    const double width = extent.max_corner().x() - extent.min_corner().x();
    const double height = extent.max_corner().y() - extent.min_corner().y();
    if (0.5 * std::max(width, height) / settings.resolution >= largestGridCoordinate) {
        error = NumberText::format(
            "the positions and the walkable area span %g m, more than 32-bit integers hold at "
            "a resolution of %g m",
            std::max(width, height), settings.resolution);
        return false;
    }

    // Pedestrians on one grid point become one site: the builder would drop the repeats.
    std::map<std::pair<int, int>, int> siteAt;
    std::vector<GridPoint> sites;
    std::vector<PlanePoint> siteCentre;
    std::vector<int> siteCount;
    std::vector<int> siteOf;
    for (const PlanePoint& position : positions) {
        const int gx =
            static_cast<int>(std::lround((position.x() - originX) / settings.resolution));
        const int gy =
            static_cast<int>(std::lround((position.y() - originY) / settings.resolution));
        const auto found = siteAt.emplace(std::make_pair(gx, gy), static_cast<int>(sites.size()));
        if (found.second) {
            sites.emplace_back(gx, gy);
            siteCentre.emplace_back(0.0, 0.0);
            siteCount.push_back(0);
        }
        const size_t site = static_cast<size_t>(found.first->second);
        siteCentre[site].x(siteCentre[site].x() + position.x());
        siteCentre[site].y(siteCentre[site].y() + position.y());
        ++siteCount[site];
        siteOf.push_back(static_cast<int>(site));
    }
    for (size_t s = 0; s < sites.size(); ++s) {
        siteCentre[s].x(siteCentre[s].x() / siteCount[s]);
        siteCentre[s].y(siteCentre[s].y() / siteCount[s]);
    }

    // Neighbours: sites whose cells share an edge, infinite edges included.
    boost::polygon::voronoi_diagram<double> diagram;
    boost::polygon::construct_voronoi(sites.begin(), sites.end(), &diagram);
    std::vector<std::vector<int>> neighbours(sites.size());
    for (const auto& edge : diagram.edges()) {
        neighbours[edge.cell()->source_index()].push_back(
            static_cast<int>(edge.twin()->cell()->source_index()));
    }

    // Boost.Geometry rounds a cut's corners on a grid of 1e-7 of the operands' extent, which is
    // the walkable area's for the first cut. The cell is therefore cut twice: roughly out of the
    // walkable area, then precisely out of the walkable area's part near the rough cell, whose
    // corners lie within 100 grid steps of the precise ones.
    const double roughStep = 1e-7 * std::max(width, height);
    std::vector<PlaneRegion> regions;
    for (size_t s = 0; s < sites.size(); ++s) {
        std::vector<std::pair<double, int>> byDistance;
        for (const int other : neighbours[s]) {
            const PlanePoint& there = siteCentre[static_cast<size_t>(other)];
            byDistance.emplace_back(
                std::hypot(there.x() - siteCentre[s].x(), there.y() - siteCentre[s].y()), other);
        }
        std::sort(byDistance.begin(), byDistance.end());
        std::vector<PlanePoint> nearestFirst;
        for (const auto& neighbour : byDistance) {
            nearestFirst.push_back(siteCentre[static_cast<size_t>(neighbour.second)]);
        }
        const PlaneRegion rough =
            cutByNeighbours(PlaneRegion{walkable.polygon()}, siteCentre[s], nearestFirst);
        PlaneRegion region;
        if (!rough.empty()) {
            bg::model::box<PlanePoint> near = extentOf(rough);
            bg::expand(near, PlanePoint(near.min_corner().x() - 100.0 * roughStep,
                                        near.min_corner().y() - 100.0 * roughStep));
            bg::expand(near, PlanePoint(near.max_corner().x() + 100.0 * roughStep,
                                        near.max_corner().y() + 100.0 * roughStep));
            region = cutByNeighbours(walkablePart(walkable, near), siteCentre[s], nearestFirst);
        }
        if (settings.cutoffRadius > 0.0) {
            region = cut(region,
                         cutoffPolygon(siteCentre[s], settings.cutoffRadius, settings.cutoffSides));
        }
        regions.push_back(std::move(region));
    }
    for (const int site : siteOf) {
        built.push_back({regions[static_cast<size_t>(site)], siteCount[static_cast<size_t>(site)]});
    }
    return true;
}
