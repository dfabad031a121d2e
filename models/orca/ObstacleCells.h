#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Vec2.h"

class OrcaAgent;
struct ObstacleNode;
struct ObstacleVertex;

/// A node of a flattened obstacle tree: the edge from `start` to `end` (the points of
/// `vertex` and of its next vertex) splits the plane. The subtrees are places in the same
/// table, or `none`.
struct ObstacleSplit {
    static constexpr std::int32_t none = -1;
    Vec2 start;                              ///< metres
    Vec2 end;                                ///< metres
    const ObstacleVertex* vertex = nullptr;  ///< owned by the engine
    std::int32_t left = none;
    std::int32_t right = none;
    /// Whether a walk offers the edge to the agent; an edge that is not offered only steers
    /// the walk to the subtrees.
    bool offered = true;
};

/// The obstacle tree as the agents search it. The whole tree, flattened, answers any search;
/// for large crowds a grid of cells adds, for each cell, a copy of the tree pruned to the edges
/// that can lie within a range of some point of the cell, and to the splits that order them.
/// A walk of a cell's copy offers an agent the edges it would keep from a walk of the whole
/// tree, in the same order, so the neighbour lists are identical; it just visits fewer nodes.
class ObstacleCells {
public:
    /// Flattens the tree under `root` (null for no obstacles) and drops the cells.
    void setTree(const ObstacleNode* root);
    /// Makes the cells answer searches of squared range up to `range` (m²), building them
    /// when the cells at hand are for a shorter range. Cells that would take too long to build
    /// or that cannot be placed (an infinite or NaN range) are left out; searches then walk the
    /// whole tree.
    void prepare(float range);
    /// Drops the cells: every search walks the whole tree.
    void dropCells();
    /// Offers `agent` every edge that faces it and may be nearer than `range` (m²), in the
    /// order of a walk of the whole tree.
    void query(OrcaAgent& agent, float range) const;
    /// The squared range (m²) the cells are for; zero without cells.
    float cellRange() const { return hasCells ? builtRange : 0.0f; }
    /// Nodes of the whole tree and of all the cells' copies together.
    std::size_t treeSize() const { return tree.size(); }
    std::size_t cellNodes() const { return cellSplits.size(); }

private:
    struct Box {
        double minX, minY, maxX, maxY;
    };

    std::int32_t flatten(const ObstacleNode* node);
    /// Sets the margins and the reach for coordinates up to `magnitude` (m), points of the
    /// grid up to `span` (m) apart and a range of `root` metres.
    void setMargins(double magnitude, double span, double root);
    /// Copies the subtree of tree[node] into cellSplits, pruned for `box`; returns the copy's
    /// root, or none when nothing of the subtree matters there.
    std::int32_t prune(std::int32_t node, const Box& box);
    static void walk(const std::vector<ObstacleSplit>& table, std::int32_t node, OrcaAgent& agent,
                     float range);

    std::vector<ObstacleSplit> tree;  ///< the whole tree, root first
    bool hasCells = false;
    float builtRange = 0.0f;  ///< m²
    // Margins of the pruning (m², m) that cover the rounding of the walk's float arithmetic.
    double sideMargin = 0.0;
    double distanceMargin = 0.0;
    double reach = 0.0;                   ///< square root of builtRange plus distanceMargin (m)
    double originX = 0.0, originY = 0.0;  ///< lowest corner of the cells (m)
    double cellSize = 1.0;                ///< m
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    std::vector<std::int32_t> cellRoot;  ///< per cell, its copy's root in cellSplits, or none
    std::vector<ObstacleSplit> cellSplits;
};
