#include "models/orca/SpatialIndex.h"

#include <algorithm>
#include <array>
#include <utility>

#include "models/orca/ObstacleVertex.h"
#include "models/orca/OrcaAgent.h"
#include "models/orca/OrcaEngine.h"
#include "models/orca/OrcaTolerance.h"

namespace {

float square(float value) {
    return value * value;
}

// Squared distance (m²) from p to a bounding box; zero inside.
template <class Box>
inline float squaredDistanceToBox(const Box& box, const Vec2& p) {
    return square(std::max(0.0f, box.minX - p.x)) + square(std::max(0.0f, p.x - box.maxX)) +
           square(std::max(0.0f, box.minY - p.y)) + square(std::max(0.0f, p.y - box.maxY));
}

AgentBox boxOf(const AgentNode& node) {
    return {node.minX, node.minY, node.maxX, node.maxY};
}

// Subtrees a search puts aside at once, at most: one per inner node on its path. Deeper trees,
// which only crowds bunched at a few spots build, are searched by recursion.
constexpr std::size_t searchStackDepth = 64;

// A subtree put aside by the search, to be visited if it is still within range when its turn
// comes.
struct PendingNode {
    std::uint32_t node;
    float squaredDistance;  ///< m²
};

// Which side of the line through edge i the edge j lies on, from the side tests of its ends.
enum class Side { left, right, both };

Side sideOf(const ObstacleVertex& i, const ObstacleVertex& j, float& startSide) {
    const Vec2& i1 = i.point;
    const Vec2& i2 = i.next->point;
    startSide = leftOf(i1, i2, j.point);
    const float endSide = leftOf(i1, i2, j.next->point);
    if (startSide >= -orcaEpsilon && endSide >= -orcaEpsilon) {
        return Side::left;
    }
    if (startSide <= orcaEpsilon && endSide <= orcaEpsilon) {
        return Side::right;
    }
    return Side::both;
}

// (larger, smaller) of a split's two counts: the split with the lexicographically smaller
// pair is the more balanced one.
std::pair<std::size_t, std::size_t> balance(std::size_t left, std::size_t right) {
    return {std::max(left, right), std::min(left, right)};
}

}  // namespace

SpatialIndex::~SpatialIndex() = default;

void SpatialIndex::reserveAgents(std::size_t count) {
    if (order.capacity() >= count) {
        return;
    }
    // Doubling keeps spawning one agent after another linear in time.
    const std::size_t room = std::max(count, 2 * order.capacity());
    order.reserve(room);
    nodes.reserve(2 * room);
    lanes.reserve(room);
    grid.reserve(room);
    absentRank.reserve(room);
    inOrder.reserve(room);
    noted.reserve(room);
    changed.reserve(room);
    comingBack.reserve(room);
}

void SpatialIndex::presenceChanged(std::size_t agent) {
    membershipChanged = true;
    // An agent not taken in yet is sorted in by its state when it is.
    if (agent < takenIn && noted[agent] == 0) {
        noted[agent] = 1;
        changed.push_back(agent);
    }
}

void SpatialIndex::refreshAgents() {
    const std::size_t count = engine.agentCount();
    // With the same agents in the tree as at the last build, every agent's last neighbours
    // are still there to bound its next search.
    steadyBuilds = buildCount > 0 && takenIn == count && !membershipChanged;
    if (takenIn < count) {
        // New agents join at the end, which is the end of the present ones only when nobody
        // is absent.
        membershipChanged = membershipChanged || treeSize < takenIn;
        nodes.resize(2 * count - 1);
        lanes.resize(count);
        absentRank.resize(count, 0);
        inOrder.resize(count, 0);
        noted.resize(count, 0);
        grid.reserve(count);
        if (!membershipChanged) {
            for (std::size_t i = takenIn; i < count; ++i) {
                order.push_back({&engine.agent(i), Vec2()});
                inOrder[i] = 1;
            }
            treeSize = count;
            takenIn = count;
        }
    }
    if (membershipChanged) {
        gatherPresentAgents(count);
        membershipChanged = false;
    }
    for (std::size_t i = 0; i < treeSize; ++i) {
        order[i].position = order[i].agent->position();
    }
    ++buildCount;
    grid.build(order, gridSearch ? treeSize : 0);
}

void SpatialIndex::buildAgentNodes() {
    treeDepth = 0;
    if (treeSize > 0) {
        buildAgentNode(0, treeSize, 0, 0);
    }
    for (std::size_t i = 0; i < treeSize; ++i) {
        lanes.set(i, order[i].position);
    }
}

void SpatialIndex::gatherPresentAgents(std::size_t count) {
    // Those who left go to the front of the absent ones, in their tree order.
    std::size_t leaving = 0;
    for (std::size_t i = 0; i < treeSize; ++i) {
        leaving += order[i].agent->isPresent() ? 0 : 1;
    }
    frontRank -= static_cast<std::int64_t>(leaving);
    std::int64_t rank = frontRank;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < treeSize; ++i) {
        const AgentSlot slot = order[i];
        if (slot.agent->isPresent()) {
            order[kept++] = slot;
        } else {
            absentRank[slot.agent->index()] = rank++;
            inOrder[slot.agent->index()] = 0;
        }
    }
    order.resize(kept);
    // Then those who came back, as they stand among the absent ones. One who came and went
    // again since the last build, or went and came back, is in neither group.
    comingBack.clear();
    for (const std::size_t agent : changed) {
        noted[agent] = 0;
        if (inOrder[agent] == 0 && engine.agent(agent).isPresent()) {
            comingBack.push_back(agent);
        }
    }
    changed.clear();
    std::sort(comingBack.begin(), comingBack.end(),
              [this](std::size_t a, std::size_t b) { return absentRank[a] < absentRank[b]; });
    for (const std::size_t agent : comingBack) {
        order.push_back({&engine.agent(agent), Vec2()});
        inOrder[agent] = 1;
    }
    // Then the agents spawned since the last build, by index; the absent ones among them join
    // the back of the absent ones.
    for (std::size_t agent = takenIn; agent < count; ++agent) {
        if (engine.agent(agent).isPresent()) {
            order.push_back({&engine.agent(agent), Vec2()});
            inOrder[agent] = 1;
        } else {
            absentRank[agent] = backRank++;
            inOrder[agent] = 0;
        }
    }
    takenIn = count;
    treeSize = order.size();
}

void SpatialIndex::buildAgentNode(std::size_t begin, std::size_t end, std::size_t node,
                                  std::size_t depth) {
    AgentNode& box = nodes[node];
    box.begin = static_cast<std::uint32_t>(begin);
    box.end = static_cast<std::uint32_t>(end);
    const Vec2& first = order[begin].position;
    box.minX = box.maxX = first.x;
    box.minY = box.maxY = first.y;
    for (std::size_t i = begin + 1; i < end; ++i) {
        const Vec2& p = order[i].position;
        box.maxX = std::max(box.maxX, p.x);
        box.minX = std::min(box.minX, p.x);
        box.maxY = std::max(box.maxY, p.y);
        box.minY = std::min(box.minY, p.y);
    }
    if (end - begin <= maxLeafSize) {
        return;
    }
    treeDepth = std::max(treeDepth, depth + 1);

    const bool acrossX = box.maxX - box.minX > box.maxY - box.minY;
    const float split = acrossX ? 0.5f * (box.maxX + box.minX) : 0.5f * (box.maxY + box.minY);
    const auto coordinate = [acrossX](const AgentSlot& slot) {
        return acrossX ? slot.position.x : slot.position.y;
    };
    std::size_t left = begin;
    std::size_t right = end;
    while (left < right) {
        while (left < right && coordinate(order[left]) < split) {
            ++left;
        }
        while (right > left && coordinate(order[right - 1]) >= split) {
            --right;
        }
        if (left < right) {
            std::swap(order[left], order[right - 1]);
            ++left;
            --right;
        }
    }
    // Agents at one spot cannot be split by position; peeling one off still ends the build.
    if (left == begin) {
        left = begin + 1;
    }
    // The left subtree of m agents takes 2m − 1 nodes, so the right child follows it.
    const std::size_t leftChild = node + 1;
    const std::size_t rightChild = node + 2 * (left - begin);
    box.left = static_cast<std::uint32_t>(leftChild);
    box.right = static_cast<std::uint32_t>(rightChild);
    buildAgentNode(begin, left, leftChild, depth + 1);
    buildAgentNode(left, end, rightChild, depth + 1);
    box.leftBox = boxOf(nodes[leftChild]);
    box.rightBox = boxOf(nodes[rightChild]);
}

void SpatialIndex::queryAgents(OrcaAgent& agent, float& range) const {
    if (treeSize == 0) {
        return;
    }
    if (treeDepth <= searchStackDepth) {
        searchAgents(agent, range);
    } else {
        queryAgentNode(agent, range, 0);
    }
}

void SpatialIndex::scanLeaf(OrcaAgent& agent, float& range, const AgentNode& leaf) const {
    std::array<float, scanWidth> squared;
    lanes.squaredDistances(leaf.begin, agent.position(), squared);
    // The lanes in range are gathered as bits, without a branch per lane that would go either
    // way; the range only shrinks, and keepIfNearer checks each against it again. Lanes are
    // taken in increasing order, as a plain loop would.
    for (std::uint32_t near = LaneMasks::lanesWithin<true>(squared, leaf.end - leaf.begin, range);
         near != 0; near &= near - 1) {
        const unsigned j = static_cast<unsigned>(__builtin_ctz(near));
        agent.keepIfNearer(*order[leaf.begin + j].agent, squared[j], range);
    }
}

void SpatialIndex::queryAgentNode(OrcaAgent& agent, float& range, std::size_t node) const {
    const AgentNode& box = nodes[node];
    if (box.end - box.begin <= maxLeafSize) {
        scanLeaf(agent, range, box);
        return;
    }
    const float leftDistance = squaredDistanceToBox(box.leftBox, agent.position());
    const float rightDistance = squaredDistanceToBox(box.rightBox, agent.position());
    // Nearer child first, so that the range shrinks before the farther one is considered.
    if (leftDistance < rightDistance) {
        if (leftDistance < range) {
            queryAgentNode(agent, range, box.left);
            if (rightDistance < range) {
                queryAgentNode(agent, range, box.right);
            }
        }
    } else if (rightDistance < range) {
        queryAgentNode(agent, range, box.right);
        if (leftDistance < range) {
            queryAgentNode(agent, range, box.left);
        }
    }
}

void SpatialIndex::searchAgents(OrcaAgent& agent, float& range) const {
    // The recursion's order exactly: the nearer child at once, the farther one put aside and
    // taken up, against the range as it is then, once the nearer one's subtree is done. When
    // the nearer child is out of range, so is the farther one.
    std::array<PendingNode, searchStackDepth> pending;
    std::size_t waiting = 0;
    std::uint32_t node = 0;
    for (;;) {
        const AgentNode& box = nodes[node];
        if (box.end - box.begin <= maxLeafSize) {
            scanLeaf(agent, range, box);
        } else {
            const float leftDistance = squaredDistanceToBox(box.leftBox, agent.position());
            const float rightDistance = squaredDistanceToBox(box.rightBox, agent.position());
            const bool leftFirst = leftDistance < rightDistance;
            if ((leftFirst ? leftDistance : rightDistance) < range) {
                pending[waiting++] = leftFirst ? PendingNode{box.right, rightDistance}
                                               : PendingNode{box.left, leftDistance};
                node = leftFirst ? box.left : box.right;
                continue;
            }
        }
        do {
            if (waiting == 0) {
                return;
            }
            --waiting;
        } while (!(pending[waiting].squaredDistance < range));
        node = pending[waiting].node;
    }
}

void SpatialIndex::buildObstacleTree() {
    obstacleRoot.reset();
    std::vector<ObstacleVertex*> edges;
    edges.reserve(engine.vertices().size());
    for (const auto& vertex : engine.vertices()) {
        edges.push_back(vertex.get());
    }
    obstacleRoot = buildObstacleNode(edges);
    obstacles.setTree(obstacleRoot.get());
}

std::unique_ptr<ObstacleNode> SpatialIndex::buildObstacleNode(
    const std::vector<ObstacleVertex*>& edges) {
    if (edges.empty()) {
        return nullptr;
    }
    const std::size_t n = edges.size();

    // The edge whose line leaves the two sides most evenly filled, counting an edge that
    // crosses the line on both sides.
    std::size_t best = 0;
    std::pair<std::size_t, std::size_t> bestBalance = balance(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t leftCount = 0;
        std::size_t rightCount = 0;
        for (std::size_t j = 0; j < n && balance(leftCount, rightCount) < bestBalance; ++j) {
            if (j == i) {
                continue;
            }
            float startSide = 0.0f;
            switch (sideOf(*edges[i], *edges[j], startSide)) {
                case Side::left:
                    ++leftCount;
                    break;
                case Side::right:
                    ++rightCount;
                    break;
                case Side::both:
                    ++leftCount;
                    ++rightCount;
                    break;
            }
        }
        if (balance(leftCount, rightCount) < bestBalance) {
            best = i;
            bestBalance = balance(leftCount, rightCount);
        }
    }

    std::vector<ObstacleVertex*> leftEdges;
    std::vector<ObstacleVertex*> rightEdges;
    leftEdges.reserve(bestBalance.first);
    rightEdges.reserve(bestBalance.first);
    const ObstacleVertex& splitter = *edges[best];
    for (std::size_t j = 0; j < n; ++j) {
        if (j == best) {
            continue;
        }
        ObstacleVertex* edge = edges[j];
        float startSide = 0.0f;
        const Side side = sideOf(splitter, *edge, startSide);
        if (side == Side::left) {
            leftEdges.push_back(edge);
            continue;
        }
        if (side == Side::right) {
            rightEdges.push_back(edge);
            continue;
        }
        // Cut the edge where it crosses the splitting line, so each piece lies on one side.
        const Vec2& i1 = splitter.point;
        const Vec2& i2 = splitter.next->point;
        const Vec2& j1 = edge->point;
        const Vec2& j2 = edge->next->point;
        const float t = det(i2 - i1, j1 - i1) / det(i2 - i1, j1 - j2);
        ObstacleVertex* piece = engine.appendVertex(j1 + t * (j2 - j1));
        piece->previous = edge;
        piece->next = edge->next;
        piece->convex = true;
        piece->direction = edge->direction;
        edge->next->previous = piece;
        edge->next = piece;
        if (startSide > 0.0f) {
            leftEdges.push_back(edge);
            rightEdges.push_back(piece);
        } else {
            rightEdges.push_back(edge);
            leftEdges.push_back(piece);
        }
    }

    auto node = std::make_unique<ObstacleNode>();
    node->vertex = &splitter;
    node->left = buildObstacleNode(leftEdges);
    node->right = buildObstacleNode(rightEdges);
    return node;
}
