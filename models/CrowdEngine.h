#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/Vec2.h"
#include "models/AgentTree.h"
#include "models/CrowdAgent.h"
#include "models/PresentList.h"

class StepThreads;

/// The engine under the Boids and Helbing models: a table of disc agents, a table of obstacle
/// segments, a k-nearest neighbour search over the agents, a nearest-obstacle search, and a
/// synchronous explicit Euler step in which a velocity rule decides every agent's new velocity
/// from the state before the step.
///
/// Each simulation owns its engine, and the tables are sized for its scene when it is set up:
/// two simulations alive at once never share state, and a step allocates nothing.
class CrowdEngine {
public:
    /// An obstacle: the segment from a to b (m).
    struct Segment {
        Vec2 a;
        Vec2 b;
        /// The point of the segment nearest to p; a when the segment has no length.
        Vec2 nearestPoint(const Vec2& p) const;
    };

    /// A velocity rule: the agent's new velocity (m/s) before the speed limit, from its state,
    /// its desired velocity and the neighbours and obstacles the searches found.
    using Rule = Vec2 (*)(const CrowdEngine& engine, const CrowdAgent& agent);

    /// No agent leaves a step faster than this, whatever the rule gives (m/s).
    static constexpr float speedLimit = 2.5f;

    /// An engine with `agentCount` agents (id = index, at rest at the origin, default radius
    /// and search range), room for `obstacleCapacity` segments, stepping with `rule`, which
    /// reads up to `neighbourCount` neighbours of an agent: CrowdAgent::maxNeighbours, or 1
    /// for a rule that reads the nearest alone, whose searches are then far shorter.
    CrowdEngine(int agentCount, int obstacleCapacity, Rule rule,
                int neighbourCount = CrowdAgent::maxNeighbours);
    CrowdEngine(const CrowdEngine&) = delete;
    CrowdEngine& operator=(const CrowdEngine&) = delete;
    CrowdEngine(CrowdEngine&&) = default;
    CrowdEngine& operator=(CrowdEngine&&) = default;

    /// Appends an obstacle segment from (x1, y1) to (x2, y2).
    void addObstacle(float x1, float y1, float x2, float y2);

    /// Puts agent i into the scene or takes it out. An absent agent is in no search and in
    /// nobody's neighbour list, gets no rule and does not move; its position and velocity stay
    /// as they were, and its own lists are emptied. Every agent starts present.
    void setPresent(int i, bool present);

    /// Advances every present agent by `dt` seconds: search, rule and speed limit, then move.
    /// Every agent decides from the positions and velocities that all agents had before the
    /// step; with `threads`, the agents decide on all of them at once, with the same results.
    void crowdStep(float dt, StepThreads* threads = nullptr);

    /// Rebuilds the tree and fills every present agent's neighbour and obstacle lists from the
    /// current positions; the first phase of crowdStep, callable alone to inspect or time the
    /// search.
    void searchNeighbours();

    /// Neighbours the searches keep per agent at most.
    int neighbourCount() const { return tree.neighbourCount(); }
    /// Agents in the scene.
    int presentCount() const { return static_cast<int>(presentAgents.size()); }

    /// Agent i, to set its position, velocity, radius or desired velocity before a step.
    CrowdAgent& agent(int i) { return agentTable[i]; }
    const CrowdAgent& agent(int i) const { return agentTable[i]; }
    const std::vector<CrowdAgent>& agents() const { return agentTable; }
    const std::vector<Segment>& obstacles() const { return obstacleTable; }
    /// Length of the current step (s).
    float dt() const { return timeStep; }

private:
    /// Segments whose boxes are tested against an agent at once.
    static constexpr int cullWidth = 8;

    /// The segments that may be within reach of some agent of one leaf of the tree, in table
    /// order; held on the stack, so a leaf near more of them than it holds lists none and its
    /// agents test every segment.
    struct NearbySegments {
        static constexpr int capacity = 64;
        bool complete = false;  ///< every segment within reach is listed
        int count = 0;
        std::array<int, capacity> segments;
    };

    /// An agent's obstacle reach: radius × √2, widened by the rounding margin of the cull.
    static float obstacleReach(const CrowdAgent& agent);
    /// Lists the segments whose boxes come within the largest obstacle reach of the leaf's
    /// agents of the box of their positions.
    void listNearbySegments(const AgentTree::Leaf& leaf, NearbySegments& nearby) const;
    /// The agent's two nearest segments within reach, from those of its leaf when listed.
    void findObstacles(CrowdAgent& agent, const NearbySegments& nearby) const;
    void findObstacles(CrowdAgent& agent) const;
    /// Whether the box of segment s comes within `reach` of p.
    bool boxInReach(std::size_t s, const Vec2& p, float reach) const {
        return (p.x + reach >= boxMinX[s]) & (p.x - reach <= boxMaxX[s]) &
               (p.y + reach >= boxMinY[s]) & (p.y - reach <= boxMaxY[s]);
    }
    /// Keeps segment `index` if it is among the two nearest so far within reach.
    void considerObstacle(CrowdAgent& agent, int index, float& nearest, float& second) const;
    /// The rule's velocity for the agent within the speed limit.
    Vec2 limitedVelocity(const CrowdAgent& agent) const;
    /// Search, rule and speed limit for the agents in places [begin, end) of the tree order.
    void decide(std::size_t begin, std::size_t end);
    /// Moves the agents in places [begin, end) of `inScene` by their new velocity.
    void move(const std::vector<int>& inScene, std::size_t begin, std::size_t end);

    std::vector<CrowdAgent> agentTable;
    std::vector<Segment> obstacleTable;
    /// The segments' boxes, widened by a rounding margin, coordinate by coordinate and padded
    /// with empty boxes to whole groups of cullWidth.
    std::vector<float> boxMinX, boxMinY, boxMaxX, boxMaxY;
    AgentTree tree;
    Rule rule;
    float timeStep = 0.0f;
    /// The agents in the scene: a step goes through these alone, so that it costs in the
    /// present agents, however many more come before or after.
    PresentList presentAgents;
};
