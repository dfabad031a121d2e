#pragma once

#include <array>
#include <vector>

#include "core/PointLanes.h"
#include "models/CrowdAgent.h"

class StepThreads;

/// kd-tree over the agents of a crowd for k-nearest queries by surface distance. Sized once for
/// a number of agents; rebuilding it and querying it allocate nothing.
///
/// Absent agents are left out of the tree. A query returns exactly what a scan over every
/// present agent in index order would: the up to k others with the smallest surface distance
/// below the agent's search range, nearest first, equal distances in index order, where k is
/// the tree's neighbour count: CrowdAgent::maxNeighbours, or 1 for a rule that reads the
/// nearest neighbour alone, whose queries then stop at a far smaller reach. Pruning uses the
/// true bounding box of each node's agents and the largest radius of the crowd, with a margin
/// above float rounding, so no subtree that could hold a neighbour is skipped; a query may also
/// start from how far the agent's kth neighbour was at the build before, widened by how far
/// anyone has moved, as long as the same agents were present.
class AgentTree {
public:
    /// Agents a node may hold without being split.
    static constexpr int maxLeafSize = 32;

    /// A tree for up to `agentCount` agents (2 × agentCount nodes) whose queries keep up to
    /// `neighbourCount` neighbours: CrowdAgent::maxNeighbours or 1.
    explicit AgentTree(int agentCount, int neighbourCount = CrowdAgent::maxNeighbours);

    /// Rebuilds the tree over the present agents' current positions and radii; `agents` may
    /// hold at most the number of agents the tree was made for. With `threads`, the subtrees
    /// below the top levels are built on all of them, into the same tree.
    void build(const std::vector<CrowdAgent>& agents, StepThreads* threads = nullptr);
    /// The same build when `present` lists, in increasing order, exactly the present agents
    /// of `agents`: it then costs in the present agents, not in all of them.
    void build(const std::vector<CrowdAgent>& agents, const std::vector<int>& present,
               StepThreads* threads = nullptr);

    /// Fills the agent's neighbour list and overlapping flag from the last build. When the
    /// nearest neighbour overlaps the agent, only the overlapping neighbours are kept. Also
    /// remembers how far the kth neighbour was, to bound this agent's search after the next
    /// build. An agent that was absent at the last build gets an empty list.
    void findNeighbours(CrowdAgent& agent);
    /// The leaves that may hold a neighbour of some agent of one leaf, that leaf first: those
    /// whose boxes come within the largest reach at which the leaf's queries start of the
    /// leaf's box. Each thread keeps its own. Only queries that start from the build before
    /// have a reach known in advance; a leaf with another, or near more leaves than are held,
    /// lists none, and its queries walk the tree.
    struct Neighbourhood {
        static constexpr int capacity = 32;
        bool complete = false;  ///< every such leaf is listed
        int count = 0;
        std::array<int, capacity> leaves;
        /// The listed leaves' boxes, apart by coordinate, so that a query measures its gaps to
        /// four of them at once.
        std::array<float, capacity> minX, minY, maxX, maxY;
    };
    /// Lists the neighbourhood of the leaf that holds place `slot` (below size()) of the tree
    /// order. It reads only what the last build left, so threads may list and query at once.
    void findNeighbourhood(int slot, Neighbourhood& hood) const;
    /// findNeighbours for an agent of the leaf whose neighbourhood `hood` lists: the same
    /// neighbours, found by scanning the listed leaves instead of walking the tree.
    void findNeighbours(CrowdAgent& agent, const Neighbourhood& hood);
    /// findNeighbours for every present agent of the last build (`agents` is the table it was
    /// built from, with unchanged positions); absent agents are not touched.
    void findAllNeighbours(std::vector<CrowdAgent>& agents);

    /// Neighbours a query keeps at most.
    int neighbourCount() const { return wanted; }
    /// Present agents at the last build.
    int size() const { return slotCount; }
    /// The table index of the agent in place `slot` (below size()) of the tree order, in which
    /// agents near each other follow each other.
    int agentAt(int slot) const { return treeSlots[slot].id; }

    /// A leaf at the last build: the box of its agents' positions (positions that are not
    /// numbers left out) and the places [begin, end) of the tree order that it holds.
    struct Leaf {
        float minX, minY, maxX, maxY;
        int begin, end;
    };
    /// The leaf that holds place `slot` (below size()) of the tree order.
    Leaf leafAt(int slot) const {
        const Node& node = nodes[leafOfAgent[treeSlots[slot].id]];
        return {node.minX, node.minY, node.maxX, node.maxY, node.begin, node.end};
    }

private:
    /// Slots a leaf scan computes at once: the leaf size rounded up to whole vector registers.
    static constexpr int scanWidth = 32;

    struct Node {
        float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;  ///< box of the node's agents
        int begin = 0;    ///< first slot of the node's range
        int end = 0;      ///< one past its last slot
        int right = 0;    ///< right child; the left child is the next node
        int parent = 0;   ///< the root is its own parent
        int sibling = 0;  ///< the parent's other child, so that a climb reads one node a level
        /// For a leaf, the largest squared reach at which its agents' queries start, or NaN
        /// when one of them starts unbounded.
        float queryReach = 0.0f;
        bool leaf = true;
    };
    /// An agent's copy in tree order, so that a leaf is one contiguous run of memory.
    struct Slot {
        Vec2 position;
        float radius = 0.0f;
        int id = 0;
    };
    template <int K>
    class Candidates;

    /// Levels split on the calling thread before the subtrees below them go to the threads:
    /// four subtrees balance two threads even when the splits are uneven.
    static constexpr int threadedDepth = 2;
    /// A subtree still to build: its root node, the root's parent and its run of slots.
    struct Subtree {
        int index = 0, parent = 0, begin = 0, end = 0;
    };

    void buildOnThreads(StepThreads& threads);
    /// Fills and splits the nodes above threadedDepth and lists the subtrees below them.
    void splitTop(int index, int parent, int begin, int end, int depth,
                  std::array<Subtree, 1 << threadedDepth>& subtrees, int& count);
    void buildNode(int node, int parent, int begin, int end);
    /// Sets a node's range, parent and box and splits its slots when it is no leaf; returns
    /// how many slots go to the left child, or 0 for a leaf.
    int fillNode(int node, int parent, int begin, int end);
    /// findNeighbours for a tree that keeps K neighbours.
    template <int K>
    void query(CrowdAgent& agent);
    /// The same for an agent of the leaf that `hood` lists completely.
    template <int K>
    void queryAround(CrowdAgent& agent, const Neighbourhood& hood);
    /// Whether agent `id`'s query starts from how far its kth neighbour was at the build
    /// before.
    bool startsBounded(int id) const;
    /// The centre distance that then holds every agent that can still get in.
    float startBound(int id, float radius) const;
    /// Node::queryReach of a leaf over places [begin, end).
    float leafQueryReach(int begin, int end) const;
    /// Adds the leaves below `node` whose boxes come within √squaredReach of `box`, except
    /// `box` itself; false when they do not all fit.
    bool listLeaves(int node, const Node& box, float squaredReach, Neighbourhood& hood) const;
    /// A lower bound of the squared distance between any agent of `node` and any point of
    /// `box`.
    static float squaredGap(const Node& node, const Node& box);
    /// Every agent of the subtree at `node` that may beat the candidates found so far.
    template <class Found>
    void search(int node, const Slot& query, Found& found) const;
    /// The query's own leaf first, then the other child of each of its ancestors, bottom up.
    template <class Found>
    void searchFrom(int leaf, const Slot& query, Found& found) const;
    template <class Found>
    void scanLeaf(const Node& leaf, const Slot& query, Found& found) const;
    /// A lower bound of the squared distance from p to any agent of `node`.
    static float squaredGap(const Node& node, const Vec2& p);
    /// squaredGap from p to each leaf that `hood` lists, in its order.
    static void measureGaps(const Neighbourhood& hood, const Vec2& p,
                            std::array<float, Neighbourhood::capacity>& gaps);
    /// A query's candidates, its reach bounded by the build before when that holds.
    template <int K>
    Candidates<K> startQuery(const CrowdAgent& agent) const;
    /// Hands the candidates to the agent and remembers its kth distance.
    template <int K>
    void finishQuery(CrowdAgent& agent, const Candidates<K>& found);

    int wanted = CrowdAgent::maxNeighbours;  ///< k, the neighbours a query keeps at most
    std::vector<Node> nodes;
    std::vector<Slot> treeSlots;
    std::vector<int> leafOfAgent;  ///< the leaf holding each present agent, by table index
    /// The slots' positions again, apart by coordinate, for scanning a leaf at once.
    PointLanes<scanWidth> lanes;
    std::vector<int> scannedPresent;  ///< scratch of the build that finds the present agents
    int slotCount = 0;                ///< present agents at the last build
    float largestRadius = 0.0f;       ///< m, over the agents of the last build

    // What one build and its queries leave for the next ones.
    std::vector<Vec2> lastPosition;  ///< by agent, at the last build
    std::vector<float> lastRadius;   ///< by agent, at the last build; NaN when it was absent
    std::vector<float> lastKth;      ///< by agent: kth surface distance found, or NaN
    std::vector<int> lastQuery;      ///< by agent: the build its lastKth was found after
    int generation = 0;              ///< builds so far
    float drift = 0.0f;              ///< m, the farthest any agent moved between the last builds
    /// The last two builds had the same present agents with the same radii, all of them at
    /// finite positions that moved a finite distance.
    bool steady = false;
};
