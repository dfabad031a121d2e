#include "analysis/CrowdAnalysis.h"

#include <algorithm>
#include <cmath>

std::optional<CrowdAnalysis> CrowdAnalysis::measure(const CrowdFrames& crowd,
                                                    const AnalysisSetup& setup,
                                                    std::string& error) {
    DensitySpeed densitySpeed;
    if (!densitySpeed.measure(crowd, setup.area, setup.settings, error)) {
        return std::nullopt;
    }
    std::optional<LineCrossings> crossings;
    if (setup.line) {
        crossings.emplace(crowd, *setup.line);
    }
    return CrowdAnalysis(std::move(densitySpeed), std::move(crossings));
}

CrowdAnalysis::Means CrowdAnalysis::means() const {
    Means means;
    int withSpeed = 0;
    for (const FrameDensitySpeed& frame : perFrame.frames()) {
        means.peakVoronoiDensity = std::max(means.peakVoronoiDensity, frame.voronoiDensity);
        if (frame.inside == 0) {
            continue;
        }
        ++means.framesInside;
        means.classicDensity += frame.classicDensity;
        means.voronoiDensity += frame.voronoiDensity;
        if (std::isfinite(frame.voronoiSpeed)) {
            ++withSpeed;
            means.voronoiSpeed += frame.voronoiSpeed;
            means.specificFlow += frame.specificFlow();
        }
    }
    if (means.framesInside > 0) {
        means.classicDensity /= means.framesInside;
        means.voronoiDensity /= means.framesInside;
    }
    if (withSpeed > 0) {
        means.voronoiSpeed /= withSpeed;
        means.specificFlow /= withSpeed;
    }
    return means;
}
