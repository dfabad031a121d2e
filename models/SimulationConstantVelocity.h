#pragma once

#include <vector>

#include "models/Simulation.h"

/// The constant-velocity predictor against which crowd models are compared: every agent keeps
/// the velocity it starts with, ignoring everyone else, the obstacles and its goal. It has no
/// agent parameters.
class SimulationConstantVelocity : public Simulation {
public:
    SimulationConstantVelocity() { name = "Constant Velocity"; }

    void createAgents() override;
    /// Nothing to hand over: the agents have no parameters, and the driver sets their state.
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int agent, float x, float y) override;
    void setVelocity(int agent, float vx, float vy) override;
    void setGoal(int, float, float) override {}
    /// Every present agent moves on by its velocity × dt.
    void step(float dt) override;

private:
    std::vector<float> x, y, vx, vy;
};
