#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/PointLanes.h"
#include "core/Vec2.h"

#include "models/orca/AgentGrid.h"
#include "models/orca/ObstacleCells.h"

class OrcaAgent;
class OrcaEngine;
struct ObstacleVertex;

/// A bounding box (metres) of a subtree of the agents' kd-tree.
struct AgentBox {
    float minX = 0.0f;
    float minY = 0.0f;
    float maxX = 0.0f;
    float maxY = 0.0f;
};

/// A node of the agents' kd-tree: a range of the agent order and its bounding box (metres),
/// and for an inner node its children's boxes again, so that a search chooses between them
/// from this one cache line. 32-bit indices keep a node at 64 bytes; they limit the engine to
/// about two billion agents.
struct alignas(64) AgentNode {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;  ///< exclusive
    std::uint32_t left = 0;
    float maxX = 0.0f;
    float maxY = 0.0f;
    float minX = 0.0f;
    float minY = 0.0f;
    std::uint32_t right = 0;
    AgentBox leftBox;   ///< the box of node `left`
    AgentBox rightBox;  ///< the box of node `right`
};

/// A node of the obstacle tree: the edge of `vertex` splits the plane; the edges on its left
/// are in `left`, those on its right in `right`.
struct ObstacleNode {
    std::unique_ptr<ObstacleNode> left;
    const ObstacleVertex* vertex = nullptr;  ///< owned by the engine
    std::unique_ptr<ObstacleNode> right;
};

/// One place of the agent order: the agent and its position when the tree was built. Keeping
/// the positions side by side in tree order lets a query scan a leaf without visiting the
/// agents themselves, which lie scattered in memory.
struct AgentSlot {
    OrcaAgent* agent = nullptr;  ///< not owned
    Vec2 position;               ///< metres
};

/// The engine's neighbour search: a kd-tree and a grid over the agents, both rebuilt every
/// step in storage kept from step to step, and a space-partitioning tree over the obstacle
/// edges, built on request. It owns its tree nodes and grid, not the agents or vertices they
/// point to.
class SpatialIndex {
public:
    /// Agents per leaf of the kd-tree, at most.
    static constexpr std::size_t maxLeafSize = 10;

    explicit SpatialIndex(OrcaEngine& owner) : engine(owner) {}
    ~SpatialIndex();
    SpatialIndex(const SpatialIndex&) = delete;
    SpatialIndex& operator=(const SpatialIndex&) = delete;

    /// Takes in agents spawned since the last build and rebuilds the kd-tree (and the grid)
    /// over the current positions of the present agents.
    void buildAgentTree() {
        refreshAgents();
        buildAgentNodes();
    }
    /// The first half of buildAgentTree: takes in new agents, gathers the present ones at
    /// their current positions and builds the grid over them. Until buildAgentNodes, the
    /// kd-tree and the agent order are those of the build before.
    void refreshAgents();
    /// The second half of buildAgentTree: the kd-tree over the agents of the last refresh.
    void buildAgentNodes();
    /// Makes room for `count` agents, so that the build that takes them in allocates nothing.
    void reserveAgents(std::size_t count);
    /// Agent `agent` came or went: the next build gathers the present agents again.
    void presenceChanged(std::size_t agent);
    /// Rebuilds the obstacle tree from the engine's vertices; edges crossing a splitting line
    /// are cut in two, and the new vertices join the engine's list.
    void buildObstacleTree();
    /// Offers `agent` every agent nearer than `range` (m²), which may shrink on the way.
    void queryAgents(OrcaAgent& agent, float& range) const;
    /// The grid over the same agents as the kd-tree, built with it.
    const AgentGrid& agentGrid() const { return grid; }
    /// Whether the builds make the grid (the default). Without it every search goes to the
    /// kd-tree, whose lists the grid's must equal; the tests compare the two.
    void setGridSearch(bool enabled) { gridSearch = enabled; }
    /// Offers `agent` every obstacle edge that faces it and may be nearer than `range` (m²).
    void queryObstacles(OrcaAgent& agent, float range) const { obstacles.query(agent, range); }
    /// Lets obstacle searches up to `range` (m²) walk per-cell copies of the obstacle tree.
    void prepareObstacleCells(float range) {
        if (obstacleCellSearch) {
            obstacles.prepare(range);
        }
    }
    /// Whether obstacle searches may use cells (the default). Without them every search walks
    /// the whole tree, whose lists the cells' must equal; the tests compare the two.
    void setObstacleCells(bool enabled) {
        obstacleCellSearch = enabled;
        if (!enabled) {
            obstacles.dropCells();
        }
    }
    const ObstacleCells& obstacleCells() const { return obstacles; }

    /// The present agents of the last build, in tree order, each node covering a contiguous
    /// range of them.
    const std::vector<AgentSlot>& agentOrder() const { return order; }
    /// How many agents the last build put into the tree.
    std::size_t agentsInTree() const { return treeSize; }
    const std::vector<AgentNode>& agentNodes() const { return nodes; }

    /// Agent tree builds so far.
    unsigned builds() const { return buildCount; }
    /// Whether the last two builds had the same present agents.
    bool steady() const { return steadyBuilds; }
    const ObstacleNode* obstacleTree() const { return obstacleRoot.get(); }

private:
    /// Makes the order hold the present agents: those of the last build that are still there,
    /// in their order, then those coming back, in the order of the absent ones, then new
    /// agents that are present, by index. Agents absent from the start thus leave the tree
    /// exactly as it would be without them. Costs in the present agents and the changes, not
    /// in all agents.
    void gatherPresentAgents(std::size_t count);
    /// Builds the subtree of slots [begin, end) in place `node`, `depth` inner nodes below the
    /// root.
    void buildAgentNode(std::size_t begin, std::size_t end, std::size_t node, std::size_t depth);
    /// The search below `node` by recursion, for trees deeper than the stack of searchAgents.
    void queryAgentNode(OrcaAgent& agent, float& range, std::size_t node) const;
    /// The same search from the root, the subtrees put aside kept on a fixed stack.
    void searchAgents(OrcaAgent& agent, float& range) const;
    /// Offers `agent` the agents of the leaf `leaf` nearer than `range`.
    void scanLeaf(OrcaAgent& agent, float& range, const AgentNode& leaf) const;
    std::unique_ptr<ObstacleNode> buildObstacleNode(const std::vector<ObstacleVertex*>& edges);

    /// Lanes of a leaf scan: the leaf size rounded up to whole vector registers.
    static constexpr std::size_t scanWidth = 16;

    std::vector<AgentSlot> order;  ///< the present agents; permuted in place by each build
    /// The slots' positions again, apart by coordinate, so that a leaf's distances are
    /// computed a register at a time.
    PointLanes<scanWidth> lanes;
    std::size_t treeSize = 0;  ///< present agents: the length of the order
    std::size_t takenIn = 0;   ///< engine agents known to the index
    bool membershipChanged = false;

    // The absent agents form one sequence, whose order decides where those who come back
    // enter the tree order. Those who leave go to its front, new absent agents to its back;
    // an agent's rank is its place in it, so the order is never stored or walked.
    std::vector<std::int64_t> absentRank;  ///< by agent; meaningful while it is absent
    std::vector<std::uint8_t> inOrder;     ///< by agent: in the order of the last build
    std::vector<std::uint8_t> noted;       ///< by agent: in `changed`
    std::vector<std::size_t> changed;      ///< agents that came or went since the last build
    std::vector<std::size_t> comingBack;   ///< scratch of gatherPresentAgents
    std::int64_t frontRank = 0;            ///< rank of the first absent agent
    std::int64_t backRank = 0;             ///< one past the rank of the last
    std::vector<AgentNode> nodes;
    /// Most inner nodes on a path from the root to a leaf in the last build.
    std::size_t treeDepth = 0;
    unsigned buildCount = 0;
    bool steadyBuilds = false;
    std::unique_ptr<ObstacleNode> obstacleRoot;
    ObstacleCells obstacles;
    bool obstacleCellSearch = true;
    AgentGrid grid;
    bool gridSearch = true;
    OrcaEngine& engine;
};
