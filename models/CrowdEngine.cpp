#include "models/CrowdEngine.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>

#include "core/StepThreads.h"

namespace {

// Relative slack for rounding when segments are culled by their boxes, far above float error.
constexpr float cullMargin = 1e-5f;

}  // namespace

Vec2 CrowdEngine::Segment::nearestPoint(const Vec2& p) const {
    const Vec2 along = b - a;
    const float squaredLength = along.squaredLength();
    // A zero-length segment would make the projection 0 / 0 and the point NaN.
    if (squaredLength == 0.0f) {
        return a;
    }
    const float t = (p - a).dot(along) / squaredLength;
    if (t < 0.0f) {
        return a;
    }
    if (t > 1.0f) {
        return b;
    }
    return a + along * t;
}

CrowdEngine::CrowdEngine(int agentCount, int obstacleCapacity, Rule velocityRule,
                         int neighbourCount)
    : agentTable(static_cast<size_t>(std::max(agentCount, 0))),
      tree(agentCount, neighbourCount),
      rule(velocityRule),
      presentAgents(agentTable.size()) {
    assert(velocityRule);
    for (size_t i = 0; i < agentTable.size(); ++i) {
        agentTable[i].id = static_cast<int>(i);
    }
    obstacleTable.reserve(static_cast<size_t>(std::max(obstacleCapacity, 0)));
    const size_t groups = (obstacleTable.capacity() + cullWidth - 1) / cullWidth;
    for (std::vector<float>* box : {&boxMinX, &boxMinY, &boxMaxX, &boxMaxY}) {
        box->reserve(groups * cullWidth);
    }
}

void CrowdEngine::addObstacle(float x1, float y1, float x2, float y2) {
    obstacleTable.push_back({{x1, y1}, {x2, y2}});
    // The nearest point is rounded like any float sum, so it may stray from the segment's box
    // by an ulp of the coordinates; widening the box by far more than that keeps the cull exact.
    const float magnitude =
        std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2), 1.0f});
    const float margin = cullMargin * magnitude;
    const size_t s = obstacleTable.size() - 1;
    if (s == boxMinX.size()) {
        // A box from +∞ to −∞ holds no point, so padding lanes never pass the test.
        const float infinity = std::numeric_limits<float>::infinity();
        boxMinX.resize(s + cullWidth, infinity);
        boxMinY.resize(s + cullWidth, infinity);
        boxMaxX.resize(s + cullWidth, -infinity);
        boxMaxY.resize(s + cullWidth, -infinity);
    }
    boxMinX[s] = std::min(x1, x2) - margin;
    boxMinY[s] = std::min(y1, y2) - margin;
    boxMaxX[s] = std::max(x1, x2) + margin;
    boxMaxY[s] = std::max(y1, y2) + margin;
}

void CrowdEngine::setPresent(int i, bool present) {
    CrowdAgent& agent = agentTable[i];
    agent.present = present;
    presentAgents.update(static_cast<std::size_t>(i), present);
    if (!present) {
        agent.neighbourCount = 0;
        agent.obstacleCount = 0;
        agent.overlapping = false;
    }
}

void CrowdEngine::crowdStep(float dt, StepThreads* threads) {
    timeStep = dt;
    const std::vector<int>& inScene = presentAgents.agents();
    tree.build(agentTable, inScene, threads);
    // Each agent reads the state before the step and writes only its own lists and new
    // velocity, so one agent's search and rule may follow another's in any order.
    forEachBatch(threads, static_cast<std::size_t>(tree.size()),
                 [this](std::size_t begin, std::size_t end) { decide(begin, end); });
    // Each agent moves on its own, so the threads share this too.
    forEachBatch(threads, inScene.size(), [this, &inScene](std::size_t begin, std::size_t end) {
        move(inScene, begin, end);
    });
}

void CrowdEngine::decide(std::size_t begin, std::size_t end) {
    // In tree order one agent's search walks the nodes and leaves the one before walked, and
    // the agents of a leaf follow each other: the segments near the leaf are listed once for
    // all of them.
    NearbySegments nearby;
    AgentTree::Neighbourhood hood;
    std::size_t leafEnd = begin;
    for (std::size_t slot = begin; slot < end; ++slot) {
        if (slot >= leafEnd) {
            const AgentTree::Leaf leaf = tree.leafAt(static_cast<int>(slot));
            leafEnd = static_cast<std::size_t>(leaf.end);
            listNearbySegments(leaf, nearby);
            tree.findNeighbourhood(static_cast<int>(slot), hood);
        }
        CrowdAgent& agent =
            agentTable[static_cast<std::size_t>(tree.agentAt(static_cast<int>(slot)))];
        tree.findNeighbours(agent, hood);
        findObstacles(agent, nearby);
        agent.newVelocity = limitedVelocity(agent);
    }
}

void CrowdEngine::searchNeighbours() {
    const std::vector<int>& inScene = presentAgents.agents();
    tree.build(agentTable, inScene);
    tree.findAllNeighbours(agentTable);
    for (const int i : inScene) {
        findObstacles(agentTable[static_cast<std::size_t>(i)]);
    }
}

float CrowdEngine::obstacleReach(const CrowdAgent& agent) {
    // Segments farther than radius × √2 from the centre are out of reach.
    return std::sqrt(2.0f * agent.radius * agent.radius) * (1.0f + cullMargin);
}

void CrowdEngine::listNearbySegments(const AgentTree::Leaf& leaf, NearbySegments& nearby) const {
    // Every agent of the leaf stands in its box (one whose position is not a number passes no
    // box test anyway) and reaches no farther than the largest reach, and float addition
    // rounds monotonically: a segment that one of them keeps passes this test too. A reach that
    // is not a number is passed over by the fold, and its agent's own tests all fail.
    float reach = 0.0f;
    for (int slot = leaf.begin; slot < leaf.end; ++slot) {
        reach = std::max(reach, obstacleReach(agentTable[static_cast<size_t>(tree.agentAt(slot))]));
    }
    nearby.complete = true;
    nearby.count = 0;
    const size_t segmentCount = obstacleTable.size();
    for (size_t group = 0; group < segmentCount; group += cullWidth) {
        std::array<int, cullWidth> inReach;
        for (int j = 0; j < cullWidth; ++j) {
            const size_t s = group + j;
            inReach[j] = (leaf.maxX + reach >= boxMinX[s]) & (leaf.minX - reach <= boxMaxX[s]) &
                         (leaf.maxY + reach >= boxMinY[s]) & (leaf.minY - reach <= boxMaxY[s]);
        }
        for (int j = 0; j < cullWidth; ++j) {
            if (!inReach[j]) {
                continue;
            }
            if (nearby.count == NearbySegments::capacity) {
                nearby.complete = false;
                return;
            }
            nearby.segments[static_cast<size_t>(nearby.count++)] = static_cast<int>(group) + j;
        }
    }
}

void CrowdEngine::findObstacles(CrowdAgent& agent, const NearbySegments& nearby) const {
    if (!nearby.complete) {
        findObstacles(agent);
        return;
    }
    // The listed segments in table order, with the test and the comparisons of the whole scan,
    // so that the same two are kept.
    const float reachSquared = 2.0f * agent.radius * agent.radius;
    float nearest = reachSquared;
    float second = reachSquared;
    agent.obstacleCount = 0;
    const float reach = obstacleReach(agent);
    for (int n = 0; n < nearby.count; ++n) {
        const int s = nearby.segments[static_cast<size_t>(n)];
        if (boxInReach(static_cast<size_t>(s), agent.position, reach)) {
            considerObstacle(agent, s, nearest, second);
        }
    }
}

void CrowdEngine::findObstacles(CrowdAgent& agent) const {
    // Segments farther than radius × √2 from the centre are out of reach.
    const float reachSquared = 2.0f * agent.radius * agent.radius;
    float nearest = reachSquared;
    float second = reachSquared;
    agent.obstacleCount = 0;
    // Most segments are turned away by their box alone, a group of boxes at a time in a loop
    // the compiler turns into vector instructions, before any projection.
    const float reach = obstacleReach(agent);
    const size_t segmentCount = obstacleTable.size();
    for (size_t group = 0; group < segmentCount; group += cullWidth) {
        std::array<int, cullWidth> inReach;
        for (int j = 0; j < cullWidth; ++j) {
            inReach[j] = boxInReach(group + j, agent.position, reach);
        }
        for (int j = 0; j < cullWidth; ++j) {
            if (inReach[j]) {
                considerObstacle(agent, static_cast<int>(group) + j, nearest, second);
            }
        }
    }
}

void CrowdEngine::considerObstacle(CrowdAgent& agent, int index, float& nearest,
                                   float& second) const {
    const float squaredDistance =
        (agent.position - obstacleTable[index].nearestPoint(agent.position)).squaredLength();
    if (squaredDistance < nearest) {
        agent.obstacles[1] = agent.obstacles[0];
        second = nearest;
        agent.obstacles[0] = index;
        nearest = squaredDistance;
        agent.obstacleCount = std::min(agent.obstacleCount + 1, CrowdAgent::maxObstacles);
    } else if (squaredDistance < second) {
        agent.obstacles[1] = index;
        second = squaredDistance;
        agent.obstacleCount = CrowdAgent::maxObstacles;
    }
}

namespace {

// The direction of a velocity with infinite components (each ±1 or 0); NaN gives no movement.
Vec2 limitedDirection(const Vec2& velocity) {
    const auto part = [](float value) {
        return std::isinf(value) ? std::copysign(1.0f, value) : 0.0f;
    };
    const Vec2 direction(part(velocity.x), part(velocity.y));
    const float length = direction.length();
    return length > 0.0f ? direction * (CrowdEngine::speedLimit / length) : Vec2();
}

}  // namespace

Vec2 CrowdEngine::limitedVelocity(const CrowdAgent& agent) const {
    Vec2 velocity = rule(*this, agent);
    if (!std::isfinite(velocity.x) || !std::isfinite(velocity.y)) {
        // A force too large for a float (hand-edited radii of metres make the exponential
        // repulsion overflow) still has a direction: keep the signs, at the limit.
        velocity = limitedDirection(velocity);
    }
    const float speed = velocity.length();
    if (speed > speedLimit) {
        velocity *= speedLimit / speed;
    }
    return velocity;
}

void CrowdEngine::move(const std::vector<int>& inScene, std::size_t begin, std::size_t end) {
    for (std::size_t slot = begin; slot < end; ++slot) {
        CrowdAgent& agent = agentTable[static_cast<std::size_t>(inScene[slot])];
        agent.velocity = agent.newVelocity;
        agent.position += agent.velocity * timeStep;
    }
}
