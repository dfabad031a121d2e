#include "run/SequencePrediction.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/Experiment.h"
#include "models/Simulation.h"

namespace {

// Frame steps that differ by more than this fraction are not the same step: a recording's times
// are floats, and a dropped frame doubles a step.
constexpr float stepTolerance = 1e-3f;

}  // namespace

SequencePrediction::Errors& SequencePrediction::Errors::operator+=(const Errors& other) {
    averageSum += other.averageSum;
    finalSum += other.finalSum;
    scored += other.scored;
    return *this;
}

SequencePrediction::SequencePrediction(const Experiment& experiment, int observe, int predict,
                                       Goal goal)
    : experiment(experiment), observe(observe), predict(predict), goal(goal) {
    if (experiment.frameCount > 1) {
        dt = experiment.times[1] - experiment.times[0];
    }
}

int SequencePrediction::sequenceCount() const {
    const int length = observe + predict;
    if (observe < 2 || predict < 1 || !experiment.timeDriven) {
        return 0;
    }
    return std::max(0, experiment.frameCount - length + 1);
}

bool SequencePrediction::presentThroughout(int p, int first, int last) const {
    return experiment.presentFirst[p] <= first && last <= experiment.presentLast[p];
}

bool SequencePrediction::evenlySpaced(int first, int last) const {
    for (int k = first; k < last; ++k) {
        const float step = experiment.times[k + 1] - experiment.times[k];
        if (!(std::fabs(step - dt) <= stepTolerance * std::fabs(dt))) {
            return false;
        }
    }
    return dt > 0.0f;
}

int SequencePrediction::place(Simulation& simulation, int sequence) const {
    const int last = sequence + observe - 1;
    const int end = sequence + observe + predict - 1;
    const float horizon = static_cast<float>(predict) * dt;
    const int agents = std::min(experiment.pedestrianCount, simulation.agentCount());
    simulation.applyParameters();
    for (int p = 0; p < agents; ++p) {
        const bool simulated = presentThroughout(p, last, last);
        simulation.setPresent(p, simulated);
        if (!simulated) {
            continue;
        }
        const std::ptrdiff_t at = experiment.sampleIndex(p, last);
        const float x = experiment.posX[at];
        const float y = experiment.posY[at];
        float vx = 0.0f;
        float vy = 0.0f;
        // The velocity of the last observed displacement; one who has just appeared is at rest.
        if (presentThroughout(p, last - 1, last)) {
            const std::ptrdiff_t before = experiment.sampleIndex(p, last - 1);
            vx = (x - experiment.posX[before]) / dt;
            vy = (y - experiment.posY[before]) / dt;
        }
        simulation.setPosition(p, x, y);
        simulation.setVelocity(p, vx, vy);
        if (goal == Goal::observed) {
            simulation.setGoal(p, x + vx * horizon, y + vy * horizon);
        } else {
            const std::ptrdiff_t target =
                experiment.sampleIndex(p, std::min(end, experiment.presentLast[p]));
            simulation.setGoal(p, experiment.posX[target], experiment.posY[target]);
        }
    }
    return last;
}

int SequencePrediction::record(Simulation& simulation, int sequence) const {
    const int last = place(simulation, sequence);
    const int agents = simulation.agentCount();
    simulation.clearRecords();
    std::vector<int> simulated;
    for (int p = 0; p < agents; ++p) {
        if (simulation.isPresent(p)) {
            simulated.push_back(p);
            simulation.recordCurrentState(p);
        }
    }
    for (int k = 1; k <= predict; ++k) {
        simulation.step(dt);
        for (const int p : simulated) {
            simulation.recordCurrentState(p);
        }
    }
    simulation.setRecordedFrom(std::vector<int>(static_cast<std::size_t>(agents), last));
    simulation.finishRecords(experiment.frameCount);
    for (int p = 0; p < agents; ++p) {
        simulation.setPresent(p, true);
    }
    return last;
}

SequencePrediction::Errors SequencePrediction::run(Simulation& simulation, int sequence) const {
    Errors errors;
    const int end = sequence + observe + predict - 1;
    if (!evenlySpaced(sequence, end)) {
        return errors;
    }
    const int last = place(simulation, sequence);
    const int agents = std::min(experiment.pedestrianCount, simulation.agentCount());
    std::vector<int> scored;
    for (int p = 0; p < agents; ++p) {
        if (presentThroughout(p, sequence, end)) {
            scored.push_back(p);
        }
    }
    std::vector<double> distanceSum(scored.size(), 0.0);
    for (int k = 1; k <= predict; ++k) {
        simulation.step(dt);
        for (std::size_t s = 0; s < scored.size(); ++s) {
            const int p = scored[s];
            const std::ptrdiff_t at = experiment.sampleIndex(p, last + k);
            const double dx = double{simulation.currentX()[p]} - experiment.posX[at];
            const double dy = double{simulation.currentY()[p]} - experiment.posY[at];
            const double distance = std::sqrt(dx * dx + dy * dy);
            distanceSum[s] += distance;
            if (k == predict) {
                errors.finalSum += distance;
            }
        }
    }
    for (const double sum : distanceSum) {
        errors.averageSum += sum / predict;
    }
    errors.scored = static_cast<long long>(scored.size());
    return errors;
}
