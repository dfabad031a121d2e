#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/Vec2.h"
#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/OrcaEngine.h"
#include "models/orca/SpatialIndex.h"

// The engine's set-up and neighbour search: agents and polygons, the kd-tree over the agents,
// the obstacle tree with its edge splitting, and the neighbour lists compared with brute force.

#include "tests/support/OrcaSettings.h"

namespace {

void findAllNeighbours(OrcaEngine& engine) {
    engine.spatialIndex().buildAgentTree();
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        if (engine.agent(i).isPresent()) {
            engine.agent(i).findNeighbours();
        }
    }
}

std::vector<std::size_t> neighbourIndices(const OrcaAgent& agent) {
    std::vector<std::size_t> out;
    for (const auto& entry : agent.agentNeighbours()) {
        out.push_back(entry.second->index());
    }
    return out;
}

std::vector<std::size_t> obstacleIndices(const OrcaAgent& agent) {
    std::vector<std::size_t> out;
    for (const auto& entry : agent.obstacleNeighbours()) {
        out.push_back(entry.second->index);
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Agents and polygons

TEST(OrcaEngine, SpawningBeforeDefaultsIsRefused) {
    OrcaEngine engine;
    EXPECT_EQ(engine.spawnAgent(Vec2(1.0f, 2.0f)), -1);
    EXPECT_EQ(engine.agentCount(), 0u);
    configure(engine);
    EXPECT_EQ(engine.spawnAgent(Vec2(1.0f, 2.0f)), 0);
    EXPECT_EQ(engine.spawnAgent(Vec2(3.0f, 4.0f)), 1);
    EXPECT_EQ(engine.agent(1).index(), 1u);
    EXPECT_EQ(engine.position(1), Vec2(3.0f, 4.0f));
}

TEST(OrcaEngine, AgentsCopyTheTemplateThatWasCurrentWhenTheyWereSpawned) {
    OrcaEngine engine;
    engine.setDefaults(12.0f, 7, 3.0f, 4.0f, 0.4f, 1.2f, Vec2(0.5f, -0.5f));
    engine.spawnAgent(Vec2());
    engine.setDefaults(1.0f, 2, 0.5f, 0.25f, 0.1f, 2.0f, Vec2());
    engine.spawnAgent(Vec2());
    const OrcaAgent& first = engine.agent(0);
    EXPECT_EQ(first.neighbourDistance(), 12.0f);
    EXPECT_EQ(first.maxNeighbours(), 7u);
    EXPECT_EQ(first.agentHorizon(), 3.0f);
    EXPECT_EQ(first.obstacleHorizon(), 4.0f);
    EXPECT_EQ(first.radius(), 0.4f);
    EXPECT_EQ(first.maxSpeed(), 1.2f);
    EXPECT_EQ(first.velocity(), Vec2(0.5f, -0.5f));
    EXPECT_EQ(first.preferredVelocity(), Vec2());
    EXPECT_EQ(first.newVelocity(), Vec2());
    EXPECT_EQ(engine.agent(1).maxNeighbours(), 2u);
    EXPECT_EQ(engine.agent(1).radius(), 0.1f);
}

TEST(OrcaEngine, PolygonsOfFewerThanTwoVerticesAreRefused) {
    OrcaEngine engine;
    EXPECT_EQ(engine.addPolygon({}), -1);
    EXPECT_EQ(engine.addPolygon({Vec2(1.0f, 1.0f)}), -1);
    EXPECT_TRUE(engine.vertices().empty());
    EXPECT_EQ(engine.addPolygon({Vec2(0.0f, 0.0f), Vec2(1.0f, 0.0f)}), 0);
    EXPECT_EQ(engine.addPolygon({Vec2(0.0f, 2.0f), Vec2(1.0f, 2.0f), Vec2(0.0f, 3.0f)}), 2);
    EXPECT_EQ(engine.vertices().size(), 5u);
}

TEST(OrcaEngine, ASegmentIsTwoConvexVerticesWithOppositeDirections) {
    OrcaEngine engine;
    engine.addPolygon({Vec2(1.0f, 1.0f), Vec2(4.0f, 5.0f)});
    const auto& v = engine.vertices();
    ASSERT_EQ(v.size(), 2u);
    // (4, 5) − (1, 1) = (3, 4), of length 5.
    EXPECT_TRUE(v[0]->convex);
    EXPECT_TRUE(v[1]->convex);
    EXPECT_NEAR(v[0]->direction.x, 0.6f, 1e-7f);
    EXPECT_NEAR(v[0]->direction.y, 0.8f, 1e-7f);
    EXPECT_NEAR(v[1]->direction.x, -0.6f, 1e-7f);
    EXPECT_NEAR(v[1]->direction.y, -0.8f, 1e-7f);
    EXPECT_EQ(v[0]->next, v[1].get());
    EXPECT_EQ(v[0]->previous, v[1].get());
    EXPECT_EQ(v[1]->next, v[0].get());
    EXPECT_EQ(v[1]->previous, v[0].get());
}

TEST(OrcaEngine, PolygonRingsLinkAndMarkConcaveCorners) {
    OrcaEngine engine;
    // An L, counter-clockwise, with an extra corner half-way along its bottom edge. The corner
    // at (1, 1) turns right; (1, 0) goes straight on (left-of = 0), which counts as convex;
    // every other one turns left.
    const std::vector<Vec2> l = {Vec2(0, 0), Vec2(1, 0), Vec2(2, 0), Vec2(2, 1),
                                 Vec2(1, 1), Vec2(1, 2), Vec2(0, 2)};
    engine.addPolygon(l);
    const auto& v = engine.vertices();
    const std::size_t n = l.size();
    ASSERT_EQ(v.size(), n);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(v[i]->index, i);
        EXPECT_EQ(v[i]->point, l[i]);
        EXPECT_EQ(v[i]->next, v[(i + 1) % n].get());
        EXPECT_EQ(v[i]->previous, v[(i + n - 1) % n].get());
        EXPECT_EQ(v[i]->convex, i != 4) << "corner " << i;
        const Vec2 expected = (l[(i + 1) % n] - l[i]).normalised();
        EXPECT_EQ(v[i]->direction, expected);
    }
}

// ---------------------------------------------------------------------------------------------
// The agent kd-tree

TEST(OrcaSpatialIndex, TenAgentsFormOneLeafAndElevenSplitTheRoot) {
    for (const int n : {10, 11}) {
        OrcaEngine engine;
        configure(engine);
        for (int i = 0; i < n; ++i) {
            engine.spawnAgent(Vec2(static_cast<float>(i), 0.5f * static_cast<float>(i % 3)));
        }
        engine.spatialIndex().buildAgentTree();
        const auto& nodes = engine.spatialIndex().agentNodes();
        ASSERT_EQ(nodes.size(), static_cast<std::size_t>(2 * n - 1));
        EXPECT_EQ(nodes[0].begin, 0u);
        EXPECT_EQ(nodes[0].end, static_cast<std::size_t>(n));
        EXPECT_EQ(nodes[0].minX, 0.0f);
        EXPECT_EQ(nodes[0].maxX, static_cast<float>(n - 1));
        EXPECT_EQ(nodes[0].minY, 0.0f);
        EXPECT_EQ(nodes[0].maxY, 1.0f);
        if (n == 11) {
            // Spread 10 m along x and 1 m along y: split across x at 5; x = 0 … 4 go left.
            const AgentNode& left = nodes[nodes[0].left];
            const AgentNode& right = nodes[nodes[0].right];
            EXPECT_EQ(nodes[0].left, 1u);
            EXPECT_EQ(left.begin, 0u);
            EXPECT_EQ(left.end, 5u);
            // The left subtree of 5 agents takes 2 · 5 − 1 = 9 nodes, 1 … 9.
            EXPECT_EQ(nodes[0].right, 10u);
            EXPECT_EQ(right.begin, 5u);
            EXPECT_EQ(right.end, 11u);
            for (std::size_t i = 0; i < 11; ++i) {
                const float x = engine.spatialIndex().agentOrder()[i].position.x;
                EXPECT_EQ(x < 5.0f, i < 5) << "slot " << i;
            }
        }
    }
}

TEST(OrcaSpatialIndex, AgentsAtOneSpotArePeeledOffOneByOne) {
    OrcaEngine engine;
    configure(engine);
    const int n = 25;
    for (int i = 0; i < n; ++i) {
        engine.spawnAgent(Vec2(3.0f, 3.0f));
    }
    findAllNeighbours(engine);
    const auto& nodes = engine.spatialIndex().agentNodes();
    // Node 2k covers [k, 25) and puts agent slot k alone into node 2k + 1, until 10 are left
    // at k = 15.
    for (std::size_t k = 0; k < 15; ++k) {
        EXPECT_EQ(nodes[2 * k].begin, k);
        EXPECT_EQ(nodes[2 * k].end, 25u);
        EXPECT_EQ(nodes[2 * k + 1].begin, k);
        EXPECT_EQ(nodes[2 * k + 1].end, k + 1);
    }
    EXPECT_EQ(nodes[30].begin, 15u);
    EXPECT_EQ(nodes[30].end, 25u);
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        EXPECT_EQ(engine.agent(i).agentNeighbours().size(), 10u);
    }
}

TEST(OrcaSpatialIndex, AgentsSpawnedLaterJoinTheTree) {
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2(0.0f, 0.0f));
    engine.spawnAgent(Vec2(1.0f, 0.0f));
    findAllNeighbours(engine);
    EXPECT_EQ(neighbourIndices(engine.agent(0)), std::vector<std::size_t>{1});
    engine.spawnAgent(Vec2(0.5f, 0.0f));
    findAllNeighbours(engine);
    EXPECT_EQ(engine.spatialIndex().agentNodes().size(), 5u);
    EXPECT_EQ(neighbourIndices(engine.agent(0)), (std::vector<std::size_t>{2, 1}));
}

TEST(OrcaSpatialIndex, TheTenNearestOfTwentyRemainNearestFirst) {
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2());
    // Agent j (1 … 20) stands 0.5 · ((7 j) mod 20 + 1) m away, all within 15 m, so the
    // distances 0.5 … 10 m are dealt out of order. The remainders (7 j) mod 20 for j = 1 … 20
    // are 7 14 1 8 15 2 9 16 3 10 17 4 11 18 5 12 19 6 13 0; the ten below 10, in increasing
    // order, belong to j = 20 3 6 9 12 15 18 1 4 7.
    for (int j = 1; j <= 20; ++j) {
        const float distance = 0.5f * static_cast<float>((7 * j) % 20 + 1);
        const float angle = 0.3f * static_cast<float>(j);
        engine.spawnAgent(Vec2(distance * std::cos(angle), distance * std::sin(angle)));
    }
    const std::vector<std::size_t> expected = {20, 3, 6, 9, 12, 15, 18, 1, 4, 7};
    findAllNeighbours(engine);
    EXPECT_EQ(neighbourIndices(engine.agent(0)), expected);
    const auto& list = engine.agent(0).agentNeighbours();
    for (std::size_t k = 0; k < list.size(); ++k) {
        const float distance = 0.5f * static_cast<float>(k + 1);
        EXPECT_NEAR(list[k].first, distance * distance, 1e-4f);
    }
}

TEST(OrcaSpatialIndex, NoAgentNeighboursWithoutRoom) {
    OrcaEngine engine;
    Settings s;
    s.maxNeighbours = 0;
    configure(engine, s);
    engine.spawnAgent(Vec2());
    engine.spawnAgent(Vec2(1.0f, 0.0f));
    engine.addPolygon({Vec2(-2.0f, 1.0f), Vec2(2.0f, 1.0f)});
    engine.indexObstacles();
    findAllNeighbours(engine);
    EXPECT_TRUE(engine.agent(0).agentNeighbours().empty());
    EXPECT_EQ(engine.agent(0).obstacleNeighbours().size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// The obstacle tree

TEST(OrcaSpatialIndex, ASegmentIsSeenOnlyFromTheSideItFaces) {
    OrcaEngine engine;
    configure(engine);
    engine.addPolygon({Vec2(0.0f, 0.0f), Vec2(4.0f, 0.0f)});
    engine.spawnAgent(Vec2(2.0f, 1.0f));   // left of (0,0)→(4,0): faced by the edge back
    engine.spawnAgent(Vec2(2.0f, -1.0f));  // right of it: faced by the edge forth
    engine.spawnAgent(Vec2(2.0f, 30.0f));  // beyond 5 s × 1.6 m/s + 0.25 m = 8.25 m
    engine.indexObstacles();
    findAllNeighbours(engine);
    EXPECT_EQ(obstacleIndices(engine.agent(0)), std::vector<std::size_t>{1});
    EXPECT_EQ(obstacleIndices(engine.agent(1)), std::vector<std::size_t>{0});
    EXPECT_TRUE(engine.agent(2).obstacleNeighbours().empty());
    EXPECT_EQ(engine.agent(0).obstacleNeighbours()[0].first, 1.0f);
}

TEST(OrcaSpatialIndex, AnEdgeTooShortToMeasureHidesNoWall) {
    // 10^-30 m squared is below the smallest float: the edge has no length to the search. Added
    // first, it splits at the top of the tree, with every wall of the room on its left.
    OrcaEngine engine;
    configure(engine);
    engine.addPolygon({Vec2(0.0f, 0.0f), Vec2(1e-30f, 0.0f)});
    engine.addPolygon({Vec2(-5.0f, -5.0f), Vec2(-5.0f, 5.0f), Vec2(5.0f, 5.0f), Vec2(5.0f, -5.0f)});
    engine.spawnAgent(Vec2(0.0f, 4.5f));
    engine.spawnAgent(Vec2(0.0f, -4.5f));
    engine.indexObstacles();
    findAllNeighbours(engine);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& near = engine.agent(i).obstacleNeighbours();
        ASSERT_FALSE(near.empty()) << "agent " << i;
        EXPECT_EQ(near.front().first, 0.25f) << "agent " << i;  // the wall 0.5 m away
        for (const auto& [d, vertex] : near) {
            EXPECT_GT(vertex->index, 1u) << "agent " << i << " keeps the short edge";
        }
    }
}

TEST(OrcaSpatialIndex, ObstaclesAddedAfterIndexingAreUnseenUntilIndexedAgain) {
    OrcaEngine engine;
    configure(engine);
    engine.spawnAgent(Vec2(0.0f, -1.0f));
    engine.indexObstacles();
    engine.addPolygon({Vec2(-1.0f, 0.0f), Vec2(1.0f, 0.0f)});
    findAllNeighbours(engine);
    EXPECT_TRUE(engine.agent(0).obstacleNeighbours().empty());
    engine.indexObstacles();
    findAllNeighbours(engine);
    EXPECT_EQ(obstacleIndices(engine.agent(0)), std::vector<std::size_t>{0});
}

TEST(OrcaSpatialIndex, AnEdgeCrossingTheSplittingLineIsCutInTwo) {
    OrcaEngine engine;
    // Segment A along y = 0 and segment B along x = 5 from y = −1 to 3. A's first edge splits
    // best (3 edges on one side, 2 on the other, against B's 2 and 2 … then 3 and 2 found
    // later), so both edges of B are cut where they cross y = 0. For B's edge (5,−1)→(5,3):
    // t = det((10,0), (5,−1)) / det((10,0), (0,−4)) = −10 / −40 = 0.25, at (5, 0); for the
    // edge back, (5,3)→(5,−1): t = 30 / 40 = 0.75, at (5, 0) again.
    engine.addPolygon({Vec2(0.0f, 0.0f), Vec2(10.0f, 0.0f)});
    engine.addPolygon({Vec2(5.0f, -1.0f), Vec2(5.0f, 3.0f)});
    engine.indexObstacles();
    const auto& v = engine.vertices();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(engine.spatialIndex().obstacleTree()->vertex, v[0].get());

    EXPECT_EQ(v[4]->point, Vec2(5.0f, 0.0f));
    EXPECT_EQ(v[4]->direction, Vec2(0.0f, 1.0f));
    EXPECT_EQ(v[4]->direction, v[2]->direction);
    EXPECT_TRUE(v[4]->convex);
    EXPECT_EQ(v[4]->index, 4u);
    EXPECT_EQ(v[4]->previous, v[2].get());
    EXPECT_EQ(v[4]->next, v[3].get());
    EXPECT_EQ(v[2]->next, v[4].get());
    EXPECT_EQ(v[3]->previous, v[4].get());

    EXPECT_EQ(v[5]->point, Vec2(5.0f, 0.0f));
    EXPECT_EQ(v[5]->direction, Vec2(0.0f, -1.0f));
    EXPECT_EQ(v[5]->previous, v[3].get());
    EXPECT_EQ(v[5]->next, v[2].get());
    EXPECT_EQ(v[3]->next, v[5].get());
    EXPECT_EQ(v[2]->previous, v[5].get());

    // The pieces no longer cross any splitting line: indexing again adds nothing.
    engine.indexObstacles();
    EXPECT_EQ(engine.vertices().size(), 6u);

    // An agent at (5.5, −0.5) is right of A's edge forth and of both upward pieces of B's
    // edge forth (vertices 2 and 4), and left of the downward pieces.
    configure(engine);
    engine.spawnAgent(Vec2(5.5f, -0.5f));
    findAllNeighbours(engine);
    const std::vector<std::size_t> seen = obstacleIndices(engine.agent(0));
    EXPECT_EQ(std::set<std::size_t>(seen.begin(), seen.end()), (std::set<std::size_t>{0, 2, 4}));
}

// ---------------------------------------------------------------------------------------------
// Neighbour lists against brute force

namespace {

// A random scene in a square of `side` metres: agents, a tenth of them on top of another
// one, random segments and star-shaped (mostly concave) polygons, counter-clockwise.
void fillScene(OrcaEngine& engine, std::mt19937& random, int agents, int segments, int polygons,
               float side) {
    std::uniform_real_distribution<float> coordinate(0.0f, side);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < agents; ++i) {
        if (i > 0 && unit(random) < 0.1f) {
            const std::size_t twin =
                std::uniform_int_distribution<std::size_t>(0, engine.agentCount() - 1)(random);
            engine.spawnAgent(engine.position(twin));
        } else {
            engine.spawnAgent(Vec2(coordinate(random), coordinate(random)));
        }
    }
    std::uniform_real_distribution<float> length(-3.0f, 3.0f);
    for (int i = 0; i < segments; ++i) {
        const Vec2 a(coordinate(random), coordinate(random));
        engine.addPolygon({a, a + Vec2(length(random), length(random))});
    }
    for (int i = 0; i < polygons; ++i) {
        const Vec2 centre(coordinate(random), coordinate(random));
        const int corners = std::uniform_int_distribution<int>(3, 9)(random);
        std::vector<Vec2> polygon;
        for (int k = 0; k < corners; ++k) {
            const float angle = 6.2831853f * (static_cast<float>(k) + 0.8f * unit(random)) /
                                static_cast<float>(corners);
            const float reach = 0.5f + 2.0f * unit(random);
            polygon.push_back(centre + reach * Vec2(std::cos(angle), std::sin(angle)));
        }
        engine.addPolygon(polygon);
    }
}

void expectAgentNeighboursAsBruteForce(const OrcaEngine& engine, std::size_t i) {
    const OrcaAgent& agent = engine.agent(i);
    std::vector<std::pair<float, std::size_t>> inRange;
    const float range = agent.neighbourDistance() * agent.neighbourDistance();
    for (std::size_t j = 0; j < engine.agentCount(); ++j) {
        const float d = (agent.position() - engine.position(j)).squaredLength();
        if (j != i && d < range && engine.agent(j).isPresent()) {
            inRange.emplace_back(d, j);
        }
    }
    std::sort(inRange.begin(), inRange.end());
    const std::size_t kept =
        agent.isPresent() ? std::min(inRange.size(), agent.maxNeighbours()) : 0;
    const auto& list = agent.agentNeighbours();
    ASSERT_EQ(list.size(), kept) << "agent " << i;
    std::set<std::size_t> seen;
    for (std::size_t k = 0; k < kept; ++k) {
        // Equal distances (agents on one spot) may come in any order, so the distances are
        // compared slot by slot and the agents as a set below the last kept distance.
        EXPECT_EQ(list[k].first, inRange[k].first) << "agent " << i << " slot " << k;
        EXPECT_TRUE(seen.insert(list[k].second->index()).second);
        EXPECT_NE(list[k].second->index(), i);
    }
    for (std::size_t k = 0; k < kept; ++k) {
        if (inRange[k].first < list.back().first) {
            EXPECT_EQ(seen.count(inRange[k].second), 1u)
                << "agent " << i << " misses " << inRange[k].second;
        }
    }
}

void expectObstacleNeighboursAsBruteForce(const OrcaEngine& engine, std::size_t i) {
    const OrcaAgent& agent = engine.agent(i);
    const float reach = agent.obstacleHorizon() * agent.maxSpeed() + agent.radius();
    std::vector<std::pair<float, std::size_t>> expected;
    for (const auto& vertex : engine.vertices()) {
        const Vec2& a = vertex->point;
        const Vec2& b = vertex->next->point;
        const float d = squaredDistanceToSegment(a, b, agent.position());
        if (leftOf(a, b, agent.position()) < 0.0f && d < reach * reach) {
            expected.emplace_back(d, vertex->index);
        }
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::pair<float, std::size_t>> found;
    for (const auto& entry : agent.obstacleNeighbours()) {
        found.emplace_back(entry.first, entry.second->index);
    }
    for (std::size_t k = 1; k < found.size(); ++k) {
        EXPECT_LE(found[k - 1].first, found[k].first) << "agent " << i;
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << "agent " << i;
}

struct SceneCase {
    unsigned seed;
    int agents, segments, polygons;
    float side;
    std::size_t maxNeighbours;
};

void PrintTo(const SceneCase& c, std::ostream* out) {
    *out << "seed " << c.seed << ", " << c.agents << " agents, max " << c.maxNeighbours;
}

class NeighbourQueries : public testing::TestWithParam<SceneCase> {};

}  // namespace

TEST_P(NeighbourQueries, EqualBruteForce) {
    const SceneCase& c = GetParam();
    std::mt19937 random(c.seed);
    OrcaEngine engine;
    Settings s;
    s.maxNeighbours = c.maxNeighbours;
    configure(engine, s);
    fillScene(engine, random, c.agents, c.segments, c.polygons, c.side);
    // Every agent its own ranges: neighbour distances from 0.5 to 15 m, obstacle reach from
    // 0.35 to 8.25 m.
    std::uniform_real_distribution<float> distance(0.5f, 15.0f);
    std::uniform_real_distribution<float> horizon(0.05f, 5.0f);
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        engine.setNeighbourDistance(i, distance(random));
        engine.setObstacleHorizon(i, horizon(random));
    }
    engine.indexObstacles();
    for (int round = 0; round < 4; ++round) {
        // From the third round on, every third agent is absent, then every fifth.
        for (std::size_t i = 0; round >= 2 && i < engine.agentCount(); ++i) {
            engine.setPresent(i, i % (round == 2 ? 3 : 5) != 1);
        }
        findAllNeighbours(engine);
        for (std::size_t i = 0; i < engine.agentCount(); ++i) {
            expectAgentNeighboursAsBruteForce(engine, i);
            if (engine.agent(i).isPresent()) {
                expectObstacleNeighboursAsBruteForce(engine, i);
            }
        }
        // Move everyone a little and rebuild, reusing the permuted order and the nodes.
        std::uniform_real_distribution<float> jitter(-1.0f, 1.0f);
        for (std::size_t i = 0; i < engine.agentCount(); ++i) {
            engine.setPosition(i, engine.position(i) + Vec2(jitter(random), jitter(random)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orca, NeighbourQueries,
    testing::Values(SceneCase{1, 300, 40, 10, 30.0f, 10}, SceneCase{2, 500, 80, 20, 40.0f, 10},
                    SceneCase{3, 200, 20, 5, 10.0f, 1}, SceneCase{4, 200, 30, 8, 20.0f, 50},
                    SceneCase{5, 150, 0, 15, 15.0f, 200}, SceneCase{6, 60, 100, 0, 25.0f, 5},
                    SceneCase{7, 11, 3, 3, 5.0f, 10}, SceneCase{8, 1, 5, 2, 5.0f, 10}));

TEST(OrcaSpatialIndex, AgentsComingBackJoinTheOrderWhereASortOfAllAgentsWouldPutThem) {
    // The order the tree starts from decides among equally near neighbours, so it must be what
    // moving the present agents of the whole sequence (present ones, then absent ones, then
    // newly spawned ones) stably to the front gives, without walking that whole sequence.
    OrcaEngine engine;
    configure(engine);
    for (int i = 0; i < 12; ++i) {
        engine.spawnAgent(Vec2(static_cast<float>(i), 0.0f));
    }
    struct Round {
        std::vector<std::pair<std::size_t, bool>> changes;
        int spawned;
    };
    const std::vector<Round> rounds = {
        {{{2, false}, {5, false}, {7, false}, {9, false}}, 0},
        {{{5, true}, {0, false}, {3, false}}, 2},
        {{{13, false}, {9, true}, {13, true}, {0, true}, {5, false}, {2, true}}, 0},
        {{{1, false}, {1, true}, {7, true}, {11, false}}, 1},
        {{{11, true}, {3, true}, {5, true}}, 0}};
    std::vector<std::size_t> sequence(12);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        sequence[i] = i;
    }
    for (const Round& round : rounds) {
        for (int s = 0; s < round.spawned; ++s) {
            sequence.push_back(static_cast<std::size_t>(engine.spawnAgent(Vec2(-1.0f, 1.0f))));
        }
        for (const auto& change : round.changes) {
            engine.setPresent(change.first, change.second);
        }
        engine.spatialIndex().refreshAgents();
        const auto present =
            std::stable_partition(sequence.begin(), sequence.end(),
                                  [&engine](std::size_t i) { return engine.agent(i).isPresent(); });
        std::vector<std::size_t> order;
        for (const AgentSlot& slot : engine.spatialIndex().agentOrder()) {
            order.push_back(slot.agent->index());
        }
        EXPECT_EQ(order, std::vector<std::size_t>(sequence.begin(), present));
        EXPECT_EQ(engine.spatialIndex().agentsInTree(), order.size());
    }
}

// Crowds bunched at a few spots build trees deeper than the search's stack, which are
// searched by recursion instead; shallower ones by the stack. Both find every agent's nearest.
struct BunchCase {
    int spots;
    int agentsPerSpot;
};

class BunchedCrowd : public testing::TestWithParam<BunchCase> {};

TEST_P(BunchedCrowd, FindsTheNearestWhateverTheTreeDepth) {
    OrcaEngine engine;
    configure(engine);
    const BunchCase c = GetParam();
    for (int k = 0; k < c.agentsPerSpot; ++k) {
        for (int spot = 0; spot < c.spots; ++spot) {
            engine.spawnAgent(Vec2(4.0f * static_cast<float>(spot), 1.0f));
        }
    }
    findAllNeighbours(engine);
    for (std::size_t i = 0; i < engine.agentCount(); ++i) {
        expectAgentNeighboursAsBruteForce(engine, i);
    }
}

INSTANTIATE_TEST_SUITE_P(OrcaSpatialIndex, BunchedCrowd,
                         testing::Values(BunchCase{1, 25}, BunchCase{1, 90}, BunchCase{3, 120},
                                         BunchCase{40, 3}));
