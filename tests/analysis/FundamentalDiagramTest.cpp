#include "analysis/FundamentalDiagram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

using Path = std::vector<std::pair<float, float>>;

// A 5 × 5 lattice of spacing s from (0, y) moving dx east per 0.1 s frame, `frames` long.
std::vector<Path> lattice(float s, float dx, int frames = 3, float y = 0) {
    std::vector<Path> paths(25);
    for (int p = 0; p < 25; ++p) {
        for (int k = 0; k < frames; ++k) {
            paths[p].emplace_back((p / 5) * s + k * dx, (p % 5) * s + y);
        }
    }
    return paths;
}

ExperimentTable tableOf(const std::vector<Path>& paths) {
    ExperimentTable table;
    for (const Path& path : paths) {
        table.addTrajectory(path);
    }
    table.times = {0.0f, 0.1f, 0.2f};
    return table;
}

// Records `script` as the model's run, so that the test chooses the simulated crowd.
class ScriptedRecord : public Record {
public:
    void run() override {
        boundSimulation()->clearRecords();
        for (size_t i = 0; i < script.size(); ++i) {
            for (const auto& [x, y] : script[i]) {
                boundSimulation()->recordSample(static_cast<int>(i), x, y, 0, 0);
            }
        }
        boundSimulation()->finishRecords();
    }
    std::vector<Path> script;
};

// Within the square cells of the inner points of every lattice below on every frame.
const char* const innerArea = "0.8 0.8 1.6 0.8 1.6 1.6 0.8 1.6";

// Against `recording`, by default the lattice of spacing 1 m (1/m²) at 1 m/s.
float scoreOf(FundamentalDiagram& metric, std::vector<Path> script,
              const Experiment* recording = nullptr) {
    const auto unitLattice = makeExperiment(tableOf(lattice(1, 0.1f)));
    SimulationGeneric<Dummy> model;
    ScriptedRecord record;
    bindAndPrepare(record, recording ? recording : unitLattice.get(), &model);
    record.script = std::move(script);
    return metric.evaluate(&record);
}

}  // namespace

TEST(FundamentalDiagram, ScoresTheWeightedSquaredDifferencesOfEveryFrame) {
    const struct {
        const char *area, *density, *speed;
        std::vector<Path> simulated;
        double expected;
    } cases[] = {
        {"", "1", "1", lattice(1, 0.1f), 0},  // the recording itself, in its bounding box
        // Spacing 0.5 m (4/m²) at 0.5 m/s: 3² · wρ + 0.5² · wv on each frame.
        {innerArea, "1", "1", lattice(0.5f, 0.05f), 9.25},
        {innerArea, "2", "4", lattice(0.5f, 0.05f), 19},
        {innerArea, "0", "1", lattice(0.5f, 0.05f), 0.25},
        // Seen on frame 0 only, where they match the recording: no speed on any frame, and
        // densities off by 0, 1 and 1; (0 + 1 + 1) / 3 whatever the speed weight.
        {innerArea, "1", "100", lattice(1, 0.1f, 1), 2.0 / 3},
        // 100 m north of the walkable area [−1, 5.2] × [−1, 5], where only the front row's cells
        // reach, as strips 1 m wide and 6 m high: 1/6 per m² at 0.5 m/s.
        {innerArea, "1", "1", lattice(1, 0.05f, 3, 100), 25.0 / 36 + 0.25},
    };
    for (const auto& c : cases) {
        FundamentalDiagram metric;
        metric.setParameter("Area", c.area);
        metric.setParameter("Density weight", c.density);
        metric.setParameter("Speed weight", c.speed);
        EXPECT_NEAR(scoreOf(metric, c.simulated), c.expected, 1e-4) << metric.problem();
    }
}

TEST(FundamentalDiagram, UnusableSettingsOrAreasScoreNoNumberAndSayWhy) {
    const struct {
        const char *parameter, *text;
        bool accepted, setting;
        const char* message;
    } cases[] = {
        {"Area", "0 0 1 1", false, true, "at least three corners, not 2"},
        {"Speed frames", "0", false, true, "at least 1 frame on each side, not 0"},
        {"Density weight", "-1", true, true, "\"Density weight\" must be a finite number"},
        {"Speed weight", "nan", false, true, "\"Speed weight\" must be a finite number"},
        {"Area", "10 10 11 10 11 11", true, false, "does not lie inside the walkable area"},
        {"Area", "-0.9 -0.9 -0.5 -0.9 -0.5 -0.5", true, false, "nobody is inside"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.parameter) + " " + c.text);
        FundamentalDiagram metric;
        EXPECT_EQ(metric.acceptsParameterText(c.parameter, c.text), c.accepted);
        metric.setParameter(c.parameter, c.text);
        metric.commitParameters();
        EXPECT_EQ(metric.commitMessage().find(c.message) != std::string::npos, c.setting);
        EXPECT_TRUE(std::isnan(scoreOf(metric, lattice(1, 0.1f))));
        EXPECT_NE(metric.problem().find(c.message), std::string::npos) << metric.problem();
    }
}

TEST(FundamentalDiagram, KeptMeasurementsFollowTheRecordingNotWhereItLies) {
    // Recordings A (as above) and B (spacing 0.8 m: 1.5625/m², Δρ² = 2.4375²) in turn at one
    // address, against the simulated lattice of spacing 0.5 m.
    const std::vector<Path> a = lattice(1, 0.1f), b = lattice(0.8f, 0.1f);
    std::optional<Experiment> recording;
    FundamentalDiagram metric;
    metric.setParameter("Area", innerArea);
    for (const auto& [measured, expected] :
         {std::make_pair(a, 9.25), std::make_pair(b, 6.19140625), std::make_pair(a, 9.25)}) {
        TableParser parser(tableOf(measured));
        recording.emplace(parser);
        EXPECT_NEAR(scoreOf(metric, lattice(0.5f, 0.05f), &*recording), expected, 1e-4);
    }
}
