#include "app/SweepChecker.h"

#include <memory>
#include <vector>

#include "app/BatchComponents.h"
#include "app/StandardComponents.h"
#include "app/SweepPlan.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"

SweepChecker::SweepChecker() {
    registerStandardComponents(registry);
}

bool SweepChecker::check(const SweepRow& row, std::string& error) {
    if (!row.requestError.empty()) {
        error = row.where + row.requestError;
        return false;
    }
    BatchComponents components;
    std::vector<std::string> problems;
    if (!components.create(registry, row.request, problems)) {
        error = row.where + problems.front();
        for (size_t i = 1; i < problems.size(); ++i) {
            error += " " + problems[i];
        }
        return false;
    }
    const std::string problem = readError(row);
    if (!problem.empty()) {
        error = row.where + problem;
        return false;
    }
    return true;
}

const std::string& SweepChecker::readError(const SweepRow& row) {
    std::string key = row.experimentPath;
    for (const std::string& argument : row.readingArguments) {
        key += '\n' + argument;
    }
    const auto known = readErrors.find(key);
    if (known != readErrors.end()) {
        return known->second;
    }
    std::string error;
    const std::unique_ptr<Experiment> experiment = loadExperimentFile(
        registry, row.request.experiment.file, row.request.experiment.reading, error);
    return readErrors[key] = experiment ? std::string() : error;
}
