#include "models/orca/OrcaEngine.h"

#include <algorithm>
#include <limits>

#include "core/StepThreads.h"

namespace {

// Starts loading what the next agents of a decision order will read: the state of the agent
// four places ahead, and the neighbours of the one two places ahead, whose lists are loaded by
// then. An agent's state spans some ten cache lines, which take a few agents' time to arrive.
template <class AgentAt>
void prefetchAhead(const AgentAt& agentAt, std::size_t i, std::size_t end) {
    if (i + 4 < end) {
        agentAt(i + 4).prefetchOwnState();
    }
    if (i + 2 < end) {
        agentAt(i + 2).prefetchNeighbours();
    }
}

// With repeated points a polygon has edges of zero length. Its corners are then judged
// against the nearest distinct points before and after them, which is what the polygon would
// be with the repeats removed; `step` is +1 to look ahead, −1 to look back. A point too near
// for the squared distance to be a float counts as a repeat: the edge to it has no length to
// the search either, and no direction could be derived from it.
const Vec2* distinctNeighbour(const std::vector<Vec2>& polygon, std::size_t i, int step) {
    const std::size_t n = polygon.size();
    std::size_t j = i;
    for (std::size_t tried = 1; tried < n; ++tried) {
        j = step > 0 ? (j + 1) % n : (j + n - 1) % n;
        if ((polygon[j] - polygon[i]).squaredLength() > 0.0f) {
            return &polygon[j];
        }
    }
    return nullptr;
}

// Direction of an edge whose ends coincide everywhere in the polygon: any fixed unit vector
// keeps the neighbouring edges' tests finite, and the edge itself is never used.
constexpr Vec2 pointPolygonDirection(1.0f, 0.0f);

// Obstacle edges an agent has room for in its lists from the start. Scenes of a few walls
// then never allocate in a step; in larger ones an agent's lists grow the first times it
// meets more edges at once, and keep their size.
constexpr std::size_t obstacleEdgesReserved = 24;

}  // namespace

OrcaEngine::OrcaEngine() : index(*this) {}

OrcaEngine::~OrcaEngine() = default;

void OrcaEngine::setDefaults(float neighbourDistance, std::size_t maxNeighbours, float agentHorizon,
                             float obstacleHorizon, float radius, float maxSpeed,
                             const Vec2& velocity) {
    if (!agentTemplate) {
        agentTemplate = std::make_unique<OrcaAgent>(*this);
    }
    agentTemplate->maxNeighbourCount = maxNeighbours;
    agentTemplate->speedLimit = maxSpeed;
    agentTemplate->neighbourRange = neighbourDistance;
    agentTemplate->discRadius = radius;
    agentTemplate->agentTimeHorizon = agentHorizon;
    agentTemplate->obstacleTimeHorizon = obstacleHorizon;
    agentTemplate->currentVelocity = velocity;
}

int OrcaEngine::spawnAgent(const Vec2& position) {
    if (!agentTemplate) {
        return refused;
    }
    auto agent = std::make_unique<OrcaAgent>(*this);
    agent->location = position;
    agent->maxNeighbourCount = agentTemplate->maxNeighbourCount;
    agent->speedLimit = agentTemplate->speedLimit;
    agent->neighbourRange = agentTemplate->neighbourRange;
    agent->discRadius = agentTemplate->discRadius;
    agent->agentTimeHorizon = agentTemplate->agentTimeHorizon;
    agent->obstacleTimeHorizon = agentTemplate->obstacleTimeHorizon;
    agent->currentVelocity = agentTemplate->currentVelocity;
    agent->place = agents.size();
    // Room up front, so that the first steps do not allocate either.
    agent->reserveLists(obstacleRoom());
    agents.push_back(std::move(agent));
    index.reserveAgents(agents.size());
    if (waitsForTree.capacity() < agents.size()) {
        waitsForTree.reserve(2 * agents.size());
        treeSearches.reserve(2 * agents.size());
    }
    waitsForTree.push_back(0);
    return static_cast<int>(agents.size() - 1);
}

int OrcaEngine::addPolygon(const std::vector<Vec2>& polygon) {
    const std::size_t n = polygon.size();
    if (n < 2) {
        return refused;
    }
    const std::size_t first = vertexList.size();
    obstaclesIndexed = false;
    for (std::size_t i = 0; i < n; ++i) {
        ObstacleVertex* vertex = appendVertex(polygon[i]);
        if (i > 0) {
            ObstacleVertex* previous = vertexList[vertexList.size() - 2].get();
            vertex->previous = previous;
            previous->next = vertex;
        }
        if (i == n - 1) {
            vertex->next = vertexList[first].get();
            vertexList[first]->previous = vertex;
        }
        const Vec2* ahead = distinctNeighbour(polygon, i, +1);
        const Vec2* behind = distinctNeighbour(polygon, i, -1);
        vertex->direction =
            ahead != nullptr ? (*ahead - polygon[i]).normalised() : pointPolygonDirection;
        vertex->convex = n == 2 || ahead == nullptr || leftOf(*behind, polygon[i], *ahead) >= 0.0f;
    }
    return static_cast<int>(first);
}

ObstacleVertex* OrcaEngine::appendVertex(const Vec2& point) {
    auto vertex = std::make_unique<ObstacleVertex>();
    vertex->point = point;
    vertex->index = vertexList.size();
    vertexList.push_back(std::move(vertex));
    return vertexList.back().get();
}

void OrcaEngine::indexObstacles() {
    // A build splits edges that cross a splitting line, and a second build over the pieces
    // would split and order them differently: the tree, and with it the order of equally near
    // edges, would depend on how often it was asked for. Without new polygons it stays.
    if (!obstaclesIndexed) {
        index.buildObstacleTree();
        obstaclesIndexed = true;
    }
    for (const auto& agent : agents) {
        agent->reserveLists(obstacleRoom());
    }
}

void OrcaEngine::prepareObstacleSearch() {
    // Building the cells walks the obstacle tree once per cell, which a few dozen agents'
    // searches would not repay.
    constexpr std::size_t smallestCrowd = 64;
    if (agents.size() < smallestCrowd) {
        return;
    }
    // An agent whose range is infinite or NaN searches the whole tree; the cells serve the
    // others.
    float largest = 0.0f;
    for (const auto& agent : agents) {
        const float range = agent->obstacleTimeHorizon * agent->speedLimit + agent->discRadius;
        const float squared = range * range;  // as the agent computes it
        if (squared > largest && squared < std::numeric_limits<float>::infinity()) {
            largest = squared;
        }
    }
    index.prepareObstacleCells(largest);
}

std::size_t OrcaEngine::obstacleRoom() const {
    return std::min(vertexList.size(), obstacleEdgesReserved);
}

void OrcaEngine::setPresent(std::size_t agent, bool present) {
    OrcaAgent& member = *agents[agent];
    if (member.inScene == present) {
        return;
    }
    member.inScene = present;
    if (!present) {
        member.agentNeighbourList.clear();
        member.obstacleNeighbourList.clear();
    }
    index.presenceChanged(agent);
}

void OrcaEngine::advance(StepThreads* threads) {
    // Decide: each agent writes only its own lists and new velocity, so all decide from the
    // state before the step, in any order and on any thread.
    index.refreshAgents();
    if (index.agentGrid().usable()) {
        decideFromGrid(threads);
    } else {
        index.buildAgentNodes();
        forEachBatch(threads, index.agentsInTree(),
                     [this](std::size_t begin, std::size_t end) { decide(begin, end); });
    }
    // Move: each agent on its own, so the threads share this too. The order holds exactly the
    // present agents, so a step costs in them alone.
    const std::vector<AgentSlot>& present = index.agentOrder();
    forEachBatch(threads, index.agentsInTree(), [&present](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            present[i].agent->commit();
        }
    });
}

void OrcaEngine::decide(std::size_t begin, std::size_t end) {
    // Tree order visits neighbours one after another, so their data is still in cache. The
    // tree holds the present agents only, at the front of the order.
    const std::vector<AgentSlot>& order = index.agentOrder();
    const auto inOrder = [&order](std::size_t i) -> const OrcaAgent& { return *order[i].agent; };
    for (std::size_t i = begin; i < end; ++i) {
        prefetchAhead(inOrder, i, end);
        order[i].agent->findNeighbours();
        order[i].agent->chooseVelocity();
    }
}

void OrcaEngine::decideFromGrid(StepThreads* threads) {
    // Cell order, like tree order, visits neighbours one after another.
    const std::vector<const OrcaAgent*>& members = index.agentGrid().memberOrder();
    const auto inOrder = [&members](std::size_t i) -> const OrcaAgent& { return *members[i]; };
    // The grid hands out agents to read; the engine owns them and lets them decide.
    const auto member = [this, &members](std::size_t i) -> OrcaAgent& {
        return *agents[members[i]->index()];
    };
    forEachBatch(threads, members.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            prefetchAhead(inOrder, i, end);
            OrcaAgent& agent = member(i);
            if (agent.findNeighboursWithoutTree()) {
                agent.chooseVelocity();
            } else {
                waitsForTree[i] = 1;
            }
        }
    });
    treeSearches.clear();
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (waitsForTree[i] != 0) {
            waitsForTree[i] = 0;
            treeSearches.push_back(&member(i));
        }
    }
    if (treeSearches.empty()) {
        return;
    }
    index.buildAgentNodes();
    forEachBatch(threads, treeSearches.size(), [this](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            treeSearches[i]->findNeighboursInTree();
            treeSearches[i]->chooseVelocity();
        }
    });
}
