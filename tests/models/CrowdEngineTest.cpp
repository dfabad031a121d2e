#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Random.h"
#include "data/Experiment.h"
#include "models/CrowdEngine.h"
#include "models/SimulationBoids.h"
#include "models/SimulationHelbing.h"
#include "run/Record.h"
#include "tests/support/CrowdScene.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

// The two models on the crowd engine, for tests of what they share.
struct Model {
    const char* name;
    std::unique_ptr<CrowdSimulation> (*make)();
    int neighbours;  ///< that the rule reads, and the searches keep
};

const Model boids{
    "Boids",
    []() -> std::unique_ptr<CrowdSimulation> { return std::make_unique<SimulationBoids>(); }, 1};
const Model helbing{
    "Helbing",
    []() -> std::unique_ptr<CrowdSimulation> { return std::make_unique<SimulationHelbing>(); },
    CrowdAgent::maxNeighbours};

std::string modelName(const testing::TestParamInfo<Model>& info) {
    return info.param.name;
}

void PrintTo(const Model& model, std::ostream* out) {
    *out << model.name;
}

// An engine of one agent of the given radius at the origin, among horizontal segments from
// x = −1 to x = 1 at the given heights, searched.
CrowdEngine agentAmongSegments(float radius, const std::vector<float>& heights) {
    CrowdEngine engine(1, static_cast<int>(heights.size()), boidsRule);
    engine.agent(0).radius = radius;
    for (const float y : heights) {
        engine.addObstacle(-1.0f, y, 1.0f, y);
    }
    engine.searchNeighbours();
    return engine;
}

std::vector<int> obstaclesOf(const CrowdAgent& agent) {
    return std::vector<int>(agent.obstacles.begin(), agent.obstacles.begin() + agent.obstacleCount);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Obstacle search

struct ReachCase {
    const char* name;
    float distance;  // m from the centre of an agent of radius 0.5
    bool inReach;
};

void PrintTo(const ReachCase& c, std::ostream* out) {
    *out << c.name;
}

class CrowdObstacleReach : public testing::TestWithParam<ReachCase> {};

TEST_P(CrowdObstacleReach, OnlySegmentsCloserThanRadiusTimesRootTwoCount) {
    const ReachCase& c = GetParam();
    const CrowdEngine engine = agentAmongSegments(0.5f, {c.distance});
    EXPECT_EQ(engine.agent(0).obstacleCount, c.inReach ? 1 : 0);
}

// Reach² = 2 × 0.5² = 0.5: 0.7² = 0.49 and 0.7071² = 0.49999 are below, 0.7072² = 0.50013 and
// 0.71² = 0.5041 are not.
INSTANTIATE_TEST_SUITE_P(
    Distances, CrowdObstacleReach,
    testing::Values(ReachCase{"throughCentre", 0.0f, true}, ReachCase{"touching", 0.5f, true},
                    ReachCase{"at0_7", 0.7f, true}, ReachCase{"justInside", 0.7071f, true},
                    ReachCase{"justOutside", 0.7072f, false}, ReachCase{"at0_71", 0.71f, false},
                    ReachCase{"below", -0.71f, false}),
    [](const testing::TestParamInfo<ReachCase>& info) { return std::string(info.param.name); });

TEST(CrowdObstacleSearch, KeepsTheTwoNearestSegmentsNearerFirst) {
    // Distances by index: 0.3, 0.5, −0.6 (below), 0.2, 0.65 — the two nearest are 3 then 0.
    const CrowdEngine engine = agentAmongSegments(0.5f, {0.3f, 0.5f, -0.6f, 0.2f, 0.65f});
    EXPECT_EQ(obstaclesOf(engine.agent(0)), (std::vector<int>{3, 0}));
    // A single segment in reach is a list of one.
    const CrowdEngine one = agentAmongSegments(0.5f, {0.9f, 0.6f, 2.0f});
    EXPECT_EQ(obstaclesOf(one.agent(0)), std::vector<int>{1});
}

TEST(CrowdObstacleSearch, EqualDistancesKeepTableOrder) {
    const CrowdEngine engine = agentAmongSegments(0.5f, {0.4f, -0.4f, 0.4f});
    EXPECT_EQ(obstaclesOf(engine.agent(0)), (std::vector<int>{0, 1}));
}

TEST(CrowdObstacleSearch, NearestPointIsAnEndpointOrTheProjection) {
    const CrowdEngine::Segment segment{{0.0f, 0.0f}, {4.0f, 0.0f}};
    EXPECT_EQ(segment.nearestPoint({-3.0f, 2.0f}), Vec2(0.0f, 0.0f));
    EXPECT_EQ(segment.nearestPoint({7.0f, -1.0f}), Vec2(4.0f, 0.0f));
    EXPECT_EQ(segment.nearestPoint({1.5f, 3.0f}), Vec2(1.5f, 0.0f));
    // A segment without length is its one point, not 0 / 0.
    const CrowdEngine::Segment point{{0.3f, 0.0f}, {0.3f, 0.0f}};
    EXPECT_EQ(point.nearestPoint({0.0f, 0.0f}), Vec2(0.3f, 0.0f));
    CrowdEngine engine(1, 1, boidsRule);
    engine.agent(0).radius = 0.5f;
    engine.addObstacle(0.3f, 0.0f, 0.3f, 0.0f);
    engine.searchNeighbours();
    EXPECT_EQ(engine.agent(0).obstacleCount, 1);
}

// Random walls, some without length, around random agents of radius 0.2 to 0.8 m.
struct WallCase {
    const char* name;
    float offset;      ///< m, of the scene from the origin
    int walls;         ///< segments
    float extent;      ///< m, of the square the walls start in
    bool throughStep;  ///< searched by a step, else by searchNeighbours alone
};

void PrintTo(const WallCase& c, std::ostream* out) {
    *out << c.name;
}

// Every agent keeps the two nearest segments that a test of every segment finds: the boxes
// that turn most segments away, and a step's lists of the segments near each leaf, must never
// turn away one in reach.
void checkObstaclesAgainstEverySegment(const WallCase& c) {
    Random::seed(c.offset == 0.0f ? 31 : 32);
    auto draw = [](float extent) {
        return extent * static_cast<float>(Random::draw()) / Random::maxDraw;
    };
    CrowdEngine engine(300, c.walls, boidsRule);
    std::vector<CrowdEngine::Segment> walls;
    for (int s = 0; s < c.walls; ++s) {
        const Vec2 a(c.offset + draw(c.extent), c.offset + draw(c.extent));
        const Vec2 b = s % 10 == 0 ? a : a + Vec2(draw(2.0f) - 1.0f, draw(2.0f) - 1.0f);
        walls.push_back({a, b});
        engine.addObstacle(a.x, a.y, b.x, b.y);
    }
    for (int i = 0; i < 300; ++i) {
        engine.agent(i).position = {c.offset + draw(20.0f), c.offset + draw(20.0f)};
        engine.agent(i).radius = 0.2f + draw(0.6f);
    }
    // A step's lists belong to the positions before it.
    const std::vector<CrowdAgent> before = engine.agents();
    if (c.throughStep) {
        engine.crowdStep(0.1f);
    } else {
        engine.searchNeighbours();
    }
    for (int i = 0; i < 300; ++i) {
        const Vec2 p = before[static_cast<size_t>(i)].position;
        const float radius = before[static_cast<size_t>(i)].radius;
        // The two nearest with a squared distance below 2 r², the earlier one on a tie.
        std::vector<std::pair<float, int>> inReach;
        for (int s = 0; s < c.walls; ++s) {
            const float squared = (p - walls[s].nearestPoint(p)).squaredLength();
            if (squared < 2.0f * radius * radius) {
                inReach.push_back({squared, s});
            }
        }
        std::stable_sort(inReach.begin(), inReach.end(),
                         [](const auto& l, const auto& r) { return l.first < r.first; });
        std::vector<int> expected;
        for (size_t e = 0; e < inReach.size() && e < 2; ++e) {
            expected.push_back(inReach[e].second);
        }
        ASSERT_EQ(obstaclesOf(engine.agent(i)), expected) << "agent " << i;
    }
}

TEST(CrowdObstacleSearch, FindsWhatTestingEverySegmentFinds) {
    // Near the origin and 10 km away (where an ulp of a coordinate is a millimetre).
    for (const float offset : {0.0f, 10000.0f}) {
        SCOPED_TRACE(offset);
        checkObstaclesAgainstEverySegment({"", offset, 80, 20.0f, false});
    }
}

class CrowdObstacleStep : public testing::TestWithParam<WallCase> {};

TEST_P(CrowdObstacleStep, FindsWhatTestingEverySegmentFinds) {
    checkObstaclesAgainstEverySegment(GetParam());
}

// Dense walls put more segments near a leaf than its list holds, so that its agents test
// every segment.
INSTANTIATE_TEST_SUITE_P(Walls, CrowdObstacleStep,
                         testing::Values(WallCase{"Scattered", 0.0f, 80, 20.0f, true},
                                         WallCase{"FarAway", 10000.0f, 80, 20.0f, true},
                                         WallCase{"Dense", 0.0f, 2000, 20.0f, true},
                                         WallCase{"DenseFarAway", 10000.0f, 2000, 20.0f, true}),
                         [](const testing::TestParamInfo<WallCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Shared model code

class CrowdModel : public testing::TestWithParam<Model> {};

TEST_P(CrowdModel, DeclaresRadiusAndSpeedWithTheirDistributions) {
    const auto simulation = GetParam().make();
    EXPECT_EQ(simulation->name, GetParam().name);
    EXPECT_EQ(simulation->parameterNames(), (std::vector<std::string>{"Radius", "Speed"}));
    EXPECT_EQ(simulation->parameterDefaults(), (std::vector<float>{0.2f, 1.6f}));
    EXPECT_EQ(simulation->agentParameterCount(), 2);
    EXPECT_EQ(simulation->getParameter("Radius"), "0.2 0.8 NORMAL 0.5 0.25");
    EXPECT_EQ(simulation->getParameter("Speed"), "1 2 NORMAL 1.5 0.5");
}

TEST_P(CrowdModel, ApplyParametersGivesEachAgentTheRadiusOfItsRow) {
    const auto simulation = GetParam().make();
    simulation->initialise(3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(simulation->engine().agent(i).radius, 0.2f);
    }
    simulation->parameterTable().values()[1 * 2 + CrowdSimulation::RADIUS] = 0.65f;
    simulation->applyParameters();
    EXPECT_EQ(simulation->engine().agent(0).radius, 0.2f);
    EXPECT_EQ(simulation->engine().agent(1).radius, 0.65f);
}

struct DesireCase {
    const char* name;
    float goalX, goalY;  // agent at (1, 2)
    float speed;         // its "Speed"
    float expectedX, expectedY;
};

void PrintTo(const DesireCase& c, std::ostream* out) {
    *out << c.name;
}

class CrowdDesiredVelocity : public testing::TestWithParam<std::tuple<Model, DesireCase>> {};

TEST_P(CrowdDesiredVelocity, IsSpeedTowardsTheGoalOrTheRestOfTheWayPerSecond) {
    const Model& model = std::get<0>(GetParam());
    const DesireCase& c = std::get<1>(GetParam());
    const auto simulation = model.make();
    placeWalkers(*simulation, {{1, 2, 0, 0, c.goalX, c.goalY}});
    simulation->parameterTable().values()[CrowdSimulation::SPEED] = c.speed;
    simulation->step(0.1f);
    const Vec2 desired = simulation->engine().agent(0).desiredVelocity;
    EXPECT_NEAR(desired.x, c.expectedX, 1e-6f);
    EXPECT_NEAR(desired.y, c.expectedY, 1e-6f);
}

// Far: the goal is (3, 4) away, 5 m, so the desire is speed × (0.6, 0.8). Near: (0.3, 0.4) away,
// 0.5 m, within "Speed" of the goal, so the desire is the whole displacement.
INSTANTIATE_TEST_SUITE_P(
    Goals, CrowdDesiredVelocity,
    testing::Combine(testing::Values(boids, helbing),
                     testing::Values(DesireCase{"far", 4, 6, 1.6f, 0.96f, 1.28f},
                                     DesireCase{"farSlower", 4, 6, 1.0f, 0.6f, 0.8f},
                                     DesireCase{"near", 1.3f, 2.4f, 1.6f, 0.3f, 0.4f},
                                     DesireCase{"atGoal", 1, 2, 1.6f, 0, 0},
                                     DesireCase{"standingStill", 4, 6, 0.0f, 0, 0})),
    [](const testing::TestParamInfo<std::tuple<Model, DesireCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

struct LimitCase {
    const char* name;
    Model model;
    float vx, vy, goalX, goalY;
    float expectedVX, expectedVY;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
    *out << c.name;
}

class CrowdSpeedLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(CrowdSpeedLimit, ScalesAFasterRuleResultDownToTwoAndAHalf) {
    const LimitCase& c = GetParam();
    const auto simulation = c.model.make();
    placeWalkers(*simulation, {{0, 0, c.vx, c.vy, c.goalX, c.goalY}});
    simulation->step(1.0f);
    EXPECT_NEAR(simulation->currentVX()[0], c.expectedVX, 1e-6f);
    EXPECT_NEAR(simulation->currentVY()[0], c.expectedVY, 1e-6f);
    // Moved one second at the limited velocity.
    EXPECT_NEAR(simulation->currentX()[0], c.expectedVX, 1e-6f);
    EXPECT_NEAR(simulation->currentY()[0], c.expectedVY, 1e-6f);
}

// With dt = 1 the Boids rule gives v + 3.5 (u − v) and Helbing's v + 2 (u − v). Along x, u =
// (1.6, 0): Boids −2 + 3.5 × 3.6 = 10.6 and Helbing −2 + 2 × 3.6 = 5.2, both cut to 2.5. Towards
// (60, 80), u = (0.96, 1.28): Boids 3.5 u = (3.36, 4.48) and Helbing 2 u = (1.92, 2.56) have
// lengths 5.6 and 3.2, both scaled to 2.5 × (0.6, 0.8) = (1.5, 2).
INSTANTIATE_TEST_SUITE_P(
    OneSecond, CrowdSpeedLimit,
    testing::Values(LimitCase{"BoidsAlongX", boids, -2, 0, 100, 0, 2.5f, 0},
                    LimitCase{"HelbingAlongX", helbing, -2, 0, 100, 0, 2.5f, 0},
                    LimitCase{"BoidsDiagonal", boids, 0, 0, 60, 80, 1.5f, 2.0f},
                    LimitCase{"HelbingDiagonal", helbing, 0, 0, 60, 80, 1.5f, 2.0f}),
    [](const testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST_P(CrowdModel, NoAgentOfAPackedCrowdLeavesAStepFasterThanTheLimit) {
    // Forty agents on 1.5 m × 1.5 m push hard on each other and on the walls around them.
    Random::seed(17);
    const auto simulation = GetParam().make();
    simulation->addObstacle({0, 0, 1.5f, 0});
    simulation->addObstacle({1.5f, 0, 1.5f, 1.5f});
    std::vector<CrowdWalker> walkers;
    for (int i = 0; i < 40; ++i) {
        const float x = 1.5f * static_cast<float>(Random::draw()) / Random::maxDraw;
        const float y = 1.5f * static_cast<float>(Random::draw()) / Random::maxDraw;
        walkers.push_back({x, y, 0, 0, 1.5f - x, 1.5f - y, 0.3f});
    }
    placeWalkers(*simulation, walkers);
    for (int k = 0; k < 20; ++k) {
        simulation->step(0.1f);
        ASSERT_TRUE(stateIsFinite(*simulation)) << "step " << k;
        for (int i = 0; i < 40; ++i) {
            EXPECT_LE(std::hypot(simulation->currentVX()[i], simulation->currentVY()[i]),
                      2.5f + 1e-6f);
        }
    }
}

TEST_P(CrowdModel, EveryAgentDecidesFromThePositionsBeforeTheStep) {
    // Agent 0 walks away from agent 1 at 1.6 m/s. Agent 1 stands still, so with the Boids rule
    // it only moves if agent 0 is within 5.4 × 0.2 = 1.08 m, and with Helbing's its push falls
    // with the distance. Had agent 0 moved first, agent 1 would see it 0.16 m farther off.
    const auto simulation = GetParam().make();
    placeWalkers(*simulation, {{0.5f, 0, 1.6f, 0, 100, 0}, {0, 0, 0, 0, 0, 0}});
    simulation->step(0.1f);
    const float firstPush = simulation->currentVX()[1];
    // Agent 1 alone with a still agent 0 at 0.5 m must be pushed exactly as hard.
    const auto reference = GetParam().make();
    placeWalkers(*reference, {{0.5f, 0, 0, 0, 0.5f, 0}, {0, 0, 0, 0, 0, 0}});
    reference->step(0.1f);
    EXPECT_EQ(firstPush, reference->currentVX()[1]);
    EXPECT_LT(firstPush, 0.0f);
}

TEST_P(CrowdModel, StepStoresTheEngineStateAsTheCurrentState) {
    const auto simulation = GetParam().make();
    placeWalkers(*simulation, {{0, 0, 1, 0, 10, 0}, {5, 5, 0, -1, 5, -10}});
    simulation->step(0.1f);
    for (int i = 0; i < 2; ++i) {
        const CrowdAgent& agent = simulation->engine().agent(i);
        EXPECT_EQ(simulation->currentX()[i], agent.position.x);
        EXPECT_EQ(simulation->currentY()[i], agent.position.y);
        EXPECT_EQ(simulation->currentVX()[i], agent.velocity.x);
        EXPECT_EQ(simulation->currentVY()[i], agent.velocity.y);
    }
}

TEST_P(CrowdModel, ZeroAgentsSetUpAndStepWithoutEffect) {
    const auto simulation = GetParam().make();
    simulation->addObstacle({0, 0, 1, 0});
    simulation->initialise(0);
    simulation->step(0.1f);
    EXPECT_TRUE(simulation->engine().agents().empty());
    EXPECT_EQ(simulation->engine().obstacles().size(), 1u);
    EXPECT_EQ(simulation->finishRecords().size(), 0u);
    EXPECT_EQ(simulation->frameCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Tables of their own

TEST_P(CrowdModel, ANewSetUpHandsEachSceneSegmentToTheEngineOnce) {
    const auto simulation = GetParam().make();
    simulation->addObstacle({0, 0, 1, 0});
    simulation->addObstacle({1, 0, 1, 1});
    simulation->addObstacle({1, 1, 0, 1});
    simulation->initialise(2);
    simulation->initialise(4);
    const std::vector<CrowdEngine::Segment>& segments = simulation->engine().obstacles();
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].a, Vec2(0, 0));
    EXPECT_EQ(segments[1].a, Vec2(1, 0));
    EXPECT_EQ(segments[2].b, Vec2(0, 1));
    EXPECT_EQ(simulation->engine().agents().size(), 4u);
}

TEST_P(CrowdModel, RecordSetUpTwiceKeepsTheSceneOnceAndRunsEveryFrame) {
    ExperimentTable table;
    table.addTrajectory({{0, 0}, {0.5f, 0}, {1, 0}, {1.5f, 0}});
    table.addTrajectory({{3, 0.1f}, {2.5f, 0.1f}, {2, 0.1f}, {1.5f, 0.1f}});
    table.obstacles.push_back({-1, -1, 4, -1});
    table.obstacles.push_back({-1, 1, 4, 1});
    table.times = {0.0f, 0.4f, 0.8f, 1.2f};
    const auto experiment = makeExperiment(std::move(table));
    const auto simulation = GetParam().make();
    Record record;
    bindAndPrepare(record, experiment.get(), simulation.get());
    record.prepare();
    EXPECT_EQ(simulation->obstacles().size(), 2u);
    EXPECT_EQ(simulation->engine().obstacles().size(), 2u);
    record.reset();
    record.run();
    EXPECT_EQ(simulation->frameCount(), 4);
    EXPECT_EQ(simulation->recordedX()[1].size(), 4u);
    EXPECT_TRUE(stateIsFinite(*simulation));
}

TEST_P(CrowdModel, ARunAfterResetRepeatsTheFirstRunExactly) {
    // Two crossing groups between walls, run twice through the record: nothing a run leaves
    // behind may change the next one.
    // Only the first frame (start) and the last (goal) matter to the model; 21 frames 0.5 s
    // apart.
    ExperimentTable table;
    for (int p = 0; p < 12; ++p) {
        const float y = 0.45f * static_cast<float>(p % 6) + (p < 6 ? 0.0f : 0.2f);
        const float from = p < 6 ? 0.0f : 8.0f;
        const float to = p < 6 ? 8.0f : 0.0f;
        std::vector<std::pair<float, float>> samples(21, {from, y});
        samples.back() = {to, y};
        table.addTrajectory(samples);
    }
    table.obstacles.push_back({-1, -0.5f, 9, -0.5f});
    table.obstacles.push_back({-1, 3.0f, 9, 3.0f});
    for (int k = 0; k < 21; ++k) {
        table.times.push_back(0.5f * static_cast<float>(k));
    }
    const auto experiment = makeExperiment(std::move(table));
    const auto simulation = GetParam().make();
    Record record;
    bindAndPrepare(record, experiment.get(), simulation.get());
    record.reset();
    record.run();
    const auto firstX = simulation->recordedX();
    const auto firstVY = simulation->recordedVY();
    record.reset();
    record.run();
    EXPECT_EQ(simulation->recordedX(), firstX);
    EXPECT_EQ(simulation->recordedVY(), firstVY);
    EXPECT_TRUE(stateIsFinite(*simulation));
}

TEST_P(CrowdModel, TwoSimulationsAliveAtOnceDoNotShareTables) {
    const std::vector<CrowdWalker> scene = {{0, 0, 1, 0, 8, 0}, {8, 0.3f, -1, 0, 0, 0.3f}};
    auto runAlone = [&] {
        const auto alone = GetParam().make();
        alone->addObstacle({0, -0.5f, 8, -0.5f});
        placeWalkers(*alone, scene);
        std::vector<float> xs;
        for (int k = 0; k < 30; ++k) {
            alone->step(0.1f);
            xs.push_back(alone->currentX()[0]);
        }
        return xs;
    };
    const std::vector<float> expected = runAlone();

    const auto first = GetParam().make();
    first->addObstacle({0, -0.5f, 8, -0.5f});
    placeWalkers(*first, scene);
    // A second model of either kind, set up after the first, with a different crowd and scene.
    const auto second = boids.make();
    const auto third = helbing.make();
    second->addObstacle({-5, 0.1f, 20, 0.1f});
    placeWalkers(*second, {{1, 0.2f, 0, 0, 1, 0.2f}, {4, 0, 0, 0, 4, 0}, {6, 0, 0, 0, 6, 0}});
    placeWalkers(*third, {{0.2f, 0, 2, 0, 50, 0}});
    std::vector<float> xs;
    for (int k = 0; k < 30; ++k) {
        first->step(0.1f);
        second->step(0.1f);
        third->step(0.1f);
        xs.push_back(first->currentX()[0]);
    }
    EXPECT_EQ(xs, expected);
    EXPECT_EQ(first->engine().agents().size(), 2u);
    EXPECT_EQ(first->engine().obstacles().size(), 1u);
    EXPECT_EQ(second->engine().agents().size(), 3u);
    EXPECT_EQ(third->engine().obstacles().size(), 0u);
}

TEST_P(CrowdModel, HoldsMoreThanAThousandAgentsAndTwoThousandSegments) {
    const auto simulation = GetParam().make();
    // 2100 wall pieces of 0.5 m along y = −0.25, and 1100 agents 0.9 m apart on a row above.
    for (int s = 0; s < 2100; ++s) {
        simulation->addObstacle({0.5f * s, -0.25f, 0.5f * s + 0.5f, -0.25f});
    }
    std::vector<CrowdWalker> walkers;
    for (int i = 0; i < 1100; ++i) {
        walkers.push_back({0.9f * i, 0, 0, 0, 0.9f * i, -5});
    }
    placeWalkers(*simulation, walkers);
    simulation->step(0.1f);
    EXPECT_EQ(simulation->engine().agents().size(), 1100u);
    EXPECT_EQ(simulation->engine().obstacles().size(), 2100u);
    EXPECT_TRUE(stateIsFinite(*simulation));
    // The last agent, at x = 1099 × 0.9 = 989.1, has the ones before it as neighbours, nearest
    // first, as many as the rule reads. Piece 1978 (989 to 989.5) lies 0.25 m below it; piece
    // 1977 ends at 989, at sqrt(0.1² + 0.25²) = 0.269 m; both are within 0.2 × √2 = 0.283 m,
    // piece 1979 is not.
    const CrowdAgent& last = simulation->engine().agent(1099);
    const int count = GetParam().neighbours;
    EXPECT_EQ(last.neighbourCount, count);
    EXPECT_EQ(last.neighbours[0], 1098);
    EXPECT_EQ(last.neighbours[count - 1], 1099 - count);
    EXPECT_EQ(obstaclesOf(last), (std::vector<int>{1978, 1977}));
}

TEST_P(CrowdModel, SearchesKeepAsManyNeighboursAsTheRuleReads) {
    // Twelve walkers 1 m apart on a row: the first has eleven others in range.
    const auto simulation = GetParam().make();
    std::vector<CrowdWalker> walkers;
    for (int i = 0; i < 12; ++i) {
        walkers.push_back({1.0f * i, 0, 0, 0, 1.0f * i, 5});
    }
    placeWalkers(*simulation, walkers);
    simulation->step(0.1f);
    EXPECT_EQ(simulation->engine().neighbourCount(), GetParam().neighbours);
    const CrowdAgent& first = simulation->engine().agent(0);
    EXPECT_EQ(first.neighbourCount, GetParam().neighbours);
    EXPECT_EQ(first.neighbours[0], 1);
}

INSTANTIATE_TEST_SUITE_P(BothModels, CrowdModel, testing::Values(boids, helbing), modelName);
