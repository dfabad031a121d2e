// The collision-avoidance engine's agent grid: what a search finds, when it declines, and
// whole runs that take their neighbours from it against runs that ask the kd-tree alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "core/Vec2.h"
#include "models/orca/AgentGrid.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/OrcaEngine.h"
#include "models/orca/SpatialIndex.h"

namespace {

// n agents at `origin` + a random offset of up to `spread` along each axis; a third of them
// on another's spot.
void spawnCrowd(OrcaEngine& engine, int n, Vec2 origin, Vec2 spread, unsigned seed) {
    engine.setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && unit(random) < 0.3f) {
            engine.spawnAgent(engine.position(random() % engine.agentCount()));
        } else {
            engine.spawnAgent(origin + Vec2(spread.x * unit(random), spread.y * unit(random)));
        }
    }
}

std::vector<std::pair<float, const OrcaAgent*>> sortedHits(const AgentGrid::Hits& hits,
                                                           std::size_t n) {
    std::vector<std::pair<float, const OrcaAgent*>> out;
    for (std::size_t i = 0; i < n; ++i) {
        out.emplace_back(hits.squaredDistance[i], hits.agent[i]);
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(OrcaAgentGrid, FindsExactlyTheOtherAgentsWithinTheBound) {
    struct Case {
        const char* name;
        Vec2 origin, spread;
        float bound;  // m²
    };
    const Case cases[] = {
        {"a square", Vec2(), Vec2(20.0f, 20.0f), 4.0f},
        {"far from the origin", Vec2(1e5f, -3e4f), Vec2(20.0f, 20.0f), 6.25f},
        {"on a line", Vec2(2.0f, 7.0f), Vec2(300.0f, 0.0f), 100.0f},
        {"on one spot", Vec2(1.0f, 1.0f), Vec2(), 1e-30f},
        {"an unreachable bound", Vec2(), Vec2(40.0f, 40.0f), 1e-6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrcaEngine engine;
        spawnCrowd(engine, 200, c.origin, c.spread, 7);
        engine.spatialIndex().buildAgentTree();
        const AgentGrid& grid = engine.spatialIndex().agentGrid();
        ASSERT_TRUE(grid.usable());
        for (std::size_t i = 0; i < engine.agentCount(); ++i) {
            const OrcaAgent& agent = engine.agent(i);
            std::vector<std::pair<float, const OrcaAgent*>> expected;
            for (std::size_t j = 0; j < engine.agentCount(); ++j) {
                const float d = (agent.position() - engine.position(j)).squaredLength();
                if (j != i && d < c.bound) {
                    expected.emplace_back(d, &engine.agent(j));
                }
            }
            std::sort(expected.begin(), expected.end());
            AgentGrid::Hits hits;
            const std::size_t found = grid.collect(agent, c.bound, hits);
            if (expected.size() > AgentGrid::hitCapacity) {
                EXPECT_EQ(found, AgentGrid::noAnswer) << "agent " << i;
            } else {
                ASSERT_NE(found, AgentGrid::noAnswer) << "agent " << i;
                EXPECT_EQ(sortedHits(hits, found), expected) << "agent " << i;
            }
        }
    }
}

TEST(OrcaAgentGrid, SmallOrUnboundedCrowdsGetNoGrid) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        int agents;
        Vec2 odd;  // where agent 0 stands
    };
    const Case cases[] = {
        {"63 agents", 63, Vec2(1.0f, 1.0f)},
        {"an infinite coordinate", 100, Vec2(inf, 1.0f)},
        {"a NaN coordinate", 100, Vec2(1.0f, nan)},
        {"an extent beyond float", 100, Vec2(-3e38f, 3e38f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrcaEngine engine;
        spawnCrowd(engine, c.agents, Vec2(), Vec2(10.0f, 10.0f), 3);
        engine.setPosition(0, c.odd);
        engine.spatialIndex().buildAgentTree();
        EXPECT_FALSE(engine.spatialIndex().agentGrid().usable());
        AgentGrid::Hits hits;
        EXPECT_EQ(engine.spatialIndex().agentGrid().collect(engine.agent(1), 4.0f, hits),
                  AgentGrid::noAnswer);
    }
}

// Lists, their order among equally near agents included, and every position, step by step,
// against the same run with the grid switched off. The lattice puts most neighbours at
// distances shared with others, so many searches must go back to the tree.
TEST(OrcaAgentGrid, RunsStepAsWithTheTreeAlone) {
    struct Case {
        const char* name;
        float jitter;  // m, of a lattice of 0.9 m
        int absentFrom;
    };
    const Case cases[] = {
        {"an exact lattice", 0.0f, -1},
        {"a shaken lattice", 0.3f, -1},
        {"agents leaving and coming back", 0.3f, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrcaEngine withGrid;
        OrcaEngine treeOnly;
        treeOnly.spatialIndex().setGridSearch(false);
        for (OrcaEngine* engine : {&withGrid, &treeOnly}) {
            std::mt19937 random(11);
            std::uniform_real_distribution<float> shake(-c.jitter, c.jitter);
            engine->setDefaults(15.0f, 10, 5.0f, 5.0f, 0.25f, 1.6f, Vec2());
            engine->setTimeStep(0.1f);
            for (int i = 0; i < 400; ++i) {
                const Vec2 at(0.9f * static_cast<float>(i % 20), 0.9f * static_cast<float>(i / 20));
                engine->spawnAgent(at + Vec2(shake(random), shake(random)));
                engine->setPreferredVelocity(i, Vec2(i % 2 == 0 ? 1.0f : -1.0f, 0.5f));
            }
        }
        for (int step = 0; step < 12; ++step) {
            for (OrcaEngine* engine : {&withGrid, &treeOnly}) {
                for (std::size_t i = 0; c.absentFrom >= 0 && i < engine->agentCount(); i += 7) {
                    engine->setPresent(i, step < c.absentFrom || step >= c.absentFrom + 3);
                }
                engine->advance();
            }
            for (std::size_t i = 0; i < withGrid.agentCount(); ++i) {
                const auto& fast = withGrid.agent(i).agentNeighbours();
                const auto& plain = treeOnly.agent(i).agentNeighbours();
                ASSERT_EQ(fast.size(), plain.size()) << "step " << step << " agent " << i;
                for (std::size_t k = 0; k < fast.size(); ++k) {
                    ASSERT_EQ(fast[k].first, plain[k].first) << "step " << step << " agent " << i;
                    ASSERT_EQ(fast[k].second->index(), plain[k].second->index())
                        << "step " << step << " agent " << i << " place " << k;
                }
                ASSERT_EQ(withGrid.position(i), treeOnly.position(i)) << "step " << step;
            }
        }
        EXPECT_TRUE(withGrid.spatialIndex().agentGrid().usable());
    }
}
