#include "models/SimulationHelbing.h"

#include <cmath>

namespace {

constexpr float mass = 80.0f;                 // kg
constexpr float relaxationRate = 2.0f;        // 1/s, the inverse of a 0.5 s relaxation time
constexpr float repulsion = 2000.0f;          // N
constexpr float repulsionRange = 0.08f;       // m
constexpr float bodyCompression = 120000.0f;  // kg/s²
constexpr float slidingFriction = 240000.0f;  // kg/(m·s)

// The tangent (a.y, −a.x) of a, turned round when the agent's velocity points against it.
Vec2 tangentAlong(const Vec2& a, const Vec2& velocity) {
    const Vec2 tangent(a.y, -a.x);
    return velocity.dot(tangent) < 0.0f ? -tangent : tangent;
}

// Float addition is not associative, and agents in contact are chaotic: every term goes into
// the running force in the model's written order (repulsion, then body and friction together),
// never as a per-neighbour subtotal, or trajectories drift apart within seconds.

// Adds the force of neighbour `other` on `agent`. Δ and the tangent are deliberately not unit
// vectors: both are d long, and the model's constants go with that.
void addNeighbourForce(Vec2& force, const CrowdAgent& agent, const CrowdAgent& other) {
    const Vec2 delta = agent.position - other.position;
    const float d = delta.length();
    // Two agents at the same position have no direction between them (the friction's w / d is
    // 0 / 0); every term acts along Δ or its tangent, so such a pair exerts no force at all.
    if (d == 0.0f) {
        return;
    }
    const float overlap = agent.radius + other.radius - d;
    force += delta * (repulsion * std::exp(overlap / repulsionRange));
    if (overlap > 0.0f) {
        const Vec2 tangent = tangentAlong(delta, agent.velocity);
        const float slip = (other.velocity - agent.velocity).dot(tangent);
        force += delta * (bodyCompression * overlap) +
                 tangent * (slidingFriction * overlap * (slip / d));
    }
}

// Adds the force of an obstacle whose nearest point is c. A centre on the segment (d = 0) has no
// normal, and every term acts along the normal or the tangent, so such a segment exerts none.
void addObstacleForce(Vec2& force, const CrowdAgent& agent, const Vec2& c) {
    const Vec2 away = agent.position - c;
    const float d = away.length();
    if (d == 0.0f) {
        return;
    }
    const Vec2 normal = away / d;
    const float r = agent.radius;
    force += normal * (repulsion * std::exp((r - d) / repulsionRange));
    if (d < r) {
        const Vec2 tangent = tangentAlong(normal, agent.velocity);
        force += normal * (bodyCompression * (r - d)) -
                 tangent * (slidingFriction * (r - d) * agent.velocity.dot(tangent));
    }
}

}  // namespace

SimulationHelbing::SimulationHelbing() {
    name = "Helbing";
}

void SimulationHelbing::createAgents() {
    createCrowd(socialForceRule);
}

Vec2 socialForceRule(const CrowdEngine& engine, const CrowdAgent& agent) {
    Vec2 force = (agent.desiredVelocity - agent.velocity) * (mass * relaxationRate);
    for (int n = 0; n < agent.neighbourCount; ++n) {
        addNeighbourForce(force, agent, engine.agent(agent.neighbours[n]));
    }
    for (int s = 0; s < agent.obstacleCount; ++s) {
        const Vec2 c = engine.obstacles()[agent.obstacles[s]].nearestPoint(agent.position);
        addObstacleForce(force, agent, c);
    }
    return agent.velocity + force / mass * engine.dt();
}
