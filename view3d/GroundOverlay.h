#pragma once

#include <QPointF>
#include <vector>

/// What the 3D view draws on the ground over the scene for a crowd measurement, in the
/// experiment's metres: the measurement area and line, or the corners of one being drawn.
struct GroundOverlay {
    std::vector<QPointF> area;  ///< the area's corners in order; none for no area
    bool areaClosed = true;     ///< false while its corners are still being clicked
    std::vector<QPointF> line;  ///< the line's ends, first to second; one while it is drawn
    bool picking = false;       ///< left clicks on the ground are taken as corners

    bool operator==(const GroundOverlay& other) const {
        return area == other.area && areaClosed == other.areaClosed && line == other.line &&
               picking == other.picking;
    }
    bool operator!=(const GroundOverlay& other) const { return !(*this == other); }
};
