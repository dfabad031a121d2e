#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "models/SimulationHelbing.h"
#include "tests/support/CrowdScene.h"

namespace {

// The velocities after one step of the given scene.
struct ForceCase {
    const char* name;
    std::vector<CrowdWalker> walkers;
    std::vector<std::vector<float>> walls;  // x1, y1, x2, y2
    float dt;
    std::vector<float> expectedVX, expectedVY;
};

void PrintTo(const ForceCase& c, std::ostream* out) {
    *out << c.name;
}

}  // namespace

class HelbingForces : public testing::TestWithParam<ForceCase> {};

TEST_P(HelbingForces, OneStepGivesTheHandComputedVelocities) {
    const ForceCase& c = GetParam();
    SimulationHelbing simulation;
    for (const std::vector<float>& wall : c.walls) {
        simulation.addObstacle({wall[0], wall[1], wall[2], wall[3]});
    }
    placeWalkers(simulation, c.walkers);
    simulation.step(c.dt);
    for (size_t i = 0; i < c.walkers.size(); ++i) {
        EXPECT_NEAR(simulation.currentVX()[i], c.expectedVX[i], 1e-5f) << "agent " << i;
        EXPECT_NEAR(simulation.currentVY()[i], c.expectedVY[i], 1e-5f) << "agent " << i;
    }
}

// Expected values, by hand (mass 80 kg, so Δv = F / 80 × dt):
// alone: v + 2 dt (u − v). Turning: v = (1, 0), u = (0, 1.6), dt = 0.1 gives (0.8, 0.32).
// Arriving: goal 0.5 m along −y gives u = (0, −0.5); v = (0, −1), dt = 0.25: −1 + 0.5 × 0.5.
//
// justTouching: radii 0.2, centres 0.4 apart, so overlap 0 and exp(0) = 1: agent 0 gets
// 2000 × Δ = 2000 × (−0.4, 0) = (−800, 0) N only, Δv = (−10, 0) × 0.01. Agent 1 moves at
// (0, 1) but wants to stand: (800, −160) N, so (0.1, 1 − 0.02).
//
// overlapping pair: centres 0.3 apart, overlap 0.1. Repulsion 2000 e^(0.1/0.08) × 0.3 =
// 2094.2058 N and body 120000 × 0.1 × 0.3 = 3600 N along Δ, 5694.2058 N in all. Agent 1 moves
// at (0, 1): for agent 0, T = (Δy, −Δx) = (0, 0.3), w = (v1 − v0) · T = 0.3, friction
// 240000 × 0.1 × (0.3 / 0.3) × T = (0, 7200): Δv = (−5694.2058, 7200) / 80 × 0.001 =
// (−0.0711776, 0.09). For agent 1, (0, −0.3) points against its velocity, so T = (0, 0.3),
// w = −0.3, friction (0, −7200), plus its drive (0, −160): (0.0711776, 1 − 0.092).
//
// sameVelocity: the same pair both moving at (0, 1): w = 0, no friction; each gets only its
// drive (0, −160) besides the push: (∓0.0711776, 1 − 0.002).
//
// wallContact: radius 0.5, wall at y = 0.3, so d = 0.3, n = (0, −1). Repulsion
// 2000 e^(0.2/0.08) = 24364.988 N and body 120000 × 0.2 = 24000 N along n. v = (1, 0) points
// against (n.y, −n.x) = (−1, 0), so T = (1, 0) and friction −240000 × 0.2 × 1 × T =
// (−48000, 0); drive (−160, 0). Δv = (−48160, −48364.988) / 80 × 1e-4 = (−0.0602, −0.0604562).
//
// wallInReachNoContact: d = 0.6 between r and r√2: repulsion 2000 e^(−0.1/0.08) = 573.0096 N
// only: (0, −573.0096) / 80 × 0.01 = (0, −0.0716262).
//
// wallOutOfReach: d = 0.71 > 0.5 × √2; its repulsion would be 2000 e^(−0.21/0.08) = 144.9 N, but
// it is not in the list: only the relaxation of v = (0, 1) to u = 0, 1 − 2 × 0.1.
INSTANTIATE_TEST_SUITE_P(
    Scenes, HelbingForces,
    testing::Values(ForceCase{"aloneTurning", {{0, 0, 1, 0, 0, 50}}, {}, 0.1f, {0.8f}, {0.32f}},
                    ForceCase{"aloneArriving", {{0, 0, 0, -1, 0, -0.5f}}, {}, 0.25f, {0}, {-0.75f}},
                    ForceCase{"justTouching",
                              {{0, 0, 0, 0, 0, 0}, {0.4f, 0, 0, 1, 0.4f, 0}},
                              {},
                              0.01f,
                              {-0.1f, 0.1f},
                              {0, 0.98f}},
                    ForceCase{"overlappingPair",
                              {{0, 0, 0, 0, 0, 0}, {0.3f, 0, 0, 1, 0.3f, 0}},
                              {},
                              0.001f,
                              {-0.0711776f, 0.0711776f},
                              {0.09f, 0.908f}},
                    ForceCase{"sameVelocity",
                              {{0, 0, 0, 1, 0, 0}, {0.3f, 0, 0, 1, 0.3f, 0}},
                              {},
                              0.001f,
                              {-0.0711776f, 0.0711776f},
                              {0.998f, 0.998f}},
                    ForceCase{"wallContact",
                              {{0, 0, 1, 0, 0, 0, 0.5f}},
                              {{-1, 0.3f, 1, 0.3f}},
                              1e-4f,
                              {0.9398f},
                              {-0.0604562f}},
                    ForceCase{"wallInReachNoContact",
                              {{0, 0, 0, 0, 0, 0, 0.5f}},
                              {{-1, 0.6f, 1, 0.6f}},
                              0.01f,
                              {0},
                              {-0.0716262f}},
                    ForceCase{"wallOutOfReach",
                              {{0, 0, 0, 1, 0, 0, 0.5f}},
                              {{-1, 0.71f, 1, 0.71f}},
                              0.1f,
                              {0},
                              {0.8f}}),
    [](const testing::TestParamInfo<ForceCase>& info) { return std::string(info.param.name); });

TEST(HelbingDegenerate, TwoAgentsAtOnePositionFeelOnlyTheirDrive) {
    // No direction between them: no force either way, so each relaxes alone, v (1 − 2 dt) with
    // u = 0 and dt = 0.1: (0.8, 0) and (0, 0.8).
    SimulationHelbing simulation;
    placeWalkers(simulation, {{1, 1, 1, 0, 1, 1}, {1, 1, 0, 1, 1, 1}});
    simulation.step(0.1f);
    EXPECT_NEAR(simulation.currentVX()[0], 0.8f, 1e-6f);
    EXPECT_EQ(simulation.currentVY()[0], 0.0f);
    EXPECT_EQ(simulation.currentVX()[1], 0.0f);
    EXPECT_NEAR(simulation.currentVY()[1], 0.8f, 1e-6f);
    // Apart after that step, they push each other as usual and stay finite.
    for (int k = 0; k < 50; ++k) {
        simulation.step(0.1f);
        ASSERT_TRUE(stateIsFinite(simulation)) << "step " << k;
    }
}

TEST(HelbingDegenerate, ACentreOnAWallFeelsNoForceFromIt) {
    // d = 0 leaves the normal undefined; the segment is in the list but exerts nothing: alone
    // with v = (1, 0) and u = 0, 1 − 2 × 0.1. Agent 1 (radius 0.5, far from agent 0) has a
    // zero-length segment 0.6 m to its left, which pushes it along +x with
    // 2000 e^(−0.1/0.08) = 573.0096 N: 1 + (−160 + 573.0096) / 80 × 0.1 = 1.516262.
    SimulationHelbing simulation;
    simulation.addObstacle({-1, 0, 1, 0});
    simulation.addObstacle({19.4f, 0, 19.4f, 0});
    placeWalkers(simulation, {{0, 0, 1, 0, 0, 0, 0.4f}, {20, 0, 1, 0, 20, 0, 0.5f}});
    simulation.step(0.1f);
    EXPECT_EQ(simulation.engine().agent(0).obstacleCount, 1);
    EXPECT_NEAR(simulation.currentVX()[0], 0.8f, 1e-6f);
    EXPECT_EQ(simulation.currentVY()[0], 0.0f);
    EXPECT_NEAR(simulation.currentVX()[1], 1.516262f, 1e-5f);
    EXPECT_EQ(simulation.currentVY()[1], 0.0f);
    EXPECT_TRUE(stateIsFinite(simulation));
}

TEST(HelbingDegenerate, AnOverflowingRepulsionStillPushesApartAtTheSpeedLimit) {
    // Radii of 10 m (a hand-edited parameter file) 1 m apart: the repulsion
    // 2000 e^(19 / 0.08) overflows a float. The agents still move apart along the line joining
    // them, at the 2.5 m/s limit, and nothing becomes NaN.
    SimulationHelbing simulation;
    placeWalkers(simulation, {{0, 0, 0, 0, 0, 0, 10.0f}, {1, 0, 0, 0, 1, 0, 10.0f}});
    simulation.step(0.1f);
    EXPECT_TRUE(stateIsFinite(simulation));
    EXPECT_FLOAT_EQ(simulation.currentVX()[0], -2.5f);
    EXPECT_FLOAT_EQ(simulation.currentVX()[1], 2.5f);
    EXPECT_EQ(simulation.currentVY()[0], 0.0f);
}

TEST(HelbingForces, TermsEnterTheForceInTheirWrittenOrder) {
    // An overlapping pair whose velocity differs in the last bits depending on whether the
    // neighbour's terms are added to the force one after another (F += repulsion, then
    // F += body + friction) or as one subtotal. The expected value is the model's formula for
    // agent 0, transcribed step by step in float.
    const CrowdWalker me{0, 0, 0.99f, 0.89f, 0, 0};
    const CrowdWalker other{0.122f, 0.082f, -0.76f, -0.63f, 0.122f, 0.082f};
    const float dt = 0.01f;

    const float dx = me.x - other.x, dy = me.y - other.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float overlap = 0.2f + 0.2f - d;
    const float repulsion = 2000.0f * std::exp(overlap / 0.08f);
    float tx = dy, ty = -dx;
    if (me.vx * tx + me.vy * ty < 0.0f) {
        tx = -tx;
        ty = -ty;
    }
    const float w = (other.vx - me.vx) * tx + (other.vy - me.vy) * ty;
    const float body = 120000.0f * overlap;
    const float friction = 240000.0f * overlap * (w / d);
    const float driveX = (0.0f - me.vx) * 160.0f, driveY = (0.0f - me.vy) * 160.0f;
    const float inOrderX = (driveX + dx * repulsion) + (dx * body + tx * friction);
    const float inOrderY = (driveY + dy * repulsion) + (dy * body + ty * friction);
    const float subtotalX = driveX + (dx * repulsion + (dx * body + tx * friction));
    const float perMass = 1.0f / 80.0f;  // the vector division multiplies by the reciprocal
    const float expectedX = me.vx + inOrderX * perMass * dt;
    const float expectedY = me.vy + inOrderY * perMass * dt;
    ASSERT_NE(expectedX, me.vx + subtotalX * perMass * dt) << "the case must tell the orders apart";

    SimulationHelbing simulation;
    placeWalkers(simulation, {me, other});
    simulation.step(dt);
    EXPECT_EQ(simulation.currentVX()[0], expectedX);
    EXPECT_EQ(simulation.currentVY()[0], expectedY);
}
