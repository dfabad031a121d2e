#include "models/SimulationBoids.h"

namespace {

constexpr float separationReach = 5.4f;   // radii within which separation acts
constexpr float obstacleGain = 7.6f;      // how much harder an obstacle pushes than a neighbour
constexpr float weightScale = 10.0f;      // separation weight at zero distance
constexpr float rate = 10.0f;             // 1/s, how fast the velocity follows the steering
constexpr float desireShare = 0.35f;      // share of the steering that aims at the desired velocity
constexpr float separationShare = 0.65f;  // share that keeps the agent apart from others

}  // namespace

SimulationBoids::SimulationBoids() {
    name = "Boids";
}

void SimulationBoids::createAgents() {
    // The rule reads the nearest neighbour alone, so the searches look for no other.
    createCrowd(boidsRule, 1);
}

Vec2 boidsRule(const CrowdEngine& engine, const CrowdAgent& agent) {
    const Vec2& p = agent.position;
    const float reach = separationReach * agent.radius;
    float h = 0.0f;
    Vec2 separation;
    if (agent.neighbourCount > 0) {
        const Vec2 away = p - engine.agent(agent.neighbours[0]).position;
        h = away.length();
        if (h < reach) {
            separation = away;
        }
    }
    if (agent.obstacleCount > 0) {
        const Vec2 away = p - engine.obstacles()[agent.obstacles[0]].nearestPoint(p);
        h = away.length();
        if (h < reach) {
            separation += away * obstacleGain;
        }
    }
    const Vec2 steering = (agent.desiredVelocity - agent.velocity) * desireShare;
    // Without separation the weight plays no part; skipping it also keeps a zero radius (whose
    // weight is 0 / 0) from turning the velocity into NaN.
    if (separation == Vec2()) {
        return agent.velocity + steering * (rate * engine.dt());
    }
    const float closeness = (reach - h) / reach;
    const float weight = weightScale * closeness * closeness;
    return agent.velocity +
           (steering + separation * (separationShare * weight)) * (rate * engine.dt());
}
