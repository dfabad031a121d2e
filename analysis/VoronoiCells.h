#pragma once

#include <string>
#include <vector>

#include "analysis/PlaneGeometry.h"

class MeasurementArea;

/// How Voronoi cells are built.
struct VoronoiSettings {
    /// Metres per integer unit of the positions handed to the Voronoi builder (0.1 mm). Positions
    /// closer than this may fall on one integer point and then count as coincident; the cells'
    /// shapes are computed from the unrounded positions, so that results do not move with it.
    double resolution = 1e-4;
    /// Each cell is limited to the disk of this radius (metres) around its pedestrian; 0: no
    /// limit.
    double cutoffRadius = 0.0;
    /// Sides of the regular polygon that stands for the cutoff disk, with its corners on the
    /// circle and the first corner straight along +x from the pedestrian (at least 3).
    int cutoffSides = 12;
};

/// One pedestrian's Voronoi cell within the walkable area.
struct VoronoiCell {
    /// The points of the walkable area (and of the cutoff disk) nearer to this pedestrian's
    /// position than to any other pedestrian's; several pieces when the walkable area is not
    /// convex. Pedestrians on one point share it.
    PlaneRegion region;
    /// Pedestrians on this cell's point (1 unless several stand on one point); each owns an
    /// equal part of the region.
    int sharedBy = 1;

    /// This pedestrian's part of the region in square metres: its area over sharedBy.
    double area() const;
    /// This pedestrian's part of the region's overlap with `area`, in square metres.
    double areaWithin(const PlanePolygon& area) const;
};

/// The Voronoi cells of the pedestrians of one frame, bounded by a walkable area. Boost's
/// Voronoi builder finds each pedestrian's neighbours from positions rounded to the resolution;
/// each cell is then the walkable area cut by the half-planes of its neighbours, computed with
/// Boost.Geometry from the unrounded positions. Boost.Geometry rounds the corners its cuts make
/// on a grid of 1e-7 of the operands' extent, so areas are precise to about 1e-6 of a cell's.
class VoronoiCells {
public:
    /// Builds one cell per position in `positions` (metres), in their order. False with `error`
    /// when the settings are out of range, a position is not finite, or the positions span more
    /// than the resolution can represent in 32-bit integers.
    bool build(const std::vector<PlanePoint>& positions, const MeasurementArea& walkable,
               const VoronoiSettings& settings, std::string& error);
    /// True when the settings are in range; false with `error` saying which is not.
    static bool checkSettings(const VoronoiSettings& settings, std::string& error);
    /// The cells of the last build, one per position.
    const std::vector<VoronoiCell>& cells() const { return built; }

private:
    std::vector<VoronoiCell> built;
};
