#include "models/Simulation.h"

#include <algorithm>
#include <cmath>

#include "core/StepThreads.h"
#include "core/ThreadGroup.h"

Simulation::Simulation() = default;

Simulation::~Simulation() = default;

bool Simulation::setStepThreads(int threads) {
    const int count = std::min(std::max(threads, 1), ThreadGroup::most);
    stepThreadsError.clear();
    if (count == stepThreadCount) {
        return true;
    }
    stepPool.reset();
    stepThreadCount = 1;
    if (count > 1) {
        auto pool = std::make_unique<StepThreads>(count);
        if (!pool->failure().empty()) {
            stepThreadsError = pool->failure();
            return false;
        }
        stepPool = std::move(pool);
    }
    stepThreadCount = count;
    return true;
}

StepThreads* Simulation::threadsForStep() const {
    return stepPool && presentCount() >= smallestThreadedStep ? stepPool.get() : nullptr;
}

void Simulation::initialise(int count) {
    releaseArrays();
    stored.agentCount = count < 0 ? 0 : count;
    const size_t agents = static_cast<size_t>(stored.agentCount);
    stored.recordedX.assign(agents, {});
    stored.recordedY.assign(agents, {});
    stored.recordedVX.assign(agents, {});
    stored.recordedVY.assign(agents, {});
    stored.currentX.assign(agents, 0.0f);
    stored.currentY.assign(agents, 0.0f);
    stored.currentVX.assign(agents, 0.0f);
    stored.currentVY.assign(agents, 0.0f);
    stored.agentPresent.assign(agents, 1);
    presence.reset(agents);
    stored.recordedFrom.clear();
    stored.agentParameters.assign(agents * stored.parameterDefaults.size(), 0.0f);
    createAgents();
    const size_t rowLength = stored.parameterDefaults.size();
    stored.agentParameters.resize(agents * rowLength);
    for (size_t row = 0; row < agents; ++row) {
        for (size_t k = 0; k < rowLength; ++k) {
            stored.agentParameters[row * rowLength + k] = stored.parameterDefaults[k];
        }
    }
    for (const Segment& o : stored.obstacles) {
        registerObstacle(o.x1, o.y1, o.x2, o.y2);
    }
    applyParameters();
}

void Simulation::addObstacle(const Segment& segment) {
    stored.obstacles.push_back(segment);
}

void Simulation::addAgentParameter(const std::string& parameterName, float defaultValue,
                                   const PDF& distribution) {
    stored.parameterDefaults.push_back(defaultValue);
    stored.parameterNames.push_back(parameterName);
    stored.parameterDistributions.push_back(distribution);
    // Appending may have moved the distributions, so every parameter is bound again.
    const std::vector<std::string> oldNames = parameterNames();
    clearParameters();
    for (size_t i = 0; i + 1 < stored.parameterDistributions.size() && i < oldNames.size(); ++i) {
        addParameter(oldNames[i], std::make_unique<Type_pdf>(), &stored.parameterDistributions[i]);
    }
    addParameter(parameterName, std::make_unique<Type_pdf>(),
                 &stored.parameterDistributions.back());
}

void Simulation::clearRecords() {
    for (int i = 0; i < stored.agentCount; ++i) {
        stored.recordedX[i].clear();
        stored.recordedY[i].clear();
        stored.recordedVX[i].clear();
        stored.recordedVY[i].clear();
    }
}

void Simulation::reserveRecords(int agent, int samples) {
    const size_t room = samples > 0 ? static_cast<size_t>(samples) : 0;
    for (std::vector<std::vector<float>>* lists :
         {&stored.recordedX, &stored.recordedY, &stored.recordedVX, &stored.recordedVY}) {
        (*lists)[static_cast<size_t>(agent)].reserve(room);
    }
}

void Simulation::recordSample(int agent, float x, float y, float vx, float vy) {
    stored.recordedX[agent].push_back(x);
    stored.recordedY[agent].push_back(y);
    stored.recordedVX[agent].push_back(vx);
    stored.recordedVY[agent].push_back(vy);
}

const std::vector<std::vector<float>>& Simulation::finishRecords(int frames) {
    stored.frameCount = stored.agentCount > 0 ? static_cast<int>(stored.recordedX[0].size()) : 0;
    if (!stored.recordedFrom.empty()) {
        stored.frameCount = 0;
        for (int i = 0; i < stored.agentCount; ++i) {
            if (!stored.recordedX[i].empty()) {
                stored.frameCount =
                    std::max(stored.frameCount,
                             stored.recordedFrom[i] + static_cast<int>(stored.recordedX[i].size()));
            }
        }
    }
    stored.frameCount = std::max(stored.frameCount, frames);
    return stored.recordedX;
}

void Simulation::recordCurrentState(int agent) {
    recordSample(agent, stored.currentX[agent], stored.currentY[agent], stored.currentVX[agent],
                 stored.currentVY[agent]);
}

void Simulation::setParameterLists(std::vector<float> defaults, std::vector<PDF> distributions) {
    stored.parameterDefaults = std::move(defaults);
    stored.parameterDistributions = std::move(distributions);
}

void Simulation::setPresent(int agent, bool present) {
    stored.agentPresent[static_cast<size_t>(agent)] = present ? 1 : 0;
    presence.update(static_cast<size_t>(agent), present);
}

void Simulation::setAgentState(int agent, float x, float y, float vx, float vy) {
    stored.currentX[agent] = x;
    stored.currentY[agent] = y;
    stored.currentVX[agent] = vx;
    stored.currentVY[agent] = vy;
}

void Simulation::releaseArrays() {
    stored.recordedX.clear();
    stored.recordedY.clear();
    stored.recordedVX.clear();
    stored.recordedVY.clear();
    stored.currentX.clear();
    stored.currentY.clear();
    stored.currentVX.clear();
    stored.currentVY.clear();
    stored.agentPresent.clear();
    presence.reset(0);
    stored.recordedFrom.clear();
    stored.agentParameters.clear();
}
