#pragma once

#include <limits>
#include <string>

/// How a recording is read: which reader, and how its frame numbers, lengths and time window
/// map onto the experiment. Every field has a "not given" value; a reader then takes what the
/// file states, or its format's default.
struct ReadingOptions {
    /// Reader name ("ana", "juelich", "eth", "csv", "trajnet"); empty: chosen by extension.
    std::string format;
    /// Frame numbers per second (time = frame / framesPerSecond); 0: from the file or format.
    double framesPerSecond = 0.0;
    /// Metres per length unit of the file: 1 (m), 0.01 (cm), 0.001 (mm); 0: from the file,
    /// otherwise metres.
    double metresPerUnit = 0.0;
    /// Keep every stride-th frame.
    int stride = 1;
    /// Time window in seconds; not a number: open at that end.
    double from = std::numeric_limits<double>::quiet_NaN();
    double to = std::numeric_limits<double>::quiet_NaN();
    /// Longest tracking gap (s) that is filled in; a longer one makes the rest a new pedestrian.
    double maxGap = 1.0;
    /// A file of obstacle segments, one "x1 y1 x2 y2" per line in the trajectory unit; empty:
    /// none.
    std::string obstacles;
};
