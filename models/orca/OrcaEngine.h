#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Vec2.h"

#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/SpatialIndex.h"

/// Moves disc-shaped agents in the plane by optimal reciprocal collision avoidance: each step
/// every agent takes the velocity nearest to its preferred one that keeps it clear of its
/// nearby agents (sharing the avoidance half and half) and of nearby obstacle edges, within
/// its speed limit; then all agents move. It owns its agents, the template they start from,
/// the obstacle vertices (including those made by splitting edges) and the spatial index.
class StepThreads;

class OrcaEngine {
public:
    /// Returned by spawnAgent and addPolygon when they add nothing.
    static constexpr int refused = -1;

    OrcaEngine();
    ~OrcaEngine();
    OrcaEngine(const OrcaEngine&) = delete;
    OrcaEngine& operator=(const OrcaEngine&) = delete;

    /// Sets the template from which later agents start; agents spawned earlier keep their
    /// settings. Distances in metres, horizons in seconds, speeds in metres per second.
    void setDefaults(float neighbourDistance, std::size_t maxNeighbours, float agentHorizon,
                     float obstacleHorizon, float radius, float maxSpeed, const Vec2& velocity);
    /// Adds an agent with the template's settings at `position`; returns its index, or
    /// `refused` before setDefaults.
    int spawnAgent(const Vec2& position);
    /// Adds an obstacle polygon and returns the index of its first vertex, or `refused` for
    /// fewer than two vertices. Counter-clockwise polygons are solid; two vertices make a
    /// segment that blocks from both sides. Agents see it only after indexObstacles.
    int addPolygon(const std::vector<Vec2>& polygon);
    /// Builds the obstacle tree from every vertex, splitting edges where needed. Without
    /// polygons added since the last build, the tree stays as it is.
    void indexObstacles();
    /// Readies the obstacle search for the agents' obstacle ranges as they are now set. In a
    /// crowd of some dozens of agents or more this builds per-cell copies of the obstacle
    /// tree that find the same edges with less walking. Call it after indexObstacles and after
    /// changing the agents' settings; steps are correct without it, only slower.
    void prepareObstacleSearch();
    /// Duration of the next steps, in seconds.
    void setTimeStep(float dt) { step = dt; }
    /// One step: every present agent chooses its velocity from the state before the step, then
    /// they all move. With `threads`, the agents choose on all of them at once, with the same
    /// results.
    void advance(StepThreads* threads = nullptr);
    /// Puts an agent into the scene or takes it out. An absent agent is not in the agent tree
    /// and so nobody's neighbour, chooses no velocity and does not move; its position and
    /// velocity stay as they were, and its neighbour lists are emptied. Agents start present.
    void setPresent(std::size_t agent, bool present);

    // Per-agent settings; the index must be below agentCount().
    void setMaxSpeed(std::size_t agent, float speed) { agents[agent]->speedLimit = speed; }
    void setNeighbourDistance(std::size_t agent, float distance) {
        agents[agent]->neighbourRange = distance;
    }
    void setRadius(std::size_t agent, float radius) { agents[agent]->discRadius = radius; }
    void setAgentHorizon(std::size_t agent, float horizon) {
        agents[agent]->agentTimeHorizon = horizon;
    }
    void setObstacleHorizon(std::size_t agent, float horizon) {
        agents[agent]->obstacleTimeHorizon = horizon;
    }
    void setPosition(std::size_t agent, const Vec2& position) {
        agents[agent]->location = position;
    }
    void setVelocity(std::size_t agent, const Vec2& velocity) {
        agents[agent]->currentVelocity = velocity;
    }
    void setPreferredVelocity(std::size_t agent, const Vec2& velocity) {
        agents[agent]->preferred = velocity;
    }

    const Vec2& position(std::size_t agent) const { return agents[agent]->location; }
    const Vec2& velocity(std::size_t agent) const { return agents[agent]->currentVelocity; }
    float timeStep() const { return step; }
    std::size_t agentCount() const { return agents.size(); }
    const OrcaAgent& agent(std::size_t index) const { return *agents[index]; }
    OrcaAgent& agent(std::size_t index) { return *agents[index]; }
    /// Every obstacle vertex, split ones included; a vertex's index is its place here.
    const std::vector<std::unique_ptr<ObstacleVertex>>& vertices() const { return vertexList; }
    const SpatialIndex& spatialIndex() const { return index; }
    SpatialIndex& spatialIndex() { return index; }

private:
    friend class SpatialIndex;

    /// Neighbour search and velocity choice for the agents in places [begin, end) of the tree
    /// order.
    void decide(std::size_t begin, std::size_t end);
    /// Neighbour search and velocity choice of every present agent in the grid's order; the
    /// kd-tree is built only for the agents whose lists the grid cannot tell.
    void decideFromGrid(StepThreads* threads);
    /// Obstacle edges to make room for in each agent's lists.
    std::size_t obstacleRoom() const;
    /// Appends a vertex at `point` to the vertex list and returns it; index set, links empty.
    ObstacleVertex* appendVertex(const Vec2& point);

    std::vector<std::unique_ptr<OrcaAgent>> agents;
    /// Per place of the grid's order, whether that agent waits for the kd-tree; all zero
    /// between steps.
    std::vector<std::uint8_t> waitsForTree;
    std::vector<OrcaAgent*> treeSearches;  ///< scratch of decideFromGrid
    std::unique_ptr<OrcaAgent> agentTemplate;
    SpatialIndex index;
    std::vector<std::unique_ptr<ObstacleVertex>> vertexList;
    float step = 1.0f;  ///< seconds
    /// The obstacle tree covers every polygon added so far.
    bool obstaclesIndexed = false;
};
