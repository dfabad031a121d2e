#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/PDF.h"
#include "data/Experiment.h"
#include "metrics/Difference.h"
#include "models/SimulationRVO2.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/OrcaEngine.h"
#include "run/Record.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

// The "RVO2" model: its parameters, how a row reaches the engine, goals turned into preferred
// velocities, obstacles from the scene, and the run protocol end to end.

namespace {

// The model set up for `n` agents with the default rows, every agent still at the origin.
std::unique_ptr<SimulationRVO2> model(int n) {
    auto simulation = std::make_unique<SimulationRVO2>();
    simulation->initialise(n);
    return simulation;
}

void setRow(SimulationRVO2& simulation, int agent, const std::vector<float>& row) {
    for (size_t k = 0; k < row.size(); ++k) {
        simulation.parameterTable().values()[static_cast<size_t>(agent) * row.size() + k] = row[k];
    }
}

const OrcaAgent& engineAgent(const SimulationRVO2& simulation, int i) {
    return simulation.orcaEngine()->agent(static_cast<size_t>(i));
}

bool allFinite(const SimulationRVO2& s) {
    for (int i = 0; i < s.agentCount(); ++i) {
        if (!std::isfinite(s.currentX()[i]) || !std::isfinite(s.currentY()[i]) ||
            !std::isfinite(s.currentVX()[i]) || !std::isfinite(s.currentVY()[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(RVO2, DeclaresItsFiveAgentParametersInOrder) {
    SimulationRVO2 simulation;
    EXPECT_EQ(simulation.name, "RVO2");
    EXPECT_EQ(simulation.parameterNames(),
              (std::vector<std::string>{"Speed", "Neighbor dist", "Radius", "Agent t.h.",
                                        "Obstacle t.h."}));
    EXPECT_EQ(simulation.agentParameterCount(), 5);
    EXPECT_EQ(simulation.parameterDefaults(), (std::vector<float>{1.6f, 15.0f, 0.25f, 5.0f, 5.0f}));
    struct Expected {
        float min, max, mean, deviation;
    };
    const Expected expected[] = {
        {1.0f, 2.0f, 1.5f, 0.5f}, {10.0f, 20.0f, 15.0f, 5.0f}, {0.2f, 0.8f, 0.5f, 0.25f},
        {0.1f, 5.0f, 2.0f, 2.0f}, {0.1f, 5.0f, 2.0f, 2.0f},
    };
    ASSERT_EQ(simulation.parameterDistributions().size(), 5u);
    for (size_t k = 0; k < 5; ++k) {
        const PDF& pdf = simulation.parameterDistributions()[k];
        EXPECT_EQ(pdf.kind, PDF::NORMAL) << k;
        EXPECT_EQ(pdf.min, expected[k].min) << k;
        EXPECT_EQ(pdf.max, expected[k].max) << k;
        EXPECT_EQ(pdf.mean, expected[k].mean) << k;
        EXPECT_EQ(pdf.deviation, expected[k].deviation) << k;
    }
    EXPECT_EQ(simulation.orcaEngine(), nullptr);
}

TEST(RVO2, SetUpSpawnsOneEngineAgentPerAgentWithTheDefaults) {
    const auto simulation = model(3);
    const OrcaEngine& engine = *simulation->orcaEngine();
    ASSERT_EQ(engine.agentCount(), 3u);
    for (int i = 0; i < 3; ++i) {
        const OrcaAgent& agent = engineAgent(*simulation, i);
        EXPECT_EQ(agent.index(), static_cast<size_t>(i));
        EXPECT_EQ(agent.position(), Vec2());
        EXPECT_EQ(agent.velocity(), Vec2());
        EXPECT_EQ(agent.maxNeighbours(), 10u);
        EXPECT_EQ(agent.maxSpeed(), 1.6f);
        EXPECT_EQ(agent.neighbourDistance(), 15.0f);
        EXPECT_EQ(agent.radius(), 0.25f);
        EXPECT_EQ(agent.agentHorizon(), 5.0f);
        EXPECT_EQ(agent.obstacleHorizon(), 5.0f);
    }
    // A new set-up builds a new engine.
    simulation->initialise(5);
    EXPECT_EQ(simulation->orcaEngine()->agentCount(), 5u);
}

TEST(RVO2, EachAgentGetsItsOwnRow) {
    const auto simulation = model(2);
    setRow(*simulation, 0, {1.1f, 12.0f, 0.3f, 2.5f, 1.5f});
    setRow(*simulation, 1, {1.9f, 18.0f, 0.6f, 4.0f, 0.5f});
    simulation->applyParameters();
    const OrcaAgent& first = engineAgent(*simulation, 0);
    const OrcaAgent& second = engineAgent(*simulation, 1);
    EXPECT_EQ(first.maxSpeed(), 1.1f);
    EXPECT_EQ(first.neighbourDistance(), 12.0f);
    EXPECT_EQ(first.radius(), 0.3f);
    EXPECT_EQ(first.agentHorizon(), 2.5f);
    EXPECT_EQ(first.obstacleHorizon(), 1.5f);
    EXPECT_EQ(second.maxSpeed(), 1.9f);
    EXPECT_EQ(second.neighbourDistance(), 18.0f);
    EXPECT_EQ(second.radius(), 0.6f);
    EXPECT_EQ(second.agentHorizon(), 4.0f);
    EXPECT_EQ(second.obstacleHorizon(), 0.5f);
}

TEST(RVO2, HandEditedRowsAreClampedToUsableValues) {
    const auto simulation = model(3);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    setRow(*simulation, 0, {-1.0f, -5.0f, 0.0f, 0.0f, -2.0f});
    setRow(*simulation, 1, {nan, nan, -0.25f, nan, 0.0f});
    simulation->applyParameters();
    for (int i = 0; i < 2; ++i) {
        const OrcaAgent& agent = engineAgent(*simulation, i);
        EXPECT_EQ(agent.maxSpeed(), 0.0f) << i;
        EXPECT_EQ(agent.neighbourDistance(), 0.0f) << i;
        EXPECT_EQ(agent.radius(), SimulationRVO2::smallestRadius) << i;
        EXPECT_EQ(agent.agentHorizon(), SimulationRVO2::smallestHorizon) << i;
        EXPECT_EQ(agent.obstacleHorizon(), SimulationRVO2::smallestHorizon) << i;
    }
    EXPECT_GT(SimulationRVO2::smallestRadius, 0.0f);
    EXPECT_GT(SimulationRVO2::smallestHorizon, 0.0f);
    // Agent 2 keeps the defaults and walks among them, past a wall, without NaN anywhere.
    simulation->addObstacle({-1.0f, 0.5f, 1.0f, 0.5f});
    simulation->initialise(3);
    setRow(*simulation, 0, {1.0f, 5.0f, 0.0f, 0.0f, 0.0f});
    setRow(*simulation, 1, {1.0f, 5.0f, -1.0f, -1.0f, -1.0f});
    simulation->applyParameters();
    for (int i = 0; i < 3; ++i) {
        simulation->setPosition(i, 0.1f * static_cast<float>(i), 0.0f);
        simulation->setGoal(i, 0.0f, 3.0f);
    }
    for (int k = 0; k < 30; ++k) {
        simulation->step(0.1f);
        ASSERT_TRUE(allFinite(*simulation)) << "step " << k;
    }
}

TEST(RVO2, PreferredVelocityHeadsForTheGoalAtMostAtTheAgentsSpeed) {
    // Speed 1.5. Agent 0's goal is 10 m away along (0.6, 0.8): it asks for (0.9, 1.2).
    // Agent 1's goal is 0.6 m away along (−1, 0): it asks for (−0.6, 0). Agent 2 stands on
    // its goal and asks for nothing. They stand 50 m apart, out of each other's way.
    const auto simulation = model(3);
    for (int i = 0; i < 3; ++i) {
        setRow(*simulation, i, {1.5f, 15.0f, 0.25f, 5.0f, 5.0f});
    }
    simulation->applyParameters();
    simulation->setPosition(0, 0.0f, 0.0f);
    simulation->setGoal(0, 6.0f, 8.0f);
    simulation->setPosition(1, 50.0f, 0.0f);
    simulation->setGoal(1, 49.4f, 0.0f);
    simulation->setPosition(2, 0.0f, 50.0f);
    simulation->setGoal(2, 0.0f, 50.0f);
    simulation->step(0.5f);
    const Vec2 wish0 = engineAgent(*simulation, 0).preferredVelocity();
    EXPECT_NEAR(wish0.x, 0.9f, 1e-6f);
    EXPECT_NEAR(wish0.y, 1.2f, 1e-6f);
    const Vec2 wish1 = engineAgent(*simulation, 1).preferredVelocity();
    EXPECT_NEAR(wish1.x, -0.6f, 1e-5f);
    EXPECT_EQ(wish1.y, 0.0f);
    EXPECT_EQ(engineAgent(*simulation, 2).preferredVelocity(), Vec2());
    // Alone, each takes its wish; the state after the step is stored.
    EXPECT_NEAR(simulation->currentVX()[0], 0.9f, 1e-6f);
    EXPECT_NEAR(simulation->currentVY()[0], 1.2f, 1e-6f);
    EXPECT_NEAR(simulation->currentX()[0], 0.45f, 1e-6f);
    EXPECT_NEAR(simulation->currentY()[0], 0.6f, 1e-6f);
    EXPECT_NEAR(simulation->currentX()[1], 49.7f, 1e-5f);
    EXPECT_EQ(simulation->currentX()[2], 0.0f);
    EXPECT_EQ(simulation->currentY()[2], 50.0f);
    EXPECT_EQ(simulation->orcaEngine()->timeStep(), 0.5f);
}

TEST(RVO2, PositionAndVelocityGoToTheEngine) {
    const auto simulation = model(2);
    simulation->setPosition(1, 3.0f, -4.0f);
    simulation->setVelocity(1, 0.5f, 0.25f);
    EXPECT_EQ(simulation->orcaEngine()->position(1), Vec2(3.0f, -4.0f));
    EXPECT_EQ(simulation->orcaEngine()->velocity(1), Vec2(0.5f, 0.25f));
    EXPECT_EQ(simulation->orcaEngine()->position(0), Vec2());
}

TEST(RVO2, WithoutObstaclesAgentsAvoidOnlyEachOther) {
    const auto simulation = model(2);
    simulation->setPosition(0, -3.0f, 0.0f);
    simulation->setGoal(0, 3.0f, 0.0f);
    simulation->setPosition(1, 3.0f, 0.1f);
    simulation->setGoal(1, -3.0f, 0.1f);
    simulation->step(0.1f);
    EXPECT_TRUE(engineAgent(*simulation, 0).obstacleNeighbours().empty());
    EXPECT_EQ(engineAgent(*simulation, 0).agentNeighbours().size(), 1u);
    EXPECT_EQ(engineAgent(*simulation, 0).halfPlanes().size(), 1u);
}

TEST(RVO2, ZeroAgentsStepNothing) {
    const auto simulation = model(0);
    simulation->step(0.25f);
    EXPECT_EQ(simulation->orcaEngine()->timeStep(), 0.25f);
    EXPECT_EQ(simulation->orcaEngine()->agentCount(), 0u);
    EXPECT_TRUE(simulation->currentX().empty());
}

TEST(RVO2, ASegmentRegisteredOnceIsAvoidedFromBothSides) {
    SimulationRVO2 simulation;
    simulation.addObstacle({-3.0f, 0.0f, 3.0f, 0.0f});
    simulation.initialise(2);
    EXPECT_EQ(simulation.orcaEngine()->vertices().size(), 2u);
    simulation.setPosition(0, 0.0f, -2.0f);
    simulation.setGoal(0, 0.0f, 2.0f);
    simulation.setPosition(1, 1.0f, 2.0f);
    simulation.setGoal(1, 1.0f, -2.0f);
    for (int k = 0; k < 100; ++k) {
        simulation.step(0.1f);
        ASSERT_LE(simulation.currentY()[0], -0.25f + 1e-3f) << "step " << k;
        ASSERT_GE(simulation.currentY()[1], 0.25f - 1e-3f) << "step " << k;
    }
    // Both came up to the wall, slowing down as they near it (the constraint lets them close
    // the gap of d − 0.25 m only within the 5 s horizon).
    EXPECT_GT(simulation.currentY()[0], -0.5f);
    EXPECT_LT(simulation.currentY()[1], 0.5f);
}

namespace {

using Wall = std::array<float, 4>;  // x1, y1, x2, y2 (m)

// Two pedestrians crossing a scene with walls, sampled every 0.2 s.
std::unique_ptr<Experiment> crossingExperiment(const std::vector<Wall>& walls) {
    ExperimentTable table;
    std::vector<std::pair<float, float>> east, north;
    for (int k = 0; k < 40; ++k) {
        const float t = 0.2f * static_cast<float>(k);
        east.emplace_back(-4.0f + 1.2f * t, -2.0f);
        north.emplace_back(2.0f, -4.0f + 1.2f * t);
        table.times.push_back(t);
    }
    table.addTrajectory(east);
    table.addTrajectory(north);
    for (const Wall& wall : walls) {
        table.obstacles.push_back({wall[0], wall[1], wall[2], wall[3]});
    }
    return makeExperiment(std::move(table));
}

}  // namespace

TEST(RVO2, RunsThroughARecordAndKeepsItsObstacleTreeAcrossResets) {
    struct Case {
        const char* name;
        std::vector<Wall> walls;
        size_t vertices;  // after the build, 0 when not checked
    };
    // In the first, the second wall crosses the line of the first: both its edges are cut
    // once. In the second, a build over the first build's pieces would cut another edge: every
    // reset used to grow the vertex list and change the tree.
    const Case cases[] = {
        {"two crossing walls", {{-6.0f, 5.0f, 6.0f, 5.0f}, {0.0f, 4.0f, 0.0f, 8.0f}}, 6},
        {"three walls cut again by a second build",
         {{4.0f, 5.0f, 1.0f, -4.0f}, {-5.0f, -6.0f, 4.0f, -2.0f}, {6.0f, -3.0f, -6.0f, 0.0f}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto experiment = crossingExperiment(c.walls);
        SimulationRVO2 simulation;
        Record record;
        bindAndPrepare(record, experiment.get(), &simulation);
        const size_t vertices = simulation.orcaEngine()->vertices().size();
        if (c.vertices > 0) {
            EXPECT_EQ(vertices, c.vertices);
        }
        Difference metric;
        record.reset();
        const float first = metric.evaluate(&record);
        EXPECT_TRUE(std::isfinite(first));
        EXPECT_EQ(simulation.frameCount(), 40);
        for (int run = 0; run < 3; ++run) {
            record.reset();
            EXPECT_EQ(metric.evaluate(&record), first) << "run " << run;
        }
        EXPECT_EQ(simulation.orcaEngine()->vertices().size(), vertices);
        EXPECT_EQ(simulation.recordedX()[0][0], -4.0f);
    }
}
