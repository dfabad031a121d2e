#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/Experiment.h"
#include "metrics/Difference.h"
#include "metrics/InterPedDist.h"
#include "metrics/Metric.h"
#include "metrics/PathLength.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

using Path = std::vector<std::pair<float, float>>;

// Stands in for a model run: fills the bound simulation's recorded trajectories with prepared
// samples, the first one included, so every simulated position is under the test's control.
class ScriptedRecord : public Record {
public:
    void run() override {
        ++runs;
        Simulation* simulation = boundSimulation();
        simulation->clearRecords();
        simulation->setRecordedFrom(recordedFrom);
        for (size_t i = 0; i < script.size(); ++i) {
            for (const auto& sample : script[i]) {
                simulation->recordSample(static_cast<int>(i), sample.first, sample.second, 0, 0);
            }
        }
        simulation->finishRecords();
    }

    std::vector<Path> script;
    std::vector<int> recordedFrom;  ///< frame of each agent's first sample, when they come and go
    int runs = 0;
};

Path shifted(const Path& path, float dx, float dy) {
    Path out;
    for (const auto& sample : path) {
        out.emplace_back(sample.first + dx, sample.second + dy);
    }
    return out;
}

std::vector<Path> shifted(const std::vector<Path>& paths, float dx, float dy) {
    std::vector<Path> out;
    for (const Path& path : paths) {
        out.push_back(shifted(path, dx, dy));
    }
    return out;
}

// A path of `frames` samples standing at (x, y).
Path standing(int frames, float x, float y) {
    return Path(static_cast<size_t>(frames), {x, y});
}

// Measured pedestrians and the trajectories the "model" records for them, bound the way the
// window binds them: experiment set, simulation prepared, record reset.
class Scene {
public:
    Scene(const std::vector<Path>& measured, std::vector<Path> simulated, int frames = -1) {
        ExperimentTable table;
        for (const Path& path : measured) {
            table.addTrajectory(path);
        }
        if (frames >= 0) {
            table.frameCount = frames;
        }
        for (int k = 0; k < table.frameCount; ++k) {
            table.times.push_back(0.5f * k);
        }
        experiment = makeExperiment(std::move(table));
        bindAndPrepare(record, experiment.get(), &simulation);
        record.reset();
        record.script = std::move(simulated);
    }

    float score(Metric& metric) { return metric.evaluate(&record); }

    std::unique_ptr<Experiment> experiment;
    SimulationGeneric<Dummy> simulation;
    ScriptedRecord record;
};

// ---------------------------------------------------------------------------------------------
// Path Length

struct FramesCase {
    int frames;
    float expected;
};

void PrintTo(const FramesCase& c, std::ostream* out) {
    *out << "F = " << c.frames;
}

class PathLengthFrames : public testing::TestWithParam<FramesCase> {};

// The measured pedestrian stands still; the simulated one moves 1 m per frame, so every
// compared step adds 1 and the score is K − 1 with K = trunc(0.8 F), or 0 when K < 2:
// F = 2 → K = 1; 3 → 2; 4 → 3 (3.2); 5 → 4; 6 → 4 (4.8); 10 → 8; 15 → 12.
TEST_P(PathLengthFrames, ComparesOnlyTheFirstEightyPercent) {
    const int F = GetParam().frames;
    Path walking;
    for (int k = 0; k < F; ++k) {
        walking.emplace_back(static_cast<float>(k), 0.0f);
    }
    Scene scene({standing(F, 0, 0)}, {walking});
    PathLength metric;
    EXPECT_EQ(scene.score(metric), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, PathLengthFrames,
                         testing::Values(FramesCase{1, 0}, FramesCase{2, 0}, FramesCase{3, 1},
                                         FramesCase{4, 2}, FramesCase{5, 3}, FramesCase{6, 3},
                                         FramesCase{10, 7}, FramesCase{15, 11}));

TEST(PathLength, TwoFramesScoreZeroWhateverTheTrajectories) {
    Scene scene({{{0, 0}, {30, -40}}}, {{{0, 0}, {-7, 2}}});
    PathLength metric;
    EXPECT_EQ(scene.score(metric), 0.0f);
}

TEST(PathLength, ThreeFramesCompareOneStepWithSquaredLengths) {
    // Pedestrian 0: measured step (1, 0) → E = 1, simulated step (2, 0) → S = 4: |1 − 4| = 3.
    // Pedestrian 1: measured step (3, 4) → E = 25 (not 5), simulated stands → S = 0: 25.
    // Frame 2 lies beyond K = 2 and its wild values do not count. Total 28.
    Scene scene({{{0, 0}, {1, 0}, {9, 9}}, {{0, 0}, {3, 4}, {0, 0}}},
                {{{0, 0}, {2, 0}, {0, 0}}, {{0, 0}, {0, 0}, {5, 5}}});
    PathLength metric;
    EXPECT_EQ(scene.score(metric), 28.0f);
}

TEST(PathLength, TooFastAndTooSlowDoNotCancel) {
    // F = 5, K = 4: three steps. Pedestrian 0 walks 1 m per frame, its agent 2 m: E = 3,
    // S = 12, |E − S| = 9. Pedestrian 1 the other way round: 9 again. 18, not 0.
    const Path slow = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    const Path fast = {{0, 0}, {2, 0}, {4, 0}, {6, 0}, {8, 0}};
    Scene scene({slow, shifted(fast, 0, 5)}, {fast, shifted(slow, 0, 5)});
    PathLength metric;
    EXPECT_EQ(scene.score(metric), 18.0f);
}

TEST(PathLength, NoAgentsScoreZero) {
    Scene scene({}, {}, 5);
    ASSERT_EQ(scene.record.simulatedCount, 0);
    PathLength metric;
    EXPECT_EQ(scene.score(metric), 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Difference

const std::vector<Path> threeMeasured = {
    {{0, 0}, {0.5f, 0}, {1, 0.25f}, {1.5f, 0.5f}},
    {{4, 4}, {3.5f, 4}, {3, 4}, {2.5f, 4}},
    {{-2, 1}, {-2, 1.5f}, {-2, 2}, {-2, 2.5f}},
};

TEST(Difference, ExactReproductionScoresZero) {
    Scene scene(threeMeasured, threeMeasured);
    Difference metric;
    EXPECT_EQ(scene.score(metric), 0.0f);
}

struct OffsetCase {
    float dx, dy, expected;
};

void PrintTo(const OffsetCase& c, std::ostream* out) {
    *out << "(" << c.dx << ", " << c.dy << ")";
}

class DifferenceOffset : public testing::TestWithParam<OffsetCase> {};

TEST_P(DifferenceOffset, ConstantOffsetScoresItsSquaredLength) {
    Scene scene(threeMeasured, shifted(threeMeasured, GetParam().dx, GetParam().dy));
    Difference metric;
    EXPECT_FLOAT_EQ(scene.score(metric), GetParam().expected);
}

// 0.5² + 1.5² = 2.5; 3² + 4² = 25; 0.25² = 0.0625.
INSTANTIATE_TEST_SUITE_P(Offsets, DifferenceOffset,
                         testing::Values(OffsetCase{0.5f, -1.5f, 2.5f}, OffsetCase{3, 4, 25},
                                         OffsetCase{-0.25f, 0, 0.0625f}));

TEST(Difference, AveragesOverAgentsAndFrames) {
    // Two pedestrians, five frames; only pedestrian 1 at frame 2 is off, by (3, 4):
    // 25 / (2 × 5) = 2.5.
    const std::vector<Path> measured = {standing(5, 0, 0), standing(5, 1, 1)};
    std::vector<Path> simulated = measured;
    simulated[1][2] = {4, 5};
    Scene scene(measured, simulated);
    Difference metric;
    EXPECT_EQ(scene.score(metric), 2.5f);
}

TEST(Difference, AddsEachSquareToTheSumInTurn) {
    // Frame 0 adds 1; frame 1 adds 2^-24 twice. In turn, 1 + 2^-24 rounds back to 1 (a tie, to
    // even) both times; grouped, 2^-23 would survive: (1 + 2^-23) / 2 instead of 0.5.
    const float e = 1.0f / 4096.0f;
    Scene scene({standing(2, 0, 0)}, {{{1.0f, 0.0f}, {e, e}}});
    Difference metric;
    EXPECT_EQ(scene.score(metric), 0.5f);
}

TEST(Difference, NoAgentsOrNoFramesIsNotANumber) {
    // 0 / (0 × F) and 0 / (n × 0).
    Difference metric;
    Scene noAgents({}, {}, 4);
    EXPECT_TRUE(std::isnan(noAgents.score(metric)));
    Scene noFrames({Path(), Path()}, {Path(), Path()});
    ASSERT_EQ(noFrames.record.simulatedCount, 2);
    EXPECT_TRUE(std::isnan(noFrames.score(metric)));
}

// ---------------------------------------------------------------------------------------------
// Inter-pedestrian distance

// Measured: 5 m apart at every frame, E = 25. Simulated: 1, 2, 3, 4 m apart, S = (1 + 4 + 9 +
// 16) / 4 = 7.5. The one pair gives (25 − 7.5)² = 306.25.
const std::vector<Path> pairMeasured = {standing(4, 0, 0), standing(4, 3, 4)};
const std::vector<Path> pairSimulated = {standing(4, 0, 0), {{0, 1}, {0, 2}, {0, 3}, {0, 4}}};

// Three still pedestrians at (0, 0), (1, 0), (0, 2): squared distances 1, 4, 5. Simulated at
// (0, 0), (2, 0), (0, 2): 4, 4, 8. Differences −3, 0, −3; (9 + 0 + 9) / 3 pairs = 6.
const std::vector<Path> trioMeasured = {standing(3, 0, 0), standing(3, 1, 0), standing(3, 0, 2)};
const std::vector<Path> trioSimulated = {standing(3, 0, 0), standing(3, 2, 0), standing(3, 0, 2)};

TEST(InterPedDist, TwoAgentsScoreTheirOnePair) {
    Scene scene(pairMeasured, pairSimulated);
    InterPedDist metric;
    EXPECT_EQ(scene.score(metric), 306.25f);
}

TEST(InterPedDist, AveragesOverAllPairs) {
    Scene scene(trioMeasured, trioSimulated);
    InterPedDist metric;
    EXPECT_EQ(scene.score(metric), 6.0f);
}

TEST(InterPedDist, ShiftingEverySimulatedPositionChangesNothing) {
    Scene pair(pairMeasured, shifted(pairSimulated, 100.5f, -7.25f));
    Scene trio(trioMeasured, shifted(trioSimulated, -3.0f, 12.5f));
    InterPedDist metric;
    EXPECT_EQ(pair.score(metric), 306.25f);
    EXPECT_EQ(trio.score(metric), 6.0f);
}

TEST(InterPedDist, KeptPairDistancesScoreZero) {
    // The simulated crowd is the measured one turned by 90° ((x, y) → (−y, x)) and moved: every
    // distance between two pedestrians is kept at every frame.
    const std::vector<Path> measured = {
        {{0, 0}, {1, 0}, {2, 0}},
        {{0, 1}, {1, 3}, {2, 2}},
        {{5, 5}, {4, 4}, {3, 3}},
    };
    std::vector<Path> simulated;
    for (const Path& path : measured) {
        Path turned;
        for (const auto& sample : path) {
            turned.emplace_back(10.0f - sample.second, sample.first - 3.0f);
        }
        simulated.push_back(turned);
    }
    Scene scene(measured, simulated);
    InterPedDist metric;
    EXPECT_EQ(scene.score(metric), 0.0f);
}

TEST(InterPedDist, FewerThanTwoAgentsIsNotANumber) {
    // No pair at all: 0 / 0.
    InterPedDist metric;
    Scene one({standing(3, 0, 0)}, {standing(3, 1, 1)});
    EXPECT_TRUE(std::isnan(one.score(metric)));
    Scene none({}, {}, 3);
    EXPECT_TRUE(std::isnan(none.score(metric)));
}

// ---------------------------------------------------------------------------------------------
// Every metric

struct MetricKind {
    const char* name;
    std::function<std::unique_ptr<Metric>()> make;
};

void PrintTo(const MetricKind& kind, std::ostream* out) {
    *out << kind.name;
}

const MetricKind allMetrics[] = {
    {"PathLength", [] { return std::make_unique<PathLength>(); }},
    {"Difference", [] { return std::make_unique<Difference>(); }},
    {"InterPedDist", [] { return std::make_unique<InterPedDist>(); }},
};

class EveryMetric : public testing::TestWithParam<MetricKind> {
protected:
    std::unique_ptr<Metric> metric = GetParam().make();
};

TEST_P(EveryMetric, RunsTheRecordItselfOnce) {
    Scene scene(trioMeasured, trioSimulated);
    scene.score(*metric);
    EXPECT_EQ(scene.record.runs, 1);
    scene.score(*metric);
    EXPECT_EQ(scene.record.runs, 2);
}

TEST_P(EveryMetric, UnboundRecordIsNotANumber) {
    Record empty;
    EXPECT_TRUE(std::isnan(metric->evaluate(&empty)));
    EXPECT_TRUE(std::isnan(metric->evaluate(nullptr)));

    auto experiment = makeExperiment([] {
        ExperimentTable table;
        table.addTrajectory({{0, 0}, {1, 0}, {2, 0}});
        table.addTrajectory({{5, 0}, {5, 1}, {5, 2}});
        table.times = {0, 1, 2};
        return table;
    }());
    Record withoutSimulation;
    withoutSimulation.setExperiment(experiment.get());
    EXPECT_TRUE(std::isnan(metric->evaluate(&withoutSimulation)));

    SimulationGeneric<Dummy> simulation;
    simulation.initialise(2);
    Record withoutExperiment;
    withoutExperiment.bindSimulation(&simulation);
    EXPECT_TRUE(std::isnan(metric->evaluate(&withoutExperiment)));
}

TEST_P(EveryMetric, CutRecordingIsNotANumber) {
    // Five frames (K = 4), but agent 1 recorded only two samples.
    const std::vector<Path> measured = {standing(5, 0, 0), standing(5, 3, 4)};
    std::vector<Path> simulated = measured;
    simulated[1].resize(2);
    Scene scene(measured, simulated);
    EXPECT_TRUE(std::isnan(scene.score(*metric)));
}

TEST_P(EveryMetric, NoRecordingAtAllIsNotANumber) {
    const std::vector<Path> measured = {standing(5, 0, 0), standing(5, 3, 4)};
    Scene scene(measured, {});
    EXPECT_TRUE(std::isnan(scene.score(*metric)));
}

// A simulation prepared for a five-frame experiment, then run on a three-frame one without a
// new set-up: the record still counts five frames, the run records three.
TEST_P(EveryMetric, RunShorterThanThePreparedFramesIsNotANumber) {
    ExperimentTable longTable;
    longTable.addTrajectory({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
    longTable.addTrajectory({{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}});
    longTable.times = {0, 1, 2, 3, 4};
    ExperimentTable shortTable;
    shortTable.addTrajectory({{0, 0}, {1, 0}, {2, 0}});
    shortTable.addTrajectory({{0, 5}, {1, 5}, {2, 5}});
    shortTable.times = {0, 1, 2};
    auto longExperiment = makeExperiment(std::move(longTable));
    auto shortExperiment = makeExperiment(std::move(shortTable));

    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, longExperiment.get(), &simulation);
    record.setExperiment(shortExperiment.get());
    record.reset();
    EXPECT_TRUE(std::isnan(metric->evaluate(&record)));
    EXPECT_EQ(simulation.frameCount(), 3);
}

// A record counting three pedestrians bound to a simulation set up for two of them.
TEST_P(EveryMetric, SimulationWithFewerAgentsIsNotANumber) {
    ExperimentTable three;
    for (int i = 0; i < 3; ++i) {
        const float y = static_cast<float>(i);
        three.addTrajectory({{0, y}, {1, y}, {2, y}});
    }
    three.times = {0, 1, 2};
    auto experiment = makeExperiment(std::move(three));

    SimulationGeneric<Dummy> small;
    small.initialise(2);
    SimulationGeneric<Dummy> full;
    Record record;
    bindAndPrepare(record, experiment.get(), &full);
    record.bindSimulation(&small);
    ASSERT_EQ(record.simulatedCount, 3);
    EXPECT_TRUE(std::isnan(metric->evaluate(&record)));
}

INSTANTIATE_TEST_SUITE_P(Metrics, EveryMetric, testing::ValuesIn(allMetrics),
                         [](const testing::TestParamInfo<MetricKind>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Through the real run with the reference simulation

// A Dummy within 1.4 m of its goal covers the whole distance in a 1 s step. Pedestrian 0 walks
// from (0, 0) to (1, 0) in the first second and waits; pedestrian 1 stands at (5, 5). The
// reference simulation reproduces both exactly.
TEST(ReferenceRun, DummyReproducingTheExperimentScoresZero) {
    ExperimentTable table;
    table.addTrajectory({{0, 0}, {1, 0}, {1, 0}});
    table.addTrajectory({{5, 5}, {5, 5}, {5, 5}});
    table.times = {0, 1, 2};
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);

    PathLength pathLength;
    Difference difference;
    InterPedDist interPedDist;
    record.reset();
    EXPECT_EQ(pathLength.evaluate(&record), 0.0f);
    record.reset();
    EXPECT_EQ(difference.evaluate(&record), 0.0f);
    record.reset();
    EXPECT_EQ(interPedDist.evaluate(&record), 0.0f);
}

TEST(ReferenceRun, DummyLaggingBehindScoresItsError) {
    // Measured: 0, 0.5, 1 at 0.5 s frames. The Dummy heads for 1 at speed = distance: 0, then
    // 0 + 1 × 0.5 = 0.5, then 0.5 + 0.5 × 0.5 = 0.75. Only frame 2 is off, by 0.25:
    // 0.0625 / (1 × 3).
    ExperimentTable table;
    table.addTrajectory({{0, 0}, {0.5f, 0}, {1, 0}});
    table.times = {0, 0.5f, 1};
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    Difference metric;
    EXPECT_FLOAT_EQ(metric.evaluate(&record), 0.0625f / 3.0f);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pedestrians who come and go

TEST(PartialPresence, EachMetricComparesWhatWasMeasuredAndSimulated) {
    // Four frames. Pedestrian 0 is present on all of them, standing at (0, 0); 1 on frames 1-2
    // at (1, 0); 2 on frames 2-3 at (0, 2). The simulated walkers (recorded over the same
    // frames):
    //   0: (0, 1) (1, 1) (3, 1) (3, 1)   squared errors 1, 2, 10, 10
    //   1: (1, 0) (1, 2)                 0, 4
    //   2: (0, 2) (3, 2)                 0, 9
    // Difference: (23 + 4 + 9) / 8 present samples = 4.5.
    // Path Length: windows of 4, 2 and 2 frames compare trunc(0.8 × L) frames: 3, 1, 1; only
    // agent 0 has steps (1 and 4 squared, measured 0): 5.
    // Inter-pedestrian distance, over the frames each pair shares: (0, 1) frames 1-2, measured
    // 1, 1, simulated 1, 5: (1 − 3)² = 4; (0, 2) frames 2-3, measured 4, 4, simulated 10, 1:
    // (4 − 5.5)² = 2.25; (1, 2) frame 2, measured 5, simulated 1: 16. Mean over 3 pairs.
    ExperimentTable table;
    table.addPresence(0, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    table.addPresence(1, {{1, 0}, {1, 0}});
    table.addPresence(2, {{0, 2}, {0, 2}});
    table.times = {0.0f, 0.5f, 1.0f, 1.5f};
    const auto experiment = makeExperiment(table);
    ASSERT_TRUE(experiment->hasPartialPresence());
    SimulationGeneric<Dummy> simulation;
    ScriptedRecord record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.script = {{{0, 1}, {1, 1}, {3, 1}, {3, 1}}, {{1, 0}, {1, 2}}, {{0, 2}, {3, 2}}};
    record.recordedFrom = {0, 1, 2};

    Difference difference;
    PathLength pathLength;
    InterPedDist interPedDist;
    const std::pair<Metric*, float> cases[] = {
        {&difference, 4.5f}, {&pathLength, 5.0f}, {&interPedDist, 22.25f / 3.0f}};
    for (const auto& [metric, expected] : cases) {
        EXPECT_FLOAT_EQ(metric->evaluate(&record), expected) << metric->name;
    }
    // Each pedestrian's part of the score, for the metrics that are sums over pedestrians; the
    // distance between pairs is not.
    std::vector<float> parts;
    difference.evaluateParts(&record, parts);
    EXPECT_EQ(parts, (std::vector<float>{23.0f / 8, 4.0f / 8, 9.0f / 8}));
    pathLength.evaluateParts(&record, parts);
    EXPECT_EQ(parts, (std::vector<float>{5, 0, 0}));
    interPedDist.evaluateParts(&record, parts);
    EXPECT_TRUE(parts.empty());
}
