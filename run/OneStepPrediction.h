#pragma once

#include <vector>

#include "data/Experiment.h"
#include "data/PresenceTimeline.h"
#include "models/Simulation.h"

/// One-step predictions along an experiment: for every frame k from 1 on, the agents are put at
/// their pedestrians' measured states of frame k − 1 and the model is stepped once; its states
/// are then its predictions for frame k. When pedestrians come and go, only those present on
/// both frames are predicted, and everybody else is out of the scene for that step; only those
/// who come and go are told so, so that a long recording costs in its samples.
class OneStepPrediction {
public:
    /// Predicts for pedestrians 0 to `agents` − 1, which the experiment measures on every frame
    /// they are present and the simulation has agents for.
    OneStepPrediction(Simulation& simulation, const Experiment& experiment, int agents)
        : simulation(simulation), experiment(experiment), agents(agents) {}

    /// Runs the predictions with steps of `dt` seconds; after each step, visit(j, k) is called
    /// for every predicted agent j of frame k, in increasing order of j, to read its state.
    template <class Visit>
    void run(float dt, Visit visit);

private:
    /// Puts agent j at its pedestrian's measured state of frame k.
    void place(int j, int k) {
        const std::ptrdiff_t i = experiment.sampleIndex(j, k);
        simulation.setPosition(j, experiment.posX[i], experiment.posY[i]);
        simulation.setVelocity(j, experiment.velX[i], experiment.velY[i]);
    }
    /// True when pedestrian j is present on frames k − 1 and k.
    bool predicted(int j, int k) const {
        return experiment.presentFirst[j] <= k - 1 && k <= experiment.presentLast[j];
    }

    Simulation& simulation;
    const Experiment& experiment;
    int agents;
};

template <class Visit>
void OneStepPrediction::run(float dt, Visit visit) {
    const int F = experiment.frameCount;
    if (!experiment.hasPartialPresence() || F <= 1) {
        for (int k = 1; k < F; ++k) {
            for (int j = 0; j < agents; ++j) {
                place(j, k - 1);
            }
            simulation.step(dt);
            for (int j = 0; j < agents; ++j) {
                visit(j, k);
            }
        }
        return;
    }
    const PresenceTimeline timeline(experiment, agents);
    for (int j = 0; j < agents; ++j) {
        simulation.setPresent(j, predicted(j, 1));
    }
    for (int k = 1; k < F; ++k) {
        if (k > 1) {
            for (const int j : timeline.leaving(k - 1)) {
                if (predicted(j, k - 1)) {
                    simulation.setPresent(j, false);
                }
            }
            for (const int j : timeline.entering(k - 1)) {
                if (predicted(j, k)) {
                    simulation.setPresent(j, true);
                }
            }
        }
        for (const int j : simulation.presentAgents()) {
            if (j < agents) {
                place(j, k - 1);
            }
        }
        simulation.step(dt);
        for (const int j : simulation.presentAgents()) {
            if (j < agents) {
                visit(j, k);
            }
        }
    }
}
