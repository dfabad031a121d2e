#include "metrics/ProgressiveDifference.h"

#include <memory>

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
    // Pedestrians who come and go: a prediction from frame k − 1 to k is made and scored for
    // those present on both; everybody else is out of the scene for that step.
    const auto predicted = [&data](int j, int k) {
        return !data.partial || (data.first(j) <= k - 1 && k <= data.last(j));
    };
    if (parts) {
        parts->assign(static_cast<size_t>(data.n), 0.0f);
    }
    float sum = 0.0f;
    if (data.F > 1) {
        // The first frame interval stands for all of them, as the model is stepped once per
        // frame from measured states.
        const float dt = data.experiment.times[1] - data.experiment.times[0];
        for (int k = 1; k < data.F; ++k) {
            for (int j = 0; j < data.n; ++j) {
                if (data.partial) {
                    simulation.setPresent(j, predicted(j, k));
                }
                if (predicted(j, k)) {
                    simulation.setPosition(j, data.xe(j, k - 1), data.ye(j, k - 1));
                    simulation.setVelocity(j, data.vxe(j, k - 1), data.vye(j, k - 1));
                }
            }
            simulation.step(dt);
            for (int j = 0; j < data.n; ++j) {
                if (!predicted(j, k)) {
                    continue;
                }
                const float dvx = data.vxe(j, k) - simulation.currentVX[j];
                const float dvy = data.vye(j, k) - simulation.currentVY[j];
                sum = sum + dvx * dvx + dvy * dvy;  // left to right, as in Difference
                if (parts) {
                    (*parts)[static_cast<size_t>(j)] += dvx * dvx + dvy * dvy;
                }
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
