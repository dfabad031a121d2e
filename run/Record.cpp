#include "run/Record.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "core/AtomicFile.h"
#include "data/Experiment.h"
#include "data/ParameterFile.h"
#include "data/StatisticsFile.h"
#include "models/Simulation.h"
#include "run/RunProtocol.h"

Record::Record() {
    addParameter("Save parameters", std::make_unique<Type_string>(), &saveFileName);
    addParameter("Load parameters", std::make_unique<Type_string>(), &loadFileName);
    setParameter("Save parameters", "");
    setParameter("Load parameters", "");
    name = "Record";
}

void Record::parametersCommitted() {
    commitError.clear();
    commitReport.clear();
    const auto addLine = [](std::string& text, const std::string& line) {
        text += (text.empty() ? "" : "\n") + line;
    };
    const auto take = [&](std::string& fileName,
                          const std::function<bool(const std::string&)>& operation) {
        const std::string name = fileName;
        fileName.clear();
        if (operation(name)) {
            addLine(commitReport, notice);
        } else {
            addLine(commitError, error);
        }
    };
    if (isParameterSet("Save parameters") && !saveFileName.empty()) {
        take(saveFileName,
             [this](const std::string& name) { return saveParameters(name, saveScope); });
    }
    if (isParameterSet("Load parameters") && !loadFileName.empty()) {
        take(loadFileName, [this](const std::string& name) { return loadParameters(name); });
    }
}

void Record::build(const Experiment* bound, Simulation* reference, Simulation* model) {
    setExperiment(bound);
    bindSimulation(reference);
    prepare();
    bindSimulation(model);
    prepare();
    run();
}

void Record::bindSimulation(Simulation* bound) {
    simulation = bound;
    parameterMatrix = bound ? bound->parameterTable().values().data() : nullptr;
    parameterCount = bound ? bound->agentParameterCount() : 0;
}

void Record::prepare() {
    if (!experiment || !simulation) {
        return;
    }
    pedestrianCount = experiment->pedestrianCount;
    frameCount = experiment->frameCount;
    RunProtocol::prepare(*simulation, *experiment);
    bindSimulation(simulation);
    rebuildIndex();
    RunProtocol::placeAtStart(*simulation, *experiment);
}

void Record::reset() {
    if (!experiment || !simulation) {
        return;
    }
    simulation->applyParameters();
    RunProtocol::placeAtStart(*simulation, *experiment);
}

void Record::run() {
    if (!experiment || !simulation) {
        return;
    }
    RunProtocol::runWhole(*simulation, *experiment);
}

void Record::stepOnce() {
    if (!experiment || !simulation || experiment->frameCount < 2) {
        return;
    }
    simulation->step(experiment->times[1] - experiment->times[0]);
}

ParameterTable Record::parameters() {
    return simulation ? simulation->parameterTable() : ParameterTable(noParameters, 0);
}

int Record::matrixRows() const {
    return simulation && parameterCount > 0
               ? static_cast<int>(simulation->agentParameters().size()) / parameterCount
               : 0;
}

bool Record::saveParameters(const std::string& fileName, ParameterScope scope) {
    AtomicFile out(fileName);
    if (!writeParameters(out, scope)) {
        if (error.empty()) {
            error = out.errorMessage();
        }
        return false;
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    notice = "Saved " + parameterSummary() + " to " + fileName;
    return true;
}

bool Record::writeParameters(AtomicFile& out, ParameterScope scope) {
    error.clear();
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot save \"" + out.path() + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    fileScope = scope;
    if (scope == ParameterScope::pedestrian) {
        return ParameterFile::write(parameters(), simulatedCount, out, error);
    }
    std::vector<float> values;
    return sharedValues(out.path(), values) &&
           ParameterFile::writeShared(values, simulation ? simulation->name : std::string(), out,
                                      error);
}

bool Record::sharedValues(const std::string& path, std::vector<float>& values) {
    const ParameterTable table = parameters();
    if (simulatedCount == 0 || table.rows() == 0) {
        values = simulation ? simulation->parameterDefaults() : std::vector<float>();
        return true;
    }
    values.assign(table.values().begin(), table.values().begin() + table.columns());
    for (int a = 1; a < simulatedCount; ++a) {
        for (int k = 0; k < table.columns(); ++k) {
            // Compared as bits, so that a value that is no number still counts as the same.
            const float value = table.at(a, k);
            if (std::memcmp(&value, &values[static_cast<std::size_t>(k)], sizeof value) == 0) {
                continue;
            }
            error = "Cannot save \"" + path +
                    "\" as values shared by all pedestrians: "
                    "pedestrian " +
                    std::to_string(a + 1) + " holds another value of parameter " +
                    std::to_string(k) + " than pedestrian 1. Save it per pedestrian instead.";
            return false;
        }
    }
    return true;
}

bool Record::loadParameters(const std::string& fileName) {
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot load \"" + fileName + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    ParameterScope scope = ParameterScope::pedestrian;
    if (!ParameterFile::read(fileName, parameters(), simulatedCount,
                             simulation ? simulation->name : std::string(), error, &scope)) {
        return false;
    }
    fileScope = scope;
    if (simulation) {
        simulation->applyParameters();
    }
    notice = "Loaded " + parameterSummary() + " from " + fileName;
    return true;
}

std::string Record::parameterSummary() const {
    const auto counted = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    return counted(parameterCount, "parameter") +
           (fileScope == ParameterScope::shared ? " shared by " : " for ") +
           counted(simulatedCount, "pedestrian");
}

bool Record::writeStatistics(const std::string& fileName) {
    if (!experiment || !simulation) {
        error = "Cannot write \"" + fileName + "\": no experiment and model are bound.";
        return false;
    }
    const StatisticsFile::Trajectories run{simulation->recordedX(), simulation->recordedY(),
                                           simulation->recordedFrom(), simulation->frameCount()};
    long long lines = 0;
    if (!StatisticsFile::write(*experiment, run,
                               std::min(experiment->pedestrianCount, simulation->agentCount()),
                               fileName, lines, error)) {
        return false;
    }
    notice = "Wrote " + fileName + " (" + std::to_string(lines) + " lines)";
    return true;
}
