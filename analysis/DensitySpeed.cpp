#include "analysis/DensitySpeed.h"

#include <cmath>
#include <limits>

#include "analysis/CrowdFrames.h"
#include "core/NumberText.h"

std::optional<MeasurementArea> DensitySpeed::walkableFor(const CrowdFrames& crowd,
                                                         const DensitySpeedSettings& settings,
                                                         std::string& error) {
    if (settings.walkable) {
        return settings.walkable;
    }
    if (!(settings.walkableMargin > 0.0) || !std::isfinite(settings.walkableMargin)) {
        error = NumberText::format("the walkable area's margin must be positive, not %g m",
                                   settings.walkableMargin);
        return std::nullopt;
    }
    const double margin = settings.walkableMargin;
    return MeasurementArea::rectangle(crowd.minX() - margin, crowd.minY() - margin,
                                      crowd.maxX() + margin, crowd.maxY() + margin, error);
}

bool DensitySpeed::measure(const CrowdFrames& crowd, const MeasurementArea& area,
                           const DensitySpeedSettings& settings, std::string& error) {
    measured.clear();
    if (settings.speedFrames < 1) {
        error = NumberText::format("speeds need at least 1 frame on each side, not %d",
                                   settings.speedFrames);
        return false;
    }
    if (!VoronoiCells::checkSettings(settings.voronoi, error)) {
        return false;
    }
    if (crowd.empty()) {
        error = "nobody is present on any frame";
        return false;
    }
    const std::optional<MeasurementArea> walkable = walkableFor(crowd, settings, error);
    if (!walkable) {
        return false;
    }
    if (!walkable->covers(area)) {
        error = "the measurement area " + area.text() + " does not lie inside the walkable area " +
                walkable->text();
        return false;
    }

    const IndividualSpeeds speeds(crowd, settings.speedFrames);
    VoronoiCells cells;
    bool anybodyInside = false;
    for (int k = 0; k < crowd.frameCount(); ++k) {
        const std::vector<CrowdSample> samples = crowd.samples(k);
        std::vector<PlanePoint> positions;
        for (const CrowdSample& sample : samples) {
            positions.emplace_back(sample.x, sample.y);
        }
        if (!cells.build(positions, *walkable, settings.voronoi, error)) {
            error = NumberText::format("frame %d: ", k) + error;
            measured.clear();
            return false;
        }
        FrameDensitySpeed frame;
        frame.frame = k;
        frame.time = crowd.time(k);
        double pedestrians = 0.0, weight = 0.0, weightWithSpeed = 0.0, weightedSpeed = 0.0;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (area.covers(positions[i])) {
                ++frame.inside;
            }
            const VoronoiCell& cell = cells.cells()[i];
            const double overlap = cell.areaWithin(area.polygon());
            if (!(overlap > 0.0)) {
                continue;
            }
            pedestrians += overlap / cell.area();
            weight += overlap;
            const double speed = speeds.speed(samples[i].track, k);
            if (!std::isnan(speed)) {
                weightWithSpeed += overlap;
                weightedSpeed += speed * overlap;
            }
        }
        anybodyInside = anybodyInside || frame.inside > 0;
        frame.classicDensity = frame.inside / area.area();
        frame.voronoiDensity = pedestrians / area.area();
        frame.voronoiSpeed = weightWithSpeed > 0.0
                                 ? weightedSpeed / weightWithSpeed * (weight / area.area())
                                 : std::numeric_limits<double>::quiet_NaN();
        measured.push_back(frame);
    }
    if (!anybodyInside && settings.needsSomebodyInside) {
        measured.clear();
        error =
            NumberText::format("nobody is inside the measurement area %s on any of the %d frames",
                               area.text().c_str(), crowd.frameCount());
        return false;
    }
    return true;
}

std::vector<DiagramPoint> DensitySpeed::fundamentalDiagram() const {
    std::vector<DiagramPoint> points;
    for (const FrameDensitySpeed& frame : measured) {
        if (frame.voronoiDensity > 0.0 && !std::isnan(frame.voronoiSpeed)) {
            points.push_back(
                {frame.frame, frame.voronoiDensity, frame.voronoiSpeed, frame.specificFlow()});
        }
    }
    return points;
}
