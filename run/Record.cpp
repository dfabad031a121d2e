#include "run/Record.h"

#include <algorithm>
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
    const auto take = [&](std::string& fileName, bool (Record::*operation)(const std::string&)) {
        const std::string name = fileName;
        fileName.clear();
        if ((this->*operation)(name)) {
            addLine(commitReport, notice);
        } else {
            addLine(commitError, error);
        }
    };
    if (isParameterSet("Save parameters") && !saveFileName.empty()) {
        take(saveFileName, &Record::saveParameters);
    }
    if (isParameterSet("Load parameters") && !loadFileName.empty()) {
        take(loadFileName, &Record::loadParameters);
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

bool Record::saveParameters(const std::string& fileName) {
    AtomicFile out(fileName);
    if (!writeParameters(out)) {
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

bool Record::writeParameters(AtomicFile& out) {
    error.clear();
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot save \"" + out.path() + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    return ParameterFile::write(parameters(), simulatedCount, out, error);
}

bool Record::loadParameters(const std::string& fileName) {
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot load \"" + fileName + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    if (!ParameterFile::read(fileName, parameters(), simulatedCount, error)) {
        return false;
    }
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
    return counted(parameterCount, "parameter") + " for " + counted(simulatedCount, "pedestrian");
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
