#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/IndividualSpeeds.h"
#include "analysis/MeasurementArea.h"
#include "analysis/VoronoiCells.h"

class CrowdFrames;

/// What a density and speed measurement takes apart from the crowd and its area.
struct DensitySpeedSettings {
    /// Frames on each side of an individual speed's difference (K, at least 1).
    int speedFrames = IndividualSpeeds::defaultSpeedFrames;
    /// How the Voronoi cells are built.
    VoronoiSettings voronoi;
    /// The area that bounds the Voronoi cells; empty: the bounding box of every sample of the
    /// crowd grown by walkableMargin on each side.
    std::optional<MeasurementArea> walkable;
    /// Metres by which the crowd's bounding box grows into the default walkable area.
    double walkableMargin = 1.0;
    /// Refuse a crowd of which nobody is inside the area on any frame: right for a recording
    /// (the area was misplaced), wrong for a simulated crowd that a model led elsewhere, whose
    /// measurements are then a result.
    bool needsSomebodyInside = true;
};

/// The measurements of one frame.
struct FrameDensitySpeed {
    int frame = 0;      ///< index into the crowd's frames
    double time = 0.0;  ///< seconds
    /// Pedestrians inside the measurement area or on its boundary.
    int inside = 0;
    /// inside / area, in pedestrians per square metre.
    double classicDensity = 0.0;
    /// Σ |Vi ∩ A| / |Vi| over every pedestrian present, divided by |A| (1/m²).
    double voronoiDensity = 0.0;
    /// Σ vi·|Vi ∩ A| / |A| in metres per second. A pedestrian without a speed (a track of one
    /// sample) has its weight shared out among the others in proportion to theirs, so that it
    /// moves at their weighted mean; NaN when no cell that reaches A has a speed.
    double voronoiSpeed = 0.0;

    /// voronoiDensity × voronoiSpeed: the specific flow in 1/(m·s).
    double specificFlow() const { return voronoiDensity * voronoiSpeed; }
};

/// A point of the fundamental diagram: one frame's Voronoi density, speed and specific flow.
struct DiagramPoint {
    int frame = 0;         ///< index into the crowd's frames
    double density = 0.0;  ///< 1/m²
    double speed = 0.0;    ///< m/s
    double flow = 0.0;     ///< 1/(m·s)
};

/// Classic and Voronoi density and Voronoi speed in a measurement area, frame by frame, for a
/// measured or a simulated crowd.
class DensitySpeed {
public:
    /// Measures every frame of `crowd` in `area`. False with `error` when the settings are out
    /// of range, the area does not lie inside the walkable area, or (unless the settings allow
    /// it) nobody is inside the area on any frame.
    bool measure(const CrowdFrames& crowd, const MeasurementArea& area,
                 const DensitySpeedSettings& settings, std::string& error);

    /// The walkable area that bounds the crowd's cells: the settings' own, or the box around
    /// every sample of the crowd grown by the settings' margin; empty with `error` when the
    /// margin is not a positive number.
    static std::optional<MeasurementArea> walkableFor(const CrowdFrames& crowd,
                                                      const DensitySpeedSettings& settings,
                                                      std::string& error);
    /// One entry per frame of the crowd after a successful measure; empty after a failed one.
    const std::vector<FrameDensitySpeed>& frames() const { return measured; }
    /// The fundamental diagram: every frame whose Voronoi density is above zero and whose
    /// Voronoi speed is defined.
    std::vector<DiagramPoint> fundamentalDiagram() const;

private:
    std::vector<FrameDensitySpeed> measured;
};
