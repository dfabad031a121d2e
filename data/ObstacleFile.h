#pragma once

#include <string>
#include <vector>

#include "core/Segment.h"

/// Obstacle segments kept beside a recording that has none of its own: one "x1 y1 x2 y2" per
/// line (blanks or tabs between) in the recording's length unit, "#" starting a comment to the
/// end of its line.
struct ObstacleFile {
    /// The segments in file order, in metres when read with the recording's unit.
    std::vector<Segment> segments;

    /// Reads the file at `path`, multiplying every length by `metresPerUnit`. Returns false,
    /// with `error` naming the file, the line and what is wrong, and keeps nothing.
    bool load(const std::string& path, double metresPerUnit, std::string& error);
    /// The same for text held in memory; messages name the line only.
    bool loadText(std::string text, double metresPerUnit, std::string& error);
};
