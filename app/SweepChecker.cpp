#include "app/SweepChecker.h"

#include <memory>
#include <vector>

#include "app/BatchComponents.h"
#include "app/BatchOptions.h"
#include "app/StandardComponents.h"
#include "app/SweepPlan.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"

SweepChecker::SweepChecker() {
    registerStandardComponents(registry);
}

bool SweepChecker::check(const SweepRow& row, std::string& error) {
    // The options column takes only what the info command takes: how the file is read.
    std::vector<std::string> reading = {"info", row.experimentPath};
    reading.insert(reading.end(), row.readingArguments.begin(), row.readingArguments.end());
    BatchOptions options;
    std::string problem;
    if (!parseBatchOptions(reading, options, problem)) {
        const size_t open = problem.find('"');
        if (problem.rfind("Unknown option", 0) == 0 && open != std::string::npos) {
            const std::string option = problem.substr(open, problem.find('"', open + 1) - open + 1);
            problem =
                "the options column takes only reading options (--format --fps --unit "
                "--stride --from --to --max-gap --obstacles), not " +
                option + ".";
        }
        error = row.where + problem;
        return false;
    }
    options = BatchOptions();
    if (!parseBatchOptions(row.calibrateArguments(), options, problem)) {
        error = row.where + problem;
        return false;
    }
    BatchComponents components;
    std::vector<std::string> problems;
    if (!components.create(registry, options, problems)) {
        error = row.where + problems.front();
        for (size_t i = 1; i < problems.size(); ++i) {
            error += " " + problems[i];
        }
        return false;
    }
    std::string key = row.experimentPath;
    for (const std::string& argument : row.readingArguments) {
        key += '\n' + argument;
    }
    const auto known = readErrors.find(key);
    if (known == readErrors.end()) {
        std::string readError;
        const std::unique_ptr<Experiment> experiment =
            loadExperimentFile(registry, row.experimentPath, options.reading, readError);
        readErrors[key] = experiment ? std::string() : readError;
        problem = readErrors[key];
    } else {
        problem = known->second;
    }
    if (!problem.empty()) {
        error = row.where + problem;
        return false;
    }
    return true;
}
