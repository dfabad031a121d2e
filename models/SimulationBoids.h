#pragma once

#include "models/CrowdSimulation.h"

/// The "Boids" model: each agent relaxes towards its desired velocity and is pushed away from
/// its nearest neighbour and its nearest obstacle segment.
class SimulationBoids : public CrowdSimulation {
public:
    SimulationBoids();

    /// A fresh crowd engine running boidsRule, whose searches find the nearest neighbour only.
    void createAgents() override;
};

/// The Boids velocity rule. Only the nearest neighbour and the nearest obstacle act, through an
/// unnormalised separation vector; its weight grows as the obstacle (or, without one, the
/// neighbour) comes closer than 5.4 radii.
Vec2 boidsRule(const CrowdEngine& engine, const CrowdAgent& agent);
