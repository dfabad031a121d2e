#pragma once

#include <string>

#include "analysis/IndividualSpeeds.h"
#include "analysis/VoronoiCells.h"

/// Where and how `analyse` measures, as its command line gives it: the polygons as text, checked
/// by the command before the recording is read.
struct AnalyseRequest {
    std::string area;      ///< "x1 y1 x2 y2 x3 y3 ..." in metres
    std::string line;      ///< "x1 y1 x2 y2"; empty: no flow measured
    std::string walkable;  ///< the polygon bounding the Voronoi cells; empty: the crowd's box + 1 m
    int speedFrames = IndividualSpeeds::defaultSpeedFrames;
    double cutoff = 0.0;  ///< metres; 0: cells are not limited
    int cutoffSides = VoronoiSettings().cutoffSides;
    std::string folder;  ///< where the tables and pictures go
};
