#include "app/SweepChecker.h"

#include <memory>
#include <vector>

#include "app/BatchComponents.h"
#include "app/ExperimentList.h"
#include "app/HeldOutScoring.h"
#include "app/StandardComponents.h"
#include "app/SweepPlan.h"
#include "core/NumberText.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"

namespace {

// The components of `request`, or the reasons they cannot be made, joined.
std::string componentsError(const ComponentRegistry& registry, const EvaluateRequest& request) {
    BatchComponents components;
    std::vector<std::string> problems;
    if (components.create(registry, request, problems)) {
        return std::string();
    }
    std::string error = problems.front();
    for (size_t i = 1; i < problems.size(); ++i) {
        error += " " + problems[i];
    }
    return error;
}

}  // namespace

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
    std::string problem = recordingsError(row);
    if (problem.empty() && !row.heldOut.empty()) {
        problem = heldOutError(row);
    }
    if (!problem.empty()) {
        error = row.where + problem;
        return false;
    }
    return true;
}

std::string SweepChecker::recordingsError(const SweepRow& row) {
    if (row.experimentsPath.empty()) {
        return readError(row.request.experiment);
    }
    std::vector<ExperimentSource> sources;
    std::vector<std::string> problems;
    if (!ExperimentList::read(row.experimentsPath, sources, problems)) {
        return problems.front();
    }
    if (sources.size() > 1 && row.request.scope == ParameterScope::pedestrian) {
        return severalRecordingsNeedShared;
    }
    for (const ExperimentSource& source : sources) {
        const std::string& error = readError(source);
        if (!error.empty()) {
            return source.origin + error;
        }
    }
    return std::string();
}

std::string SweepChecker::heldOutError(const SweepRow& row) {
    EvaluateRequest request = row.request;
    request.model = HeldOutScoring::baselineModel;
    request.modelSettings.clear();
    std::string error = componentsError(registry, request);
    const std::string paired = HeldOutScoring::pairedMetric(row.metric);
    if (error.empty() && !paired.empty()) {
        request.metric = paired;
        error = componentsError(registry, request);
    }
    if (error.empty()) {
        error = readError(row.heldOutSource);
    }
    return error.empty() ? error : row.heldOutSource.origin + error;
}

const std::string& SweepChecker::readError(const ExperimentSource& source) {
    const ReadingOptions& reading = source.reading;
    std::string key = source.file + '\n' + reading.format + '\n' + reading.obstacles;
    for (const double number : {reading.framesPerSecond, reading.metresPerUnit,
                                double(reading.stride), reading.from, reading.to, reading.maxGap}) {
        key += '\n' + NumberText::format("%.17g", number);
    }
    const auto known = readErrors.find(key);
    if (known != readErrors.end()) {
        return known->second;
    }
    std::string error;
    const std::unique_ptr<Experiment> experiment =
        loadExperimentFile(registry, source.file, reading, error);
    return readErrors[key] = experiment ? std::string() : error;
}
