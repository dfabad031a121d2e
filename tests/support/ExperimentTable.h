#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/Experiment.h"
#include "data/ExperimentData.h"
#include "data/Parser.h"

// Builds experiments for tests straight from arrays, without a file: any shape, including the
// waypoint form that no file format produces and arrays shorter than their counts claim.
struct ExperimentTable : ExperimentData {
    std::vector<int> presentFirst, presentLast;  ///< empty: everybody on every frame

    // Appends one pedestrian's measured positions, one (x, y) per frame, with zero velocity.
    void addTrajectory(const std::vector<std::pair<float, float>>& samples) {
        for (const auto& sample : samples) {
            posX.push_back(sample.first);
            posY.push_back(sample.second);
            velX.push_back(0.0f);
            velY.push_back(0.0f);
        }
        ++pedestrianCount;
        frameCount = static_cast<int>(samples.size());
    }

    // Appends a pedestrian present from frame `firstFrame` on, one (x, y) per present frame
    // with zero velocity; its samples follow the previous pedestrian's present samples.
    void addPresence(int firstFrame, const std::vector<std::pair<float, float>>& samples) {
        for (const auto& sample : samples) {
            posX.push_back(sample.first);
            posY.push_back(sample.second);
            velX.push_back(0.0f);
            velY.push_back(0.0f);
        }
        presentFirst.push_back(firstFrame);
        presentLast.push_back(firstFrame + static_cast<int>(samples.size()) - 1);
        ++pedestrianCount;
        frameCount = std::max(frameCount, presentLast.back() + 1);
    }

    // Appends one pedestrian's waypoints (x, y, radius) for a waypoint experiment.
    void addWaypoints(const std::vector<std::vector<float>>& points) {
        std::vector<float> xs, ys, radii;
        for (const auto& point : points) {
            xs.push_back(point[0]);
            ys.push_back(point[1]);
            radii.push_back(point[2]);
        }
        waypointX.push_back(xs);
        waypointY.push_back(ys);
        waypointRadius.push_back(radii);
        waypointCount.push_back(static_cast<int>(points.size()));
    }
};

// A parser that hands over the arrays of a table. Arrays are moved, so a test can also hand over
// storage whose capacity exceeds its size.
class TableParser : public Parser {
public:
    explicit TableParser(ExperimentTable content) : Parser("table"), table(std::move(content)) {}

    bool load(const std::string&) override { return true; }

    // Moves the table's experiment fields only; its presence stays for fillPresence.
    void fill(ExperimentData& data) override {
        data = std::move(static_cast<ExperimentData&>(table));
    }

    void fillPresence(std::vector<int>& first, std::vector<int>& last,
                      std::vector<std::ptrdiff_t>& base) override {
        if (table.presentFirst.empty()) {
            return;
        }
        first = table.presentFirst;
        last = table.presentLast;
        std::ptrdiff_t offset = 0;
        for (size_t p = 0; p < first.size(); ++p) {
            base.push_back(offset - first[p]);
            offset += last[p] - first[p] + 1;
        }
    }

private:
    ExperimentTable table;
};

inline std::unique_ptr<Experiment> makeExperiment(ExperimentTable table) {
    TableParser parser(std::move(table));
    return std::make_unique<Experiment>(parser);
}
