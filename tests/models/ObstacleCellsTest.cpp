// The collision-avoidance engine's obstacle cells: searches through a cell's copy of the
// obstacle tree keep what a walk of the whole tree keeps, in the same order, on a lattice of
// positions in and around the cells, at vertices and edge midpoints, at no finite place and
// where an edge lies at the very edge of the range; and whole runs step as without cells.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "core/Vec2.h"
#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaEngine.h"

namespace {

struct Scene {
    const char* name;
    Vec2 origin;
    int walls;        // random segments over 40 m × 40 m
    bool squares;     // a lattice of 1 m squares, whose corners tie edges at equal distance
    bool degenerate;  // a zero-length edge and one of 0.1 mm
};

// 64 agents with the default settings, agent 0 the probe, among the scene's obstacles.
void build(OrcaEngine& engine, const Scene& scene) {
    engine.setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(0.0f, 40.0f);
    std::uniform_real_distribution<float> angle(0.0f, 6.2831853f);
    for (int i = 0; i < 64; ++i) {
        engine.spawnAgent(scene.origin + Vec2(5.0f * (i % 8), 5.0f * (i / 8)));
    }
    for (int i = 0; i < scene.walls; ++i) {
        const Vec2 a = scene.origin + Vec2(coordinate(random), coordinate(random));
        const float t = angle(random);
        engine.addPolygon({a, a + 3.0f * Vec2(std::cos(t), std::sin(t))});
    }
    for (int i = 0; scene.squares && i < 36; ++i) {
        const Vec2 a = scene.origin + Vec2(3.0f + 6.0f * (i % 6), 3.0f + 6.0f * (i / 6));
        engine.addPolygon({a, a + Vec2(1.0f, 0.0f), a + Vec2(1.0f, 1.0f), a + Vec2(0.0f, 1.0f)});
    }
    if (scene.degenerate) {
        const Vec2 a = scene.origin + Vec2(20.0f, 20.0f);
        engine.addPolygon({a, a});
        engine.addPolygon({a + Vec2(1.0f, 0.0f), a + Vec2(1.0001f, 0.0f)});
    }
    engine.indexObstacles();
    engine.prepareObstacleSearch();
}

std::vector<std::pair<float, std::size_t>> obstacleList(OrcaEngine& engine) {
    engine.agent(0).findNeighboursWithoutTree();
    std::vector<std::pair<float, std::size_t>> list;
    for (const auto& [d, vertex] : engine.agent(0).obstacleNeighbours()) {
        list.emplace_back(d, vertex->index);
    }
    return list;
}

const Scene scenes[] = {
    {"random walls", Vec2(), 60, false, false},
    {"a lattice of squares", Vec2(), 0, true, false},
    {"far from the origin", Vec2(1e5f, -3e4f), 60, true, false},
    {"degenerate edges", Vec2(), 10, false, true},
};

}  // namespace

TEST(ObstacleCells, KeepWhatTheWholeTreeKeepsWhereverTheAgentStands) {
    const float inf = std::numeric_limits<float>::infinity();
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        OrcaEngine withCells;
        OrcaEngine wholeTree;
        wholeTree.spatialIndex().setObstacleCells(false);
        build(withCells, scene);
        build(wholeTree, scene);
        ASSERT_GT(withCells.spatialIndex().obstacleCells().cellRange(), 0.0f);
        // On a half-metre lattice reaching well beyond the cells, on every vertex and midway
        // along every edge, and at no finite place.
        std::vector<Vec2> probes = {Vec2(inf, 0.0f), Vec2(-inf, inf), Vec2(NAN, 1.0f)};
        for (float x = -15.0f; x <= 55.0f; x += 0.5f) {
            for (float y = -15.0f; y <= 55.0f; y += 0.5f) {
                probes.push_back(scene.origin + Vec2(x, y));
            }
        }
        for (const auto& vertex : withCells.vertices()) {
            probes.push_back(vertex->point);
            probes.push_back(0.5f * (vertex->point + vertex->next->point));
        }
        // The range the cells were built for; a shorter one, which they answer too; longer and
        // unbounded ones, which they leave to the whole tree.
        for (const float horizon : {5.0f, 2.0f, 8.0f, inf, NAN}) {
            for (const Vec2& probe : probes) {
                for (OrcaEngine* engine : {&withCells, &wholeTree}) {
                    engine->setObstacleHorizon(0, horizon);
                    engine->setPosition(0, probe);
                }
                ASSERT_EQ(obstacleList(withCells), obstacleList(wholeTree))
                    << "at " << probe.x << ", " << probe.y << " horizon " << horizon;
            }
        }
    }
}

// An edge whose float distance falls just inside the range while its exact distance from the
// cell lies a hair beyond it: only the pruning margins keep it in the cell's copy.
TEST(ObstacleCells, KeepAnEdgeTheWalkFindsAtTheEdgeOfTheRange) {
    OrcaEngine withCells;
    OrcaEngine wholeTree;
    wholeTree.spatialIndex().setObstacleCells(false);
    for (OrcaEngine* engine : {&withCells, &wholeTree}) {
        engine->setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
        for (int i = 0; i < 64; ++i) {
            engine->spawnAgent(Vec2(5.0f * (i % 8), 5.0f * (i / 8)));
        }
        engine->addPolygon({Vec2(0.0f, 0.0f), Vec2(0.5f, 0.0f)});
        engine->addPolygon({Vec2(39.5f, 40.0f), Vec2(40.0f, 40.0f)});
        engine->addPolygon({Vec2(15.1493807f, 4.95233297f), Vec2(7.87231731f, 11.1641254f)});
        engine->indexObstacles();
        engine->prepareObstacleSearch();
        engine->setPosition(0, Vec2(15.5f, 15.5f));
    }
    const auto kept = obstacleList(wholeTree);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_LT(kept[0].first, 8.25f * 8.25f);
    EXPECT_EQ(obstacleList(withCells), kept);
}

TEST(ObstacleCells, RunsStepAsWithTheWholeTree) {
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        OrcaEngine withCells;
        OrcaEngine wholeTree;
        wholeTree.spatialIndex().setObstacleCells(false);
        for (OrcaEngine* engine : {&withCells, &wholeTree}) {
            build(*engine, scene);
            engine->setTimeStep(0.1f);
            for (std::size_t i = 0; i < engine->agentCount(); ++i) {
                engine->setPreferredVelocity(i, Vec2(i % 2 == 0 ? 1.5f : -1.0f, 0.7f));
            }
        }
        for (int step = 0; step < 40; ++step) {
            withCells.advance();
            wholeTree.advance();
            for (std::size_t i = 0; i < withCells.agentCount(); ++i) {
                ASSERT_EQ(withCells.position(i), wholeTree.position(i))
                    << "step " << step << " agent " << i;
            }
        }
    }
}

TEST(ObstacleCells, AreLeftOutForSmallCrowdsAndHugeCoordinates) {
    OrcaEngine small;
    small.setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
    for (int i = 0; i < 63; ++i) {
        small.spawnAgent(Vec2(float(i), 0.0f));
    }
    small.addPolygon({Vec2(0.0f, 1.0f), Vec2(5.0f, 1.0f)});
    small.indexObstacles();
    small.prepareObstacleSearch();
    EXPECT_EQ(small.spatialIndex().obstacleCells().cellRange(), 0.0f);
    small.spawnAgent(Vec2());
    small.prepareObstacleSearch();
    EXPECT_EQ(small.spatialIndex().obstacleCells().cellRange(), 8.25f * 8.25f);

    // Where float products of coordinates could overflow, or a vertex is no number, the whole
    // tree decides.
    for (const Vec2& far : {Vec2(1e19f, 0.0f), Vec2(NAN, 0.0f)}) {
        OrcaEngine engine;
        build(engine, scenes[0]);
        engine.addPolygon({far, Vec2(3.0f, 5.0f)});
        engine.indexObstacles();
        engine.prepareObstacleSearch();
        EXPECT_EQ(engine.spatialIndex().obstacleCells().cellRange(), 0.0f) << far.x;
    }
}
