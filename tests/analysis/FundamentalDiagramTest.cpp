#include "analysis/FundamentalDiagram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "models/Dummy.h"
#include "models/SimulationConstantVelocity.h"
#include "models/SimulationGeneric.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

using Path = std::vector<std::pair<float, float>>;

// Inside the square cells of the inner points of both lattices below on every frame.
const char* const innerArea = "0.8 0.8 1.6 0.8 1.6 1.6 0.8 1.6";

// A 5 × 5 lattice of spacing s from the origin moving dx east per frame, `samples` frames long.
std::vector<Path> lattice(float s, float dx, int samples = 3) {
    std::vector<Path> paths(25);
    for (int p = 0; p < 25; ++p) {
        for (int k = 0; k < samples; ++k) {
            paths[p].emplace_back((p / 5) * s + k * dx, (p % 5) * s);
        }
    }
    return paths;
}

ExperimentTable tableOf(const std::vector<Path>& paths, float dt) {
    ExperimentTable table;
    for (const Path& path : paths) {
        table.addTrajectory(path);
    }
    for (int k = 0; k < table.frameCount; ++k) {
        table.times.push_back(dt * k);
    }
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

float scoreOf(FundamentalDiagram& metric, const Experiment& recording, std::vector<Path> script) {
    SimulationGeneric<Dummy> model;
    ScriptedRecord record;
    bindAndPrepare(record, &recording, &model);
    record.script = std::move(script);
    return metric.evaluate(&record);
}

// Measured: spacing 1 m (1/m²) at 1 m/s; simulated: spacing 0.5 m (4/m²) at 0.5 m/s.
FundamentalDiagram& inner(FundamentalDiagram& metric) {
    metric.setParameter("Area", innerArea);
    metric.commitParameters();
    return metric;
}

}  // namespace

TEST(FundamentalDiagram, AModelThatReplaysTheRecordingScoresZero) {
    ExperimentTable table = tableOf(lattice(1, 0.5f), 0.5f);
    table.velX.assign(table.velX.size(), 1.0f);  // 0.5 m per 0.5 s, exact in floats
    const auto recording = makeExperiment(table);
    SimulationConstantVelocity model;
    Record record;
    bindAndPrepare(record, recording.get(), &model);
    record.reset();
    FundamentalDiagram metric;
    EXPECT_EQ(metric.evaluate(&record), 0.0f) << metric.problem();
}

TEST(FundamentalDiagram, LatticesScoreTheirWeightedSquaredDifferences) {
    // Δρ = 4 − 1 = 3, Δv = 0.5 − 1 = −0.5 on each of the three frames: 9·wρ + 0.25·wv.
    const struct {
        const char *density, *speed;
        double expected;
    } cases[] = {{"1", "1", 9.25}, {"2", "4", 19}, {"0", "1", 0.25}};
    const auto recording = makeExperiment(tableOf(lattice(1, 0.1f), 0.1f));
    for (const auto& c : cases) {
        FundamentalDiagram metric;
        metric.setParameter("Density weight", c.density);
        metric.setParameter("Speed weight", c.speed);
        EXPECT_NEAR(scoreOf(inner(metric), *recording, lattice(0.5f, 0.05f)), c.expected, 1e-4);
    }
}

TEST(FundamentalDiagram, AFrameWithoutSimulatedSpeedAddsItsDensityTermOnly) {
    // Agents seen on frame 0 only, where they match the recording: no speed anywhere, Δρ = 0, 1
    // and 1 on the three frames: (0 + 1 + 1) / 3 whatever the speed weight.
    const auto recording = makeExperiment(tableOf(lattice(1, 0.1f), 0.1f));
    for (const char* weight : {"1", "100"}) {
        FundamentalDiagram metric;
        metric.setParameter("Speed weight", weight);
        EXPECT_NEAR(scoreOf(inner(metric), *recording, lattice(1, 0.1f, 1)), 2.0 / 3, 1e-5);
    }
}

TEST(FundamentalDiagram, ACrowdLedAwayFromTheAreaIsStillScored) {
    // The agents walk 100 m north of the walkable area [−1, 5.2] × [−1, 5]: only their front row
    // has cells in it, strips 1 m wide and 6 m high, so the area sees 1/6 per m² at 0.5 m/s.
    // (1 − 1/6)² + (1 − 0.5)² on every frame.
    std::vector<Path> away = lattice(1, 0.05f);
    for (Path& path : away) {
        for (auto& sample : path) {
            sample.second += 100;
        }
    }
    FundamentalDiagram metric;
    const auto recording = makeExperiment(tableOf(lattice(1, 0.1f), 0.1f));
    EXPECT_NEAR(scoreOf(inner(metric), *recording, away), 25.0 / 36 + 0.25, 1e-4)
        << metric.problem();
}

TEST(FundamentalDiagram, UnusableSettingsOrAreasScoreNoNumberAndSayWhy) {
    const struct {
        const char *parameter, *text;
        bool accepted, setting;
        const char* message;
    } cases[] = {
        {"Area", "0 0 1 1", false, true, "at least three corners, not 2"},
        {"Area", "0 0 1 0 x 1", false, true, "\"x\" is not a number"},
        {"Speed frames", "0", false, true, "at least 1 frame on each side, not 0"},
        {"Density weight", "-1", true, true, "\"Density weight\" must be a finite number"},
        {"Speed weight", "nan", false, true, "\"Speed weight\" must be a finite number"},
        {"Area", "10 10 11 10 11 11", true, false, "does not lie inside the walkable area"},
        {"Area", "-0.9 -0.9 -0.5 -0.9 -0.5 -0.5", true, false, "nobody is inside"},
    };
    const auto recording = makeExperiment(tableOf(lattice(1, 0.1f), 0.1f));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.parameter) + " " + c.text);
        FundamentalDiagram metric;
        EXPECT_EQ(metric.acceptsParameterText(c.parameter, c.text), c.accepted);
        metric.setParameter(c.parameter, c.text);
        metric.commitParameters();
        EXPECT_EQ(metric.commitMessage().find(c.message) != std::string::npos, c.setting);
        EXPECT_TRUE(std::isnan(scoreOf(metric, *recording, lattice(1, 0.1f))));
        EXPECT_NE(metric.problem().find(c.message), std::string::npos) << metric.problem();
    }
}

TEST(FundamentalDiagram, KeptMeasurementsFollowTheRecordingNotWhereItLies) {
    // Recordings A (spacing 1 m, as above) and B (0.8 m: 1.5625/m², Δρ² = 2.4375²) in turn at
    // one address, against the same simulated lattice.
    const std::vector<Path> a = lattice(1, 0.1f), b = lattice(0.8f, 0.1f);
    std::optional<Experiment> recording;
    FundamentalDiagram metric;
    inner(metric);
    for (const auto& [measured, expected] :
         {std::make_pair(a, 9.25), std::make_pair(b, 6.19140625), std::make_pair(a, 9.25)}) {
        TableParser parser(tableOf(measured, 0.1f));
        recording.emplace(parser);
        EXPECT_NEAR(scoreOf(metric, *recording, lattice(0.5f, 0.05f)), expected, 1e-4);
    }
}
