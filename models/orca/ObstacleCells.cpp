#include "models/orca/ObstacleCells.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/SpatialIndex.h"

namespace {

// Building the cells walks the whole tree once per cell; this bounds nodes × cells, and so
// the build's time and the copies' memory.
constexpr double buildBudget = 1 << 19;
constexpr double mostCells = 1 << 16;

// The walk's float arithmetic errs by rounding. Its side tests subtract points and multiply
// the differences, each at most the grid's diagonal S, and so err by less than 2^-21·S²; its
// distances add a fraction of an edge to a point of magnitude M, and so err by less than
// 2^-21·(M + S). Margins of 10^-4·S² and 10^-4·(M + S) cover both two hundred times over,
// so a cell's copy never leaves out what the walk of the whole tree keeps.
constexpr double relativeMargin = 1e-4;
// Beyond this magnitude (m) the walk's float products could overflow, and rounding would no
// longer bound its errors; such scenes keep the whole tree.
constexpr double largestMagnitude = 1e18;

const double infinity = std::numeric_limits<double>::infinity();

// The walk's side test, det(start − p, end − start), in double precision.
double sideOf(const ObstacleSplit& split, double x, double y) {
    const double ex = double(split.end.x) - split.start.x;
    const double ey = double(split.end.y) - split.start.y;
    return (split.start.x - x) * ey - (split.start.y - y) * ex;
}

double distanceToSegment(const ObstacleSplit& split, double x, double y) {
    const double ax = split.start.x;
    const double ay = split.start.y;
    const double ex = split.end.x - ax;
    const double ey = split.end.y - ay;
    const double length = ex * ex + ey * ey;
    const double t =
        length > 0.0 ? std::clamp(((x - ax) * ex + (y - ay) * ey) / length, 0.0, 1.0) : 0.0;
    return std::sqrt((x - (ax + t * ex)) * (x - (ax + t * ex)) +
                     (y - (ay + t * ey)) * (y - (ay + t * ey)));
}

}  // namespace

void ObstacleCells::setTree(const ObstacleNode* root) {
    tree.clear();
    dropCells();
    flatten(root);
}

std::int32_t ObstacleCells::flatten(const ObstacleNode* node) {
    if (node == nullptr) {
        return ObstacleSplit::none;
    }
    const std::int32_t place = static_cast<std::int32_t>(tree.size());
    ObstacleSplit split;
    split.vertex = node->vertex;
    split.start = node->vertex->point;
    split.end = node->vertex->next->point;
    tree.push_back(split);
    const std::int32_t left = flatten(node->left.get());
    const std::int32_t right = flatten(node->right.get());
    tree[place].left = left;
    tree[place].right = right;
    return place;
}

void ObstacleCells::dropCells() {
    hasCells = false;
    builtRange = 0.0f;
    cellRoot.clear();
    cellSplits.clear();
}

void ObstacleCells::prepare(float range) {
    if (hasCells && range <= builtRange) {
        return;
    }
    dropCells();
    if (tree.empty() || !(range >= 0.0f) || !std::isfinite(range)) {
        return;
    }
    double minX = infinity;
    double minY = infinity;
    double maxX = -infinity;
    double maxY = -infinity;
    for (const ObstacleSplit& split : tree) {
        for (const Vec2& point : {split.start, split.end}) {
            if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
                return;
            }
            minX = std::min(minX, double(point.x));
            minY = std::min(minY, double(point.y));
            maxX = std::max(maxX, double(point.x));
            maxY = std::max(maxY, double(point.y));
        }
    }
    const double cellsAllowed = std::min(mostCells, buildBudget / double(tree.size()));
    const double largest =
        std::max({std::abs(minX), std::abs(minY), std::abs(maxX), std::abs(maxY)});
    if (cellsAllowed < 1.0 || largest > largestMagnitude) {
        return;
    }
    // The cells cover every point within reach of some edge and a metre more; a point beyond
    // them is too far from every edge to keep one. The margins are first sized for the
    // coordinates of the edges, then for those of the whole grid, which the extra metre covers.
    const double root = std::sqrt(double(range));
    setMargins(largest + root + 2.0, std::max(maxX - minX, maxY - minY) + 2.0 * root + 4.0, root);
    const double slack = reach + 1.0;
    originX = minX - slack;
    originY = minY - slack;
    const double width = maxX - minX + 2.0 * slack;
    const double height = maxY - minY + 2.0 * slack;
    // Cells of half the range keep each copy to the edges near its cell, as far as the build
    // budget allows.
    cellSize = std::max({root / 2.0, std::sqrt(width * height / cellsAllowed),
                         std::max(width, height) / mostCells});
    columns = static_cast<std::uint32_t>(std::ceil(width / cellSize));
    rows = static_cast<std::uint32_t>(std::ceil(height / cellSize));
    // Rounding up along the short side of a long, thin scene can double the count or more;
    // wider cells bring it back within the budget.
    while (double(columns) * rows > 2.0 * cellsAllowed) {
        cellSize *= 1.25;
        columns = static_cast<std::uint32_t>(std::ceil(width / cellSize));
        rows = static_cast<std::uint32_t>(std::ceil(height / cellSize));
    }
    const double gridWidth = columns * cellSize;
    const double gridHeight = rows * cellSize;
    const double provisionalReach = reach;
    setMargins(std::max({std::abs(originX), std::abs(originY), std::abs(originX + gridWidth),
                         std::abs(originY + gridHeight)}),
               std::hypot(gridWidth, gridHeight), root);
    if (reach > provisionalReach + 1.0) {
        return;  // coordinates so large that the margins outgrow the grid's extra metre
    }

    cellRoot.assign(std::size_t(columns) * rows, ObstacleSplit::none);
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t column = 0; column < columns; ++column) {
            const Box box{originX + column * cellSize, originY + row * cellSize,
                          originX + (column + 1) * cellSize, originY + (row + 1) * cellSize};
            cellRoot[std::size_t(row) * columns + column] = prune(0, box);
        }
    }
    builtRange = range;
    hasCells = true;
}

void ObstacleCells::setMargins(double magnitude, double span, double root) {
    distanceMargin = relativeMargin * (magnitude + span);
    sideMargin = relativeMargin * span * span;
    reach = root + distanceMargin;
}

std::int32_t ObstacleCells::prune(std::int32_t node, const Box& box) {
    if (node == ObstacleSplit::none) {
        return ObstacleSplit::none;
    }
    const ObstacleSplit& split = tree[node];
    const std::int32_t left = prune(split.left, box);
    const std::int32_t right = prune(split.right, box);

    double lowest = infinity;
    double highest = -infinity;
    for (const double x : {box.minX, box.maxX}) {
        for (const double y : {box.minY, box.maxY}) {
            const double side = sideOf(split, x, y);
            lowest = std::min(lowest, side);
            highest = std::max(highest, side);
        }
    }
    // Everywhere in the cell the walk goes left first (and the edge does not face the agent),
    // or everywhere right first.
    const bool leftFirst = lowest > sideMargin;
    const bool rightFirst = highest < -sideMargin;

    bool near = false;
    if (split.vertex->hasLength() && !leftFirst) {
        // The nearest points of a segment and a box that do not meet include a corner of one.
        double distance = infinity;
        for (const double x : {box.minX, box.maxX}) {
            for (const double y : {box.minY, box.maxY}) {
                distance = std::min(distance, distanceToSegment(split, x, y));
            }
        }
        for (const Vec2& end : {split.start, split.end}) {
            const double dx = std::max({0.0, box.minX - end.x, end.x - box.maxX});
            const double dy = std::max({0.0, box.minY - end.y, end.y - box.maxY});
            distance = std::min(distance, std::sqrt(dx * dx + dy * dy));
        }
        // They meet when the segment's bounding box overlaps the cell and the segment's line
        // has corners on both sides.
        const bool overlaps = std::min(split.start.x, split.end.x) <= box.maxX &&
                              std::max(split.start.x, split.end.x) >= box.minX &&
                              std::min(split.start.y, split.end.y) <= box.maxY &&
                              std::max(split.start.y, split.end.y) >= box.minY;
        if (overlaps && lowest <= 0.0 && highest >= 0.0) {
            distance = 0.0;
        }
        near = distance < reach;
    }

    if (!near) {
        if (left == ObstacleSplit::none && right == ObstacleSplit::none) {
            return ObstacleSplit::none;
        }
        // A split that only leads to the subtree the walk takes first anyway changes nothing.
        if (right == ObstacleSplit::none && leftFirst) {
            return left;
        }
        if (left == ObstacleSplit::none && rightFirst) {
            return right;
        }
    }
    ObstacleSplit copy = split;
    copy.left = left;
    copy.right = right;
    copy.offered = near;
    cellSplits.push_back(copy);
    return static_cast<std::int32_t>(cellSplits.size() - 1);
}

void ObstacleCells::query(OrcaAgent& agent, float range) const {
    if (tree.empty()) {
        return;
    }
    if (!hasCells || !(range <= builtRange)) {
        walk(tree, 0, agent, range);
        return;
    }
    const Vec2& p = agent.position();
    const double column = std::floor((double(p.x) - originX) / cellSize);
    const double row = std::floor((double(p.y) - originY) / cellSize);
    // Beyond the cells (or at an infinite or NaN position) no edge is near enough to keep.
    if (!(column >= 0.0 && column < columns && row >= 0.0 && row < rows)) {
        return;
    }
    walk(cellSplits,
         cellRoot[static_cast<std::size_t>(row) * columns + static_cast<std::size_t>(column)],
         agent, range);
}

void ObstacleCells::walk(const std::vector<ObstacleSplit>& table, std::int32_t node,
                         OrcaAgent& agent, float range) {
    if (node == ObstacleSplit::none) {
        return;
    }
    const ObstacleSplit& split = table[node];
    // The build puts every other edge on the left of an edge without length, and such an edge
    // has no line to measure a distance to.
    const float squaredLength = (split.end - split.start).squaredLength();
    if (!(squaredLength > 0.0f)) {
        walk(table, split.left, agent, range);
        return;
    }
    const float side = leftOf(split.start, split.end, agent.position());
    walk(table, side >= 0.0f ? split.left : split.right, agent, range);
    // side² / |edge|² is the squared distance to the splitting line: nothing beyond it can be
    // nearer.
    const float squaredLineDistance = side * side / squaredLength;
    if (squaredLineDistance < range) {
        if (side < 0.0f && split.offered) {
            agent.considerObstacle(*split.vertex, range);
        }
        walk(table, side >= 0.0f ? split.right : split.left, agent, range);
    }
}
