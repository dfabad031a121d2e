#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "models/SimulationBoids.h"
#include "tests/support/CrowdScene.h"

namespace {

struct RelaxCase {
    const char* name;
    float vx, vy;        // velocity before the step
    float goalX, goalY;  // agent at the origin, "Speed" 1.6
    float dt;
    float expectedVX, expectedVY;
};

void PrintTo(const RelaxCase& c, std::ostream* out) {
    *out << c.name;
}

}  // namespace

class BoidsAlone : public testing::TestWithParam<RelaxCase> {};

TEST_P(BoidsAlone, RelaxesTowardsTheDesiredVelocityAtThreeAndAHalfPerSecond) {
    const RelaxCase& c = GetParam();
    SimulationBoids simulation;
    placeWalkers(simulation, {{0, 0, c.vx, c.vy, c.goalX, c.goalY}});
    simulation.step(c.dt);
    EXPECT_NEAR(simulation.currentVX()[0], c.expectedVX, 1e-6f);
    EXPECT_NEAR(simulation.currentVY()[0], c.expectedVY, 1e-6f);
    EXPECT_NEAR(simulation.currentX()[0], c.expectedVX * c.dt, 1e-6f);
    EXPECT_NEAR(simulation.currentY()[0], c.expectedVY * c.dt, 1e-6f);
}

// New velocity v + 3.5 dt (u − v). Turning: v = (1, 0), u = (0, 1.6), dt = 0.1:
// (1 − 0.35, 0.35 × 1.6) = (0.65, 0.56). Starting: v = 0, u = (1.6, 0), dt = 0.04: 0.14 × 1.6 =
// 0.224. Arriving: the goal 0.5 m away along −y with "Speed" 1.6 gives u = (0, −0.5); v = (0,
// −1), dt = 0.2: −1 + 0.7 × 0.5 = −0.65.
INSTANTIATE_TEST_SUITE_P(Relaxation, BoidsAlone,
                         testing::Values(RelaxCase{"turning", 1, 0, 0, 50, 0.1f, 0.65f, 0.56f},
                                         RelaxCase{"starting", 0, 0, 9, 0, 0.04f, 0.224f, 0},
                                         RelaxCase{"arriving", 0, -1, 0, -0.5f, 0.2f, 0, -0.65f}),
                         [](const testing::TestParamInfo<RelaxCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(BoidsSeparation, PushesAwayFromTheNearestNeighbourWithinFivePointFourRadii) {
    // Radius 0.2, so the reach is 1.08 m. Agent 0 stands at the origin wanting to stay; agent 1
    // stands 0.5 m to its right. w = 10 × ((1.08 − 0.5) / 1.08)² = 2.884088; with dt = 0.05,
    // agent 0: 10 × 0.05 × 0.65 × w × (−0.5) = −0.468664 and agent 1 the opposite.
    SimulationBoids simulation;
    placeWalkers(simulation, {{0, 0, 0, 0, 0, 0}, {0.5f, 0, 0, 0, 0.5f, 0}});
    simulation.step(0.05f);
    EXPECT_NEAR(simulation.currentVX()[0], -0.468664f, 1e-5f);
    EXPECT_NEAR(simulation.currentVX()[1], 0.468664f, 1e-5f);
    EXPECT_EQ(simulation.currentVY()[0], 0.0f);
}

TEST(BoidsSeparation, ANeighbourBeyondReachLeavesOnlyTheRelaxation) {
    // 1.2 m > 1.08 m: agent 0 with v = (0, 1) and u = 0 ends at (0, 1 − 0.35) with dt = 0.1.
    SimulationBoids simulation;
    placeWalkers(simulation, {{0, 0, 0, 1, 0, 0}, {1.2f, 0, 0, 0, 1.2f, 0}});
    simulation.step(0.1f);
    EXPECT_EQ(simulation.engine().agent(0).neighbourCount, 1);
    EXPECT_NEAR(simulation.currentVX()[0], 0.0f, 1e-7f);
    EXPECT_NEAR(simulation.currentVY()[0], 0.65f, 1e-6f);
}

TEST(BoidsSeparation, TheNearestObstacleAddsSevenPointSixTimesItsOffsetAndSetsTheWeight) {
    // Radius 0.5 (reach 2.7 m). Agent 1 at (−0.9, 0) overlaps agent 0 (0.9 − 1.0 = −0.1) and
    // gives s = (0.9, 0); the wall at y = 0.6 (within 0.5 × √2) adds (0, −0.6) × 7.6, so
    // s = (0.9, −4.56), and the wall's distance 0.6, not the neighbour's 0.9, sets
    // w = 10 × ((2.7 − 0.6) / 2.7)² = 6.049383. With dt = 0.01:
    // 0.1 × 0.65 × w × s = (0.353889, −1.793037).
    SimulationBoids simulation;
    simulation.addObstacle({-1, 0.6f, 1, 0.6f});
    placeWalkers(simulation, {{0, 0, 0, 0, 0, 0, 0.5f}, {-0.9f, 0, 0, 0, -0.9f, 0, 0.5f}});
    simulation.step(0.01f);
    EXPECT_NEAR(simulation.currentVX()[0], 0.353889f, 1e-5f);
    EXPECT_NEAR(simulation.currentVY()[0], -1.793037f, 1e-5f);
}

TEST(BoidsSeparation, ZeroRadiusAndCoincidentAgentsStayFinite) {
    // A zero radius makes the weight 0 / 0; with no separation it must play no part, leaving
    // v + 3.5 dt (u − v) = 1 − 0.35 for the first agent. The two coincident agents have a zero
    // separation vector from each other.
    SimulationBoids simulation;
    placeWalkers(simulation, {{0, 0, 1, 0, 0, 0, 0.0f}, {5, 5, 0, 0, 5, 9}, {5, 5, 0, 0, 9, 5}});
    simulation.step(0.1f);
    EXPECT_NEAR(simulation.currentVX()[0], 0.65f, 1e-6f);
    for (int k = 0; k < 50; ++k) {
        simulation.step(0.1f);
        ASSERT_TRUE(stateIsFinite(simulation)) << "step " << k;
    }
}

TEST(BoidsSeparation, ACentreOnAWallStaysFinite) {
    SimulationBoids simulation;
    simulation.addObstacle({-1, 0, 1, 0});
    simulation.addObstacle({2, 2, 2, 2});  // no length
    placeWalkers(simulation, {{0, 0, 1, 0, 5, 0}, {2, 2, 0, 0, 2, 2}});
    for (int k = 0; k < 20; ++k) {
        simulation.step(0.1f);
        ASSERT_TRUE(stateIsFinite(simulation)) << "step " << k;
    }
}
