#include "models/AgentTree.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/StepThreads.h"
#include "models/SortingNetwork.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The exact surface distance rounds a square root and two subtractions after the coordinate
// differences: a few float ulps of the magnitudes involved. A reach widened by a margin a
// hundred times that never turns away an agent that the exact comparison would keep.
constexpr float roundingMargin = 1e-5f;

// Crowds up to this size insert each candidate in place. Their queries meet the same few agents
// in the same order step after step, so a plain insertion's branches are predicted; in larger
// crowds they are not, and appending, sorting once and inserting without branches is faster.
constexpr int smallCrowd = 64;

// Sorts a handful of keys in place; a plain insertion sort beats a general one at this size.
void sortKeys(std::uint64_t* keys, int count) {
    for (int i = 1; i < count; ++i) {
        const std::uint64_t key = keys[i];
        int j = i;
        for (; j > 0 && key < keys[j - 1]; --j) {
            keys[j] = keys[j - 1];
        }
        keys[j] = key;
    }
}

// Sorts a full list of k keys.
template <int k>
void sortFullList(std::uint64_t* keys) {
    if constexpr (k == 10) {
        // The smaller key first, with conditional moves rather than a branch.
        sortTen([keys](int i, int j) {
            const std::uint64_t a = keys[i];
            const std::uint64_t b = keys[j];
            keys[i] = a < b ? a : b;
            keys[j] = a < b ? b : a;
        });
    } else {
        sortKeys(keys, k);
    }
}

}  // namespace

/// The k best candidates so far, ordered by (surface distance, index). Ordering ties by index
/// makes the result independent of the order in which the tree visits the agents, and equal to
/// an index-order scan that puts an equal distance after the ones already found.
///
/// It also keeps the square of the centre distance beyond which no agent, even one of the
/// largest radius, can still get in, so that agents and nodes are turned away with one
/// comparison and no square root. k is a constant, so that the insertion loops unroll and,
/// for k = 1, vanish.
template <int k>
class AgentTree::Candidates {
public:
    Candidates(float range, float queryRadius, float largestRadius, bool inPlace)
        : insertInPlace(inPlace),
          searchRange(range),
          radii(queryRadius + largestRadius),
          radiiMargin(roundingMargin * (std::fabs(queryRadius) + std::fabs(largestRadius))) {
        updateReach();
    }

    /// Squared centre distance beyond which nothing can get in; negative when nothing can.
    float squaredReach() const { return reachSquared; }

    /// Narrows the reach to a centre distance known to hold every agent that can get in.
    void limitReach(float centreDistance) {
        ceilingSquared = centreDistance >= 0.0f ? centreDistance * centreDistance : -1.0f;
        reachSquared = std::min(reachSquared, ceilingSquared);
    }

    /// The kth surface distance, before any cut; NaN while fewer than k were found.
    float kthDistance() const {
        return count == k ? distanceOf(keys[k - 1]) : std::numeric_limits<float>::quiet_NaN();
    }

    void offer(float distance, int id) {
        if (!(distance < searchRange)) {
            return;
        }
        const std::uint64_t key = orderKey(distance, id);
        if (count == k && !(key < keys[k - 1])) {
            return;
        }
        if (insertInPlace) {
            // A plain insertion: the worst of a full list drops out.
            int position = count < k ? count++ : k - 1;
            for (; position > 0 && key < keys[position - 1]; --position) {
                keys[position] = keys[position - 1];
            }
            keys[position] = key;
        } else if (count < k) {
            // While the list fills, the reach depends on the search range alone, so the keys
            // are only appended, and sorted once when the kth arrives or the list is handed
            // over.
            keys[count++] = key;
            if (count == k) {
                sortFullList<k>(keys.data());
            }
        } else {
            // Insertion into the full list without a data-dependent branch, which would
            // mispredict for about every candidate: from the end down, each entry takes its
            // left neighbour, the new key or itself, and the worst drops out.
            for (int i = k - 1; i > 0; --i) {
                const std::uint64_t own = key < keys[i] ? key : keys[i];
                keys[i] = key < keys[i - 1] ? keys[i - 1] : own;
            }
            keys[0] = key < keys[0] ? key : keys[0];
        }
        if (count == k) {
            updateReach();
        }
    }

    /// Hands the list to the agent, cut to the overlapping neighbours when the nearest overlaps.
    void copyTo(CrowdAgent& agent) const {
        std::array<std::uint64_t, k> sorted = keys;
        if (count < k && !insertInPlace) {
            sortKeys(sorted.data(), count);
        }
        agent.overlapping = count > 0 && distanceOf(sorted[0]) < 0.0f;
        int kept = 0;
        for (; kept < count; ++kept) {
            const float distance = distanceOf(sorted[kept]);
            if (agent.overlapping && !(distance < 0.0f)) {
                break;
            }
            agent.neighbourDistances[kept] = distance;
            agent.neighbours[kept] = static_cast<int>(sorted[kept] & 0xffffffffu);
        }
        agent.neighbourCount = kept;
    }

private:
    /// (distance, index) as one unsigned number with the same order, so that a comparison of
    /// two candidates is one integer comparison. Distances are never NaN here.
    static std::uint64_t orderKey(float distance, int id) {
        std::uint32_t bits = 0;
        const float normalised = distance + 0.0f;  // −0 counts as 0, as float comparison has it
        std::memcpy(&bits, &normalised, sizeof bits);
        // Flipping the sign bit of a positive float, or every bit of a negative one, turns the
        // float order into the unsigned integer order.
        bits = (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
        return (static_cast<std::uint64_t>(bits) << 32) | static_cast<std::uint32_t>(id);
    }

    static float distanceOf(std::uint64_t key) {
        std::uint32_t bits = static_cast<std::uint32_t>(key >> 32);
        bits = (bits & 0x80000000u) ? (bits & 0x7fffffffu) : ~bits;
        float distance = 0.0f;
        std::memcpy(&distance, &bits, sizeof distance);
        return distance;
    }

    void updateReach() {
        const float range = count == k ? distanceOf(keys[k - 1]) : searchRange;
        const float reach = range + radii + roundingMargin * std::fabs(range) + radiiMargin;
        // A negative reach (or one that is not a number) means no centre is near enough.
        reachSquared = reach >= 0.0f ? std::min(reach * reach, ceilingSquared) : -1.0f;
    }

    /// Keep the list sorted as candidates come; else append them while it fills and sort it
    /// when it is full or handed over.
    bool insertInPlace = false;
    float searchRange = 0.0f;
    float radii = 0.0f;        ///< radius of the query plus the largest radius (m)
    float radiiMargin = 0.0f;  ///< the rounding margin for those (m)
    float reachSquared = 0.0f;
    float ceilingSquared = std::numeric_limits<float>::infinity();
    int count = 0;
    /// The candidates' keys: in the order found while fewer than k, sorted from the kth on.
    std::array<std::uint64_t, k> keys{};
};

AgentTree::AgentTree(int agentCount, int neighbourCount)
    : wanted(neighbourCount),
      nodes(2 * static_cast<size_t>(std::max(agentCount, 0))),
      treeSlots(static_cast<size_t>(std::max(agentCount, 0))),
      leafOfAgent(static_cast<size_t>(std::max(agentCount, 0))),
      lastPosition(treeSlots.size()),
      lastRadius(treeSlots.size(), std::numeric_limits<float>::quiet_NaN()),
      lastKth(treeSlots.size(), std::numeric_limits<float>::quiet_NaN()),
      lastQuery(treeSlots.size(), 0) {
    assert(neighbourCount == 1 || neighbourCount == CrowdAgent::maxNeighbours);
    scannedPresent.reserve(treeSlots.size());
    lanes.resize(treeSlots.size());
}

void AgentTree::build(const std::vector<CrowdAgent>& agents, StepThreads* threads) {
    scannedPresent.clear();
    for (std::size_t i = 0; i < agents.size(); ++i) {
        if (agents[i].present) {
            scannedPresent.push_back(static_cast<int>(i));
        }
    }
    build(agents, scannedPresent, threads);
}

void AgentTree::build(const std::vector<CrowdAgent>& agents, const std::vector<int>& present,
                      StepThreads* threads) {
    assert(agents.size() <= treeSlots.size());
    const int previousCount = slotCount;
    // An agent that has left since the last build is forgotten, so that the build at which it
    // comes back is not taken for steady: the bound of a query holds only among the agents
    // that were there before. Those absent at the last build were forgotten then.
    for (int slot = 0; slot < previousCount; ++slot) {
        const int id = treeSlots[slot].id;
        if (!agents[static_cast<std::size_t>(id)].present) {
            lastRadius[id] = std::numeric_limits<float>::quiet_NaN();
        }
    }
    steady = true;
    // Every present agent was in the last build too (one with a NaN radius counts as new).
    bool samePresent = generation > 0;
    largestRadius = 0.0f;
    drift = 0.0f;
    int count = 0;
    for (const int i : present) {
        const CrowdAgent& agent = agents[static_cast<std::size_t>(i)];
        ++count;
        samePresent = samePresent && !std::isnan(lastRadius[i]);
        largestRadius = std::max(largestRadius, agent.radius);
        const float moved = (agent.position - lastPosition[i]).length();
        drift = std::max(drift, moved);
        // An infinite or NaN move fails the comparison, and so does a first build (NaN radii).
        steady = steady && agent.radius == lastRadius[i] &&
                 moved < std::numeric_limits<float>::infinity();
        lastPosition[i] = agent.position;
        lastRadius[i] = agent.radius;
    }
    slotCount = count;
    // One agent gone and none back leaves every remembered radius equal, but not the crowd.
    steady = steady && slotCount == previousCount;
    if (samePresent && slotCount == previousCount) {
        // The same agents: they start from the last build's order, which their small moves
        // leave nearly partitioned already, so the splits below swap and mispredict little.
        // Any order gives a tree with exact boxes, and the queries' results do not depend on it.
        for (int slot = 0; slot < slotCount; ++slot) {
            const CrowdAgent& agent = agents[static_cast<std::size_t>(treeSlots[slot].id)];
            treeSlots[slot].position = agent.position;
            treeSlots[slot].radius = agent.radius;
        }
    } else {
        count = 0;
        for (const int i : present) {
            const CrowdAgent& agent = agents[static_cast<std::size_t>(i)];
            treeSlots[count++] = {agent.position, agent.radius, i};
        }
    }
    ++generation;
    if (slotCount > 0 && threads != nullptr) {
        buildOnThreads(*threads);
    } else if (slotCount > 0) {
        buildNode(0, 0, 0, slotCount);
    }
    for (int i = 0; i < slotCount; ++i) {
        lanes.set(static_cast<std::size_t>(i), treeSlots[i].position);
    }
}

void AgentTree::buildOnThreads(StepThreads& threads) {
    // The top levels are split here; the subtrees below them, each with its own run of slots
    // and of nodes, are built on the threads.
    std::array<Subtree, 1 << threadedDepth> subtrees;
    int count = 0;
    splitTop(0, 0, 0, slotCount, 0, subtrees, count);
    forEachBatch(
        &threads, static_cast<std::size_t>(count),
        [this, &subtrees](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const Subtree& s = subtrees[i];
                buildNode(s.index, s.parent, s.begin, s.end);
            }
        },
        1);
}

void AgentTree::splitTop(int index, int parent, int begin, int end, int depth,
                         std::array<Subtree, 1 << threadedDepth>& subtrees, int& count) {
    if (depth == threadedDepth) {
        subtrees[static_cast<std::size_t>(count++)] = {index, parent, begin, end};
        return;
    }
    const int leftCount = fillNode(index, parent, begin, end);
    if (leftCount > 0) {
        splitTop(index + 1, index, begin, begin + leftCount, depth + 1, subtrees, count);
        splitTop(nodes[index].right, index, begin + leftCount, end, depth + 1, subtrees, count);
    }
}

void AgentTree::buildNode(int index, int parent, int begin, int end) {
    const int leftCount = fillNode(index, parent, begin, end);
    if (leftCount > 0) {
        buildNode(index + 1, index, begin, begin + leftCount);
        buildNode(nodes[index].right, index, begin + leftCount, end);
    }
}

int AgentTree::fillNode(int index, int parent, int begin, int end) {
    Node& node = nodes[index];
    node.begin = begin;
    node.end = end;
    node.parent = parent;
    // Folding from infinities skips coordinates that are not numbers: such an agent is nobody's
    // neighbour, and a box made NaN by it would hide the others in the node from every query.
    // The fold runs in locals: the node's own fields might share memory with the slots for all
    // the compiler knows, which would make it store and reload them for every slot.
    float minX = std::numeric_limits<float>::infinity();
    float minY = minX;
    float maxX = -minX;
    float maxY = -minX;
    for (int i = begin; i < end; ++i) {
        const Vec2& p = treeSlots[i].position;
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    node.minX = minX;
    node.minY = minY;
    node.maxX = maxX;
    node.maxY = maxY;
    node.leaf = end - begin <= maxLeafSize;
    if (node.leaf) {
        for (int i = begin; i < end; ++i) {
            leafOfAgent[treeSlots[i].id] = index;
        }
        node.queryReach = leafQueryReach(begin, end);
        return 0;
    }
    // Split the longer side of the box at its middle.
    const bool alongY = node.maxY - node.minY > node.maxX - node.minX;
    const float split = alongY ? 0.5f * (node.minY + node.maxY) : 0.5f * (node.minX + node.maxX);
    Slot* const first = treeSlots.data() + begin;
    Slot* const last = treeSlots.data() + end;
    Slot* middle = std::partition(first, last, [alongY, split](const Slot& s) {
        return (alongY ? s.position.y : s.position.x) < split;
    });
    // Agents stacked on one point (or coordinates that are not numbers) leave one side empty;
    // any split is as good as another then, and halving keeps the tree shallow.
    if (middle == first || middle == last) {
        middle = first + (end - begin) / 2;
    }
    const int leftCount = static_cast<int>(middle - first);
    // The left subtree takes 2 × leftCount − 1 nodes after this one.
    node.right = index + 2 * leftCount;
    nodes[index + 1].sibling = node.right;
    nodes[node.right].sibling = index + 1;
    return leftCount;
}

float AgentTree::leafQueryReach(int begin, int end) const {
    // Only a steady build bounds queries from the start; it also means that every position is
    // finite, so every agent of the leaf stands within its box. A query for the nearest
    // neighbour alone has so small a reach that its walk up the tree costs less than a
    // listing. Worked out here, before any query of the step changes what the bounds read.
    const float unbounded = std::numeric_limits<float>::quiet_NaN();
    if (!steady || wanted == 1) {
        return unbounded;
    }
    float squaredReach = 0.0f;
    for (int i = begin; i < end; ++i) {
        const int id = treeSlots[i].id;
        if (!startsBounded(id)) {
            return unbounded;
        }
        // At most the squared reach the query starts at: it is cut to this, and a bound that
        // is no number or negative starts it at −1.
        const float bound = startBound(id, treeSlots[i].radius);
        squaredReach = std::max(squaredReach, bound >= 0.0f ? bound * bound : -1.0f);
    }
    return squaredReach;
}

// Inline: every step of a search computes two of these.
inline float AgentTree::squaredGap(const Node& node, const Vec2& p) {
    // Each step rounds monotonically, so for any agent inside the box this stays at or below
    // the squared centre distance that the exact surface distance starts from.
    const float outsideX = std::max(node.minX - p.x, p.x - node.maxX);
    const float outsideY = std::max(node.minY - p.y, p.y - node.maxY);
    // Written so that it compiles to a max instruction rather than a branch.
    const float gapX = outsideX > 0.0f ? outsideX : 0.0f;
    const float gapY = outsideY > 0.0f ? outsideY : 0.0f;
    return gapX * gapX + gapY * gapY;
}

template <class Found>
void AgentTree::scanLeaf(const Node& leaf, const Slot& query, Found& found) const {
    std::array<float, scanWidth> squaredDistances;
    lanes.squaredDistances(static_cast<std::size_t>(leaf.begin), query.position, squaredDistances);
    // The lanes within reach are gathered as bits, without a branch per lane, which would
    // mispredict for most of them; the reach only shrinks, so each is checked again when
    // offered. Lanes are visited in increasing order, as a plain loop would.
    const int count = leaf.end - leaf.begin;
    for (std::uint32_t near = LaneMasks::lanesWithin<false>(
             squaredDistances, static_cast<std::size_t>(count), found.squaredReach());
         near != 0; near &= near - 1) {
        const int j = __builtin_ctz(near);
        const float squaredDistance = squaredDistances[j];
        const Slot& other = treeSlots[leaf.begin + j];
        if (squaredDistance <= found.squaredReach() && other.id != query.id) {
            found.offer(std::sqrt(squaredDistance) - query.radius - other.radius, other.id);
        }
    }
}

template <class Found>
void AgentTree::search(int index, const Slot& query, Found& found) const {
    const Node& node = nodes[index];
    if (node.leaf) {
        scanLeaf(node, query, found);
        return;
    }
    int near = index + 1;
    int far = node.right;
    float nearGap = squaredGap(nodes[near], query.position);
    float farGap = squaredGap(nodes[far], query.position);
    if (farGap < nearGap) {
        std::swap(near, far);
        std::swap(nearGap, farGap);
    }
    if (nearGap <= found.squaredReach()) {
        search(near, query, found);
    }
    if (farGap <= found.squaredReach()) {
        search(far, query, found);
    }
}

template <class Found>
void AgentTree::searchFrom(int leaf, const Slot& query, Found& found) const {
    // The agents of the own leaf are usually enough to shrink the range to a few metres, and
    // the nearer ancestors' other children are the likelier places for the rest, so most of
    // the tree is turned away at once without walking down to the leaf first.
    scanLeaf(nodes[leaf], query, found);
    for (int child = leaf; child != 0;) {
        const int parent = nodes[child].parent;
        const int sibling = nodes[child].sibling;
        if (squaredGap(nodes[sibling], query.position) <= found.squaredReach()) {
            search(sibling, query, found);
        }
        child = parent;
    }
}

inline bool AgentTree::startsBounded(int id) const {
    return steady && lastQuery[id] + 1 == generation && !std::isnan(lastKth[id]);
}

inline float AgentTree::startBound(int id, float radius) const {
    // k agents were within `kth` (surface distance) of this one at the build before, with the
    // same radii; no centre has moved more than `drift` since, so those k are within
    // kth + 2 × drift now, and so is the new kth. Any agent that can still get in has its
    // centre within that plus both radii.
    const float kth = lastKth[id];
    const float reach = kth + 2.0f * drift + radius + largestRadius;
    const float margin = roundingMargin * (std::fabs(kth) + 2.0f * drift + std::fabs(radius) +
                                           std::fabs(largestRadius));
    return reach + margin;
}

template <int K>
inline AgentTree::Candidates<K> AgentTree::startQuery(const CrowdAgent& agent) const {
    Candidates<K> found(agent.searchRange, agent.radius, largestRadius, slotCount <= smallCrowd);
    if (startsBounded(agent.id)) {
        found.limitReach(startBound(agent.id, agent.radius));
    }
    return found;
}

template <int K>
inline void AgentTree::finishQuery(CrowdAgent& agent, const Candidates<K>& found) {
    found.copyTo(agent);
    lastKth[agent.id] = found.kthDistance();
    lastQuery[agent.id] = generation;
}

template <int K>
void AgentTree::query(CrowdAgent& agent) {
    if (slotCount == 0 || !agent.present) {
        Candidates<K>(agent.searchRange, agent.radius, largestRadius, true).copyTo(agent);
        return;
    }
    Candidates<K> found = startQuery<K>(agent);
    searchFrom(leafOfAgent[agent.id], {agent.position, agent.radius, agent.id}, found);
    finishQuery(agent, found);
}

void AgentTree::findNeighbours(CrowdAgent& agent) {
    if (wanted == 1) {
        query<1>(agent);
    } else {
        query<CrowdAgent::maxNeighbours>(agent);
    }
}

inline float AgentTree::squaredGap(const Node& node, const Node& box) {
    // For every point p of the box each difference here is at most the one squaredGap(node, p)
    // takes, and rounding keeps that order, so this stays at or below that bound.
    const float outsideX = std::max(node.minX - box.maxX, box.minX - node.maxX);
    const float outsideY = std::max(node.minY - box.maxY, box.minY - node.maxY);
    const float gapX = outsideX > 0.0f ? outsideX : 0.0f;
    const float gapY = outsideY > 0.0f ? outsideY : 0.0f;
    return gapX * gapX + gapY * gapY;
}

bool AgentTree::listLeaves(int index, const Node& box, float squaredReach,
                           Neighbourhood& hood) const {
    const Node& node = nodes[index];
    if (!(squaredGap(node, box) <= squaredReach) || &node == &box) {
        return true;
    }
    if (!node.leaf) {
        return listLeaves(index + 1, box, squaredReach, hood) &&
               listLeaves(node.right, box, squaredReach, hood);
    }
    if (hood.count == Neighbourhood::capacity) {
        return false;
    }
    hood.leaves[static_cast<std::size_t>(hood.count++)] = index;
    return true;
}

void AgentTree::findNeighbourhood(int slot, Neighbourhood& hood) const {
    const int leaf = leafOfAgent[treeSlots[slot].id];
    const Node& box = nodes[leaf];
    hood.complete = false;
    hood.count = 0;
    if (std::isnan(box.queryReach)) {
        return;
    }
    hood.leaves[0] = leaf;
    hood.count = 1;
    hood.complete = listLeaves(0, box, box.queryReach, hood);
    for (int n = 0; n < hood.count; ++n) {
        const Node& listed = nodes[hood.leaves[static_cast<std::size_t>(n)]];
        const auto i = static_cast<std::size_t>(n);
        hood.minX[i] = listed.minX;
        hood.minY[i] = listed.minY;
        hood.maxX[i] = listed.maxX;
        hood.maxY[i] = listed.maxY;
    }
    // Whole groups of four boxes are measured at once: the rest of the last one is padded.
    for (int n = hood.count; n % 4 != 0; ++n) {
        const auto i = static_cast<std::size_t>(n);
        hood.minX[i] = hood.minY[i] = hood.maxX[i] = hood.maxY[i] = 0.0f;
    }
}

void AgentTree::measureGaps(const Neighbourhood& hood, const Vec2& p,
                            std::array<float, Neighbourhood::capacity>& gaps) {
#if defined(__SSE2__)
    // squaredGap's operations, lane by lane: the same bits for every leaf. The lanes past the
    // count measure the padding boxes and are never read.
    const __m128 x = _mm_set1_ps(p.x);
    const __m128 y = _mm_set1_ps(p.y);
    const __m128 zero = _mm_setzero_ps();
    for (int n = 0; n < hood.count; n += 4) {
        const auto i = static_cast<std::size_t>(n);
        // std::max(a, b) is a < b ? b : a, which _mm_max_ps(b, a) computes, a NaN included.
        const __m128 outsideX = _mm_max_ps(_mm_sub_ps(x, _mm_loadu_ps(&hood.maxX[i])),
                                           _mm_sub_ps(_mm_loadu_ps(&hood.minX[i]), x));
        const __m128 outsideY = _mm_max_ps(_mm_sub_ps(y, _mm_loadu_ps(&hood.maxY[i])),
                                           _mm_sub_ps(_mm_loadu_ps(&hood.minY[i]), y));
        // outside > 0 ? outside : 0 is _mm_max_ps(outside, zero), a NaN included.
        const __m128 gapX = _mm_max_ps(outsideX, zero);
        const __m128 gapY = _mm_max_ps(outsideY, zero);
        _mm_storeu_ps(&gaps[i], _mm_add_ps(_mm_mul_ps(gapX, gapX), _mm_mul_ps(gapY, gapY)));
    }
#else
    for (int n = 0; n < hood.count; ++n) {
        const auto i = static_cast<std::size_t>(n);
        Node box;
        box.minX = hood.minX[i];
        box.minY = hood.minY[i];
        box.maxX = hood.maxX[i];
        box.maxY = hood.maxY[i];
        gaps[i] = squaredGap(box, p);
    }
#endif
}

template <int K>
void AgentTree::queryAround(CrowdAgent& agent, const Neighbourhood& hood) {
    Candidates<K> found = startQuery<K>(agent);
    const Slot query{agent.position, agent.radius, agent.id};
    std::array<float, Neighbourhood::capacity> gaps;
    measureGaps(hood, query.position, gaps);
    // A leaf the tree walk would scan comes within the query's reach, so it is listed; the
    // walk's order does not change the result, and neither does this one.
    for (int n = 0; n < hood.count; ++n) {
        if (gaps[static_cast<std::size_t>(n)] <= found.squaredReach()) {
            scanLeaf(nodes[hood.leaves[static_cast<std::size_t>(n)]], query, found);
        }
    }
    finishQuery(agent, found);
}

void AgentTree::findNeighbours(CrowdAgent& agent, const Neighbourhood& hood) {
    if (!hood.complete || !agent.present) {
        findNeighbours(agent);
    } else if (wanted == 1) {
        queryAround<1>(agent, hood);
    } else {
        queryAround<CrowdAgent::maxNeighbours>(agent, hood);
    }
}

void AgentTree::findAllNeighbours(std::vector<CrowdAgent>& agents) {
    assert(static_cast<int>(agents.size()) >= slotCount);
    // In tree order, one query after another walks the same nodes and leaves while they are
    // still in cache.
    for (int i = 0; i < slotCount; ++i) {
        findNeighbours(agents[treeSlots[i].id]);
    }
}
