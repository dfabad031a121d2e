#include "analysis/FundamentalDiagram.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>

#include "analysis/CrowdFrames.h"
#include "analysis/DensitySpeed.h"
#include "analysis/MeasurementArea.h"
#include "core/NumberText.h"
#include "core/WordChoice.h"
#include "run/Record.h"

namespace {

// Recordings whose measurements are kept: a calibration on one thread scores all of its
// recordings with one metric, and each one measured again would cost as much as its run.
constexpr std::size_t keptRecordings = 16;

const char* const areaForm =
    "empty (the measured crowd's bounding box) or the corners \"x1 y1 x2 y2 x3 y3 ...\" (metres) "
    "of a simple polygon";

/// A measurement area parameter: empty, or text that makes a valid polygon.
class AreaText : public Configurable::Type_string {
public:
    bool accepts(const std::string& text) const override {
        std::string error;
        return text.empty() || MeasurementArea::fromText(text, error).has_value();
    }
    const char* expectedForm() const override { return areaForm; }
};

bool sameTrack(const CrowdTrack& a, const CrowdTrack& b) {
    return a.id == b.id && a.firstFrame == b.firstFrame && a.x == b.x && a.y == b.y;
}

// By contents: an experiment read anew may lie where another one lay.
bool sameCrowd(const CrowdFrames& a, const CrowdFrames& b) {
    if (a.frameCount() != b.frameCount() || a.tracks().size() != b.tracks().size()) {
        return false;
    }
    for (int k = 0; k < a.frameCount(); ++k) {
        if (a.time(k) != b.time(k)) {
            return false;
        }
    }
    for (std::size_t t = 0; t < a.tracks().size(); ++t) {
        if (!sameTrack(a.tracks()[t], b.tracks()[t])) {
            return false;
        }
    }
    return true;
}

}  // namespace

/// One recorded crowd's measurements and what they were made from.
struct FundamentalDiagram::Measured {
    Measured(CrowdFrames recorded, std::string text, int frames)
        : crowd(std::move(recorded)), areaText(std::move(text)), speedFrames(frames) {}

    CrowdFrames crowd;
    std::string areaText;
    int speedFrames = 0;
    std::optional<MeasurementArea> area;
    DensitySpeedSettings settings;
    DensitySpeed densitySpeed;
    std::string error;  ///< why the crowd could not be measured; empty when it was
};

FundamentalDiagram::FundamentalDiagram() {
    name = "Fundamental Diagram";
    addParameter("Area", std::make_unique<AreaText>(), &area);
    addParameter("Speed frames", std::make_unique<WholeNumberFrom>(1), &speedFrames);
    addParameter("Density weight", std::make_unique<Type_float>(), &densityWeight);
    addParameter("Speed weight", std::make_unique<Type_float>(), &speedWeight);
}

FundamentalDiagram::~FundamentalDiagram() = default;

std::string FundamentalDiagram::commitMessage() const {
    const std::string problem = settingsProblem();
    return problem.empty() ? problem : problem + ".";
}

std::string FundamentalDiagram::settingsProblem() const {
    std::string error;
    if (!area.empty() && !MeasurementArea::fromText(area, error)) {
        return "\"Area\" is refused: " + error;
    }
    if (speedFrames < 1) {
        return NumberText::format("\"Speed frames\" needs at least 1 frame on each side, not %d",
                                  speedFrames);
    }
    for (const auto& [weightName, weight] : {std::make_pair("Density weight", densityWeight),
                                             std::make_pair("Speed weight", speedWeight)}) {
        if (!(weight >= 0.0f) || !std::isfinite(weight)) {
            return NumberText::format("\"%s\" must be a finite number of at least 0, not %g",
                                      weightName, static_cast<double>(weight));
        }
    }
    if (densityWeight == 0.0f && speedWeight == 0.0f) {
        return "\"Density weight\" and \"Speed weight\" are both 0, so every run would score 0";
    }
    return std::string();
}

const FundamentalDiagram::Measured& FundamentalDiagram::measuredCrowd(
    const Experiment& experiment) {
    CrowdFrames crowd = CrowdFrames::measured(experiment);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Measured& entry = *kept[i];
        if (entry.areaText == area && entry.speedFrames == speedFrames &&
            sameCrowd(entry.crowd, crowd)) {
            std::unique_ptr<Measured> found = std::move(kept[i]);
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
            kept.push_back(std::move(found));
            return *kept.back();
        }
    }
    auto made = std::make_unique<Measured>(std::move(crowd), area, speedFrames);
    Measured& entry = *made;
    entry.settings.speedFrames = speedFrames;
    if (entry.crowd.empty()) {
        entry.error = "nobody is present on any frame";
    } else {
        // One walkable area for both crowds, taken from the recording alone, so that a model's
        // agents who stray do not move the walls of the cells they are compared with.
        const CrowdFrames& c = entry.crowd;
        entry.settings.walkable = DensitySpeed::walkableFor(c, entry.settings, entry.error);
        entry.area = area.empty() ? MeasurementArea::rectangle(c.minX(), c.minY(), c.maxX(),
                                                               c.maxY(), entry.error)
                                  : MeasurementArea::fromText(area, entry.error);
        if (entry.settings.walkable && entry.area) {
            entry.densitySpeed.measure(c, *entry.area, entry.settings, entry.error);
        }
    }
    kept.push_back(std::move(made));
    if (kept.size() > keptRecordings) {
        kept.erase(kept.begin());
    }
    return entry;
}

float FundamentalDiagram::evaluate(Record* record) {
    setProblem(std::string());
    if (const std::string problem = settingsProblem(); !problem.empty()) {
        setProblem(problem);
        return notANumber();
    }
    if (!runRecord(record)) {
        return notANumber();
    }
    const Experiment& experiment = *record->boundExperiment();
    const Measured& measured = measuredCrowd(experiment);
    if (!measured.error.empty()) {
        setProblem("the recording cannot be measured: " + measured.error);
        return notANumber();
    }
    const CrowdFrames crowd = CrowdFrames::simulated(*record->boundSimulation(), experiment);
    DensitySpeedSettings settings = measured.settings;
    // A model that leads everybody away from the area is scored, so that a calibration is told
    // how far off it is rather than nothing.
    settings.needsSomebodyInside = false;
    DensitySpeed simulated;
    std::string error;
    if (!simulated.measure(crowd, *measured.area, settings, error)) {
        setProblem("the simulated crowd cannot be measured: " + error);
        return notANumber();
    }

    const std::vector<FrameDensitySpeed>& m = measured.densitySpeed.frames();
    const std::vector<FrameDensitySpeed>& s = simulated.frames();
    // Both crowds have a frame for each time of the recording.
    assert(m.size() == s.size() && !m.empty());
    double sum = 0.0;
    for (std::size_t k = 0; k < m.size(); ++k) {
        const double density = s[k].voronoiDensity - m[k].voronoiDensity;
        sum += static_cast<double>(densityWeight) * density * density;
        if (!std::isnan(s[k].voronoiSpeed) && !std::isnan(m[k].voronoiSpeed)) {
            const double speed = s[k].voronoiSpeed - m[k].voronoiSpeed;
            sum += static_cast<double>(speedWeight) * speed * speed;
        }
    }
    return static_cast<float>(sum / static_cast<double>(m.size()));
}
