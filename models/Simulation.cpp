#include "models/Simulation.h"

#include <cstdio>
#include <sstream>

void Simulation::Type_pdf::parse(std::string text, void* target) const {
    float minValue = 0.0f;
    float maxValue = 0.0f;
    float meanValue = 0.0f;
    float deviationValue = 0.0f;
    char kindWord[64] = {0};
    const int converted = std::sscanf(text.c_str(), "%f %f %63s %f %f", &minValue, &maxValue,
                                      kindWord, &meanValue, &deviationValue);
    if (converted < 2) {
        return;
    }
    int kind = PDF::UNIFORM;
    if (converted >= 3) {
        const std::string word(kindWord);
        if (word == "UNIFORM") {
            kind = PDF::UNIFORM;
        } else if (word == "NORMAL") {
            kind = PDF::NORMAL;
        } else {
            return;  // an unknown kind word leaves the distribution as it was
        }
    }
    if (converted < 4) {
        meanValue = 0.0f;
    }
    if (converted < 5) {
        deviationValue = 0.0f;
    }
    *static_cast<PDF*>(target) = PDF(minValue, maxValue, kind, meanValue, deviationValue);
}

std::string Simulation::Type_pdf::format(const void* target) const {
    const PDF& pdf = *static_cast<const PDF*>(target);
    std::ostringstream out;
    out << pdf.min << " " << pdf.max << " " << PDF::kindName(pdf.kind) << " " << pdf.mean << " "
        << pdf.deviation;
    return out.str();
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
    agentParameters.assign(agents * static_cast<size_t>(agentParameterCount), 0.0f);
    createAgents();
    const size_t rowLength = parameterDefaults.size();
    agentParameters.resize(agents * rowLength);
    for (size_t row = 0; row < agents; ++row) {
        for (size_t k = 0; k < rowLength; ++k) {
            agentParameters[row * rowLength + k] = parameterDefaults[k];
        }
    }
    for (int i = 0; i < obstacleCount; ++i) {
        registerObstacle(obstacleX1[i], obstacleY1[i], obstacleX2[i], obstacleY2[i]);
    }
    applyParameters();
}

void Simulation::addObstacle(float x1, float y1, float x2, float y2) {
    obstacleX1.push_back(x1);
    obstacleY1.push_back(y1);
    obstacleX2.push_back(x2);
    obstacleY2.push_back(y2);
    ++obstacleCount;
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

void Simulation::recordSample(int agent, float x, float y, float vx, float vy) {
    recordedX[agent].push_back(x);
    recordedY[agent].push_back(y);
    recordedVX[agent].push_back(vx);
    recordedVY[agent].push_back(vy);
}

const std::vector<std::vector<float>>& Simulation::finishRecords() {
    frameCount = agentCount > 0 ? static_cast<int>(recordedX[0].size()) : 0;
    return recordedX;
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
    agentParameters.clear();
}
