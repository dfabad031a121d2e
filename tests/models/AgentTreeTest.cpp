#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/Random.h"
#include "models/AgentTree.h"
#include "models/CrowdEngine.h"
#include "models/SimulationBoids.h"
#include "models/SimulationHelbing.h"
#include "tests/support/CrowdScene.h"

namespace {

struct Disc {
    float x, y, radius;
};

// An engine over the given discs whose searches keep up to `neighbourCount` neighbours, with
// its neighbour lists filled.
CrowdEngine searched(const std::vector<Disc>& discs,
                     int neighbourCount = CrowdAgent::maxNeighbours) {
    CrowdEngine engine(static_cast<int>(discs.size()), 0, boidsRule, neighbourCount);
    for (size_t i = 0; i < discs.size(); ++i) {
        CrowdAgent& agent = engine.agent(static_cast<int>(i));
        agent.position = {discs[i].x, discs[i].y};
        agent.radius = discs[i].radius;
    }
    engine.searchNeighbours();
    return engine;
}

std::vector<int> neighboursOf(const CrowdAgent& agent) {
    return std::vector<int>(agent.neighbours.begin(),
                            agent.neighbours.begin() + agent.neighbourCount);
}

std::vector<float> distancesOf(const CrowdAgent& agent) {
    return std::vector<float>(agent.neighbourDistances.begin(),
                              agent.neighbourDistances.begin() + agent.neighbourCount);
}

// The neighbour search written out the slow way: every other present agent in index order
// (an absent agent has none), kept in a list sorted by surface distance where an equal distance
// goes after the ones already there; the range starts at 10 m and shrinks to the kth distance
// once k are found (k = `wanted`); an overlapping nearest neighbour cuts the list to the
// overlapping ones.
struct Expected {
    std::vector<int> ids;
    std::vector<float> distances;
    bool overlapping = false;
};

Expected bruteForce(const std::vector<CrowdAgent>& agents, int i,
                    int wanted = CrowdAgent::maxNeighbours) {
    const size_t k = static_cast<size_t>(wanted);
    const CrowdAgent& self = agents[i];
    std::vector<std::pair<float, int>> list;
    float range = 10.0f;
    for (size_t j = 0; j < agents.size(); ++j) {
        const CrowdAgent& other = agents[j];
        if (static_cast<int>(j) == i || !other.present || !self.present) {
            continue;
        }
        const float d = (other.position - self.position).length() - self.radius - other.radius;
        if (!(d < range)) {
            continue;
        }
        size_t at = 0;
        while (at < list.size() && list[at].first <= d) {
            ++at;
        }
        list.insert(list.begin() + static_cast<long>(at), {d, static_cast<int>(j)});
        if (list.size() > k) {
            list.pop_back();
        }
        if (list.size() == k) {
            range = list.back().first;
        }
    }
    Expected expected;
    expected.overlapping = !list.empty() && list.front().first < 0.0f;
    for (const auto& entry : list) {
        if (expected.overlapping && entry.first >= 0.0f) {
            break;
        }
        expected.distances.push_back(entry.first);
        expected.ids.push_back(entry.second);
    }
    return expected;
}

// A coordinate drawn from two generator draws: about 1e-9 of `extent` resolution.
float uniform(float extent) {
    const double fine = (Random::draw() * 32768.0 + Random::draw()) / (32768.0 * 32768.0);
    return static_cast<float>(fine * extent);
}

enum class Layout { Pedestrians, Packed, Sparse, Duplicates, OnePoint, Collinear, Row, Grid };

struct SceneCase {
    Layout layout;
    int count;
    unsigned seed;
};

const char* layoutName(Layout layout) {
    switch (layout) {
        case Layout::Pedestrians:
            return "Pedestrians";
        case Layout::Packed:
            return "Packed";
        case Layout::Sparse:
            return "Sparse";
        case Layout::Duplicates:
            return "Duplicates";
        case Layout::OnePoint:
            return "OnePoint";
        case Layout::Collinear:
            return "Collinear";
        case Layout::Row:
            return "Row";
        case Layout::Grid:
            return "Grid";
    }
    return "";
}

void PrintTo(const SceneCase& c, std::ostream* out) {
    *out << layoutName(c.layout) << " " << c.count << " agents, seed " << c.seed;
}

// Random discs of radius 0.2 to 0.8 m (equal radii on the grid, for exact ties).
std::vector<Disc> makeScene(const SceneCase& c) {
    Random::seed(c.seed);
    const float side = std::sqrt(static_cast<float>(c.count));
    std::vector<Disc> pool;
    if (c.layout == Layout::Duplicates) {
        for (int p = 0; p < c.count / 5 + 1; ++p) {
            pool.push_back({uniform(side * 1.2f), uniform(side * 1.2f), 0.0f});
        }
    }
    std::vector<Disc> discs;
    for (int i = 0; i < c.count; ++i) {
        Disc disc{0.0f, 0.0f, 0.2f + uniform(0.6f)};
        switch (c.layout) {
            case Layout::Pedestrians:
                disc.x = uniform(side * 1.2f);
                disc.y = uniform(side * 1.2f);
                break;
            case Layout::Packed:
                disc.x = uniform(side * 0.3f);
                disc.y = uniform(side * 0.3f);
                break;
            case Layout::Sparse:
                disc.x = uniform(side * 8.0f);
                disc.y = uniform(side * 8.0f);
                break;
            case Layout::Duplicates: {
                const Disc& point =
                    pool[static_cast<size_t>(randomIndex(static_cast<int>(pool.size())))];
                disc.x = point.x;
                disc.y = point.y;
                break;
            }
            case Layout::OnePoint:
                disc.x = 3.0f;
                disc.y = -2.0f;
                break;
            case Layout::Collinear: {
                const float t = uniform(static_cast<float>(c.count));
                disc.x = 1.0f + t;
                disc.y = -4.0f + 0.5f * t;
                break;
            }
            case Layout::Row:
                disc.x = uniform(static_cast<float>(c.count) * 0.5f);
                disc.y = 7.0f;
                break;
            case Layout::Grid: {
                const int columns = static_cast<int>(side) + 1;
                disc.x = static_cast<float>(i % columns);
                disc.y = static_cast<float>(i / columns);
                disc.radius = 0.25f;
                break;
            }
        }
        discs.push_back(disc);
    }
    return discs;
}

std::vector<SceneCase> sceneCases() {
    const Layout layouts[] = {Layout::Pedestrians, Layout::Packed,   Layout::Sparse,
                              Layout::Duplicates,  Layout::OnePoint, Layout::Collinear,
                              Layout::Row,         Layout::Grid};
    // Around the leaf size of 15, and up to the size of a large experiment.
    const int counts[] = {1, 2, 11, 15, 16, 17, 40, 250, 2000};
    std::vector<SceneCase> cases;
    unsigned seed = 11;
    for (const Layout layout : layouts) {
        for (const int count : counts) {
            cases.push_back({layout, count, seed++});
        }
    }
    return cases;
}

}  // namespace

// Every agent of the scene gets what the slow search finds, keeping up to `wanted` neighbours.
void checkAgainstBruteForce(const SceneCase& scene, int wanted) {
    const CrowdEngine engine = searched(makeScene(scene), wanted);
    for (int i = 0; i < static_cast<int>(engine.agents().size()); ++i) {
        const Expected expected = bruteForce(engine.agents(), i, wanted);
        const CrowdAgent& agent = engine.agent(i);
        ASSERT_EQ(neighboursOf(agent), expected.ids) << "agent " << i;
        ASSERT_EQ(distancesOf(agent), expected.distances) << "agent " << i;
        ASSERT_EQ(agent.overlapping, expected.overlapping) << "agent " << i;
    }
}

std::string sceneName(const testing::TestParamInfo<SceneCase>& info) {
    return std::string(layoutName(info.param.layout)) + "_" + std::to_string(info.param.count);
}

class AgentTreeAgainstBruteForce : public testing::TestWithParam<SceneCase> {};

TEST_P(AgentTreeAgainstBruteForce, EveryAgentGetsExactlyTheScannedNeighbours) {
    checkAgainstBruteForce(GetParam(), CrowdAgent::maxNeighbours);
}

INSTANTIATE_TEST_SUITE_P(RandomScenes, AgentTreeAgainstBruteForce, testing::ValuesIn(sceneCases()),
                         sceneName);

// A tree for a rule that reads the nearest neighbour alone.
class AgentTreeNearestAgainstBruteForce : public testing::TestWithParam<SceneCase> {};

TEST_P(AgentTreeNearestAgainstBruteForce, EveryAgentGetsExactlyTheScannedNearestNeighbour) {
    checkAgainstBruteForce(GetParam(), 1);
}

INSTANTIATE_TEST_SUITE_P(RandomScenes, AgentTreeNearestAgainstBruteForce,
                         testing::ValuesIn(sceneCases()), sceneName);

TEST(AgentTreeSearch, AgentsAtPositionsThatAreNotNumbersHideNoOtherAgent) {
    // Such agents are nobody's neighbour (every comparison with NaN fails), and the others must
    // still find each other exactly as the scan does, even when a NaN comes first in a node.
    std::vector<Disc> discs = makeScene({Layout::Pedestrians, 300, 5});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    discs[0].x = nan;
    discs[17].y = nan;
    discs[120] = {nan, nan, 0.3f};
    discs[200].x = infinity;
    const CrowdEngine engine = searched(discs);
    for (int i = 0; i < 300; ++i) {
        const Expected expected = bruteForce(engine.agents(), i);
        ASSERT_EQ(neighboursOf(engine.agent(i)), expected.ids) << "agent " << i;
    }
    EXPECT_EQ(engine.agent(0).neighbourCount, 0);
}

TEST(AgentTreeSearch, KeepsTheTenNearestOfElevenInRange) {
    // Agent 0 at the origin; the others at centre distances 0.5 to 5.5 m, each along a direction
    // of its own, so every one is in range (surface distance at most 5.5 − 0.4 < 10). The
    // distances are shuffled over the indices so that index order does not give the answer.
    const std::vector<float> centreDistance = {0.0f, 3.0f, 1.0f, 5.5f, 2.0f, 0.5f,
                                               4.5f, 2.5f, 4.0f, 1.5f, 5.0f, 3.5f};
    std::vector<Disc> discs;
    for (size_t j = 0; j < centreDistance.size(); ++j) {
        const float angle = 0.5f * static_cast<float>(j);
        discs.push_back(
            {centreDistance[j] * std::cos(angle), centreDistance[j] * std::sin(angle), 0.2f});
    }
    const CrowdEngine engine = searched(discs);
    // Sorted by distance: 0.5 (5), 1 (2), 1.5 (9), 2 (4), 2.5 (7), 3 (1), 3.5 (11), 4 (8),
    // 4.5 (6), 5 (10); 5.5 (3) is the eleventh and is left out.
    EXPECT_EQ(neighboursOf(engine.agent(0)), (std::vector<int>{5, 2, 9, 4, 7, 1, 11, 8, 6, 10}));
    EXPECT_FALSE(engine.agent(0).overlapping);
    // 0.5 − 0.2 − 0.2.
    EXPECT_NEAR(engine.agent(0).neighbourDistances[0], 0.1f, 1e-6f);
}

TEST(AgentTreeSearch, EqualDistancesKeepTheLowerIndices) {
    // Eleven agents stacked at (3, 4), all 5 − 0.4 = 4.6 m from agent 11 at the origin: the ten
    // with the lowest indices are kept, in index order.
    std::vector<Disc> discs(11, Disc{3.0f, 4.0f, 0.2f});
    discs.push_back({0.0f, 0.0f, 0.2f});
    const CrowdEngine engine = searched(discs);
    EXPECT_EQ(neighboursOf(engine.agent(11)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_NEAR(engine.agent(11).neighbourDistances[9], 4.6f, 1e-6f);
    // A stacked agent overlaps the ten others stacked with it (surface distance −0.4) and keeps
    // only those, whatever the agent at the origin.
    EXPECT_EQ(neighboursOf(engine.agent(10)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(engine.agent(10).overlapping);
}

TEST(AgentTreeSearch, OverlappingAgentsKeepOnlyOverlappingNeighbours) {
    // 0 and 1 are 0.3 m apart (surface −0.1); 2 is 0.5 m below 0 (surface 0.1) and
    // sqrt(0.3² + 0.5²) − 0.4 = 0.1831 m from 1.
    const CrowdEngine engine = searched({{0, 0, 0.2f}, {0.3f, 0, 0.2f}, {0, -0.5f, 0.2f}});
    EXPECT_TRUE(engine.agent(0).overlapping);
    EXPECT_EQ(neighboursOf(engine.agent(0)), std::vector<int>{1});
    EXPECT_NEAR(engine.agent(0).neighbourDistances[0], -0.1f, 1e-6f);
    EXPECT_TRUE(engine.agent(1).overlapping);
    EXPECT_EQ(neighboursOf(engine.agent(1)), std::vector<int>{0});
    EXPECT_FALSE(engine.agent(2).overlapping);
    EXPECT_EQ(neighboursOf(engine.agent(2)), (std::vector<int>{0, 1}));
    EXPECT_NEAR(engine.agent(2).neighbourDistances[1], 0.183095f, 1e-5f);
}

struct RangeCase {
    const char* name;
    float centreDistance;  // m, both radii 0.2
    bool found;
};

void PrintTo(const RangeCase& c, std::ostream* out) {
    *out << c.name;
}

class AgentTreeRange : public testing::TestWithParam<RangeCase> {};

TEST_P(AgentTreeRange, OnlySurfaceDistancesBelowTenMetresCount) {
    const RangeCase& c = GetParam();
    const CrowdEngine engine = searched({{0, 0, 0.2f}, {c.centreDistance, 0, 0.2f}});
    EXPECT_EQ(engine.agent(0).neighbourCount, c.found ? 1 : 0);
    EXPECT_EQ(engine.agent(1).neighbourCount, c.found ? 1 : 0);
}

// In float, 10.39 − 0.2 − 0.2 = 9.99 and 10.41 − 0.2 − 0.2 = 10.01.
INSTANTIATE_TEST_SUITE_P(SurfaceDistances, AgentTreeRange,
                         testing::Values(RangeCase{"inside", 10.39f, true},
                                         RangeCase{"outside", 10.41f, false},
                                         RangeCase{"farAway", 100.0f, false}),
                         [](const testing::TestParamInfo<RangeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(AgentTreeSearch, NoAgentIsItsOwnNeighbourAndALoneAgentHasNone) {
    const CrowdEngine alone = searched({{1, 1, 0.2f}});
    EXPECT_EQ(alone.agent(0).neighbourCount, 0);
    EXPECT_FALSE(alone.agent(0).overlapping);
    const CrowdEngine none = searched({});
    EXPECT_TRUE(none.agents().empty());
}

// The search may start from what the previous one found, so it is checked step after step
// while the crowd walks, some agents jump and the radii change, and, when they come and go,
// agents leave and enter (in two of every three steps).
template <class Model>
void checkSearchesWhileWalking(bool comeAndGo = false) {
    Random::seed(23);
    Model simulation;
    std::vector<CrowdWalker> walkers;
    for (int i = 0; i < 600; ++i) {
        const float x = uniform(25.0f);
        const float y = uniform(25.0f);
        walkers.push_back({x, y, 0, 0, 25.0f - x, 25.0f - y, 0.2f + uniform(0.4f)});
    }
    placeWalkers(simulation, walkers);
    for (int k = 0; k < 30; ++k) {
        if (k == 10) {
            simulation.setPosition(7, 40.0f, 40.0f);
            simulation.setPosition(300, 12.0f, 12.0f);
        }
        if (k == 20) {
            // Shrinking discs lengthen surface distances, growing ones shorten them.
            for (int i = 0; i < 600; i += 2) {
                simulation.parameterTable().at(i, CrowdSimulation::RADIUS) =
                    i % 4 == 0 ? 0.05f : 0.7f;
            }
            simulation.applyParameters();
        }
        for (int i = k % 5; comeAndGo && k % 3 != 2 && i < 600; i += 37) {
            simulation.setPresent(i, !simulation.isPresent(i));
        }
        // The lists found in a step belong to the positions before it.
        const std::vector<CrowdAgent> before = simulation.engine().agents();
        simulation.step(0.1f);
        for (int i = 0; i < 600; ++i) {
            const Expected expected = bruteForce(before, i, simulation.engine().neighbourCount());
            const CrowdAgent& agent = simulation.engine().agent(i);
            ASSERT_EQ(neighboursOf(agent), expected.ids) << "step " << k << ", agent " << i;
            ASSERT_EQ(distancesOf(agent), expected.distances) << "step " << k << ", agent " << i;
        }
    }
}

TEST(AgentTreeSearch, StaysExactStepAfterStepWithBoids) {
    checkSearchesWhileWalking<SimulationBoids>();
}

TEST(AgentTreeSearch, StaysExactStepAfterStepWithHelbing) {
    checkSearchesWhileWalking<SimulationHelbing>();
}

TEST(AgentTreeSearch, StaysExactWhileAgentsComeAndGo) {
    checkSearchesWhileWalking<SimulationBoids>(true);
}

TEST(AgentTreeSearch, StaysExactWhileAgentsComeAndGoWithHelbing) {
    checkSearchesWhileWalking<SimulationHelbing>(true);
}

TEST(AgentTreeSearch, AnAgentLeftOutOfSomeSearchesStillGetsExactNeighbours) {
    // Twelve agents in a row 0.5 m apart; agent 0 is searched, then the others move 20 m off
    // and back without agent 0 being searched in between.
    std::vector<CrowdAgent> agents(12);
    for (int i = 0; i < 12; ++i) {
        agents[i].id = i;
        agents[i].position = {0.5f * static_cast<float>(i), 0.0f};
    }
    AgentTree tree(12);
    tree.build(agents);
    tree.findNeighbours(agents[0]);
    for (int i = 1; i < 12; ++i) {
        agents[i].position.y = 20.0f;
    }
    tree.build(agents);
    for (int i = 1; i < 12; ++i) {
        agents[i].position = {0.5f * static_cast<float>(i) + 3.0f, 0.0f};
    }
    tree.build(agents);
    tree.build(agents);
    tree.findNeighbours(agents[0]);
    EXPECT_EQ(neighboursOf(agents[0]), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_NEAR(agents[0].neighbourDistances[0], 3.5f - 0.4f, 1e-5f);
}
