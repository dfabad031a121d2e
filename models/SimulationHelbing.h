#pragma once

#include "models/CrowdSimulation.h"

/// The "Helbing" social-force model: every agent is a disc of 80 kg driven towards its desired
/// velocity and pushed by exponential repulsion, body compression and sliding friction from its
/// neighbours and the nearby obstacle segments.
class SimulationHelbing : public CrowdSimulation {
public:
    SimulationHelbing();

    /// A fresh crowd engine running socialForceRule.
    void createAgents() override;
};

/// The social-force velocity rule: the velocity after one explicit Euler step of the summed
/// forces. Two agents at the same position, or an agent whose centre lies on an obstacle
/// segment, have no direction between them; the terms that need that direction are left out
/// for that pair or segment in that step, so the state stays finite.
Vec2 socialForceRule(const CrowdEngine& engine, const CrowdAgent& agent);
