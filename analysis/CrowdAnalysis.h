#pragma once

#include <optional>
#include <string>
#include <utility>

#include "analysis/DensitySpeed.h"
#include "analysis/LineCrossings.h"
#include "analysis/MeasurementArea.h"
#include "analysis/MeasurementLine.h"

class CrowdFrames;

/// Where and how a crowd is measured: the area for density and speed, the line for the flow
/// (optional) and the measurement settings.
struct AnalysisSetup {
    MeasurementArea area;
    std::optional<MeasurementLine> line;
    DensitySpeedSettings settings;
};

/// Every standard measurement of one crowd (measured or simulated) by one setup: density and
/// speed per frame, the fundamental diagram and, with a line, its crossings.
class CrowdAnalysis {
public:
    /// Measures `crowd`; empty with `error` when the density and speed measurement fails (the
    /// line cannot fail: it was validated when it was made).
    static std::optional<CrowdAnalysis> measure(const CrowdFrames& crowd,
                                                const AnalysisSetup& setup, std::string& error);

    const DensitySpeed& densitySpeed() const { return perFrame; }
    /// The crossings of the setup's line; empty when the setup has no line.
    const std::optional<LineCrossings>& crossings() const { return crossed; }

    /// Means over the frames on which somebody is inside the area (classic density above zero):
    /// what a summary reports of a crowd.
    struct Means {
        int framesInside = 0;             ///< frames with somebody inside the area
        double classicDensity = 0.0;      ///< 1/m²
        double voronoiDensity = 0.0;      ///< 1/m²
        double voronoiSpeed = 0.0;        ///< m/s, over those of the frames with a speed
        double specificFlow = 0.0;        ///< 1/(m·s), over those of the frames with a speed
        double peakVoronoiDensity = 0.0;  ///< the largest of any frame, 1/m²
    };
    Means means() const;

private:
    CrowdAnalysis(DensitySpeed densitySpeed, std::optional<LineCrossings> crossings)
        : perFrame(std::move(densitySpeed)), crossed(std::move(crossings)) {}

    DensitySpeed perFrame;
    std::optional<LineCrossings> crossed;
};
