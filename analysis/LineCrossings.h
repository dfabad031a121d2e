#pragma once

#include <optional>
#include <vector>

class CrowdFrames;
class MeasurementLine;

/// The way a pedestrian crosses a line, looking from the line's first point to its second.
enum class CrossingDirection { LeftToRight, RightToLeft };

/// One crossing of the line: who, when, which way.
struct LineCrossing {
    int id = 0;         ///< the pedestrian
    int frame = 0;      ///< the first frame on which the pedestrian is on the far side
    double time = 0.0;  ///< that frame's time in seconds
    CrossingDirection direction = CrossingDirection::LeftToRight;  ///< from which side to which
};

/// Every crossing of a measurement line by the pedestrians of a crowd, for the N–t diagram and
/// the flow. A pedestrian crosses when it passes from one side to the other (samples exactly on
/// the line belong to neither side and are stepped over) along a step that meets the segment;
/// each crossing counts, so one who walks back and forth crosses several times.
class LineCrossings {
public:
    /// Finds the crossings of `line` by every track of `crowd`.
    LineCrossings(const CrowdFrames& crowd, const MeasurementLine& line);

    /// Every crossing, ordered by frame (then by pedestrian).
    const std::vector<LineCrossing>& all() const { return crossings; }
    /// The crossings in one direction, ordered by frame: the N–t diagram is (time, 1 + index).
    std::vector<LineCrossing> inDirection(CrossingDirection direction) const;
    /// The flow in one direction in pedestrians per second between its first and last crossing:
    /// (N − 1) / (t_last − t_first). Empty with fewer than two crossings or when all fall on one
    /// time.
    std::optional<double> flow(CrossingDirection direction) const;

private:
    std::vector<LineCrossing> crossings;
};
