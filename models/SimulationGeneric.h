#pragma once

#include <memory>
#include <vector>

#include "core/StepThreads.h"
#include "models/Simulation.h"

/// A simulation over an array of self-steering pedestrians of one class. Every pedestrian knows
/// every other one, in the way its class's perception says; a step lets all present ones decide
/// before any of them moves.
template <class PedestrianType>
class SimulationGeneric : public Simulation {
public:
    SimulationGeneric() {
        std::vector<float> defaults;
        std::vector<PDF> distributions;
        PedestrianType::registerParameters(defaults, distributions);
        setParameterLists(std::move(defaults), std::move(distributions));
        const PedestrianType model;
        name = model.name;
    }

    void createAgents() override {
        // The array is built once per set-up, so the neighbour pointers stay valid until the
        // next set-up.
        agents = std::make_unique<PedestrianType[]>(static_cast<size_t>(agentCount()));
        for (int i = 0; i < agentCount(); ++i) {
            agents[i].setParameterCount(agentParameterCount());
        }
        if constexpr (PedestrianType::perception == Pedestrian::Perception::everyOther) {
            for (int i = 0; i < agentCount(); ++i) {
                for (int j = 0; j < agentCount(); ++j) {
                    if (j != i) {
                        agents[i].addNeighbour(&agents[j]);
                    }
                }
            }
        } else if constexpr (PedestrianType::perception == Pedestrian::Perception::presentCrowd) {
            // The list object stays the same for the life of the simulation; its contents are
            // brought up to date at the start of every step, before anyone looks.
            const std::vector<int>& present = presentAgents();
            for (int i = 0; i < agentCount(); ++i) {
                agents[i].joinCrowd(agents.get(), present, i);
            }
        }
    }

    void applyParameters() override {
        for (int i = 0; i < agentCount(); ++i) {
            PedestrianType& agent = agents[i];
            agent.reset();
            const float* row =
                agentParameters().data() + static_cast<size_t>(i) * agentParameterCount();
            for (int k = 0; k < agentParameterCount() && k < agent.parameterCount(); ++k) {
                agent.parameters[k] = row[k];
            }
        }
    }

    void registerObstacle(float x1, float y1, float x2, float y2) override {
        for (int i = 0; i < agentCount(); ++i) {
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
        const std::vector<int>& present = presentAgents();
        forEachBatch(threadsForStep(), present.size(),
                     [this, &present, dt](std::size_t begin, std::size_t end) {
                         for (std::size_t slot = begin; slot < end; ++slot) {
                             agents[present[slot]].think(dt);
                         }
                     });
        for (const int i : present) {
            agents[i].finishThinking();
        }
        for (const int i : present) {
            PedestrianType& agent = agents[i];
            agent.move(dt);
            setAgentState(i, agent.getX(), agent.getY(), agent.getVX(), agent.getVY());
        }
    }

    /// Pedestrian i, for inspection.
    const PedestrianType& pedestrian(int i) const { return agents[i]; }

private:
    std::unique_ptr<PedestrianType[]> agents;
};
