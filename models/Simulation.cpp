#include "models/Simulation.h"

#include <algorithm>
#include <cmath>

#include "core/NumberText.h"
#include "core/StepThreads.h"
#include "core/ThreadGroup.h"

namespace {

// The fields of a distribution's text, "min max KIND mean deviation", read one after another
// until one does not convert.
struct DistributionFields {
    int converted = 0;
    float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};  ///< min, max, mean, deviation
    std::string kind;
    /// Every field read was a whole token, and nothing but blanks follows the last one.
    bool wholeTokens = true;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

DistributionFields readDistribution(const std::string& text) {
    DistributionFields fields;
    const char* p = text.c_str();
    const auto skipBlanks = [&p]() {
        while (isBlank(*p)) {
            ++p;
        }
    };
    const auto number = [&](float& value) {
        skipBlanks();
        const char* end = nullptr;
        value = NumberText::toFloat(p, &end);
        if (end == p) {
            return false;
        }
        fields.wholeTokens =
            fields.wholeTokens && (*end == '\0' || isBlank(*end)) && std::isfinite(value);
        p = end;
        ++fields.converted;
        return true;
    };
    if (!number(fields.values[0]) || !number(fields.values[1])) {
        fields.wholeTokens = false;
        return fields;
    }
    skipBlanks();
    const char* word = p;
    while (*p != '\0' && !isBlank(*p)) {
        ++p;
    }
    if (p == word) {
        return fields;
    }
    fields.kind.assign(word, p);
    ++fields.converted;
    if (number(fields.values[2])) {
        number(fields.values[3]);
    }
    skipBlanks();
    fields.wholeTokens = fields.wholeTokens && *p == '\0';
    return fields;
}

int kindOf(const std::string& word) {
    if (word == "UNIFORM") {
        return PDF::UNIFORM;
    }
    return word == "NORMAL" ? PDF::NORMAL : -1;
}

}  // namespace

void Simulation::Type_pdf::parse(std::string text, void* target) const {
    const DistributionFields fields = readDistribution(text);
    if (fields.converted < 2) {
        return;
    }
    const int kind = fields.converted >= 3 ? kindOf(fields.kind) : PDF::UNIFORM;
    if (kind < 0) {
        return;  // an unknown kind word leaves the distribution as it was
    }
    const float mean = fields.converted >= 4 ? fields.values[2] : 0.0f;
    const float deviation = fields.converted >= 5 ? fields.values[3] : 0.0f;
    *static_cast<PDF*>(target) = PDF(fields.values[0], fields.values[1], kind, mean, deviation);
}

bool Simulation::Type_pdf::accepts(const std::string& text) const {
    const DistributionFields fields = readDistribution(text);
    return fields.converted >= 2 && fields.wholeTokens &&
           (fields.converted < 3 || kindOf(fields.kind) >= 0);
}

std::string Simulation::Type_pdf::format(const void* target) const {
    const PDF& pdf = *static_cast<const PDF*>(target);
    return NumberText::format("%g %g %s %g %g", static_cast<double>(pdf.min),
                              static_cast<double>(pdf.max), PDF::kindName(pdf.kind).c_str(),
                              static_cast<double>(pdf.mean), static_cast<double>(pdf.deviation));
}

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

void Simulation::clearObstacles() {
    obstacleX1.clear();
    obstacleY1.clear();
    obstacleX2.clear();
    obstacleY2.clear();
    obstacleCount = 0;
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
