#pragma once

#include <cassert>
#include <memory>
#include <vector>

#include "models/CrowdEngine.h"
#include "models/Simulation.h"

/// What the Boids and Helbing models share: the agent parameters "Radius" and "Speed", the
/// goals, the desired velocity towards the goal, and a step on a crowd engine of their own. A
/// model only names itself and says, in createAgents, which velocity rule its engine runs.
class CrowdSimulation : public Simulation {
public:
    /// Columns of the agent parameter rows.
    enum Parameter { RADIUS = 0, SPEED = 1 };

    static constexpr float defaultRadius = 0.2f;  ///< m
    static constexpr float defaultSpeed = 1.6f;   ///< m/s

    /// Gives every agent the radius of its parameter row; "Speed" is read at every step.
    void applyParameters() override;
    void registerObstacle(float x1, float y1, float x2, float y2) override;
    void setPosition(int agent, float x, float y) override;
    void setVelocity(int agent, float vx, float vy) override;
    void setGoal(int agent, float x, float y) override;
    /// Tells the engine, which leaves an absent agent out of every search, rule and move.
    void setPresent(int agent, bool present) override;
    /// Desired velocities towards the goals, one engine step, then the new states of the
    /// present agents stored.
    void step(float dt) override;

    /// The engine of the current set-up; only valid after initialise.
    const CrowdEngine& engine() const {
        assert(crowd);
        return *crowd;
    }

protected:
    /// Declares "Radius" and "Speed" with their defaults and distributions.
    CrowdSimulation();

    /// Replaces the engine and the goals by fresh ones for agentCount agents whose velocities
    /// `rule` decides from up to `neighbourCount` neighbours, with room for every obstacle of
    /// the scene.
    void createCrowd(CrowdEngine::Rule rule, int neighbourCount = CrowdAgent::maxNeighbours);

private:
    /// Towards the goals, for the agents listed in `present`.
    void updateDesiredVelocities(const std::vector<int>& present);
    /// The engine's state of the agents listed in `present`, stored as theirs.
    void storeAgentStates(const std::vector<int>& present);

    std::unique_ptr<CrowdEngine> crowd;
    std::vector<float> goalX;  ///< m
    std::vector<float> goalY;  ///< m
};
