#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Vec2.h"

class OrcaAgent;
struct AgentSlot;

/// A uniform grid over the present agents, rebuilt every step beside the kd-tree. It finds
/// every agent within a distance of a point by scanning, row by row, the cells that cover the
/// disc; an agent's cells of a row lie side by side in memory. It does not know the order in
/// which the tree visits agents, so it cannot say which of two agents at equal distance comes
/// first; the caller asks the tree when that decides a neighbour list.
class AgentGrid {
public:
    /// Most agents a search returns.
    static constexpr std::size_t hitCapacity = 64;
    /// The agents a search found and their squared distances (m²), side by side; one spare
    /// place lets the scan write before it counts.
    struct Hits {
        std::array<float, hitCapacity + 1> squaredDistance;
        std::array<const OrcaAgent*, hitCapacity + 1> agent;
    };
    /// What collect returns when it has no answer: too many agents, or no usable grid.
    static constexpr std::size_t noAnswer = static_cast<std::size_t>(-1);

    /// Makes room for `count` agents, so that builds allocate nothing.
    void reserve(std::size_t count);
    /// Sorts slots [0, count) into cells by their positions. A small crowd needs no grid, and
    /// one spread over no finite area (an infinite or NaN coordinate) gets none; either leaves
    /// the grid unusable until the next build.
    void build(const std::vector<AgentSlot>& slots, std::size_t count);
    /// Whether the last build made a grid: a crowd of some dozens of agents or more, at finite
    /// positions.
    bool usable() const { return isUsable; }
    /// The agents of the last usable build, cell by cell: neighbours come close together.
    const std::vector<const OrcaAgent*>& memberOrder() const { return members; }
    /// Every agent other than `agent` whose squared distance from it is below `bound` (m²),
    /// in no defined order, in hits[0, n); returns n, or noAnswer. The distances are computed
    /// as the tree computes them, bit for bit.
    std::size_t collect(const OrcaAgent& agent, float bound, Hits& hits) const;

private:
    /// The cell of a coordinate t (in cells from the origin) along an axis of `count` cells,
    /// clamped to the grid; the same rounding places agents and bounds a search, so an agent
    /// beyond a bound's coordinate is never in a cell before the bound's.
    static std::uint32_t cellAlong(float t, std::uint32_t count);

    bool isUsable = false;
    Vec2 origin;            ///< lowest corner of the crowd (m)
    float cellSize = 1.0f;  ///< m
    float inverseCellSize = 1.0f;
    /// Widening of every search (m) that covers the rounding of cell coordinates, which is
    /// relative to the crowd's extent.
    float slack = 0.0f;
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    std::vector<std::uint32_t> cellStart;  ///< rows·columns + 1 offsets into the member lists
    std::vector<float> memberX, memberY;   ///< positions in cell order (m)
    std::vector<const OrcaAgent*> members;
    std::vector<std::uint32_t> slotCell;  ///< scratch of build
};
