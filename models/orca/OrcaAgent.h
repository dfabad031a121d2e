#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "core/Vec2.h"

#include "models/orca/HalfPlane.h"

class OrcaEngine;
struct ObstacleVertex;

/// One disc-shaped agent of the collision-avoidance engine. Each step it finds its nearby
/// agents and obstacle edges, turns each into a half-plane of permitted velocities and takes
/// the permitted velocity nearest to its preferred one. The engine owns its agents and sets
/// their settings; an agent reads the others' state only while it decides.
class OrcaAgent {
public:
    /// (squared distance in m², neighbour), nearest first.
    using AgentNeighbour = std::pair<float, const OrcaAgent*>;
    /// (squared distance in m², vertex whose edge is near), nearest first.
    using ObstacleNeighbour = std::pair<float, const ObstacleVertex*>;

    /// A blank agent (every number zero, empty lists) of `owner`, which must outlive it.
    explicit OrcaAgent(const OrcaEngine& owner) : engine(&owner) {}

    /// Rebuilds both neighbour lists through the engine's spatial index, whose agent tree
    /// must be current.
    void findNeighbours();
    /// The part of findNeighbours that needs no agent tree: the obstacle list, and the agent
    /// list when the grid can tell it. False when the agent list is left to
    /// findNeighboursInTree.
    bool findNeighboursWithoutTree();
    /// Finds the agent list in the agent tree, which must be current, after
    /// findNeighboursWithoutTree returned false.
    void findNeighboursInTree();
    /// Builds the half-planes from the neighbour lists and chooses the new velocity.
    void chooseVelocity();
    /// Asks the processor to start loading what deciding reads of this agent itself: its
    /// state, its neighbour list and its half-plane storage. A hint that changes nothing.
    void prefetchOwnState() const;
    /// Asks the processor to start loading the state of last step's neighbours, which bound
    /// the next search. A hint that changes nothing.
    void prefetchNeighbours() const;
    /// Takes the chosen velocity and moves by it for one time step.
    void commit();
    /// Keeps `other` if it is nearer than `range` (m²); once the list is full, `range` shrinks
    /// to the farthest kept neighbour.
    void considerAgent(const OrcaAgent& other, float& range);
    /// Keeps the edge of `vertex` if it is nearer than `range` (m²).
    void considerObstacle(const ObstacleVertex& vertex, float range);

    const std::vector<AgentNeighbour>& agentNeighbours() const { return agentNeighbourList; }
    const std::vector<ObstacleNeighbour>& obstacleNeighbours() const {
        return obstacleNeighbourList;
    }
    /// The half-planes of the last velocity choice: obstacle ones first, then agent ones.
    const std::vector<HalfPlane>& halfPlanes() const { return planes; }
    /// How many of halfPlanes() come from obstacles.
    std::size_t obstaclePlaneCount() const { return obstaclePlanes; }

    std::size_t maxNeighbours() const { return maxNeighbourCount; }
    float maxSpeed() const { return speedLimit; }                  ///< m/s
    float neighbourDistance() const { return neighbourRange; }     ///< m
    const Vec2& newVelocity() const { return chosenVelocity; }     ///< m/s
    const Vec2& position() const { return location; }              ///< m
    const Vec2& preferredVelocity() const { return preferred; }    ///< m/s
    float radius() const { return discRadius; }                    ///< m
    float agentHorizon() const { return agentTimeHorizon; }        ///< s
    float obstacleHorizon() const { return obstacleTimeHorizon; }  ///< s
    const Vec2& velocity() const { return currentVelocity; }       ///< m/s
    std::size_t index() const { return place; }
    /// In the scene: only present agents are in the agent tree, choose velocities and move.
    bool isPresent() const { return inScene; }

private:
    friend class OrcaEngine;
    friend class SpatialIndex;

    /// Room in the lists of a velocity choice for `obstacleEdges` obstacle neighbours besides
    /// a full list of agent neighbours; solveProjected keeps its half-planes on the stack.
    void reserveLists(std::size_t obstacleEdges);
    /// Fills the neighbour list from the agent grid's search within `bound` (m²), inside
    /// which at least k agents stand; false, with the list untouched, when the grid cannot
    /// tell the list the tree would find.
    bool takeFromGrid(float bound);
    /// considerAgent with the squared distance `d` (m²) already known.
    void keepIfNearer(const OrcaAgent& other, float d, float& range);
    void addObstaclePlane(const ObstacleVertex& near, float inverseHorizon);
    void addAgentPlane(const OrcaAgent& other, float inverseHorizon, float inverseTimeStep);
    /// addAgentPlane for the `count` (1 to 4) neighbours from `first`, in their order, worked
    /// out side by side in vector lanes.
    void addAgentPlanes(const AgentNeighbour* first, std::size_t count, float inverseHorizon,
                        float inverseTimeStep);

    // What the neighbours read while they decide, side by side on one cache line.
    Vec2 location;
    Vec2 currentVelocity;
    float discRadius = 0.0f;
    bool inScene = true;
    std::size_t place = 0;

    std::vector<AgentNeighbour> agentNeighbourList;
    std::size_t maxNeighbourCount = 0;
    float speedLimit = 0.0f;
    float neighbourRange = 0.0f;
    Vec2 chosenVelocity;
    std::vector<ObstacleNeighbour> obstacleNeighbourList;
    std::vector<HalfPlane> planes;
    Vec2 preferred;
    const OrcaEngine* engine = nullptr;  ///< not owned
    float agentTimeHorizon = 0.0f;
    float obstacleTimeHorizon = 0.0f;

    std::size_t obstaclePlanes = 0;
    /// The agent tree build after which the neighbour list was last found.
    unsigned listBuild = 0;
    /// Squared range (m²) of the search left to findNeighboursInTree.
    float treeRange = 0.0f;
    /// Scratch list of solveProjected for sets too long for its list on the stack; empty
    /// unless the agent ever met one, so that a crowd's agents stay small.
    std::vector<HalfPlane> projectedPlanes;
};

/// Puts (d, item) into `list`, nearest first, over its last entry, which is free or drops out;
/// it goes after entries at the same distance.
template <class Item>
void sinkIntoPlace(std::vector<std::pair<float, Item>>& list, float d, Item item) {
    std::size_t slot = list.size() - 1;
    while (slot != 0 && d < list[slot - 1].first) {
        list[slot] = list[slot - 1];
        --slot;
    }
    list[slot] = {d, item};
}

// Inline: the kd-tree query offers every agent of a leaf, and most steps spend their time
// there.
inline void OrcaAgent::keepIfNearer(const OrcaAgent& other, float d, float& range) {
    if (&other == this || maxNeighbourCount == 0 || !(d < range)) {
        return;
    }
    if (agentNeighbourList.size() < maxNeighbourCount) {
        agentNeighbourList.emplace_back(d, &other);
    }
    sinkIntoPlace(agentNeighbourList, d, &other);
    if (agentNeighbourList.size() == maxNeighbourCount) {
        range = agentNeighbourList.back().first;
    }
}
