#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Random.h"
#include "models/PedestrianV.h"
#include "models/SimulationGeneric.h"

namespace {

using Vision = SimulationGeneric<PedestrianV>;

struct Walker {
    float x, y, vx, vy, goalX, goalY;
};

// A Vision simulation of the given walkers with default parameters.
void place(Vision& simulation, const std::vector<Walker>& walkers) {
    simulation.initialise(static_cast<int>(walkers.size()));
    for (size_t i = 0; i < walkers.size(); ++i) {
        const Walker& w = walkers[i];
        simulation.setPosition(static_cast<int>(i), w.x, w.y);
        simulation.setVelocity(static_cast<int>(i), w.vx, w.vy);
        simulation.setGoal(static_cast<int>(i), w.goalX, w.goalY);
    }
}

float distance(const Vision& s, int i, int j) {
    return std::hypot(s.currentX()[i] - s.currentX()[j], s.currentY()[i] - s.currentY()[j]);
}

bool allFinite(const Vision& s) {
    for (int i = 0; i < s.agentCount(); ++i) {
        if (!std::isfinite(s.currentX()[i]) || !std::isfinite(s.currentY()[i]) ||
            !std::isfinite(s.currentVX()[i]) || !std::isfinite(s.currentVY()[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(Vision, NamesItsFourParametersWithDefaults) {
    Vision simulation;
    EXPECT_EQ(simulation.name, "Vision");
    // The generic simulation keeps the pedestrian's parameters out of the parameter dialog.
    EXPECT_TRUE(simulation.parameterNames().empty());
    EXPECT_EQ(simulation.agentParameterCount(), 4);
    EXPECT_EQ(simulation.parameterDefaults(), (std::vector<float>{-0.1f, 0.5f, 1.0f, 1.5f}));
    ASSERT_EQ(simulation.parameterDistributions().size(), 4u);
    EXPECT_EQ(simulation.parameterDistributions()[3].kind, PDF::NORMAL);
    EXPECT_EQ(simulation.parameterDistributions()[3].deviation, 0.5f);
}

TEST(Vision, ThresholdIsLimitedAndDefinedForEveryParameterRow) {
    PedestrianV pedestrian;
    // Defaults a = -0.1, b = 0.5, c = 1: -0.1 + 0.5 / 1e9 is negative, so no threshold.
    EXPECT_EQ(pedestrian.threshold(1e9f), 0.0f);
    // -0.1 + 0.5 / 2 = 0.15.
    EXPECT_NEAR(pedestrian.threshold(2.0f), 0.15f, 1e-6f);
    // -0.1 + 0.5 / 1e-6 is far above the limit of 1.57.
    EXPECT_EQ(pedestrian.threshold(1e-6f), 1.57f);
    pedestrian.parameters = {0.5f, 1.0f, 1.5f, 1.5f};
    // 0.5 + 1 / 2^1.5 = 0.853553.
    EXPECT_NEAR(pedestrian.threshold(2.0f), 0.853553f, 1e-5f);
    // b / t^c = 0 / 0 for a hand-edited row: counts as no threshold, never NaN.
    pedestrian.parameters = {0.0f, 0.0f, 1e9f, 1.5f};
    EXPECT_EQ(pedestrian.threshold(0.5f), 0.0f);
}

TEST(Vision, ALoneWalkerAcceleratesGentlyWalksStraightAndStopsAtItsGoal) {
    Vision simulation;
    place(simulation, {{0, 0, 0, 0, 10, 0}});
    const float dt = 0.1f;
    float previousVX = 0.0f;
    float topSpeed = 0.0f;
    for (int k = 0; k < 200; ++k) {
        simulation.step(dt);
        const float vx = simulation.currentVX()[0];
        EXPECT_EQ(simulation.currentY()[0], 0.0f);
        EXPECT_EQ(simulation.currentVY()[0], 0.0f);
        // 0.9 m/s² at most while walking; the final stop may drop a small remainder at once.
        if (vx != 0.0f) {
            EXPECT_LE(std::fabs(vx - previousVX), 0.09f + 1e-5f) << "step " << k;
        }
        topSpeed = std::max(topSpeed, vx);
        previousVX = vx;
    }
    EXPECT_NEAR(topSpeed, 1.5f, 1e-5f);
    EXPECT_EQ(simulation.currentVX()[0], 0.0f);
    // Near the goal the aimed speed is 1.5 · d², which falls below the 0.05 m/s stopping speed
    // at d = sqrt(0.05 / 1.5) = 0.1826 m: the walker stops just short of its goal.
    EXPECT_GT(simulation.currentX()[0], 10.0f - 0.1826f - 0.01f);
    EXPECT_LT(simulation.currentX()[0], 10.0f - 0.1826f + 0.01f);
}

TEST(Vision, APedestrianBehindOrMovingAwayIsNoThreat) {
    Vision simulation;
    // Agent 0 walks along +x; agent 1 follows 1 m behind, faster; agent 2 walks away ahead.
    place(simulation, {{0, 0, 1, 0, 20, 0}, {-1, 0, 1.5f, 0, 20, 0}, {3, 0, 2, 0, 30, 0}});
    simulation.step(0.1f);  // gives every walker a heading
    simulation.step(0.1f);
    const PedestrianV& walker = simulation.pedestrian(0);
    for (const PedestrianV::Neighbour& n : walker.neighbourRecords()) {
        EXPECT_EQ(n.timeToInteraction, 1e9f);
    }
    EXPECT_EQ(walker.appliedTurn(), 0.0f);
    EXPECT_EQ(simulation.currentY()[0], 0.0f);
}

TEST(Vision, HeadOnWalkersTurnClockwiseGraduallyAndDoNotCollide) {
    Vision simulation;
    place(simulation, {{0, 0, 1.5f, 0, 12, 0}, {12, 0, -1.5f, 0, 0, 0}});
    float closest = 1e9f;
    std::vector<float> previousTurn(2, 0.0f);
    bool reacted = false;
    for (int k = 0; k < 150; ++k) {
        simulation.step(0.1f);
        ASSERT_TRUE(allFinite(simulation));
        closest = std::min(closest, distance(simulation, 0, 1));
        for (int i = 0; i < 2; ++i) {
            const float turn = simulation.pedestrian(i).appliedTurn();
            if (!reacted && turn != 0.0f) {
                // The first reaction of a walker whose goal is straight ahead is clockwise.
                EXPECT_LT(turn, 0.0f);
                EXPECT_GE(turn, -0.5f);
            }
            if (turn != 0.0f) {
                EXPECT_LE(std::fabs(turn - previousTurn[i]), 0.5f + 1e-6f);
            }
            previousTurn[i] = turn;
        }
        reacted = reacted || previousTurn[0] != 0.0f || previousTurn[1] != 0.0f;
    }
    EXPECT_TRUE(reacted);
    // Two discs of radius 0.2 never overlap.
    EXPECT_GT(closest, 0.4f);
    EXPECT_NEAR(simulation.currentX()[0], 12.0f, 0.5f);
    EXPECT_NEAR(simulation.currentX()[1], 0.0f, 0.5f);
}

TEST(Vision, CoincidentPedestriansAndZeroVectorsStayFinite) {
    Random::seed(3);
    Vision simulation;
    place(simulation,
          {{1, 1, 0, 0, 1, 1}, {1, 1, 0, 0, 1, 1}, {1, 1, 0.5f, 0, 5, 1}, {1, 1, -0.5f, 0, -3, 1}});
    for (int k = 0; k < 100; ++k) {
        simulation.step(0.1f);
        ASSERT_TRUE(allFinite(simulation)) << "step " << k;
    }
    // The two that stand on their goal never move.
    EXPECT_EQ(simulation.currentX()[0], 1.0f);
    EXPECT_EQ(simulation.currentVX()[1], 0.0f);
}

TEST(Vision, ARunAfterResetRepeatsTheFirstRunExactly) {
    Vision simulation;
    const std::vector<Walker> scene = {
        {0, 0, 1.2f, 0, 10, 0.5f}, {10, 0.2f, -1.2f, 0, 0, 0}, {5, -4, 0, 1, 5, 5}};
    auto runOnce = [&]() {
        simulation.applyParameters();
        for (size_t i = 0; i < scene.size(); ++i) {
            simulation.setPosition(static_cast<int>(i), scene[i].x, scene[i].y);
            simulation.setVelocity(static_cast<int>(i), scene[i].vx, scene[i].vy);
            simulation.setGoal(static_cast<int>(i), scene[i].goalX, scene[i].goalY);
        }
        std::vector<float> trace;
        for (int k = 0; k < 80; ++k) {
            simulation.step(0.1f);
            trace.insert(trace.end(), simulation.currentX().begin(), simulation.currentX().end());
            trace.insert(trace.end(), simulation.currentY().begin(), simulation.currentY().end());
        }
        return trace;
    };
    place(simulation, scene);
    Random::seed(5);
    const std::vector<float> first = runOnce();
    Random::seed(5);
    const std::vector<float> second = runOnce();
    EXPECT_EQ(first, second);
}

TEST(Vision, APedestrianKeepsRecordsOfThoseItMetOnly) {
    // Agent 0 stays throughout; 1 and 2 are there for the first three steps, 3 and 4 for the
    // next three; 5 and 6 never come. A record for every pair would give each agent six,
    // which in a long recording grows with the square of all its pedestrians.
    Vision simulation;
    std::vector<Walker> walkers;
    for (int i = 0; i < 7; ++i) {
        walkers.push_back({static_cast<float>(i), 0, 1, 0, 20, 0});
    }
    place(simulation, walkers);
    for (const int absent : {3, 4, 5, 6}) {
        simulation.setPresent(absent, false);
    }
    for (int k = 0; k < 6; ++k) {
        if (k == 3) {
            simulation.setPresent(1, false);
            simulation.setPresent(2, false);
            simulation.setPresent(3, true);
            simulation.setPresent(4, true);
        }
        simulation.step(0.1f);
    }
    const auto met = [&simulation](int i) {
        std::vector<int> others;
        for (const PedestrianV::Neighbour& n : simulation.pedestrian(i).neighbourRecords()) {
            others.push_back(static_cast<int>(n.other - &simulation.pedestrian(0)));
        }
        return others;
    };
    EXPECT_EQ(met(0), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(met(1), (std::vector<int>{0, 2}));
    EXPECT_EQ(met(4), (std::vector<int>{0, 3}));
    EXPECT_EQ(met(5), std::vector<int>());
}

namespace {

// Four walkers whose paths cross in the middle of the scene.
const std::vector<Walker> crossing = {{0, 0, 1.3f, 0, 10, 0},
                                      {10, 0.3f, -1.3f, 0, 0, 0.3f},
                                      {5, -5, 0, 1.3f, 5, 5},
                                      {5.2f, 5, 0, -1.2f, 5.2f, -5}};

// Gives every walker the parameters a, b and c of `abc` (speed kept), puts the walkers back at
// their starts without building the agents again, and returns every position of 40 steps.
std::vector<float> crossingRun(Vision& simulation, const std::vector<float>& abc) {
    ParameterTable table = simulation.parameterTable();
    for (int i = 0; i < table.rows(); ++i) {
        for (int k = 0; k < 3; ++k) {
            table.at(i, k) = abc[static_cast<size_t>(k)];
        }
    }
    simulation.applyParameters();
    for (size_t i = 0; i < crossing.size(); ++i) {
        const Walker& w = crossing[i];
        simulation.setPosition(static_cast<int>(i), w.x, w.y);
        simulation.setVelocity(static_cast<int>(i), w.vx, w.vy);
        simulation.setGoal(static_cast<int>(i), w.goalX, w.goalY);
    }
    Random::seed(7);
    std::vector<float> positions;
    for (int k = 0; k < 40; ++k) {
        simulation.step(0.1f);
        for (int i = 0; i < simulation.agentCount(); ++i) {
            positions.push_back(simulation.currentX()[i]);
            positions.push_back(simulation.currentY()[i]);
        }
    }
    return positions;
}

}  // namespace

// A pedestrian keeps the threshold of those not closing in from one step to the next; a run
// with new parameters must give what a simulation that never had the old ones gives.
TEST(Vision, ARunAfterNewParametersMatchesAFreshSimulation) {
    const std::vector<float> defaults = {-0.1f, 0.5f, 1.0f};
    const struct {
        std::vector<float> abc;
        bool differsFromDefaults;
    } cases[] = {
        {{0.5f, 1.0f, 1.5f}, true},    // every threshold moves
        {{0.3f, 0.5f, 1.0f}, true},    // a alone: those not closing in become threats
        {{-0.1f, 0.5f, 2.0f}, false},  // c alone
        {{-0.1f, 1.2f, 1.0f}, false},  // b alone
        {defaults, false},
    };
    Vision reference;
    place(reference, crossing);
    const std::vector<float> defaultRun = crossingRun(reference, defaults);
    for (const auto& c : cases) {
        Vision fresh;
        place(fresh, crossing);
        const std::vector<float> expected = crossingRun(fresh, c.abc);
        Vision reused;
        place(reused, crossing);
        crossingRun(reused, defaults);
        EXPECT_EQ(crossingRun(reused, c.abc), expected) << c.abc[0] << " " << c.abc[1];
        if (c.differsFromDefaults) {
            EXPECT_NE(expected, defaultRun) << c.abc[0] << " " << c.abc[1];
        }
        // And back: the old values' run comes again after the new ones.
        EXPECT_EQ(crossingRun(reused, defaults), defaultRun) << c.abc[0] << " " << c.abc[1];
    }
}
