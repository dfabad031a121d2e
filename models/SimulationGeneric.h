#pragma once

#include <memory>
#include <vector>

#include "models/Simulation.h"
#include "models/StepThreads.h"

/// A simulation over an array of self-steering pedestrians of one class. Every pedestrian knows
/// every other one; a step lets all of them decide before any of them moves.
template <class PedestrianType>
class SimulationGeneric : public Simulation {
public:
    SimulationGeneric() {
        PedestrianType::registerParameters(parameterDefaults, parameterDistributions);
        agentParameterCount = static_cast<int>(parameterDefaults.size());
        const PedestrianType model;
        name = model.name;
    }

    void createAgents() override {
        agentParameterCount = static_cast<int>(parameterDefaults.size());
        // The array is built once per set-up, so the neighbour pointers stay valid until the
        // next set-up.
        agents = std::make_unique<PedestrianType[]>(static_cast<size_t>(agentCount));
        for (int i = 0; i < agentCount; ++i) {
            agents[i].setParameterCount(agentParameterCount);
        }
        for (int i = 0; i < agentCount; ++i) {
            for (int j = 0; j < agentCount; ++j) {
                if (j != i) {
                    agents[i].addNeighbour(&agents[j]);
                }
            }
        }
    }

    void applyParameters() override {
        for (int i = 0; i < agentCount; ++i) {
            PedestrianType& agent = agents[i];
            agent.reset();
            const float* row =
                agentParameters.data() + static_cast<size_t>(i) * agentParameterCount;
            for (int k = 0; k < agentParameterCount && k < agent.parameterCount(); ++k) {
                agent.parameters[k] = row[k];
            }
        }
    }

    void registerObstacle(float x1, float y1, float x2, float y2) override {
        for (int i = 0; i < agentCount; ++i) {
            agents[i].addObstacle(x1, y1, x2, y2);
        }
    }

    void setPosition(int agent, float x, float y) override { agents[agent].setPosition(x, y); }
    void setVelocity(int agent, float vx, float vy) override { agents[agent].setVelocity(vx, vy); }
    void setGoal(int agent, float x, float y) override { agents[agent].setGoal(x, y); }

    /// The pedestrian carries its own flag, so that the others can pass it over among their
    /// neighbours.
    void setPresent(int agent, bool present) override {
        Simulation::setPresent(agent, present);
        if (agents) {
            agents[agent].present = present;
        }
    }

    /// Every present pedestrian thinks, then every present pedestrian moves; an absent one is
    /// left exactly as it was.
    void step(float dt) override {
        forEachBatch(threadsForStep(), static_cast<std::size_t>(agentCount),
                     [this, dt](std::size_t begin, std::size_t end) {
                         think(static_cast<int>(begin), static_cast<int>(end), dt);
                     });
        for (int i = 0; i < agentCount; ++i) {
            if (agents[i].present) {
                agents[i].finishThinking();
            }
        }
        for (int i = 0; i < agentCount; ++i) {
            PedestrianType& agent = agents[i];
            if (agent.present) {
                agent.move(dt);
                setAgentState(i, agent.getX(), agent.getY(), agent.getVX(), agent.getVY());
            }
        }
    }

    /// Pedestrian i, for inspection.
    const PedestrianType& pedestrian(int i) const { return agents[i]; }

private:
    /// Lets the present pedestrians among [begin, end) think.
    void think(int begin, int end, float dt) {
        for (int i = begin; i < end; ++i) {
            if (agents[i].present) {
                agents[i].think(dt);
            }
        }
    }

    std::unique_ptr<PedestrianType[]> agents;
};
