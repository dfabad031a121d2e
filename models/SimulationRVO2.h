#pragma once

#include <memory>
#include <vector>

#include "models/Simulation.h"

class OrcaEngine;

/// The "RVO2" crowd model: every pedestrian is an agent of the reciprocal collision-avoidance
/// engine that heads straight for its goal at its preferred speed, bent as little as needed to
/// stay clear of the other agents and of the scene's obstacle segments.
class SimulationRVO2 : public Simulation {
public:
    /// Columns of an agent's parameter row.
    enum Column {
        speedColumn,
        neighbourDistanceColumn,
        radiusColumn,
        agentHorizonColumn,
        obstacleHorizonColumn
    };

    /// Smallest radius (m) and time horizons (s) handed to the engine. A hand-edited parameter
    /// file may hold zero or negative values: a zero horizon divides by zero in the engine,
    /// and a disc of no size has no edge to keep clear.
    static constexpr float smallestRadius = 1e-3f;
    static constexpr float smallestHorizon = 1e-3f;

    SimulationRVO2();
    ~SimulationRVO2() override;

    void createAgents() override;
    void applyParameters() override;
    void registerObstacle(float x1, float y1, float x2, float y2) override;
    void setPosition(int agent, float x, float y) override;
    void setVelocity(int agent, float vx, float vy) override;
    void setGoal(int agent, float x, float y) override;
    /// Tells the engine, which leaves an absent agent out of its tree, choice and move.
    void setPresent(int agent, bool present) override;
    /// Preferred velocities of the present agents, one engine step, their new states stored.
    void step(float dt) override;

    /// The engine of the current set-up; null before the first createAgents.
    const OrcaEngine* orcaEngine() const { return engine.get(); }

private:
    /// Agent i's preferred speed (m/s) from its parameter row, never negative.
    float preferredSpeed(int agent) const;

    std::unique_ptr<OrcaEngine> engine;
    std::vector<float> goalX;  ///< metres
    std::vector<float> goalY;  ///< metres
};
