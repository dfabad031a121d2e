#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/Vec2.h"
#include "models/orca/HalfPlane.h"
#include "models/orca/LinearPrograms.h"
#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/OrcaEngine.h"

// Velocity choice and stepping: the half-planes built for agents and obstacle edges, the
// degenerate placements that the formulas leave open, and whole walks that must stay free of
// collisions.

#include "tests/support/OrcaSettings.h"

namespace {

// Points each agent at its goal at up to its max speed, as the RVO2 model does.
void headForGoals(OrcaEngine& engine, const std::vector<Vec2>& goals) {
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        const Vec2 toGoal = goals[i] - engine.position(i);
        const float speed = engine.agent(i).maxSpeed();
        engine.setPreferredVelocity(i, toGoal.limitedTo(speed));
    }
}

bool finite(const Vec2& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

void expectNear(const Vec2& actual, const Vec2& expected, float tolerance,
                const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
}

// Smallest distance between the centres of two agents (m).
float closestPair(const OrcaEngine& engine) {
    float closest = INFINITY;
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        for (std::size_t j = i + 1; j < engine.agentCount(); ++j) {
            closest = std::min(closest, (engine.position(i) - engine.position(j)).length());
        }
    }
    return closest;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Half-planes of one velocity choice

TEST(OrcaVelocity, WithoutNeighboursThePreferredVelocityIsTakenUpToMaxSpeed) {
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2());
    engine.spawnAgent(Vec2(100.0f, 0.0f));
    engine.setPreferredVelocity(0, Vec2(0.6f, -0.8f));
    engine.setPreferredVelocity(1, Vec2(3.0f, 4.0f));
    engine.setTimeStep(0.5f);
    engine.advance();
    EXPECT_TRUE(engine.agent(0).halfPlanes().empty());
    EXPECT_EQ(engine.velocity(0), Vec2(0.6f, -0.8f));
    EXPECT_EQ(engine.position(0), Vec2(0.3f, -0.4f));
    // (3, 4) is 5 m/s long: shortened to 1.6 m/s it is (0.96, 1.28).
    expectNear(engine.velocity(1), Vec2(0.96f, 1.28f), 1e-6f, "shortened");
}

TEST(OrcaVelocity, TwoAgentsOnACollisionCourseGetMirroredHalfPlanes) {
    // A at (0, 0) walks at (1, 0) towards B at (4, 0) walking at (−1, 0); radii 0.5 (ρ = 1),
    // agent horizon 2 s. For A: p = (4, 0), v = (2, 0), w = v − p / 2 = (0, 0), so the
    // relative velocity is nearest a leg; leg = √(16 − 1) = √15 and det(p, w) = 0 picks the
    // right leg: direction = −(4√15, −4) / 16 = (−√15/4, 1/4); v·direction = −√15/2;
    // u = (v·direction) direction − v = (15/8 − 2, −√15/8) = (−1/8, −√15/8);
    // point = (1, 0) + u / 2 = (0.9375, −√15/16). B's is the mirror image through (2, 0).
    OrcaEngine engine;
    Settings s;
    s.radius = 0.5f;
    s.agentHorizon = 2.0f;
    s.maxSpeed = 2.0f;
    configure(engine, s);
    engine.spawnAgent(Vec2(0.0f, 0.0f));
    engine.spawnAgent(Vec2(4.0f, 0.0f));
    engine.setVelocity(0, Vec2(1.0f, 0.0f));
    engine.setVelocity(1, Vec2(-1.0f, 0.0f));
    engine.setPreferredVelocity(0, Vec2(1.0f, 0.0f));
    engine.setPreferredVelocity(1, Vec2(-1.0f, 0.0f));
    engine.setTimeStep(0.1f);
    engine.advance();

    const float rootFifteen = std::sqrt(15.0f);
    const auto& a = engine.agent(0).halfPlanes();
    const auto& b = engine.agent(1).halfPlanes();
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    expectNear(a[0].point, Vec2(0.9375f, -rootFifteen / 16.0f), 1e-6f, "A point");
    expectNear(a[0].direction, Vec2(-rootFifteen / 4.0f, 0.25f), 1e-6f, "A direction");
    expectNear(b[0].point, Vec2(-0.9375f, rootFifteen / 16.0f), 1e-6f, "B point");
    expectNear(b[0].direction, Vec2(rootFifteen / 4.0f, -0.25f), 1e-6f, "B direction");
    // Each takes half: the two points lie u/2 and −u/2 from the agents' own velocities.
    expectNear(a[0].point - Vec2(1.0f, 0.0f), -(b[0].point - Vec2(-1.0f, 0.0f)), 1e-6f, "halves");
    // Both swerve to their right, A towards −y, B towards +y.
    EXPECT_LT(engine.velocity(0).y, 0.0f);
    EXPECT_GT(engine.velocity(1).y, 0.0f);
}

TEST(OrcaVelocity, OverlappingAgentsUseTheTimeStepNotTheirHorizon) {
    // A at (0, 0) and B at (0.6, 0), radii 0.5 (ρ = 1), both still, time step 0.1 s (1/dt =
    // 10). The cut-off circle has centre p / dt = (6, 0) and radius ρ / dt = 10. For A:
    // w = −(6, 0), ℓ = 6, ŵ = (−1, 0), direction (ŵ.y, −ŵ.x) = (0, 1),
    // u = (10 − 6) ŵ = (−4, 0), point u / 2 = (−2, 0). An agent horizon of 5 s would have
    // given a circle of radius 0.2 about (0.12, 0) instead.
    OrcaEngine engine;
    Settings s;
    s.radius = 0.5f;
    s.maxSpeed = 3.0f;
    configure(engine, s);
    engine.spawnAgent(Vec2(0.0f, 0.0f));
    engine.spawnAgent(Vec2(0.6f, 0.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    const auto& a = engine.agent(0).halfPlanes();
    const auto& b = engine.agent(1).halfPlanes();
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    expectNear(a[0].point, Vec2(-2.0f, 0.0f), 1e-5f, "A point");
    expectNear(a[0].direction, Vec2(0.0f, 1.0f), 1e-6f, "A direction");
    expectNear(b[0].point, Vec2(2.0f, 0.0f), 1e-5f, "B point");
    expectNear(b[0].direction, Vec2(0.0f, -1.0f), 1e-6f, "B direction");
    // A backs off at 2 m/s, B the other way: the overlap of 0.4 m is gone after one step.
    expectNear(engine.velocity(0), Vec2(-2.0f, 0.0f), 1e-5f, "A velocity");
    expectNear(engine.velocity(1), Vec2(2.0f, 0.0f), 1e-5f, "B velocity");
}

TEST(OrcaVelocity, EveryNeighbourOfAListGetsItsHalfPlaneWhateverItsPlaceInTheList) {
    // Agent 0 at the origin walking at (0.5, 0) among neighbours of every kind, radii 0.25
    // (ρ = 0.5), horizon 5 s (1/τ = 0.2), time step 0.25 s. Each plane is checked against the
    // construction worked out here in double precision, for lists of one to seven neighbours,
    // so that every place in the list and every length of its tail is met.
    struct Neighbour {
        Vec2 position, velocity;
        const char* kind;
    };
    const std::vector<Neighbour> table = {
        {{0.3f, 0.1f}, {0.0f, 0.0f}, "overlapping"},
        {{2.0f, 0.0f}, {0.4f, 0.0f}, "cut-off circle"},      // w = (−0.3, 0), w·p < 0
        {{3.0f, 1.0f}, {-0.7f, 0.0f}, "left leg"},           // det(p, w) > 0
        {{3.0f, -1.0f}, {-0.7f, 0.0f}, "right leg"},         // det(p, w) < 0
        {{0.0f, 0.0f}, {0.5f, 0.0f}, "on the spot, alike"},  // w = 0: the fixed axis
        {{-4.0f, 2.0f}, {1.0f, -0.5f}, "closing from behind"},
        {{1.0f, 4.0f}, {0.0f, -1.2f}, "crossing"},
    };
    const double rho = 0.5, g = 0.2, inverseStep = 4.0;
    const auto expected = [&](const Neighbour& n, std::size_t index, Vec2& point, Vec2& dir) {
        const double px = n.position.x, py = n.position.y;
        const double vx = 0.5 - n.velocity.x, vy = 0.0 - n.velocity.y;
        const double d = px * px + py * py;
        double ux = 0.0, uy = 0.0, dx = 0.0, dy = 0.0;
        const auto circle = [&](double s) {
            const double wx = vx - s * px, wy = vy - s * py, l = std::hypot(wx, wy);
            const double ex = l > 0.0 ? wx / l : (0 < index ? 1.0 : -1.0);
            const double ey = l > 0.0 ? wy / l : 0.0;
            dx = ey;
            dy = -ex;
            ux = (rho * s - l) * ex;
            uy = (rho * s - l) * ey;
        };
        const double wx = vx - g * px, wy = vy - g * py, q = wx * px + wy * py;
        if (d <= rho * rho) {
            circle(inverseStep);
        } else if (q < 0.0 && q * q > rho * rho * (wx * wx + wy * wy)) {
            circle(g);
        } else {
            const double leg = std::sqrt(d - rho * rho);
            const bool left = px * wy - py * wx > 0.0;
            dx = left ? (px * leg - py * rho) / d : -(px * leg + py * rho) / d;
            dy = left ? (px * rho + py * leg) / d : -(-px * rho + py * leg) / d;
            const double along = vx * dx + vy * dy;
            ux = along * dx - vx;
            uy = along * dy - vy;
        }
        point = Vec2(static_cast<float>(0.5 + ux / 2), static_cast<float>(uy / 2));
        dir = Vec2(static_cast<float>(dx), static_cast<float>(dy));
    };
    for (std::size_t count = 1; count <= table.size(); ++count) {
        OrcaEngine engine;
        configure(engine);
        engine.setTimeStep(0.25f);
        engine.spawnAgent(Vec2());
        engine.setVelocity(0, Vec2(0.5f, 0.0f));
        for (std::size_t i = 0; i < count; ++i) {
            engine.spawnAgent(table[i].position);
            engine.setVelocity(i + 1, table[i].velocity);
        }
        engine.advance();
        const OrcaAgent& agent = engine.agent(0);
        ASSERT_EQ(agent.halfPlanes().size(), count);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t index = agent.agentNeighbours()[k].second->index();
            const Neighbour& n = table[index - 1];
            Vec2 point, direction;
            expected(n, index, point, direction);
            const std::string what = std::string(n.kind) + " of " + std::to_string(count);
            expectNear(agent.halfPlanes()[k].point, point, 1e-4f, what);
            expectNear(agent.halfPlanes()[k].direction, direction, 1e-5f, what);
        }
    }
}

TEST(OrcaVelocity, TouchingAConvexCornerForbidsEveryVelocityTowardsIt) {
    // A unit square, counter-clockwise, and an agent of radius 0.3 at (−0.2, −0.2), 0.283 m
    // from the corner (0, 0). Edge (0,0)→(1,0): r1 = (0.2, 0.2), s = −0.2 < 0 and
    // |r1|² = 0.08 ≤ 0.09, so the half-plane is point (0, 0), direction
    // normalise(−0.2, 0.2) = (−1/√2, 1/√2): it admits v.x + v.y ≤ 0. The edge (0,1)→(0,0)
    // ends at the same corner with det(r2, (1, 0)) = −0.2 < 0 and adds nothing.
    OrcaEngine engine;
    Settings s;
    s.radius = 0.3f;
    s.obstacleHorizon = 2.0f;
    s.maxSpeed = 2.0f;
    configure(engine, s);
    engine.addPolygon({Vec2(0, 0), Vec2(1, 0), Vec2(1, 1), Vec2(0, 1)});
    engine.indexObstacles();
    engine.spawnAgent(Vec2(-0.2f, -0.2f));
    engine.setPreferredVelocity(0, Vec2(1.0f, 1.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    const OrcaAgent& agent = engine.agent(0);
    EXPECT_EQ(agent.obstacleNeighbours().size(), 2u);
    ASSERT_EQ(agent.halfPlanes().size(), 1u);
    EXPECT_EQ(agent.obstaclePlaneCount(), 1u);
    expectNear(agent.halfPlanes()[0].point, Vec2(), 0.0f, "point");
    const float h = 1.0f / std::sqrt(2.0f);
    expectNear(agent.halfPlanes()[0].direction, Vec2(-h, h), 1e-6f, "direction");
    // The nearest admitted velocity to (1, 1) is its projection on v.x + v.y = 0: (0, 0).
    expectNear(engine.velocity(0), Vec2(), 1e-6f, "velocity");
}

TEST(OrcaVelocity, AnEdgeBehindAnEarlierHalfPlaneAddsNone) {
    // Agent at the origin, still, radius 0.25, obstacle horizon 2 s (h = 1/2). Segment A from
    // (−5, 1) to (5, 1) is nearest; with the velocity in the middle of its cut-off line
    // (t = 0.5, both legs behind) it gives direction −(1, 0) through
    // (−2.5, 0.5) + 0.25 · 0.5 · (0, −1) = (−2.5, 0.375): v.y ≤ 0.375. Segment B from (−1, 2)
    // to (1, 2) lies behind it: for both ends det(h r − point, (−1, 0)) − h · radius =
    // 0.625 − 0.125 ≥ 0, so B adds nothing.
    OrcaEngine engine;
    Settings s;
    s.obstacleHorizon = 2.0f;
    s.maxSpeed = 2.0f;
    configure(engine, s);
    engine.addPolygon({Vec2(-5.0f, 1.0f), Vec2(5.0f, 1.0f)});
    engine.addPolygon({Vec2(-1.0f, 2.0f), Vec2(1.0f, 2.0f)});
    engine.indexObstacles();
    engine.spawnAgent(Vec2());
    engine.setPreferredVelocity(0, Vec2(0.0f, 1.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    const OrcaAgent& agent = engine.agent(0);
    EXPECT_EQ(agent.obstacleNeighbours().size(), 2u);
    ASSERT_EQ(agent.halfPlanes().size(), 1u);
    expectNear(agent.halfPlanes()[0].point, Vec2(-2.5f, 0.375f), 1e-6f, "point");
    expectNear(agent.halfPlanes()[0].direction, Vec2(-1.0f, 0.0f), 0.0f, "direction");
    expectNear(engine.velocity(0), Vec2(0.0f, 0.375f), 1e-6f, "velocity");
}

namespace {

struct ForeignLeg {
    const char* name;
    std::vector<Vec2> polygon;
    Vec2 position, velocity;
    HalfPlane expected;
};

void PrintTo(const ForeignLeg& c, std::ostream* out) {
    *out << c.name;
}

class OrcaForeignLeg : public testing::TestWithParam<ForeignLeg> {};

}  // namespace

TEST_P(OrcaForeignLeg, ALegIntoTheNeighbouringEdgeIsLeftToThatEdge) {
    // A convex corner B = (0, 0) between edge AB, rising to the left at slope −1/2, and edge
    // BC along the x axis (and the mirror image). The agent at (−2, −2) faces both; AB is
    // nearer (7.2 m² against 8 m²). Seen from the agent, AB's right leg at B points into BC,
    // and with the velocity (1, −2) that leg is the nearest part of AB's obstacle: AB adds
    // no half-plane. BC then adds its cut-off line: centre h (B − position) = (1, 1) with
    // h = 1/2, direction −(1, 0), point (1, 1) + 0.25 · 0.5 · (0, −1) = (1, 0.875).
    // (Worked through the construction step by step in a scratch script.)
    const ForeignLeg& c = GetParam();
    OrcaEngine engine;
    Settings s;
    s.obstacleHorizon = 2.0f;
    configure(engine, s);
    engine.addPolygon(c.polygon);
    engine.indexObstacles();
    engine.spawnAgent(c.position);
    engine.setVelocity(0, c.velocity);
    engine.setTimeStep(0.1f);
    engine.advance();
    const OrcaAgent& agent = engine.agent(0);
    ASSERT_EQ(agent.obstacleNeighbours().size(), 2u);
    ASSERT_EQ(agent.halfPlanes().size(), 1u);
    expectNear(agent.halfPlanes()[0].point, c.expected.point, 1e-6f, "point");
    expectNear(agent.halfPlanes()[0].direction, c.expected.direction, 1e-6f, "direction");
}

INSTANTIATE_TEST_SUITE_P(
    Orca, OrcaForeignLeg,
    testing::Values(ForeignLeg{"RightLeg",
                               {Vec2(-4, 2), Vec2(0, 0), Vec2(4, 0), Vec2(4, 4)},
                               Vec2(-2, -2),
                               Vec2(1, -2),
                               {Vec2(1.0f, 0.875f), Vec2(-1, 0)}},
                    // Mirrored in x (and listed the other way round to stay
                    // counter-clockwise): the same leg is now a left one; BC's mirror
                    // image gives centre (−3, 1) and point (−3, 0.875).
                    ForeignLeg{"LeftLeg",
                               {Vec2(-4, 4), Vec2(-4, 0), Vec2(0, 0), Vec2(4, 2)},
                               Vec2(2, -2),
                               Vec2(-1, -2),
                               {Vec2(-3.0f, 0.875f), Vec2(-1, 0)}}),
    [](const testing::TestParamInfo<ForeignLeg>& info) { return std::string(info.param.name); });

TEST(OrcaVelocity, ConflictingAgentsNeverOverruleAnObstacle) {
    // Agent 0 under a wall at y = 0.6, squeezed by three overlapping agents from below, left
    // and right: they push it up at about 1 m/s and sideways both ways, which no velocity
    // satisfies. The wall's half-plane must hold all the same.
    OrcaEngine engine;
    Settings s;
    s.obstacleHorizon = 1.0f;
    configure(engine, s);
    engine.addPolygon({Vec2(-5.0f, 0.6f), Vec2(5.0f, 0.6f)});
    engine.indexObstacles();
    engine.spawnAgent(Vec2(0.0f, 0.0f));
    engine.spawnAgent(Vec2(0.0f, -0.3f));
    engine.spawnAgent(Vec2(-0.3f, 0.0f));
    engine.spawnAgent(Vec2(0.3f, 0.0f));
    engine.setPreferredVelocity(0, Vec2(0.0f, 1.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    const OrcaAgent& agent = engine.agent(0);
    const std::vector<HalfPlane>& planes = agent.halfPlanes();
    ASSERT_EQ(agent.obstaclePlaneCount(), 1u);
    ASSERT_EQ(planes.size(), 4u);
    Vec2 ignored;
    ASSERT_LT(solveInDisc(planes, agent.maxSpeed(), agent.preferredVelocity(), false, ignored),
              planes.size());
    EXPECT_LE(planes[0].violation(agent.newVelocity()), 1e-5f);
    EXPECT_LE(agent.newVelocity().length(), agent.maxSpeed() + 1e-5f);
}

TEST(OrcaVelocity, WithoutRoomForNeighboursOnlyObstaclesAreAvoided) {
    OrcaEngine engine;
    Settings s;
    s.maxNeighbours = 0;
    configure(engine, s);
    engine.addPolygon({Vec2(-5.0f, 1.0f), Vec2(5.0f, 1.0f)});
    engine.indexObstacles();
    engine.spawnAgent(Vec2(0.0f, 0.0f));
    engine.spawnAgent(Vec2(0.3f, 0.0f));  // overlapping, and ignored
    engine.setPreferredVelocity(0, Vec2(0.0f, 1.6f));
    engine.setTimeStep(0.1f);
    engine.advance();
    EXPECT_TRUE(engine.agent(0).agentNeighbours().empty());
    EXPECT_EQ(engine.agent(0).halfPlanes().size(), 1u);
    EXPECT_EQ(engine.agent(0).obstaclePlaneCount(), 1u);
    EXPECT_LT(engine.velocity(0).y, 1.6f);
    EXPECT_EQ(engine.velocity(1), Vec2());
}

TEST(OrcaVelocity, EveryAgentDecidesFromTheStateBeforeTheStep) {
    // The same three walkers spawned in two orders end up in the same places.
    const std::vector<Vec2> starts = {Vec2(0, 0), Vec2(3, 0.2f), Vec2(1.5f, 2)};
    const std::vector<Vec2> goals = {Vec2(4, 0), Vec2(-1, 0), Vec2(1.5f, -3)};
    OrcaEngine forward;
    OrcaEngine backward;
    configure(forward);
    configure(backward);
    for (std::size_t i = 0; i < 3; ++i) {
        forward.spawnAgent(starts[i]);
        backward.spawnAgent(starts[2 - i]);
    }
    const std::vector<Vec2> backwardGoals(goals.rbegin(), goals.rend());
    forward.setTimeStep(0.1f);
    backward.setTimeStep(0.1f);
    for (int k = 0; k < 40; ++k) {
        headForGoals(forward, goals);
        headForGoals(backward, backwardGoals);
        forward.advance();
        backward.advance();
        for (std::size_t i = 0; i < 3; ++i) {
            expectNear(forward.position(i), backward.position(2 - i), 1e-5f,
                       "step " + std::to_string(k));
        }
    }
}

namespace {

// Earliest time (s) at which B, at p relative to A and moving at v relative to it, comes
// within rho of A; infinity when it never does.
double firstContact(const Vec2& p, const Vec2& v, double rho) {
    const double a = v.dot(v);
    const double b = 2.0 * p.dot(v);
    const double c = p.dot(p) - rho * rho;
    const double discriminant = b * b - 4.0 * a * c;
    if (a == 0.0 || discriminant < 0.0) {
        return INFINITY;
    }
    const double t = (-b - std::sqrt(discriminant)) / (2.0 * a);
    return t >= 0.0 ? t : INFINITY;
}

}  // namespace

TEST(OrcaVelocity, VelocitiesBothHalfPlanesAdmitDoNotCollideWithinTheHorizon) {
    // The reciprocal guarantee: for two apart agents, any velocity A's half-plane admits and
    // any velocity B's admits keep them apart for the agent horizon. Random pairs, random
    // current velocities, random candidate velocities.
    std::mt19937 random(4242);
    std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
    std::uniform_real_distribution<float> speed(-1.5f, 1.5f);
    const float horizon = 3.0f;
    int checked = 0;
    for (int pair = 0; pair < 500; ++pair) {
        const Vec2 a(coordinate(random), coordinate(random));
        const Vec2 b(coordinate(random), coordinate(random));
        if ((a - b).length() < 0.6f) {
            continue;
        }
        OrcaEngine engine;
        Settings s;
        s.agentHorizon = horizon;
        s.maxSpeed = 10.0f;
        configure(engine, s);
        engine.spawnAgent(a);
        engine.spawnAgent(b);
        engine.setVelocity(0, Vec2(speed(random), speed(random)));
        engine.setVelocity(1, Vec2(speed(random), speed(random)));
        engine.setTimeStep(0.1f);
        engine.advance();
        ASSERT_EQ(engine.agent(0).halfPlanes().size(), 1u);
        const HalfPlane forA = engine.agent(0).halfPlanes()[0];
        const HalfPlane forB = engine.agent(1).halfPlanes()[0];
        for (int trial = 0; trial < 100; ++trial) {
            const Vec2 va(coordinate(random), coordinate(random));
            const Vec2 vb(coordinate(random), coordinate(random));
            if (forA.violation(va) > 0.0f || forB.violation(vb) > 0.0f) {
                continue;
            }
            ++checked;
            EXPECT_GE(firstContact(b - a, vb - va, 0.5), horizon - 1e-3) << "pair " << pair;
        }
    }
    EXPECT_GT(checked, 5000);
}

// ---------------------------------------------------------------------------------------------
// Degenerate placements

namespace {

struct Placement {
    const char* name;
    std::function<void(OrcaEngine&)> build;
    float timeStep;
};

void PrintTo(const Placement& p, std::ostream* out) {
    *out << p.name;
}

class DegeneratePlacement : public testing::TestWithParam<Placement> {};

void spawn(OrcaEngine& engine, const Vec2& position, const Vec2& velocity, const Vec2& wish) {
    const int index = engine.spawnAgent(position);
    engine.setVelocity(static_cast<std::size_t>(index), velocity);
    engine.setPreferredVelocity(static_cast<std::size_t>(index), wish);
}

}  // namespace

TEST_P(DegeneratePlacement, NeverPutsNaNOrInfinityIntoAVelocity) {
    OrcaEngine engine;
    configure(engine);
    GetParam().build(engine);
    engine.indexObstacles();
    engine.setTimeStep(GetParam().timeStep);
    for (int k = 0; k < 20; ++k) {
        engine.advance();
        for (std::size_t i = 0; i < engine.agentCount(); ++i) {
            ASSERT_TRUE(finite(engine.velocity(i))) << "agent " << i << ", step " << k;
            ASSERT_TRUE(finite(engine.position(i))) << "agent " << i << ", step " << k;
            // A constraint that is not a number would be ignored silently by the solver.
            for (const HalfPlane& plane : engine.agent(i).halfPlanes()) {
                ASSERT_TRUE(finite(plane.point) && finite(plane.direction))
                    << "agent " << i << ", step " << k;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orca, DegeneratePlacement,
    testing::Values(
        Placement{"TwoAgentsOnOneSpotStill",
                  [](OrcaEngine& e) {
                      spawn(e, Vec2(1, 1), Vec2(), Vec2());
                      spawn(e, Vec2(1, 1), Vec2(), Vec2());
                  },
                  0.1f},
        Placement{"TwoAgentsOnOneSpotMovingAlike",
                  [](OrcaEngine& e) {
                      spawn(e, Vec2(1, 1), Vec2(0.7f, 0.2f), Vec2(0.7f, 0.2f));
                      spawn(e, Vec2(1, 1), Vec2(0.7f, 0.2f), Vec2(0.7f, 0.2f));
                  },
                  0.1f},
        Placement{"ThreeAgentsOnOneSpot",
                  [](OrcaEngine& e) {
                      for (int i = 0; i < 3; ++i) {
                          spawn(e, Vec2(), Vec2(), Vec2(1, 0));
                      }
                  },
                  0.1f},
        Placement{"OverlapWithAZeroTimeStep",
                  [](OrcaEngine& e) {
                      spawn(e, Vec2(0, 0), Vec2(), Vec2(1, 0));
                      spawn(e, Vec2(0.1f, 0), Vec2(), Vec2(-1, 0));
                  },
                  0.0f},
        Placement{"AgentOnACornerOfASquare",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(0, 0), Vec2(1, 0), Vec2(1, 1), Vec2(0, 1)});
                      spawn(e, Vec2(1, 0), Vec2(), Vec2(1, 1));
                  },
                  0.1f},
        Placement{"AgentOnAWall",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(0, 0), Vec2(4, 0)});
                      spawn(e, Vec2(2, 0), Vec2(), Vec2(0, 1));
                  },
                  0.1f},
        Placement{"AgentLevelWithTheEndOfAWall",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(0, 0), Vec2(1, 0)});
                      spawn(e, Vec2(0, 0.1f), Vec2(), Vec2(0, -1));
                  },
                  0.1f},
        Placement{"ZeroLengthSegmentAhead",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(2, 0), Vec2(2, 0)});
                      spawn(e, Vec2(0, 0), Vec2(1, 0), Vec2(1.6f, 0));
                  },
                  0.1f},
        Placement{"RepeatedPolygonCorner",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(0, 0), Vec2(2, 0), Vec2(2, 0), Vec2(2, 2), Vec2(0, 2)});
                      spawn(e, Vec2(3, -1), Vec2(), Vec2(-1.1f, 1.1f));
                  },
                  0.1f},
        Placement{"EveryCornerOnOneSpot",
                  [](OrcaEngine& e) {
                      e.addPolygon({Vec2(1, 1), Vec2(1, 1), Vec2(1, 1)});
                      spawn(e, Vec2(0, 1), Vec2(), Vec2(1.6f, 0));
                  },
                  0.1f}),
    [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

TEST(OrcaDegenerate, TwoAgentsOnOneSpotSeparateAlongAFixedAxis) {
    // p = 0 and v = 0 give w = 0: the lower index takes +x, the other −x. The half-plane
    // asks for 0.5 · ρ / dt = 0.5 · 0.5 / 0.1 = 2.5 m/s apart each, more than 1.6 m/s allows,
    // so each goes at full speed along its axis.
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2(1.0f, 1.0f));
    engine.spawnAgent(Vec2(1.0f, 1.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    expectNear(engine.velocity(0), Vec2(1.6f, 0.0f), 1e-5f, "lower index");
    expectNear(engine.velocity(1), Vec2(-1.6f, 0.0f), 1e-5f, "higher index");
    for (int k = 0; k < 5; ++k) {
        engine.advance();
    }
    EXPECT_GE(closestPair(engine), 0.5f);
}

TEST(OrcaDegenerate, AnAgentLevelWithTheEndOfAWallCountsAsTouchingIt) {
    // Wall (0,0)–(1,0); the agent at (0, 0.1) faces the edge back, (1,0)→(0,0), with
    // r1 = (1, −0.1), e = (−1, 0), s = −r1·e / |e|² = 1 exactly and dLine = 0.01 ≤ 0.0625:
    // touching. The half-plane passes through (0, 0) along −(−1, 0) = (1, 0): v.y ≥ 0.
    OrcaEngine engine;
    configure(engine);
    engine.addPolygon({Vec2(0.0f, 0.0f), Vec2(1.0f, 0.0f)});
    engine.indexObstacles();
    engine.spawnAgent(Vec2(0.0f, 0.1f));
    engine.setPreferredVelocity(0, Vec2(0.3f, -1.0f));
    engine.setTimeStep(0.1f);
    engine.advance();
    const OrcaAgent& agent = engine.agent(0);
    ASSERT_EQ(agent.halfPlanes().size(), 1u);
    expectNear(agent.halfPlanes()[0].point, Vec2(), 0.0f, "point");
    expectNear(agent.halfPlanes()[0].direction, Vec2(1.0f, 0.0f), 0.0f, "direction");
    // Nearest to (0.3, −1) with v.y ≥ 0: (0.3, 0).
    expectNear(engine.velocity(0), Vec2(0.3f, 0.0f), 1e-6f, "slides along");
}

namespace {

// A square with its corner (2, 0) twice: repeated exactly, and repeated 10^-30 m off, which
// is too short for its squared length to be a float.
const std::vector<std::vector<Vec2>> squaresWithARepeatedCorner = {
    {Vec2(0, 0), Vec2(2, 0), Vec2(2, 0), Vec2(2, 2), Vec2(0, 2)},
    {Vec2(0, 0), Vec2(2, 0), Vec2(2, 1e-30f), Vec2(2, 2), Vec2(0, 2)},
};

}  // namespace

TEST(OrcaDegenerate, ZeroLengthEdgesTakeTheDirectionOfTheNextEdge) {
    for (const auto& square : squaresWithARepeatedCorner) {
        SCOPED_TRACE(square[2].y);
        OrcaEngine engine;
        engine.addPolygon(square);
        engine.addPolygon({Vec2(5, 5), Vec2(5, 5)});
        const auto& v = engine.vertices();
        ASSERT_EQ(v.size(), 7u);
        // Vertex 1 stands for the edge to the repeat; it points on to (2, 2) as if the repeat
        // were gone, and its corner (0,0)→(2,0)→(2,2) turns left.
        EXPECT_FALSE(v[1]->hasLength());
        EXPECT_EQ(v[1]->direction, Vec2(0.0f, 1.0f));
        EXPECT_TRUE(v[1]->convex);
        EXPECT_EQ(v[0]->direction, Vec2(1.0f, 0.0f));
        EXPECT_EQ(v[2]->direction, Vec2(0.0f, 1.0f));
        EXPECT_TRUE(v[2]->convex);
        // A polygon shrunk to a point has no direction at all: a fixed one stands in.
        EXPECT_EQ(v[5]->direction, Vec2(1.0f, 0.0f));
        EXPECT_EQ(v[6]->direction, Vec2(1.0f, 0.0f));
        for (const auto& vertex : v) {
            EXPECT_TRUE(finite(vertex->direction));
        }
    }
}

namespace {

// Distance (m) from p to the box [0, 2] × [0, 2]; zero inside.
float distanceToSquare(const Vec2& p) {
    const float dx = std::max({0.0f - p.x, 0.0f, p.x - 2.0f});
    const float dy = std::max({0.0f - p.y, 0.0f, p.y - 2.0f});
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

TEST(OrcaDegenerate, ASquareWithARepeatedCornerStillBlocks) {
    for (const auto& square : squaresWithARepeatedCorner) {
        for (const Vec2& start : {Vec2(3.5f, -1.5f), Vec2(1.0f, -2.0f), Vec2(3.0f, 1.0f)}) {
            SCOPED_TRACE(square[2].y);
            OrcaEngine engine;
            configure(engine);
            engine.addPolygon(square);
            engine.indexObstacles();
            engine.spawnAgent(start);
            engine.setTimeStep(0.1f);
            // Aimed through the square at its far side.
            const std::vector<Vec2> goal = {Vec2(2.0f, 2.0f) - (start - Vec2(1.0f, 1.0f))};
            for (int k = 0; k < 200; ++k) {
                headForGoals(engine, goal);
                engine.advance();
                ASSERT_GE(distanceToSquare(engine.position(0)), 0.25f - 1e-3f) << "step " << k;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Walks

TEST(OrcaWalk, TwoAgentsHeadOnPassWithoutTouching) {
    // Any offset between the two lines of walking breaks the tie: each swerves to its right.
    for (const float offset : {0.01f, 0.05f, -0.3f}) {
        OrcaEngine engine;
        configure(engine);
        engine.spawnAgent(Vec2(-5.0f, 0.0f));
        engine.spawnAgent(Vec2(5.0f, offset));
        const std::vector<Vec2> goals = {Vec2(5.0f, 0.0f), Vec2(-5.0f, offset)};
        engine.setTimeStep(0.1f);
        float closest = INFINITY;
        for (int k = 0; k < 200; ++k) {
            headForGoals(engine, goals);
            engine.advance();
            closest = std::min(closest, closestPair(engine));
        }
        // Two discs of radius 0.25 m: centres at least 0.5 m apart, to rounding.
        EXPECT_GE(closest, 0.5f - 1e-4f) << "offset " << offset;
        EXPECT_LT(closest, 1.0f) << "they did meet, offset " << offset;
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_LT((engine.position(i) - goals[i]).length(), 0.01f) << "offset " << offset;
        }
    }
}

TEST(OrcaWalk, PerfectlyAlignedHeadOnWalkersSlowDownWithoutTouching) {
    // On one line with mirrored velocities each constraint stays perpendicular to that line,
    // so neither ever turns: both slow down as they close in (a property of the method, which
    // any offset removes, see above), and they never touch.
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2(-5.0f, 0.0f));
    engine.spawnAgent(Vec2(5.0f, 0.0f));
    const std::vector<Vec2> goals = {Vec2(5.0f, 0.0f), Vec2(-5.0f, 0.0f)};
    engine.setTimeStep(0.1f);
    for (int k = 0; k < 300; ++k) {
        headForGoals(engine, goals);
        engine.advance();
        ASSERT_GE(closestPair(engine), 0.5f) << "step " << k;
        ASSERT_EQ(engine.position(0).y, 0.0f);
    }
}

namespace {

struct WallWalk {
    const char* name;
    Vec2 start, goal;
};

void PrintTo(const WallWalk& w, std::ostream* out) {
    *out << w.name;
}

class WallWalks : public testing::TestWithParam<WallWalk> {};

}  // namespace

TEST_P(WallWalks, StopOrSlideButNeverCross) {
    // A wall from (−3, 0) to (3, 0), registered once as a segment; the agent aims through it.
    const WallWalk& w = GetParam();
    OrcaEngine engine;
    configure(engine);
    engine.addPolygon({Vec2(-3.0f, 0.0f), Vec2(3.0f, 0.0f)});
    engine.indexObstacles();
    engine.spawnAgent(w.start);
    engine.setTimeStep(0.1f);
    const float side = w.start.y > 0.0f ? 1.0f : -1.0f;
    float nearest = INFINITY;
    for (int k = 0; k < 300; ++k) {
        headForGoals(engine, {w.goal});
        engine.advance();
        const Vec2& p = engine.position(0);
        ASSERT_GT(side * p.y, 0.0f) << "crossed at step " << k;
        const float d = std::sqrt(squaredDistanceToSegment(Vec2(-3.0f, 0.0f), Vec2(3.0f, 0.0f), p));
        nearest = std::min(nearest, d);
        ASSERT_GE(d, 0.25f - 1e-3f) << "step " << k;
    }
    // It did come up to the wall.
    EXPECT_LT(nearest, 0.3f);
}

INSTANTIATE_TEST_SUITE_P(
    Orca, WallWalks,
    testing::Values(WallWalk{"StraightFromBelow", Vec2(0.0f, -3.0f), Vec2(0.0f, 3.0f)},
                    WallWalk{"StraightFromAbove", Vec2(0.0f, 3.0f), Vec2(0.0f, -3.0f)},
                    WallWalk{"SlantedFromBelow", Vec2(-1.5f, -2.0f), Vec2(1.0f, 2.0f)},
                    WallWalk{"SlantedFromAbove", Vec2(1.0f, 2.0f), Vec2(-1.0f, -2.0f)},
                    WallWalk{"NearTheEndFromBelow", Vec2(2.5f, -2.0f), Vec2(2.7f, 2.0f)}),
    [](const testing::TestParamInfo<WallWalk>& info) { return std::string(info.param.name); });

namespace {

struct Ring {
    int agents;
    float timeStep;  // s
    unsigned seed;
};

void PrintTo(const Ring& r, std::ostream* out) {
    *out << r.agents << " agents, dt " << r.timeStep;
}

class OrcaRing : public testing::TestWithParam<Ring> {};

}  // namespace

TEST_P(OrcaRing, SwapsToAntipodalPointsWithoutOverlap) {
    // Agents on a circle of radius 8 m walk to the opposite point through the crowded centre.
    // Starts are moved by up to 5 cm: a perfectly symmetric ring slows down alike, as the
    // aligned head-on pair does.
    const Ring& ring = GetParam();
    const float ringRadius = 8.0f;
    std::mt19937 random(ring.seed);
    std::uniform_real_distribution<float> jitter(-0.05f, 0.05f);
    OrcaEngine engine;
    configure(engine);
    std::vector<Vec2> goals;
    for (int i = 0; i < ring.agents; ++i) {
        const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(ring.agents);
        const Vec2 p(ringRadius * std::cos(angle), ringRadius * std::sin(angle));
        engine.spawnAgent(p + Vec2(jitter(random), jitter(random)));
        goals.push_back(-p);
    }
    engine.setTimeStep(ring.timeStep);
    float closest = INFINITY;
    bool arrived = false;
    // 16 m at 1.6 m/s takes 10 s; the crossing may take up to four times as long.
    const int maxSteps = static_cast<int>(40.0f / ring.timeStep);
    int steps = 0;
    for (; steps < maxSteps && !arrived; ++steps) {
        headForGoals(engine, goals);
        engine.advance();
        closest = std::min(closest, closestPair(engine));
        arrived = true;
        for (int i = 0; i < ring.agents; ++i) {
            arrived = arrived && (engine.position(i) - goals[i]).length() < 0.05f;
        }
    }
    EXPECT_TRUE(arrived) << "after " << steps << " steps";
    // Discs of radius 0.25 m: centres 0.5 m apart, at most 1 cm closer where the crowd in
    // the centre leaves no collision-free velocity.
    EXPECT_GE(closest, 0.5f - 0.01f);
}

INSTANTIATE_TEST_SUITE_P(Orca, OrcaRing,
                         testing::Values(Ring{12, 0.1f, 1}, Ring{12, 0.1f, 2}, Ring{16, 0.05f, 1},
                                         Ring{16, 0.05f, 3}));
