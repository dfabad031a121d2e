#include "analysis/AnalysisTables.h"

#include <cassert>
#include <cmath>

#include "analysis/CrowdAnalysis.h"
#include "core/NumberText.h"

namespace {

// Nine significant digits hold a density or speed to far below what it can be measured to.
std::string number(double value) {
    return std::isfinite(value) ? NumberText::format("%.9g", value) : std::string("nan");
}

// Frame times are held in single precision: seven digits say all they hold.
std::string timeText(double time) {
    return NumberText::format("%.7g", time);
}

std::string frameColumns(const FrameDensitySpeed& frame) {
    return "," + number(frame.classicDensity) + "," + number(frame.voronoiDensity) + "," +
           number(frame.voronoiSpeed) + "," + number(frame.specificFlow());
}

std::string crowdColumns(const char* crowd) {
    std::string text;
    for (const char* quantity :
         {"classic_density", "voronoi_density", "voronoi_speed", "specific_flow"}) {
        text += std::string(",") + crowd + "_" + quantity;
    }
    return text;
}

const char* directionName(CrossingDirection direction) {
    return direction == CrossingDirection::LeftToRight ? "left_to_right" : "right_to_left";
}

void addCrossings(std::string& text, const char* crowd, const CrowdAnalysis& analysis) {
    if (!analysis.crossings()) {
        return;
    }
    for (const CrossingDirection direction :
         {CrossingDirection::LeftToRight, CrossingDirection::RightToLeft}) {
        int n = 0;
        for (const LineCrossing& crossing : analysis.crossings()->inDirection(direction)) {
            text += std::string(crowd) + "," + std::to_string(crossing.id) + "," +
                    std::to_string(crossing.frame) + "," + timeText(crossing.time) + "," +
                    directionName(direction) + "," + std::to_string(++n) + "\n";
        }
    }
}

void addFigures(std::string& text, const char* crowd, const CrowdAnalysis& analysis) {
    const auto line = [&](const char* name, const std::string& value) {
        text += std::string(crowd) + " " + name + " " + value + "\n";
    };
    const CrowdAnalysis::Means means = analysis.means();
    line("frames", std::to_string(analysis.densitySpeed().frames().size()));
    line("frames_inside", std::to_string(means.framesInside));
    line("mean_classic_density", number(means.classicDensity));
    line("mean_voronoi_density", number(means.voronoiDensity));
    line("mean_voronoi_speed", number(means.voronoiSpeed));
    line("mean_specific_flow", number(means.specificFlow));
    line("peak_voronoi_density", number(means.peakVoronoiDensity));
    if (!analysis.crossings()) {
        return;
    }
    for (const CrossingDirection direction :
         {CrossingDirection::LeftToRight, CrossingDirection::RightToLeft}) {
        const std::string name = directionName(direction);
        line(("crossings_" + name).c_str(),
             std::to_string(analysis.crossings()->inDirection(direction).size()));
        const std::optional<double> flow = analysis.crossings()->flow(direction);
        line(("flow_" + name).c_str(), number(flow ? *flow : std::nan("")));
    }
}

}  // namespace

namespace AnalysisTables {

std::string densitySpeed(const CrowdAnalysis& measured, const CrowdAnalysis* simulated) {
    std::string text = "frame,t" + crowdColumns("measured");
    if (simulated) {
        text += crowdColumns("simulated");
    }
    text += "\n";
    const std::vector<FrameDensitySpeed>& frames = measured.densitySpeed().frames();
    assert(!simulated || simulated->densitySpeed().frames().size() == frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        text += std::to_string(frames[k].frame) + "," + timeText(frames[k].time) +
                frameColumns(frames[k]);
        if (simulated) {
            text += frameColumns(simulated->densitySpeed().frames()[k]);
        }
        text += "\n";
    }
    return text;
}

std::string crossings(const CrowdAnalysis& measured, const CrowdAnalysis* simulated) {
    std::string text = "crowd,id,frame,t,direction,n\n";
    addCrossings(text, "measured", measured);
    if (simulated) {
        addCrossings(text, "simulated", *simulated);
    }
    return text;
}

std::string summary(const std::vector<std::string>& about, const CrowdAnalysis& measured,
                    const CrowdAnalysis* simulated) {
    std::string text;
    for (const std::string& line : about) {
        text += "# " + line + "\n";
    }
    addFigures(text, "measured", measured);
    if (simulated) {
        addFigures(text, "simulated", *simulated);
    }
    return text;
}

}  // namespace AnalysisTables
