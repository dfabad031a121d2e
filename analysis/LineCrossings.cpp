#include "analysis/LineCrossings.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "analysis/CrowdFrames.h"
#include "analysis/MeasurementLine.h"

LineCrossings::LineCrossings(const CrowdFrames& crowd, const MeasurementLine& line) {
    for (const CrowdTrack& track : crowd.tracks()) {
        // The last sample off the line: where the pedestrian came from.
        int fromFrame = -1;
        double fromSide = 0.0;
        for (int k = track.firstFrame; k <= track.lastFrame(); ++k) {
            const PlanePoint here(track.xAt(k), track.yAt(k));
            const double side = line.side(here);
            if (side == 0.0) {
                continue;
            }
            if (fromFrame >= 0 && (side > 0.0) != (fromSide > 0.0) &&
                line.meets(PlanePoint(track.xAt(fromFrame), track.yAt(fromFrame)), here)) {
                crossings.push_back({track.id, k, crowd.time(k),
                                     fromSide > 0.0 ? CrossingDirection::LeftToRight
                                                    : CrossingDirection::RightToLeft});
            }
            fromFrame = k;
            fromSide = side;
        }
    }
    std::sort(crossings.begin(), crossings.end(), [](const LineCrossing& a, const LineCrossing& b) {
        return std::tie(a.frame, a.id) < std::tie(b.frame, b.id);
    });
}

std::vector<LineCrossing> LineCrossings::inDirection(CrossingDirection direction) const {
    std::vector<LineCrossing> out;
    std::copy_if(crossings.begin(), crossings.end(), std::back_inserter(out),
                 [direction](const LineCrossing& c) { return c.direction == direction; });
    return out;
}

std::optional<double> LineCrossings::flow(CrossingDirection direction) const {
    const std::vector<LineCrossing> ordered = inDirection(direction);
    if (ordered.size() < 2 || !(ordered.back().time > ordered.front().time)) {
        return std::nullopt;
    }
    return (static_cast<double>(ordered.size()) - 1.0) /
           (ordered.back().time - ordered.front().time);
}
