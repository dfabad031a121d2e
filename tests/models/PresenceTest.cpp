#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/Random.h"
#include "models/Dummy.h"
#include "models/PedestrianV.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "models/SimulationHelbing.h"
#include "models/SimulationRVO2.h"

// Pedestrians who come and go: an absent agent is nobody's neighbour, is not stepped and keeps
// its state, so the others walk exactly as in the scene without it; one that enters later
// continues from where it is put and is seen from then on.

namespace {

struct Walker {
    float x, y, vx, vy, goalX, goalY, speed;
};

// Two walkers meeting head on round one who stands (and, in Vision, waits a random time when
// threatened), while a fourth crosses from beside the lower wall of a 2.4 m corridor.
const std::vector<Walker> corridor = {{-4, 0.3f, 1.2f, 0, 6, 0.3f, 1.5f},
                                      {6, -0.1f, -1.2f, 0, -6, -0.1f, 1.5f},
                                      {0.5f, 0, 0, 0, 0.5f, -6, 0},
                                      {2.5f, -1, 0, 0.5f, 2.5f, 6, 1.2f}};
constexpr int steps = 60;
constexpr float dt = 0.1f;  // s

struct Family {
    const char* name;
    std::unique_ptr<Simulation> (*make)();
    int speedColumn;  // -1: the model has no "Speed"
    bool interacts;
};

void PrintTo(const Family& family, std::ostream* out) {
    *out << family.name;
}

template <class Model>
std::unique_ptr<Simulation> make() {
    return std::make_unique<Model>();
}

const Family families[] = {
    {"Boids", make<SimulationBoids>, CrowdSimulation::SPEED, true},
    {"Helbing", make<SimulationHelbing>, CrowdSimulation::SPEED, true},
    {"RVO2", make<SimulationRVO2>, SimulationRVO2::speedColumn, true},
    {"Vision", make<SimulationGeneric<PedestrianV>>, PedestrianV::SPEED, true},
    {"Walker", make<SimulationGeneric<Dummy>>, -1, false}};

std::unique_ptr<Simulation> setUp(const Family& family, const std::vector<Walker>& walkers) {
    std::unique_ptr<Simulation> s = family.make();
    s->addObstacle({-8, -1.2f, 8, -1.2f});
    s->addObstacle({-8, 1.2f, 8, 1.2f});
    s->initialise(static_cast<int>(walkers.size()));
    for (int i = 0; family.speedColumn >= 0 && i < s->agentCount(); ++i) {
        s->parameterTable().values()[i * s->agentParameterCount() + family.speedColumn] =
            walkers[i].speed;
    }
    s->applyParameters();
    for (int i = 0; i < s->agentCount(); ++i) {
        const Walker& w = walkers[i];
        s->setPosition(i, w.x, w.y);
        s->setVelocity(i, w.vx, w.vy);
        s->setGoal(i, w.goalX, w.goalY);
    }
    return s;
}

// Every agent's current state after every step, as bits: equal means bit for bit equal.
using Tracks = std::vector<std::vector<std::uint32_t>>;

void record(const Simulation& s, Tracks& tracks) {
    tracks.resize(static_cast<size_t>(s.agentCount()));
    for (int i = 0; i < s.agentCount(); ++i) {
        for (const float value :
             {s.currentX()[i], s.currentY()[i], s.currentVX()[i], s.currentVY()[i]}) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            tracks[i].push_back(bits);
        }
    }
}

// Runs from a seeded generator; `absent` is left out (-1: nobody). Returns the tracks, and the
// next draws in `after`, which tell how far the run took the generator.
Tracks run(const Family& family, const std::vector<Walker>& walkers, int absent,
           std::array<int, 4>& after) {
    Random::seed(17);
    const std::unique_ptr<Simulation> s = setUp(family, walkers);
    if (absent >= 0) {
        s->setPresent(absent, false);
    }
    Tracks tracks;
    for (int k = 0; k < steps; ++k) {
        s->step(dt);
        record(*s, tracks);
    }
    for (int& draw : after) {
        draw = Random::draw();
    }
    return tracks;
}

class Presence : public testing::TestWithParam<Family> {};

}  // namespace

TEST_P(Presence, AnAbsentAgentLeavesTheOthersExactlyAsInTheSceneWithoutIt) {
    for (int k = 0; k < static_cast<int>(corridor.size()); ++k) {
        SCOPED_TRACE("absent " + std::to_string(k));
        std::vector<Walker> without = corridor;
        without.erase(without.begin() + k);
        std::array<int, 4> drawsWithout{}, drawsAbsent{}, drawsAll{};
        const Tracks expected = run(GetParam(), without, -1, drawsWithout);
        const Tracks absent = run(GetParam(), corridor, k, drawsAbsent);
        const Tracks all = run(GetParam(), corridor, -1, drawsAll);
        bool seenWhenPresent = false;
        for (int i = 0; i < static_cast<int>(corridor.size()); ++i) {
            if (i != k) {
                EXPECT_EQ(absent[i], expected[i < k ? i : i - 1]) << "agent " << i;
                seenWhenPresent = seenWhenPresent || absent[i] != all[i];
            }
        }
        // Never stepped: its current state is still the one initialise gave it.
        EXPECT_EQ(absent[k], std::vector<std::uint32_t>(4 * steps, 0u));
        EXPECT_EQ(drawsAbsent, drawsWithout);
        EXPECT_EQ(seenWhenPresent, GetParam().interacts);
    }
}

TEST_P(Presence, AnAgentEnteringLaterContinuesFromItsPlaceAndIsSeen) {
    // Walker 3 enters standing just ahead of walker 0, leaves, and comes back as it was.
    constexpr int enter = 20, leave = 40, back = 50;
    std::array<int, 4> draws{};
    const Tracks stayingOut = run(GetParam(), corridor, 3, draws);
    Random::seed(17);
    const std::unique_ptr<Simulation> s = setUp(GetParam(), corridor);
    s->setPresent(3, false);
    Tracks tracks;
    float fromX = -0.3f, fromY = 0.3f;
    for (int k = 0; k < steps; ++k) {
        if (k == enter) {
            s->setPosition(3, fromX, fromY);
            s->setVelocity(3, 0, 0);
        }
        if (k == back) {
            fromX = s->currentX()[3];
            fromY = s->currentY()[3];
        }
        if (k == enter || k == leave || k == back) {
            s->setPresent(3, k != leave);
        }
        s->step(dt);
        record(*s, tracks);
        if (k == enter || k == back) {
            // No model moves faster than 2.5 m/s.
            EXPECT_LE(std::hypot(s->currentX()[3] - fromX, s->currentY()[3] - fromY),
                      2.5f * dt + 1e-6f);
        }
    }
    const auto stepsOf = [](const std::vector<std::uint32_t>& track, int from, int to) {
        return std::vector<std::uint32_t>(track.begin() + 4 * from, track.begin() + 4 * to);
    };
    for (int k = leave; k < back; ++k) {
        EXPECT_EQ(stepsOf(tracks[3], k, k + 1), stepsOf(tracks[3], leave - 1, leave)) << k;
    }
    EXPECT_EQ(stepsOf(tracks[0], 0, enter), stepsOf(stayingOut[0], 0, enter));
    EXPECT_EQ(stepsOf(tracks[0], enter, enter + 5) != stepsOf(stayingOut[0], enter, enter + 5),
              GetParam().interacts);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, Presence, testing::ValuesIn(families),
                         [](const testing::TestParamInfo<Family>& info) {
                             return std::string(info.param.name);
                         });

TEST(VisionPresence, AnAbsentPedestrianDrawsNoWaitingTime) {
    // Walker 2 stands with "Speed" 0 and, threatened, waits a random time; absent, it draws
    // nothing (that the scene then draws what the scene without it draws is checked above).
    std::array<int, 4> drawsAbsent{}, drawsAll{};
    run(families[3], corridor, 2, drawsAbsent);
    run(families[3], corridor, -1, drawsAll);
    EXPECT_NE(drawsAll, drawsAbsent);
}
