#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/Experiment.h"
#include "metrics/Metric.h"
#include "metrics/ProgressiveDifference.h"
#include "metrics/Vorticity.h"
#include "models/Simulation.h"
#include "models/SimulationRVO2.h"
#include "run/Record.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

struct Sample {
    float x, y, vx, vy;
};
using Track = std::vector<Sample>;

const float notANumber = std::numeric_limits<float>::quiet_NaN();

// An experiment of the given tracks (all of one length), with the given frame times.
std::unique_ptr<Experiment> experimentOf(const std::vector<Track>& tracks,
                                         const std::vector<float>& times) {
    ExperimentTable table;
    for (const Track& track : tracks) {
        for (const Sample& s : track) {
            table.posX.push_back(s.x);
            table.posY.push_back(s.y);
            table.velX.push_back(s.vx);
            table.velY.push_back(s.vy);
        }
        ++table.pedestrianCount;
        table.frameCount = static_cast<int>(track.size());
    }
    table.times = times;
    return makeExperiment(std::move(table));
}

std::vector<float> frameTimes(int frames, float spacing) {
    std::vector<float> times;
    for (int k = 0; k < frames; ++k) {
        times.push_back(spacing * static_cast<float>(k));
    }
    return times;
}

// A model without steering: it keeps whatever velocity it is given and coasts on it. It
// writes down every call the metric makes.
class Coaster : public Simulation {
public:
    struct Call {
        char kind;  // 'p' position, 'v' velocity, 's' step
        int agent;
        float a, b;
        bool operator==(const Call& o) const {
            return kind == o.kind && agent == o.agent && a == o.a && b == o.b;
        }
    };

    void createAgents() override {
        x.assign(static_cast<size_t>(agentCount()), 0.0f);
        y = vx = vy = x;
    }
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int i, float px, float py) override {
        calls.push_back({'p', i, px, py});
        x[i] = px;
        y[i] = py;
    }
    void setVelocity(int i, float pvx, float pvy) override {
        calls.push_back({'v', i, pvx, pvy});
        vx[i] = pvx;
        vy[i] = pvy;
    }
    void setGoal(int, float, float) override {}
    void step(float dt) override {
        calls.push_back({'s', -1, dt, 0.0f});
        for (int i = 0; i < agentCount(); ++i) {
            x[i] += vx[i] * dt;
            y[i] += vy[i] * dt;
            setAgentState(i, x[i], y[i], vx[i], vy[i]);
        }
    }

    std::vector<Call> calls;

private:
    std::vector<float> x, y, vx, vy;
};

void PrintTo(const Coaster::Call& c, std::ostream* out) {
    *out << c.kind << "(" << c.agent << ", " << c.a << ", " << c.b << ")";
}

// Counts runs; with a script, records the scripted samples instead of running the model.
class ScriptedRecord : public Record {
public:
    void run() override {
        ++runs;
        if (!scripted) {
            Record::run();
            return;
        }
        Simulation* simulation = boundSimulation();
        simulation->clearRecords();
        simulation->setRecordedFrom(recordedFrom);
        for (size_t i = 0; i < script.size(); ++i) {
            for (const Sample& s : script[i]) {
                simulation->recordSample(static_cast<int>(i), s.x, s.y, s.vx, s.vy);
            }
        }
        simulation->finishRecords();
    }

    bool scripted = false;
    std::vector<Track> script;
    std::vector<int> recordedFrom;  ///< frame of each agent's first sample, when they come and go
    int runs = 0;
};

// An experiment bound to a simulation the way the window binds them: set up and reset.
template <class Model>
struct Scene {
    Scene(const std::vector<Track>& measured, const std::vector<float>& times) {
        experiment = experimentOf(measured, times);
        bindAndPrepare(record, experiment.get(), &simulation);
        record.reset();
    }

    std::unique_ptr<Experiment> experiment;
    Model simulation;
    ScriptedRecord record;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Progressive difference

TEST(ProgressiveDifference, DeclaresStepAndWindow) {
    ProgressiveDifference metric;
    EXPECT_EQ(metric.name, "Progressive Difference");
    EXPECT_EQ(metric.parameterNames(), (std::vector<std::string>{"Step", "Window"}));
    EXPECT_EQ(metric.getParameter("Step"), "30");
    EXPECT_EQ(metric.getParameter("Window"), "50");
    EXPECT_TRUE(metric.setParameter("Step", "7"));
    EXPECT_EQ(metric.step, 7);
}

namespace {

// Two pedestrians over four frames. Measured velocity changes from frame to frame:
// pedestrian 0: (1,0)→(1,1)→(0,1)→(0,1): 1 + 1 + 0 = 2; pedestrian 1: (0,0)→(2,0)→(2,0)→
// (−1,0): 4 + 0 + 9 = 13. A model that keeps its velocity scores (2 + 13) / (F n) =
// 15 / (4 · 2) = 1.875.
const std::vector<Track> changingVelocities = {
    {{0, 0, 1, 0}, {1, 0, 1, 1}, {2, 1, 0, 1}, {2, 2, 0, 1}},
    {{5, 5, 0, 0}, {5, 5, 2, 0}, {6, 5, 2, 0}, {7, 5, -1, 0}},
};
// Uneven frame times, not starting at 0; only the first difference, 0.5 s, is used.
const std::vector<float> unevenTimes = {2.0f, 2.5f, 3.5f, 3.6f};

}  // namespace

TEST(ProgressiveDifference, AModelKeepingItsVelocityScoresTheMeasuredVelocityChanges) {
    Scene<Coaster> scene(changingVelocities, unevenTimes);
    ProgressiveDifference metric;
    EXPECT_EQ(metric.evaluate(&scene.record), 1.875f);
}

TEST(ProgressiveDifference, AddsEachSquareToTheSumInTurn) {
    // Frame 1 adds 1; frame 2 adds 2^-24 for each axis, and 1 + 2^-24 rounds back to 1 each
    // time. Grouped, the frame would add 2^-23 and the score would not be exactly 1/3.
    const float e = 1.0f / 4096.0f;
    Scene<Coaster> scene({{{0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 1 + e, e}}}, frameTimes(3, 0.5f));
    ProgressiveDifference metric;
    EXPECT_EQ(metric.evaluate(&scene.record), 1.0f / 3.0f);
}

TEST(ProgressiveDifference, PlacesEveryAgentInItsMeasuredStateAndStepsByTheFirstInterval) {
    Scene<Coaster> scene(changingVelocities, unevenTimes);
    scene.simulation.calls.clear();
    ProgressiveDifference metric;
    metric.evaluate(&scene.record);
    using Call = Coaster::Call;
    std::vector<Call> expected;
    for (int k = 1; k < 4; ++k) {
        for (int j = 0; j < 2; ++j) {
            const Sample& s =
                changingVelocities[static_cast<size_t>(j)][static_cast<size_t>(k - 1)];
            expected.push_back({'p', j, s.x, s.y});
            expected.push_back({'v', j, s.vx, s.vy});
        }
        expected.push_back({'s', -1, 0.5f, 0.0f});
    }
    EXPECT_EQ(scene.simulation.calls, expected);
    // It drives the model itself: no run of the record, nothing recorded.
    EXPECT_EQ(scene.record.runs, 0);
    EXPECT_TRUE(scene.simulation.recordedX()[0].empty());
}

TEST(ProgressiveDifference, StepAndWindowDoNotChangeTheValue) {
    Scene<Coaster> scene(changingVelocities, unevenTimes);
    ProgressiveDifference metric;
    const float before = metric.evaluate(&scene.record);
    metric.setParameter("Step", "1");
    metric.setParameter("Window", "2");
    metric.commitParameters();
    EXPECT_EQ(metric.evaluate(&scene.record), before);
}

TEST(ProgressiveDifference, DegenerateSizes) {
    ProgressiveDifference metric;
    // One frame: nothing compared, 0 / (1 · n).
    Scene<Coaster> oneFrame({{{0, 0, 1, 0}}, {{1, 1, 0, 1}}}, {0.0f});
    EXPECT_EQ(metric.evaluate(&oneFrame.record), 0.0f);
    // No frames or no agents: 0 / 0.
    Scene<Coaster> noFrames({Track(), Track()}, {});
    EXPECT_TRUE(std::isnan(metric.evaluate(&noFrames.record)));
    Scene<Coaster> noAgents({}, frameTimes(3, 0.5f));
    EXPECT_TRUE(std::isnan(metric.evaluate(&noAgents.record)));
}

TEST(ProgressiveDifference, UnusableRecordsAreNotANumber) {
    ProgressiveDifference metric;
    EXPECT_TRUE(std::isnan(metric.evaluate(nullptr)));
    Record unbound;
    EXPECT_TRUE(std::isnan(metric.evaluate(&unbound)));

    // Prepared for four frames, then bound to a two-frame experiment without a new set-up:
    // frames 2 and 3 do not exist and must not be read.
    Scene<Coaster> scene(changingVelocities, unevenTimes);
    const auto shorter = experimentOf({{{0, 0, 1, 0}, {1, 0, 1, 0}}, {{5, 5, 0, 0}, {5, 5, 0, 0}}},
                                      frameTimes(2, 0.5f));
    scene.record.setExperiment(shorter.get());
    EXPECT_TRUE(std::isnan(metric.evaluate(&scene.record)));

    // A record counting more pedestrians than the bound model has agents.
    Coaster small;
    small.initialise(1);
    scene.record.setExperiment(scene.experiment.get());
    scene.record.bindSimulation(&small);
    EXPECT_TRUE(std::isnan(metric.evaluate(&scene.record)));
}

TEST(ProgressiveDifference, ScoresTheRVO2Model) {
    // Two walkers 4 m apart crossing paths at 1 m/s; the model is reset before, as the
    // evaluation thread does.
    std::vector<Track> walkers(2);
    for (int k = 0; k < 20; ++k) {
        const float t = 0.1f * static_cast<float>(k);
        walkers[0].push_back({-2.0f + t, 0.0f, 1.0f, 0.0f});
        walkers[1].push_back({0.0f, -2.0f + t, 0.0f, 1.0f});
    }
    Scene<SimulationRVO2> scene(walkers, frameTimes(20, 0.1f));
    ProgressiveDifference metric;
    const float value = metric.evaluate(&scene.record);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_GE(value, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Vorticity

TEST(Vorticity, DeclaresSave) {
    Vorticity metric;
    EXPECT_EQ(metric.name, "Vorticity");
    EXPECT_EQ(metric.parameterNames(), std::vector<std::string>{"save"});
    EXPECT_EQ(metric.getParameter("save"), "false");
    EXPECT_TRUE(metric.setParameter("save", "true"));
    EXPECT_TRUE(metric.save);
}

namespace {

struct TermCase {
    const char* name;
    Sample point;
    float expected;
};

void PrintTo(const TermCase& c, std::ostream* out) {
    *out << c.name;
}

class VorticityTerm : public testing::TestWithParam<TermCase> {};

}  // namespace

TEST_P(VorticityTerm, IsTheMomentDividedByTheFourthPowerOfTheDistance) {
    const Sample& p = GetParam().point;
    EXPECT_FLOAT_EQ(Vorticity::rotationTerm(p.x, p.y, p.vx, p.vy), GetParam().expected);
}

// x·vy − y·vx, divided by r⁴ when r² > 1e-7.
INSTANTIATE_TEST_SUITE_P(Vorticity, VorticityTerm,
                         testing::Values(
                             // At the origin: 0·vy − 0·vx = 0, no division.
                             TermCase{"AtTheOrigin", {0, 0, 3, -2}, 0.0f},
                             // r² = 1e-8 ≤ 1e-7: undivided, 1e-4 · 1 = 1e-4.
                             TermCase{"InsideTheOriginDisc", {1e-4f, 0, 0, 1}, 1e-4f},
                             // r² = 1e-6 > 1e-7: 1e-3 · 1 / 1e-12 = 1e9.
                             TermCase{"JustOutsideTheOriginDisc", {1e-3f, 0, 0, 1}, 1e9f},
                             // r = 1: unchanged. 1 · 2 = 2; 0.6 · 0.6 − 0.8 · (−0.8) = 1.
                             TermCase{"DistanceOne", {1, 0, 0, 2}, 2.0f},
                             TermCase{"DistanceOneSlanted", {0.6f, 0.8f, -0.8f, 0.6f}, 1.0f},
                             // r = 2: 2 · 3 = 6, a sixteenth of it.
                             TermCase{"DistanceTwo", {2, 0, 0, 3}, 0.375f},
                             // Clockwise about the origin: negative.
                             TermCase{"Clockwise", {1, 0, 0, -1}, -1.0f},
                             TermCase{"ClockwiseFarther", {0, 2, 4, 0}, -0.5f}),
                         [](const testing::TestParamInfo<TermCase>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// Measured, two pedestrians over two frames:
//   p0: (1,0) at (0,1) → 1; (0,1) at (−1,0) → 0·0 − 1·(−1) = 1.        A(0) = 2
//   p1: (2,0) at (0,2) → 4 / 16 = 0.25; (0,0) → 0.                      A(1) = 0.25
//   E = 2.25 / (F · P) = 2.25 / 4 = 0.5625.
// Simulated:
//   p0: (1,0) at (0,−1) → −1; (0,2) at (2,0) → −4 / 16 = −0.25.         B(0) = −1.25
//   p1: (0,0) → 0; (1,0) at (0,1) → 1.                                  B(1) = 1
//   S = −0.25 / 4 = −0.0625.  |E − S| = 0.625.
const std::vector<Track> turningMeasured = {
    {{1, 0, 0, 1}, {0, 1, -1, 0}},
    {{2, 0, 0, 2}, {0, 0, 1, 1}},
};
const std::vector<Track> turningSimulated = {
    {{1, 0, 0, -1}, {0, 2, 2, 0}},
    {{0, 0, 5, 5}, {1, 0, 0, 1}},
};

struct VorticityScene : Scene<Coaster> {
    VorticityScene(const std::vector<Track>& measured, const std::vector<Track>& simulated)
        : Scene<Coaster>(
              measured,
              frameTimes(static_cast<int>(measured.empty() ? 0 : measured[0].size()), 0.5f)) {
        record.scripted = true;
        record.script = simulated;
    }
};

}  // namespace

TEST(Vorticity, ComparesTheMeanRotationOfMeasuredAndSimulatedCrowds) {
    VorticityScene scene(turningMeasured, turningSimulated);
    Vorticity metric;
    EXPECT_EQ(metric.evaluate(&scene.record), 0.625f);
    EXPECT_EQ(scene.record.runs, 1);
}

TEST(Vorticity, EqualRotationScoresZeroWhateverThePositions) {
    // Every simulated sample sits twice as far out and moves eight times as fast:
    // (2x)(8vy) − (2y)(8vx) = 16 (x·vy − y·vx) over (2r)⁴ = 16 r⁴, the same term.
    std::vector<Track> simulated = turningMeasured;
    for (Track& track : simulated) {
        for (Sample& s : track) {
            s = {2 * s.x, 2 * s.y, 8 * s.vx, 8 * s.vy};
        }
    }
    // (0,0) stays at the origin, where the term is 0 either way.
    VorticityScene scene(turningMeasured, simulated);
    Vorticity metric;
    EXPECT_EQ(metric.evaluate(&scene.record), 0.0f);
}

TEST(Vorticity, TermsThatAreNotFiniteAreLeftOut) {
    // p0's measured velocity at frame 1 is not a number: A(0) = 1 instead of 2, so
    // E = 1.25 / 4 = 0.3125 and |E − S| = 0.375. Two more terms overflow: (1e-3, 0) moving
    // (0, 1e30) gives 1e3 · 1e36 = infinity in float. They replace terms at the origin, which
    // were 0, so once left out the means stay as they were: p1 measured at frame 1 and p1
    // simulated at frame 0.
    std::vector<Track> measured = turningMeasured;
    measured[0][1].vx = notANumber;
    measured[1][1] = {1e-3f, 0.0f, 0.0f, 1e30f};
    std::vector<Track> simulated = turningSimulated;
    simulated[1][0] = {1e-3f, 0.0f, 0.0f, 1e30f};
    VorticityScene scene(measured, simulated);
    Vorticity metric;
    EXPECT_EQ(metric.evaluate(&scene.record), 0.375f);
}

TEST(Vorticity, SavePrintsBothMeans) {
    VorticityScene scene(turningMeasured, turningSimulated);
    Vorticity metric;
    std::ostringstream out;
    metric.setConsole(&out);
    metric.evaluate(&scene.record);
    EXPECT_EQ(out.str(), "");
    metric.setParameter("save", "true");
    metric.evaluate(&scene.record);
    EXPECT_EQ(out.str(), "  Exp: 0.5625\n  Sim: -0.0625\n");
}

TEST(Vorticity, SaveWritesNothingUntilTheProgramGivesAConsole) {
    VorticityScene scene(turningMeasured, turningSimulated);
    Vorticity metric;
    metric.save = true;
    testing::internal::CaptureStdout();
    metric.evaluate(&scene.record);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Vorticity, NoPedestriansOrNoFramesIsNotANumber) {
    Vorticity metric;
    VorticityScene noPedestrians({}, {});
    EXPECT_TRUE(std::isnan(metric.evaluate(&noPedestrians.record)));
    VorticityScene noFrames({Track(), Track()}, {Track(), Track()});
    EXPECT_TRUE(std::isnan(metric.evaluate(&noFrames.record)));
}

TEST(Vorticity, ShortRecordingsAreNotANumber) {
    Vorticity metric;
    EXPECT_TRUE(std::isnan(metric.evaluate(nullptr)));
    // Agent 1 recorded one of the two frames.
    std::vector<Track> cut = turningSimulated;
    cut[1].resize(1);
    VorticityScene scene(turningMeasured, cut);
    EXPECT_TRUE(std::isnan(metric.evaluate(&scene.record)));
    // Nothing recorded at all.
    VorticityScene none(turningMeasured, {});
    EXPECT_TRUE(std::isnan(metric.evaluate(&none.record)));
}

TEST(Vorticity, ScoresTheRVO2Model) {
    // Two walkers circling the origin counter-clockwise at radius 2, measured; RVO2 walks
    // them straight to their last positions instead.
    std::vector<Track> walkers(2);
    for (int k = 0; k < 20; ++k) {
        const float angle = 0.05f * static_cast<float>(k);
        for (int i = 0; i < 2; ++i) {
            const float a = angle + 3.14159265f * static_cast<float>(i);
            walkers[static_cast<size_t>(i)].push_back(
                {2.0f * std::cos(a), 2.0f * std::sin(a), -std::sin(a), std::cos(a)});
        }
    }
    Scene<SimulationRVO2> scene(walkers, frameTimes(20, 0.1f));
    Vorticity metric;
    const float value = metric.evaluate(&scene.record);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_GT(value, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Pedestrians who come and go

TEST(PartialPresence, ProgressiveDifferencePredictsOnlyWhereBothFramesAreMeasured) {
    // Pedestrian 0 on frames 0-2 with velocities (1, 0) (1, 1) (0, 1): changes 1 and 1.
    // Pedestrian 1 on frames 1-2 with (2, 0) (2, 3): one prediction, change 9. A model keeping
    // its velocity scores (1 + 1 + 9) / (3 + 2 present samples) = 2.2.
    ExperimentTable table;
    table.addPresence(0, {{0, 0}, {1, 0}, {2, 1}});
    table.addPresence(1, {{5, 5}, {6, 5}});
    table.velX = {1, 1, 0, 2, 2};
    table.velY = {0, 1, 1, 0, 3};
    table.times = {0.0f, 1.0f, 2.0f};
    const auto experiment = makeExperiment(table);
    Coaster simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    ProgressiveDifference metric;
    EXPECT_FLOAT_EQ(metric.evaluate(&record), 2.2f);
    std::vector<float> parts;
    record.reset();
    metric.evaluateParts(&record, parts);
    EXPECT_EQ(parts, (std::vector<float>{2.0f / 5, 9.0f / 5}));
}

TEST(PartialPresence, VorticityAveragesOverThePresentSamples) {
    // Pedestrian 0 at (1, 0) moving (0, 1) on frames 0-1: term 1 each. Pedestrian 1 at (2, 0)
    // moving (0, 2) on frame 1 only: every value divided by r² = 4 gives 0.5 · 0.5 = 0.25.
    // Measured mean (1 + 1 + 0.25) / 3; the simulated walker 1 stands still: (1 + 1) / 3.
    ExperimentTable table;
    table.addPresence(0, {{1, 0}, {1, 0}});
    table.addPresence(1, {{2, 0}});
    table.velX = {0, 0, 0};
    table.velY = {1, 1, 2};
    table.times = {0.0f, 1.0f};
    const auto experiment = makeExperiment(table);
    Coaster simulation;
    ScriptedRecord record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.scripted = true;
    record.script = {{{1, 0, 0, 1}, {1, 0, 0, 1}}, {{2, 0, 0, 0}}};
    record.recordedFrom = {0, 1};
    Vorticity metric;
    EXPECT_FLOAT_EQ(metric.evaluate(&record), 2.25f / 3.0f - 2.0f / 3.0f);
}

TEST(PartialPresence, ProgressiveDifferenceTellsTheModelOnlyWhoComesAndGoes) {
    // 100 pedestrians one after another, each on 4 frames, over 400 frames. Telling every
    // pedestrian its presence on every frame would be 100 · 399 calls; the comings and goings
    // are one call each at the first prediction, then at most one entry and one exit each.
    class PresenceCounter : public Coaster {
    public:
        void setPresent(int agent, bool present) override {
            ++calls;
            Coaster::setPresent(agent, present);
        }
        int calls = 0;
    };
    ExperimentTable table;
    for (int p = 0; p < 100; ++p) {
        table.addPresence(4 * p, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    }
    table.times = frameTimes(table.frameCount, 0.1f);
    const auto experiment = makeExperiment(table);
    PresenceCounter simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    simulation.calls = 0;
    ProgressiveDifference metric;
    EXPECT_FLOAT_EQ(metric.evaluate(&record), 0.0f);
    EXPECT_LE(simulation.calls, 100 + 2 * 100);
}
