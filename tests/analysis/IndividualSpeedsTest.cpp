#include "analysis/IndividualSpeeds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/CrowdFrames.h"
#include "data/Experiment.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "tests/analysis/CrowdTestScenes.h"
#include "tests/support/ExperimentTable.h"

namespace {

struct SpeedCase {
    int frame, t1, t2;  // the frames the difference spans, worked out by hand for K = 5
};

class AcceleratingWalker : public testing::TestWithParam<SpeedCase> {};

// x(k) = a·(k − 3)² on frames 3 to 15 (13 samples), Δt = 0.1 s: the difference over frames t1
// to t2 gives a·((t2 − 3)² − (t1 − 3)²) / ((t2 − t1)·Δt) = a·(t1 + t2 − 6) / Δt.
TEST_P(AcceleratingWalker, SpeedSpansTheFramesThatExistWithinK) {
    const double a = 0.02, dt = 0.1;
    CrowdTrack track{7, 3, {}, {}};
    for (int k = 3; k <= 15; ++k) {
        track.x.push_back(a * (k - 3) * (k - 3));
        track.y.push_back(1.0);
    }
    const CrowdFrames crowd = crowdOf({track}, 20, dt);
    const SpeedCase c = GetParam();
    EXPECT_NEAR(IndividualSpeeds(crowd).speed(0, c.frame), a * (c.t1 + c.t2 - 6) / dt, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Frames, AcceleratingWalker,
                         testing::Values(SpeedCase{3, 3, 8}, SpeedCase{5, 3, 10},
                                         SpeedCase{8, 3, 13}, SpeedCase{9, 4, 14},
                                         SpeedCase{10, 5, 15}, SpeedCase{12, 7, 15},
                                         SpeedCase{15, 10, 15}));

TEST(IndividualSpeeds, UniformMotionIsExactOnEveryFrameAndOneSampleHasNone) {
    // 0.03 m and 0.04 m per 0.1 s frame: 0.5 m/s, at the ends too.
    const CrowdFrames crowd =
        crowdOf({walker(0, 0, 9, 1, 2, 0.03, 0.04), walker(1, 4, 1, 0, 0, 0, 0)}, 9, 0.1);
    const IndividualSpeeds speeds(crowd, 3);
    for (int k = 0; k < 9; ++k) {
        EXPECT_NEAR(speeds.speed(0, k), 0.5, 1e-12) << "frame " << k;
    }
    EXPECT_TRUE(std::isnan(speeds.speed(1, 4)));
}

TEST(CrowdFrames, MeasuredAndSimulatedTracksFollowPresence) {
    ExperimentTable table;
    table.addPresence(0, {{0, 0}, {1, 0}, {2, 0}});
    table.addPresence(1, {{5, 5}, {6, 5}});
    table.times = {0.0, 0.5, 1.0};
    const std::unique_ptr<Experiment> experiment = makeExperiment(table);
    const CrowdFrames measured = CrowdFrames::measured(*experiment);
    ASSERT_EQ(measured.frameCount(), 3);
    EXPECT_EQ(measured.samples(0).size(), 1u);
    ASSERT_EQ(measured.samples(2).size(), 2u);
    EXPECT_EQ(measured.samples(2)[1].id, 1);
    EXPECT_EQ(measured.samples(2)[1].x, 6.0);

    SimulationGeneric<Dummy> simulation;
    simulation.initialise(2);
    simulation.clearRecords();
    simulation.setRecordedFrom({0, 2});
    for (int k = 0; k < 4; ++k) {  // the run records one frame more than the experiment holds
        simulation.recordSample(0, static_cast<float>(k), 0, 0, 0);
    }
    simulation.recordSample(1, 9, 9, 0, 0);
    simulation.finishRecords();
    const CrowdFrames simulated = CrowdFrames::simulated(simulation, *experiment);
    ASSERT_EQ(simulated.tracks().size(), 2u);
    EXPECT_EQ(simulated.tracks()[0].lastFrame(), 2);
    EXPECT_EQ(simulated.samples(2)[1].y, 9.0);
    EXPECT_EQ(simulated.maxX(), 9.0);
}

}  // namespace
