#include "metrics/ProgressiveDifference.h"

#include <memory>

#include "data/PresenceTimeline.h"
#include "metrics/TrajectoryAccess.h"

ProgressiveDifference::ProgressiveDifference() {
    name = "Progressive Difference";
    addParameter("Step", std::make_unique<Type_int>(), &step);
    addParameter("Window", std::make_unique<Type_int>(), &window);
}

float ProgressiveDifference::evaluateParts(Record* record, std::vector<float>& parts) {
    return score(record, &parts);
}

float ProgressiveDifference::score(Record* record, std::vector<float>* parts) {
    if (parts) {
        parts->clear();
    }
    if (!record || !record->boundExperiment() || !record->boundSimulation()) {
        return notANumber();
    }
    const TrajectoryAccess data(*record);
    Simulation& simulation = *record->boundSimulation();
    // Every frame read here must be measured, and every agent stepped must exist.
    if (!data.hasMeasured(data.F) || data.n > simulation.agentCount ||
        (data.F > 1 && data.experiment.times.size() < 2)) {
        return notANumber();
    }
    if (parts) {
        parts->assign(static_cast<size_t>(data.n), 0.0f);
    }
    float sum = 0.0f;
    // The first frame interval stands for all of them, as the model is stepped once per frame
    // from measured states.
    const float dt = data.F > 1 ? data.experiment.times[1] - data.experiment.times[0] : 0.0f;
    const auto addError = [&](int j, int k) {
        const float dvx = data.vxe(j, k) - simulation.currentVX[j];
        const float dvy = data.vye(j, k) - simulation.currentVY[j];
        sum = sum + dvx * dvx + dvy * dvy;  // left to right, as in Difference
        if (parts) {
            (*parts)[static_cast<size_t>(j)] += dvx * dvx + dvy * dvy;
        }
    };
    if (data.partial && data.F > 1) {
        // Pedestrians who come and go: a prediction from frame k − 1 to k is made and scored
        // for those present on both; everybody else is out of the scene for that step. Only
        // those who come and go are told so, and only the present are placed and scored, so
        // that a long recording costs in its samples.
        const auto predicted = [&data](int j, int k) {
            return data.first(j) <= k - 1 && k <= data.last(j);
        };
        const PresenceTimeline timeline(data.experiment, data.n);
        for (int j = 0; j < data.n; ++j) {
            simulation.setPresent(j, predicted(j, 1));
        }
        for (int k = 1; k < data.F; ++k) {
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
            const std::vector<int>& present = simulation.presentAgents();
            for (const int j : present) {
                if (j < data.n) {
                    simulation.setPosition(j, data.xe(j, k - 1), data.ye(j, k - 1));
                    simulation.setVelocity(j, data.vxe(j, k - 1), data.vye(j, k - 1));
                }
            }
            simulation.step(dt);
            for (const int j : simulation.presentAgents()) {
                if (j < data.n) {
                    addError(j, k);
                }
            }
        }
    } else {
        for (int k = 1; k < data.F; ++k) {
            for (int j = 0; j < data.n; ++j) {
                simulation.setPosition(j, data.xe(j, k - 1), data.ye(j, k - 1));
                simulation.setVelocity(j, data.vxe(j, k - 1), data.vye(j, k - 1));
            }
            simulation.step(dt);
            for (int j = 0; j < data.n; ++j) {
                addError(j, k);
            }
        }
    }
    // Divided by F × n (by the present samples when pedestrians come and go), not by the
    // frames compared. No agents or no frames give 0 / 0.
    const float samples = data.partial ? static_cast<float>(data.presentSamples())
                                       : static_cast<float>(data.F) * static_cast<float>(data.n);
    if (parts) {
        for (float& part : *parts) {
            part /= samples;
        }
    }
    return sum / samples;
}
