#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/PDF.h"
#include "core/Segment.h"
#include "data/Experiment.h"
#include "models/Dummy.h"
#include "models/Pedestrian.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Observing pedestrians

// One call of think or move, by the pedestrian at `who`.
struct Call {
    char kind;
    const void* who;
};

// Calls of every Observer in the current test, in order.
std::vector<Call> callLog;

// Moves in a straight line at its current velocity and writes down everything it is told, what
// it sees of its neighbours when it decides, and when it decides and moves.
class Observer : public Pedestrian {
public:
    static constexpr float defaultWeight = 2.0f;

    static void registerParameters(std::vector<float>& defaults, std::vector<PDF>& distributions) {
        defaults.push_back(defaultWeight);
        distributions.push_back(PDF(0.0f, 4.0f, PDF::UNIFORM, 0.0f, 0.0f));
    }

    void reset() override {
        ++resets;
        // Written here only to show that the simulation's row replaces it.
        for (float& value : parameters) {
            value = -99.0f;
        }
    }
    void addNeighbour(Pedestrian* other) override { neighbours.push_back(other); }
    void addObstacle(float x1, float y1, float x2, float y2) override {
        ++obstacles;
        segments.push_back({x1, y1, x2, y2});
    }
    void setPosition(float px, float py) override {
        x = px;
        y = py;
    }
    void setVelocity(float pvx, float pvy) override {
        vx = pvx;
        vy = pvy;
    }
    void setGoal(float gx, float gy) override { goals.emplace_back(gx, gy); }
    void think(float dt) override {
        callLog.push_back({'t', this});
        thinkSteps.push_back(dt);
        std::vector<float> view;
        for (const Pedestrian* other : neighbours) {
            view.push_back(other->getX());
        }
        seen.push_back(view);
        nextVX = vx;
        nextVY = vy;
    }
    void move(float dt) override {
        callLog.push_back({'m', this});
        vx = nextVX;
        vy = nextVY;
        x += vx * dt;
        y += vy * dt;
    }
    float getX() const override { return x; }
    float getY() const override { return y; }
    float getVX() const override { return vx; }
    float getVY() const override { return vy; }

    std::vector<Pedestrian*> neighbours;
    std::vector<std::vector<float>> seen;  // neighbours' x, per step
    std::vector<float> thinkSteps;
    std::vector<std::pair<float, float>> goals;
    int resets = 0;
    int obstacles = 0;
    std::vector<Segment> segments;  // as handed over, in order

private:
    float x = 0.0f, y = 0.0f, vx = 0.0f, vy = 0.0f, nextVX = 0.0f, nextVY = 0.0f;
};

// A Dummy that remembers every goal it was given.
class GoalTracker : public Dummy {
public:
    void setGoal(float gx, float gy) override {
        goals.emplace_back(gx, gy);
        Dummy::setGoal(gx, gy);
    }
    std::vector<std::pair<float, float>> goals;
};

using Goals = std::vector<std::pair<float, float>>;

class GenericSimulation : public testing::Test {
protected:
    void SetUp() override { callLog.clear(); }
    int indexOf(const void* who) const {
        for (int i = 0; i < simulation.agentCount(); ++i) {
            if (who == &simulation.pedestrian(i)) {
                return i;
            }
        }
        return -1;
    }
    SimulationGeneric<Observer> simulation;
};

// ---------------------------------------------------------------------------------------------
// Generic simulation

class NeighbourLists : public GenericSimulation, public testing::WithParamInterface<int> {};

TEST_P(NeighbourLists, EveryOtherAgentInIndexOrderNeverItself) {
    const int n = GetParam();
    simulation.initialise(n);
    ASSERT_EQ(simulation.agentCount(), n);
    for (int i = 0; i < n; ++i) {
        std::vector<Pedestrian*> expected;
        for (int j = 0; j < n; ++j) {
            if (j != i) {
                expected.push_back(const_cast<Observer*>(&simulation.pedestrian(j)));
            }
        }
        EXPECT_EQ(simulation.pedestrian(i).neighbours, expected) << "agent " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AgentCounts, NeighbourLists, testing::Values(1, 2, 3, 5));

TEST_F(GenericSimulation, NewSetUpRebuildsNeighbourLists) {
    simulation.initialise(4);
    simulation.initialise(2);
    EXPECT_EQ(simulation.pedestrian(0).neighbours,
              std::vector<Pedestrian*>{const_cast<Observer*>(&simulation.pedestrian(1))});
    EXPECT_EQ(simulation.pedestrian(1).neighbours,
              std::vector<Pedestrian*>{const_cast<Observer*>(&simulation.pedestrian(0))});
}

TEST_F(GenericSimulation, EveryAgentThinksBeforeAnyAgentMoves) {
    simulation.initialise(3);
    callLog.clear();
    simulation.step(0.5f);
    std::string order;
    for (const Call& call : callLog) {
        order += call.kind + std::to_string(indexOf(call.who)) + " ";
    }
    EXPECT_EQ(order, "t0 t1 t2 m0 m1 m2 ");
}

TEST_F(GenericSimulation, NoAgentSeesAnotherAgentsNewStateWithinAStep) {
    // Agents start at x = 0, 10, 20 and each moves +1 per step: within step s every agent must
    // see the others where they stood before the step, x0 + s - 1.
    simulation.initialise(3);
    for (int i = 0; i < 3; ++i) {
        simulation.setPosition(i, 10.0f * i, 0.0f);
        simulation.setVelocity(i, 1.0f, 0.0f);
    }
    for (int s = 0; s < 3; ++s) {
        simulation.step(1.0f);
    }
    const std::vector<std::vector<float>> seenBy0 = {{10, 20}, {11, 21}, {12, 22}};
    const std::vector<std::vector<float>> seenBy1 = {{0, 20}, {1, 21}, {2, 22}};
    const std::vector<std::vector<float>> seenBy2 = {{0, 10}, {1, 11}, {2, 12}};
    EXPECT_EQ(simulation.pedestrian(0).seen, seenBy0);
    EXPECT_EQ(simulation.pedestrian(1).seen, seenBy1);
    EXPECT_EQ(simulation.pedestrian(2).seen, seenBy2);
}

TEST_F(GenericSimulation, StepStoresEveryAgentsNewState) {
    simulation.initialise(2);
    simulation.setPosition(0, 1.0f, 2.0f);
    simulation.setVelocity(0, 0.5f, -1.0f);
    simulation.setPosition(1, -3.0f, 0.0f);
    simulation.setVelocity(1, 0.0f, 2.0f);
    simulation.step(0.5f);
    EXPECT_EQ(simulation.currentX(), (std::vector<float>{1.25f, -3.0f}));
    EXPECT_EQ(simulation.currentY(), (std::vector<float>{1.5f, 1.0f}));
    EXPECT_EQ(simulation.currentVX(), (std::vector<float>{0.5f, 0.0f}));
    EXPECT_EQ(simulation.currentVY(), (std::vector<float>{-1.0f, 2.0f}));
}

TEST_F(GenericSimulation, ApplyParametersReplacesWhatResetWrote) {
    simulation.initialise(2);
    // initialise already applied the default rows over the -99 that reset writes.
    EXPECT_EQ(simulation.pedestrian(0).parameters, std::vector<float>{Observer::defaultWeight});
    const int resets = simulation.pedestrian(1).resets;
    ASSERT_EQ(simulation.agentParameters().size(), 2u);
    simulation.parameterTable().values()[1] = 7.0f;
    simulation.applyParameters();
    EXPECT_EQ(simulation.pedestrian(0).parameters, std::vector<float>{Observer::defaultWeight});
    EXPECT_EQ(simulation.pedestrian(1).parameters, std::vector<float>{7.0f});
    EXPECT_EQ(simulation.pedestrian(1).resets, resets + 1);
}

TEST_F(GenericSimulation, SegmentsReachTheModelInTheOrderOfTheScene) {
    const std::vector<Segment> scene = {{0, 0, 1, 0}, {1, 0, 1, 1}, {-1, 2, -3, 4}};
    for (const Segment& segment : scene) {
        simulation.addObstacle(segment);
    }
    simulation.initialise(2);
    EXPECT_EQ(simulation.pedestrian(0).segments, scene);
    EXPECT_EQ(simulation.pedestrian(1).segments, scene);
}

TEST_F(GenericSimulation, ObstaclesStayAcrossSetUpsAndReachEachAgentOnce) {
    simulation.addObstacle({0.0f, 0.0f, 1.0f, 0.0f});
    simulation.initialise(2);
    simulation.initialise(3);
    EXPECT_EQ(simulation.obstacles().size(), 1u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(simulation.pedestrian(i).obstacles, 1) << "agent " << i;
    }
}

TEST_F(GenericSimulation, NewSetUpDropsEarlierRecords) {
    simulation.initialise(3);
    simulation.recordSample(2, 1.0f, 2.0f, 3.0f, 4.0f);
    simulation.initialise(2);
    ASSERT_EQ(simulation.recordedX().size(), 2u);
    EXPECT_TRUE(simulation.recordedX()[0].empty());
    EXPECT_TRUE(simulation.recordedVY()[1].empty());
    EXPECT_EQ(simulation.currentX().size(), 2u);
    EXPECT_EQ(simulation.agentParameters().size(), 2u);
}

TEST(ZeroAgents, SetUpStepAndFinishAreEmpty) {
    SimulationGeneric<Observer> simulation;
    simulation.initialise(0);
    EXPECT_EQ(simulation.agentCount(), 0);
    EXPECT_TRUE(simulation.recordedX().empty());
    EXPECT_TRUE(simulation.recordedVY().empty());
    EXPECT_TRUE(simulation.currentX().empty());
    EXPECT_TRUE(simulation.agentParameters().empty());
    callLog.clear();
    simulation.step(0.5f);
    EXPECT_TRUE(callLog.empty());
    simulation.clearRecords();
    EXPECT_TRUE(simulation.finishRecords().empty());
    EXPECT_EQ(simulation.frameCount(), 0);
}

TEST(ZeroAgents, RunOfAnExperimentWithoutPedestrians) {
    ExperimentTable table;
    table.frameCount = 3;
    table.times = {0.0f, 0.5f, 1.0f};
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    record.run();
    EXPECT_EQ(simulation.agentCount(), 0);
    EXPECT_EQ(simulation.frameCount(), 0);
    EXPECT_EQ(record.simulatedCount, 0);
}

// ---------------------------------------------------------------------------------------------
// Run along measured frame times

// Two pedestrians over five unevenly spaced frames. Observers keep their first measured
// velocity, so sample k lies at start + velocity × times[k], exactly in float for these values.
ExperimentTable unevenFrames() {
    ExperimentTable table;
    table.addTrajectory({{0, 0}, {9, 9}, {9, 9}, {9, 9}, {4, 0}});
    table.addTrajectory({{3, 1}, {9, 9}, {9, 9}, {9, 9}, {3, -4}});
    table.velX[0] = 1.0f;
    table.velY[5] = -2.0f;
    table.times = {0.0f, 0.25f, 0.75f, 1.5f, 2.5f};
    return table;
}

class TimeDrivenRun : public testing::Test {
protected:
    void SetUp() override {
        experiment = makeExperiment(unevenFrames());
        bindAndPrepare(record, experiment.get(), &simulation);
        record.reset();
    }
    std::unique_ptr<Experiment> experiment;
    SimulationGeneric<Observer> simulation;
    Record record;
};

TEST_F(TimeDrivenRun, RecordsExactlyOneSamplePerFrame) {
    record.run();
    EXPECT_EQ(simulation.frameCount(), 5);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(simulation.recordedX()[i].size(), 5u);
        EXPECT_EQ(simulation.recordedY()[i].size(), 5u);
        EXPECT_EQ(simulation.recordedVX()[i].size(), 5u);
        EXPECT_EQ(simulation.recordedVY()[i].size(), 5u);
    }
}

TEST_F(TimeDrivenRun, StepsAreTheFrameTimeDifferences) {
    record.run();
    // 0.25 − 0, 0.75 − 0.25, 1.5 − 0.75, 2.5 − 1.5.
    const std::vector<float> steps = {0.25f, 0.5f, 0.75f, 1.0f};
    EXPECT_EQ(simulation.pedestrian(0).thinkSteps, steps);
    EXPECT_EQ(simulation.pedestrian(1).thinkSteps, steps);
}

TEST_F(TimeDrivenRun, FirstSampleIsTheMeasuredFirstFrameThenEachStep) {
    // Move the agents away first: the run itself must start from the measured frame.
    simulation.setPosition(0, 50.0f, 50.0f);
    simulation.setVelocity(1, 9.0f, 9.0f);
    record.run();
    EXPECT_EQ(simulation.recordedX()[0], (std::vector<float>{0, 0.25f, 0.75f, 1.5f, 2.5f}));
    EXPECT_EQ(simulation.recordedY()[0], (std::vector<float>{0, 0, 0, 0, 0}));
    EXPECT_EQ(simulation.recordedVX()[0], (std::vector<float>{1, 1, 1, 1, 1}));
    EXPECT_EQ(simulation.recordedX()[1], (std::vector<float>{3, 3, 3, 3, 3}));
    // 1 − 2 × t for t = 0, 0.25, 0.75, 1.5, 2.5.
    EXPECT_EQ(simulation.recordedY()[1], (std::vector<float>{1, 0.5f, -0.5f, -2, -4}));
    EXPECT_EQ(simulation.recordedVY()[1], (std::vector<float>{-2, -2, -2, -2, -2}));
}

TEST_F(TimeDrivenRun, GoalIsTheLastMeasuredPosition) {
    EXPECT_EQ(simulation.pedestrian(0).goals.back(), std::make_pair(4.0f, 0.0f));
    EXPECT_EQ(simulation.pedestrian(1).goals.back(), std::make_pair(3.0f, -4.0f));
}

TEST_F(TimeDrivenRun, RepeatedRunRecordsTheSameAgain) {
    SimulationGeneric<Dummy> dummy;
    record.bindSimulation(&dummy);
    record.prepare();
    record.run();
    const auto firstX = dummy.recordedX();
    const auto firstVY = dummy.recordedVY();
    record.run();
    EXPECT_EQ(dummy.recordedX(), firstX);
    EXPECT_EQ(dummy.recordedVY(), firstVY);
    EXPECT_EQ(dummy.frameCount(), 5);
}

TEST(TimeDrivenEdges, SingleFrameRecordsOneSampleAndNeverSteps) {
    ExperimentTable table;
    table.addTrajectory({{1, 2}});
    table.times = {0.0f};
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Observer> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();
    EXPECT_EQ(simulation.frameCount(), 1);
    EXPECT_EQ(simulation.recordedX()[0], std::vector<float>{1.0f});
    EXPECT_TRUE(simulation.pedestrian(0).thinkSteps.empty());
}

TEST(TimeDrivenEdges, ExperimentWithoutFramesRecordsNothing) {
    ExperimentTable table;
    table.pedestrianCount = 2;
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Observer> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();
    EXPECT_EQ(simulation.frameCount(), 0);
    EXPECT_TRUE(simulation.recordedX()[1].empty());
    EXPECT_TRUE(simulation.pedestrian(0).thinkSteps.empty());
}

// ---------------------------------------------------------------------------------------------
// Dummy

struct DummyCase {
    const char* name;
    float x, y, goalX, goalY, dt;
    float expectedVX, expectedVY;  // velocity decided by think
    float expectedX, expectedY;    // position after move
    float expectedDistance;        // distanceToGoal after move
};

void PrintTo(const DummyCase& c, std::ostream* out) {
    *out << c.name;
}

class DummyStep : public testing::TestWithParam<DummyCase> {};

TEST_P(DummyStep, ThinkThenMove) {
    const DummyCase& c = GetParam();
    Dummy dummy;
    dummy.setPosition(c.x, c.y);
    dummy.setVelocity(9.0f, 9.0f);  // the previous velocity plays no part
    dummy.setGoal(c.goalX, c.goalY);
    dummy.think(1000.0f);  // the step length plays no part in deciding
    EXPECT_FLOAT_EQ(dummy.getVX(), c.expectedVX);
    EXPECT_FLOAT_EQ(dummy.getVY(), c.expectedVY);
    dummy.move(c.dt);
    EXPECT_FLOAT_EQ(dummy.getX(), c.expectedX);
    EXPECT_FLOAT_EQ(dummy.getY(), c.expectedY);
    EXPECT_NEAR(dummy.distanceToGoal, c.expectedDistance, 1e-5f);
}

// Speeds: 0.42² + 0.56² = 0.49, so 0.7 m/s; 8.4² + 11.2² = 196, so 14 m scaled by 0.1 to 1.4 m/s.
INSTANTIATE_TEST_SUITE_P(
    Cases, DummyStep,
    testing::Values(
        DummyCase{"AtGoal", 3, 4, 3, 4, 0.5f, 0, 0, 3, 4, 0},
        DummyCase{"SevenTenthsAway", 0, 0, 0.42f, 0.56f, 0.5f, 0.42f, 0.56f, 0.21f, 0.28f, 0.35f},
        DummyCase{"FourteenAway", 1, 1, 9.4f, 12.2f, 1.0f, 0.84f, 1.12f, 1.84f, 2.12f, 12.6f},
        DummyCase{"FarBehind", 5, 5, 5, -5, 0.25f, 0, -1.4f, 5, 4.65f, 9.65f},
        DummyCase{"ArrivesWithoutOvershoot", 0, 0, 1, 0, 0.75f, 1, 0, 0.75f, 0, 0.25f}),
    [](const testing::TestParamInfo<DummyCase>& info) { return std::string(info.param.name); });

TEST(DummyLimits, SpeedIsScaledOnlyBeyondMaximum) {
    // At exactly 1.4 m the difference itself is the velocity.
    Dummy dummy;
    dummy.setGoal(1.4f, 0.0f);
    dummy.think(0.1f);
    EXPECT_EQ(dummy.getVX(), 1.4f);
    EXPECT_EQ(dummy.getVY(), 0.0f);
    // 14 m away the speed is the maximum, within rounding.
    dummy.setGoal(0.0f, -14.0f);
    dummy.think(0.1f);
    EXPECT_EQ(dummy.getVX(), 0.0f);
    EXPECT_NEAR(dummy.getVY(), -1.4f, 1e-6f);
    // 0.7 m away the speed equals the distance.
    dummy.setGoal(-0.7f, 0.0f);
    dummy.think(0.1f);
    EXPECT_EQ(dummy.getVX(), -0.7f);
}

TEST(DummyLimits, AtGoalStaysPut) {
    Dummy dummy;
    dummy.setPosition(2.5f, -1.0f);
    dummy.setGoal(2.5f, -1.0f);
    for (int i = 0; i < 5; ++i) {
        dummy.think(0.5f);
        dummy.move(0.5f);
    }
    EXPECT_EQ(dummy.getX(), 2.5f);
    EXPECT_EQ(dummy.getY(), -1.0f);
    EXPECT_EQ(dummy.getVX(), 0.0f);
    EXPECT_EQ(dummy.getVY(), 0.0f);
    EXPECT_EQ(dummy.distanceToGoal, 0.0f);
}

TEST(DummyLimits, HasNoAgentParametersAndNoName) {
    SimulationGeneric<Dummy> simulation;
    EXPECT_EQ(simulation.agentParameterCount(), 0);
    EXPECT_TRUE(simulation.parameterNames().empty());
    EXPECT_EQ(simulation.name, "");
}

TEST(DummyLimits, TwoDummiesPassThroughEachOtherAndAWall) {
    SimulationGeneric<Dummy> simulation;
    simulation.addObstacle({1.0f, -1.0f, 1.0f, 1.0f});  // a wall across both paths
    simulation.initialise(2);
    simulation.setPosition(0, 0.0f, 0.0f);
    simulation.setGoal(0, 2.0f, 0.0f);
    simulation.setPosition(1, 2.0f, 0.0f);
    simulation.setGoal(1, 0.0f, 0.0f);

    // Step 1: both 2 m from their goals, so 1.4 m/s for 0.5 s: 0.7 and 2 − 0.7 = 1.3.
    simulation.step(0.5f);
    EXPECT_FLOAT_EQ(simulation.currentX()[0], 0.7f);
    EXPECT_FLOAT_EQ(simulation.currentX()[1], 1.3f);
    // Step 2: 1.3 m left each, so speed 1.3: 0.7 + 0.65 = 1.35 and 1.3 − 0.65 = 0.65. They
    // crossed and crossed the wall, without a sideways step.
    simulation.step(0.5f);
    EXPECT_FLOAT_EQ(simulation.currentX()[0], 1.35f);
    EXPECT_FLOAT_EQ(simulation.currentX()[1], 0.65f);
    EXPECT_EQ(simulation.currentY()[0], 0.0f);
    EXPECT_EQ(simulation.currentY()[1], 0.0f);
    for (int s = 0; s < 80; ++s) {
        simulation.step(0.5f);
    }
    EXPECT_EQ(simulation.currentX()[0], 2.0f);
    EXPECT_NEAR(simulation.currentX()[1], 0.0f, 1e-6f);
}

// ---------------------------------------------------------------------------------------------
// Run through waypoints

// One pedestrian from (0, 0) through (1, 0) to (1, 1), with both later waypoints of the given
// radius, stepped by times[1] = 0.5 s.
ExperimentTable cornerWalk(float radius) {
    ExperimentTable table;
    table.timeDriven = false;
    table.addTrajectory({{0, 0}, {0, 0}});
    table.times = {0.0f, 0.5f};
    table.addWaypoints({{0, 0, 0}, {1, 0, radius}, {1, 1, radius}});
    return table;
}

struct RadiusCase {
    float radius;
    int frames;     // samples recorded by the run
    int firstTurn;  // first sample off the x axis
};

void PrintTo(const RadiusCase& c, std::ostream* out) {
    *out << "radius " << c.radius;
}

class WaypointRadius : public testing::TestWithParam<RadiusCase> {};

// The radius counts in whole units, truncated toward zero. With radius 0: the Dummy halves its
// distance every 0.5 s step and lands exactly on (1, 0) at step 25 (1 − 2^-24 + 2^-25 rounds to
// 1 in float), then on (1, 1) at step 50; one more step finds nobody travelling, so 1 + 51
// samples. With radius 1: (0.5, 0) after step 1 is within reach of (1, 0), (0.75, 0.5) after
// step 2 within reach of (1, 1), and step 3 ends the run: 4 samples. A floor instead of a
// truncation would make -0.5 a radius of 1. Radii from 46341 on have squares beyond the int
// range: they reach everything, like radius 1.
TEST_P(WaypointRadius, DecidesWhenAWaypointCountsAsReached) {
    auto experiment = makeExperiment(cornerWalk(GetParam().radius));
    SimulationGeneric<GoalTracker> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    record.run();

    ASSERT_EQ(simulation.frameCount(), GetParam().frames);
    const std::vector<float>& ys = simulation.recordedY()[0];
    int firstTurn = -1;
    for (size_t k = 0; k < ys.size() && firstTurn < 0; ++k) {
        if (ys[k] != 0.0f) {
            firstTurn = static_cast<int>(k);
        }
    }
    EXPECT_EQ(firstTurn, GetParam().firstTurn);
    // Goals: (1, 0) at set-up, at reset and at the start of the run, then (1, 1) once; nothing
    // after the last waypoint.
    EXPECT_EQ(simulation.pedestrian(0).goals, (Goals{{1, 0}, {1, 0}, {1, 0}, {1, 1}}));
}

INSTANTIATE_TEST_SUITE_P(Radii, WaypointRadius,
                         testing::Values(RadiusCase{0.9f, 52, 26}, RadiusCase{-0.5f, 52, 26},
                                         RadiusCase{0.0f, 52, 26}, RadiusCase{1.0f, 4, 2},
                                         RadiusCase{1.9f, 4, 2}, RadiusCase{50000.0f, 4, 2},
                                         RadiusCase{3e9f, 4, 2}));

TEST(WaypointRun, StartsAtFirstWaypointAndStandsExactlyOnEachBeforeTurning) {
    auto experiment = makeExperiment(cornerWalk(0.9f));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    // Set-up: at waypoint 0, standing still.
    EXPECT_EQ(simulation.pedestrian(0).getX(), 0.0f);
    EXPECT_EQ(simulation.pedestrian(0).getVX(), 0.0f);
    EXPECT_EQ(simulation.pedestrian(0).getVY(), 0.0f);

    record.run();
    ASSERT_EQ(simulation.frameCount(), 52);
    // The run starts at waypoint 0 with velocity (√2/2, √2/2) as a float.
    EXPECT_EQ(simulation.recordedX()[0][0], 0.0f);
    EXPECT_EQ(simulation.recordedY()[0][0], 0.0f);
    EXPECT_EQ(simulation.recordedVX()[0][0], 0.70710677f);
    EXPECT_EQ(simulation.recordedVY()[0][0], 0.70710677f);
    // 1 − 2^-24 after step 24 is not yet on the waypoint.
    EXPECT_EQ(simulation.recordedX()[0][24], 1.0f - 0x1p-24f);
    EXPECT_EQ(simulation.recordedX()[0][25], 1.0f);
    EXPECT_EQ(simulation.recordedY()[0][25], 0.0f);
    EXPECT_EQ(simulation.recordedY()[0][26], 0.5f);
    EXPECT_EQ(simulation.recordedY()[0][50], 1.0f);
    // The step after arriving is still recorded, standing still.
    EXPECT_EQ(simulation.recordedX()[0][51], 1.0f);
    EXPECT_EQ(simulation.recordedY()[0][51], 1.0f);
    EXPECT_EQ(simulation.recordedVY()[0][51], 0.0f);
}

TEST(WaypointRun, LastsUntilEveryPedestrianArrived) {
    ExperimentTable table = cornerWalk(0.0f);
    table.addTrajectory({{0, 0}, {0, 0}});
    // Arrives at (0.5, 0) after 25 steps and then waits for the other one.
    table.addWaypoints({{0, 0, 0}, {0.5f, 0, 0}});
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();

    EXPECT_EQ(simulation.frameCount(), 52);
    ASSERT_EQ(simulation.recordedX()[1].size(), 52u);
    EXPECT_EQ(simulation.recordedX()[1][25], 0.5f);
    EXPECT_EQ(simulation.recordedX()[1][51], 0.5f);
    EXPECT_EQ(simulation.recordedVX()[1][51], 0.0f);
}

TEST(WaypointRun, APedestrianWithoutWaypointsIsSampledLikeTheOthers) {
    ExperimentTable table = cornerWalk(0.0f);
    table.addTrajectory({{0, 0}, {0, 0}});
    table.addWaypoints({});
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();

    ASSERT_EQ(simulation.frameCount(), 52);
    for (const auto* lists : {&simulation.recordedX(), &simulation.recordedY(),
                              &simulation.recordedVX(), &simulation.recordedVY()}) {
        EXPECT_EQ((*lists)[1].size(), 52u);
    }
}

TEST(WaypointRun, PedestrianThatNeverArrivesStopsAfterTheStepLimit) {
    // 1000 m at 1.4 m/s with steps of 1 ms: after 100000 steps it has walked about 140 m.
    ExperimentTable table;
    table.timeDriven = false;
    table.addTrajectory({{0, 0}, {0, 0}});
    table.times = {0.0f, 0.001f};
    table.addWaypoints({{0, 0, 0}, {1000, 0, 0.9f}});
    auto experiment = makeExperiment(std::move(table));
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();

    EXPECT_EQ(simulation.frameCount(), 100001);
    // Float sum of 100000 steps of 1.4f × 0.001f, worked out step by step in single precision.
    EXPECT_FLOAT_EQ(simulation.recordedX()[0].back(), 140.20647f);
    EXPECT_EQ(simulation.recordedY()[0].back(), 0.0f);
}

}  // namespace
