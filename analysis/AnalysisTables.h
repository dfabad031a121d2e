#pragma once

#include <string>
#include <vector>

class CrowdAnalysis;

/// The tables of a crowd analysis as CSV text ("." decimals, "nan" where a value is undefined),
/// the measured crowd's columns first and, when given, the simulated crowd's after them, so that
/// one row compares both on one frame.
namespace AnalysisTables {

/// One row per frame: frame, t and, per crowd, classic density, Voronoi density, Voronoi speed
/// and specific flow. Both analyses must cover the same frames.
std::string densitySpeed(const CrowdAnalysis& measured, const CrowdAnalysis* simulated);

/// One row per crossing of the line: crowd, id, frame, t, direction and n, the crossing's place
/// in its crowd's and direction's N–t diagram. Only the header when the analyses have no line.
std::string crossings(const CrowdAnalysis& measured, const CrowdAnalysis* simulated);

/// The figures of each crowd, one "crowd name value" line each after the `about` lines (each
/// written as a "# " comment): frames, frames_inside (with somebody in the area), the means over
/// those frames of the classic and Voronoi density (1/m²), Voronoi speed (m/s) and specific flow
/// (1/(m·s)), the peak Voronoi density and, with a line, the crossings and flow (1/s, "nan" with
/// fewer than two crossings) in each direction.
std::string summary(const std::vector<std::string>& about, const CrowdAnalysis& measured,
                    const CrowdAnalysis* simulated);

}  // namespace AnalysisTables
