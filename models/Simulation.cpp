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
    agentCount = count < 0 ? 0 : count;
    const size_t agents = static_cast<size_t>(agentCount);
    recordedX.assign(agents, {});
    recordedY.assign(agents, {});
    recordedVX.assign(agents, {});
    recordedVY.assign(agents, {});
    currentX.assign(agents, 0.0f);
    currentY.assign(agents, 0.0f);
    currentVX.assign(agents, 0.0f);
    currentVY.assign(agents, 0.0f);
    agentPresent.assign(agents, 1);
    presence.reset(agents);
    recordedFrom.clear();
    agentParameters.assign(agents * static_cast<size_t>(agentParameterCount), 0.0f);
    createAgents();
    const size_t rowLength = parameterDefaults.size();
    agentParameters.resize(agents * rowLength);
    for (size_t row = 0; row < agents; ++row) {
        for (size_t k = 0; k < rowLength; ++k) {
            agentParameters[row * rowLength + k] = parameterDefaults[k];
        }
    }
    for (const Segment& o : obstacles) {
        registerObstacle(o.x1, o.y1, o.x2, o.y2);
    }
    applyParameters();
}

void Simulation::addObstacle(const Segment& segment) {
    obstacles.push_back(segment);
}

void Simulation::addAgentParameter(const std::string& parameterName, float defaultValue,
                                   const PDF& distribution) {
    parameterDefaults.push_back(defaultValue);
    parameterDistributions.push_back(distribution);
    agentParameterCount = static_cast<int>(parameterDefaults.size());
    // Appending may have moved the distributions, so every parameter is bound again.
    const std::vector<std::string> oldNames = parameterNames();
    clearParameters();
    for (size_t i = 0; i + 1 < parameterDistributions.size() && i < oldNames.size(); ++i) {
        addParameter(oldNames[i], std::make_unique<Type_pdf>(), &parameterDistributions[i]);
    }
    addParameter(parameterName, std::make_unique<Type_pdf>(), &parameterDistributions.back());
}

void Simulation::clearRecords() {
    for (int i = 0; i < agentCount; ++i) {
        recordedX[i].clear();
        recordedY[i].clear();
        recordedVX[i].clear();
        recordedVY[i].clear();
    }
}

void Simulation::reserveRecords(int agent, int samples) {
    const size_t room = samples > 0 ? static_cast<size_t>(samples) : 0;
    for (std::vector<std::vector<float>>* lists :
         {&recordedX, &recordedY, &recordedVX, &recordedVY}) {
        (*lists)[static_cast<size_t>(agent)].reserve(room);
    }
}

void Simulation::recordSample(int agent, float x, float y, float vx, float vy) {
    recordedX[agent].push_back(x);
    recordedY[agent].push_back(y);
    recordedVX[agent].push_back(vx);
    recordedVY[agent].push_back(vy);
}

const std::vector<std::vector<float>>& Simulation::finishRecords() {
    frameCount = agentCount > 0 ? static_cast<int>(recordedX[0].size()) : 0;
    if (!recordedFrom.empty()) {
        frameCount = 0;
        for (int i = 0; i < agentCount; ++i) {
            if (!recordedX[i].empty()) {
                frameCount =
                    std::max(frameCount, recordedFrom[i] + static_cast<int>(recordedX[i].size()));
            }
        }
    }
    return recordedX;
}

void Simulation::setPresent(int agent, bool present) {
    agentPresent[static_cast<size_t>(agent)] = present ? 1 : 0;
    presence.update(static_cast<size_t>(agent), present);
}

void Simulation::setAgentState(int agent, float x, float y, float vx, float vy) {
    currentX[agent] = x;
    currentY[agent] = y;
    currentVX[agent] = vx;
    currentVY[agent] = vy;
}

void Simulation::releaseArrays() {
    recordedX.clear();
    recordedY.clear();
    recordedVX.clear();
    recordedVY.clear();
    currentX.clear();
    currentY.clear();
    currentVX.clear();
    currentVY.clear();
    agentPresent.clear();
    presence.reset(0);
    recordedFrom.clear();
    agentParameters.clear();
}
