#pragma once

#include <cmath>
#include <vector>

#include "models/CrowdSimulation.h"

// One agent of a hand-built scene for the Boids and Helbing models.
struct CrowdWalker {
    float x, y, vx, vy, goalX, goalY;
    float radius = 0.2f;  // m
};

// Sets the simulation up for the walkers: radii into the parameter rows (speeds keep their
// default of 1.6 m/s), then positions, velocities and goals. A walker whose goal is its own
// position desires zero velocity.
inline void placeWalkers(CrowdSimulation& simulation, const std::vector<CrowdWalker>& walkers) {
    simulation.initialise(static_cast<int>(walkers.size()));
    for (size_t i = 0; i < walkers.size(); ++i) {
        simulation.parameterTable().at(static_cast<int>(i), CrowdSimulation::RADIUS) =
            walkers[i].radius;
    }
    simulation.applyParameters();
    for (size_t i = 0; i < walkers.size(); ++i) {
        const CrowdWalker& w = walkers[i];
        const int agent = static_cast<int>(i);
        simulation.setPosition(agent, w.x, w.y);
        simulation.setVelocity(agent, w.vx, w.vy);
        simulation.setGoal(agent, w.goalX, w.goalY);
    }
}

// Every position and velocity of the simulation's current state is a finite number.
inline bool stateIsFinite(const CrowdSimulation& simulation) {
    for (int i = 0; i < simulation.agentCount(); ++i) {
        if (!std::isfinite(simulation.currentX()[i]) || !std::isfinite(simulation.currentY()[i]) ||
            !std::isfinite(simulation.currentVX()[i]) ||
            !std::isfinite(simulation.currentVY()[i])) {
            return false;
        }
    }
    return true;
}
