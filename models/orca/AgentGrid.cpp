#include "models/orca/AgentGrid.h"

#include <algorithm>
#include <cmath>

#include "models/orca/OrcaAgent.h"
#include "models/orca/SpatialIndex.h"  // AgentSlot

namespace {

// A float squared distance below a bound puts the true distance within a few parts in ten
// million of the bound's root; searching this much farther never misses such an agent.
constexpr float reachMargin = 1e-5f;
// Cell coordinates are rounded relative to the crowd's extent, to a few parts in ten million;
// this much of the extent (and of a cell) widens every search past any such rounding.
constexpr float relativeSlack = 1e-4f;
// In a smaller crowd the kth nearest is a good part of the crowd away, and the tree's few
// leaves, scanned a vector at a time, find the neighbours faster than the grid's rows.
constexpr std::size_t smallestCrowd = 64;

}  // namespace

void AgentGrid::reserve(std::size_t count) {
    // At most count + 1 cells along each axis, and at most 3·count + 1 cells in all.
    // (rounding of the cell counts may add one or two).
    cellStart.reserve(3 * count + 8);
    memberX.reserve(count);
    memberY.reserve(count);
    members.reserve(count);
    slotCell.reserve(count);
}

std::uint32_t AgentGrid::cellAlong(float t, std::uint32_t count) {
    if (!(t > 0.0f)) {
        return 0;
    }
    const float last = static_cast<float>(count - 1);
    return t >= last ? count - 1 : static_cast<std::uint32_t>(t);
}

void AgentGrid::build(const std::vector<AgentSlot>& slots, std::size_t count) {
    isUsable = false;
    if (count < smallestCrowd) {
        return;
    }
    Vec2 low = slots[0].position;
    Vec2 high = low;
    bool finite = true;
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2& p = slots[i].position;
        finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
        low.x = std::min(low.x, p.x);
        low.y = std::min(low.y, p.y);
        high.x = std::max(high.x, p.x);
        high.y = std::max(high.y, p.y);
    }
    const float width = high.x - low.x;
    const float height = high.y - low.y;
    if (!finite || !std::isfinite(width) || !std::isfinite(height)) {
        return;
    }
    // About four agents per cell over the crowd's box, which a search's disc spans in a few
    // rows (fewer, larger cells scan more agents; more, smaller ones cost more rows); no side
    // shorter than the longer extent over the agent count, which keeps a crowd along a line
    // from asking for a cell per point.
    const float agents = static_cast<float>(count);
    cellSize =
        std::max(2.0f * std::sqrt(width * height / agents), std::max(width, height) / agents);
    if (!std::isfinite(cellSize)) {
        return;
    }
    if (!(cellSize > 0.0f) || !std::isfinite(1.0f / cellSize)) {
        cellSize = 1.0f;  // everybody on one spot: a single cell
    }
    inverseCellSize = 1.0f / cellSize;
    origin = low;
    slack = relativeSlack * (std::max(width, height) + cellSize);
    columns = static_cast<std::uint32_t>(width * inverseCellSize) + 1;
    rows = static_cast<std::uint32_t>(height * inverseCellSize) + 1;

    // Counting sort of the slots into cells, keeping the slot order within a cell.
    cellStart.assign(std::size_t{columns} * rows + 1, 0);
    slotCell.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2 p = slots[i].position - origin;
        const std::uint32_t cell = cellAlong(p.y * inverseCellSize, rows) * columns +
                                   cellAlong(p.x * inverseCellSize, columns);
        slotCell[i] = cell;
        ++cellStart[cell + 1];
    }
    for (std::size_t cell = 1; cell < cellStart.size(); ++cell) {
        cellStart[cell] += cellStart[cell - 1];
    }
    memberX.resize(count);
    memberY.resize(count);
    members.resize(count);
    // Each cell's offset walks to its end as its members are placed, then steps back.
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t place = cellStart[slotCell[i]]++;
        memberX[place] = slots[i].position.x;
        memberY[place] = slots[i].position.y;
        members[place] = slots[i].agent;
    }
    for (std::size_t cell = cellStart.size() - 1; cell > 0; --cell) {
        cellStart[cell] = cellStart[cell - 1];
    }
    cellStart[0] = 0;
    isUsable = true;
}

std::size_t AgentGrid::collect(const OrcaAgent& agent, float bound, Hits& hits) const {
    const float reach = std::sqrt(bound) * (1.0f + reachMargin) + slack;
    if (!isUsable || !std::isfinite(reach)) {
        return noAnswer;
    }
    // A copy: the scan's writes to `hits` could otherwise be the agent's position, which the
    // compiler would then read again for every member.
    const Vec2 p = agent.position();
    const Vec2 local = p - origin;
    const std::uint32_t firstRow = cellAlong((local.y - reach) * inverseCellSize, rows);
    const std::uint32_t lastRow = cellAlong((local.y + reach) * inverseCellSize, rows);
    std::size_t found = 0;
    for (std::uint32_t row = firstRow; row <= lastRow; ++row) {
        // The disc is narrower in rows away from p's own.
        const float bandLow = static_cast<float>(row) * cellSize;
        const float gap =
            std::max(0.0f, std::max(bandLow - local.y, local.y - (bandLow + cellSize)) - slack);
        if (gap >= reach) {
            continue;
        }
        const float halfWidth = std::sqrt(reach * reach - gap * gap) + slack;
        const std::uint32_t firstColumn =
            cellAlong((local.x - halfWidth) * inverseCellSize, columns);
        const std::uint32_t lastColumn =
            cellAlong((local.x + halfWidth) * inverseCellSize, columns);
        const std::uint32_t begin = cellStart[row * columns + firstColumn];
        const std::uint32_t end = cellStart[row * columns + lastColumn + 1];
        for (std::uint32_t j = begin; j < end; ++j) {
            // As in the tree's leaf scan, so that equal positions give equal distances.
            const float dx = p.x - memberX[j];
            const float dy = p.y - memberY[j];
            const float d = dx * dx + dy * dy;
            // Written before it is counted, so that the scan does not branch on each agent.
            hits.squaredDistance[found] = d;
            hits.agent[found] = members[j];
            found += (d < bound) & (members[j] != &agent);
            if (found > hitCapacity) {
                return noAnswer;
            }
        }
    }
    return found;
}
