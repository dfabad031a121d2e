#include "metrics/ProgressiveDifference.h"

#include <memory>

#include "metrics/TrajectoryAccess.h"
#include "run/OneStepPrediction.h"

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
    if (!data.hasMeasured(data.F) || data.n > simulation.agentCount() ||
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
        const float dvx = data.vxe(j, k) - simulation.currentVX()[j];
        const float dvy = data.vye(j, k) - simulation.currentVY()[j];
        sum = sum + dvx * dvx + dvy * dvy;  // left to right, as in Difference
        if (parts) {
            (*parts)[static_cast<size_t>(j)] += dvx * dvx + dvy * dvy;
        }
    };
    OneStepPrediction(simulation, data.experiment, data.n).run(dt, addError);
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
