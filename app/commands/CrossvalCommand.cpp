#include "app/commands/CrossvalCommand.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>

#include "app/BatchComponents.h"
#include "app/CommandText.h"
#include "app/CsvReader.h"
#include "app/ExitStatus.h"
#include "app/ExperimentList.h"
#include "app/StandardComponents.h"
#include "app/SweepFiles.h"
#include "app/SweepOptions.h"
#include "app/commands/CalibrateRequest.h"
#include "app/commands/CollectCommand.h"
#include "app/commands/SweepCommand.h"
#include "calibration/ComponentRegistry.h"
#include "core/AtomicFile.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"

namespace {

// Every fold calibrates with this seed unless --seed gives another, so that a study repeats.
constexpr unsigned defaultSeed = 1;

// Absolute, so that the fold lists and the plan name the same files from any folder.
std::string absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

std::string settingsText(const ParameterSettings& settings) {
    std::string text;
    for (const auto& [name, value] : settings) {
        text += (text.empty() ? "" : ";") + name + "=" + value;
    }
    return csvField(text);
}

// Writes `text` to `path` unless it already holds it, so that a finished cross-validation run
// again writes nothing; false, with `error`.
bool writeIfChanged(const std::string& path, const std::string& text, std::string& error) {
    std::ifstream current(path, std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(current)),
                           std::istreambuf_iterator<char>());
    if (current && held == text) {
        return true;
    }
    return AtomicFile::replaceWith(path, text, error);
}

// A recording's reading options as words for the folder's lists, with an obstacle file named by
// its absolute path: the lists are read from the folder, not from where the user's list is.
std::string optionsForFolder(std::vector<std::string> words) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "--obstacles") {
            words[i + 1] = absolute(words[i + 1]);
        }
    }
    return CommandText::of(words);
}

}  // namespace

int CrossvalCommand::run(const CalibrateRequest& request, const SweepOptions& options) {
    std::vector<ExperimentSource> sources;
    std::vector<std::vector<std::string>> readingOptions;
    if (const int status = check(request, sources, readingOptions); status != ExitStatus::success) {
        return status;
    }
    if (!SweepFiles::makeFolder(options.out, err)) {
        return ExitStatus::failed;
    }
    if (!writeFolds(request, options.out, sources, readingOptions)) {
        return ExitStatus::failed;
    }
    SweepOptions sweep = options;
    sweep.plan = SweepFiles::in(options.out, SweepFiles::crossvalPlan);
    const int status = SweepCommand(out, err).run(sweep);
    // A cluster's folds end later; collect then writes the tables.
    if (status != ExitStatus::success || options.slurm) {
        return status;
    }
    out << "\n";
    return CollectCommand(out, err).run(options.out);
}

int CrossvalCommand::check(const CalibrateRequest& request, std::vector<ExperimentSource>& sources,
                           std::vector<std::vector<std::string>>& options) const {
    std::vector<std::string> problems;
    if (!ExperimentList::read(request.experimentList, sources, problems, &options)) {
        for (const std::string& problem : problems) {
            err << "vestra-batch: " << problem << "\n";
        }
        return ExitStatus::usage;
    }
    if (sources.size() < 2) {
        err << "vestra-batch: " << request.experimentList
            << " lists one recording; crossval needs two or more, since each is scored with "
               "values calibrated on the others.\n";
        return ExitStatus::usage;
    }
    ComponentRegistry registry;
    registerStandardComponents(registry);
    BatchComponents components;
    if (!components.create(registry, request, problems)) {
        for (const std::string& problem : problems) {
            err << "vestra-batch: " << problem << "\n";
        }
        return ExitStatus::usage;
    }
    for (const ExperimentSource& source : sources) {
        std::string error;
        if (!loadExperimentFile(registry, source.file, source.reading, error)) {
            err << "vestra-batch: " << source.origin << error << "\n";
            return ExitStatus::usage;
        }
    }
    return ExitStatus::success;
}

bool CrossvalCommand::writeFolds(const CalibrateRequest& request, const std::string& folder,
                                 const std::vector<ExperimentSource>& sources,
                                 const std::vector<std::vector<std::string>>& options) const {
    std::string error;
    for (std::size_t fold = 0; fold < sources.size(); ++fold) {
        std::string list = "experiment,options\n";
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (i != fold) {
                list += csvField(absolute(sources[i].file)) + "," +
                        csvField(optionsForFolder(options[i])) + "\n";
            }
        }
        const std::string path = SweepFiles::in(folder, SweepFiles::foldList(int(fold) + 1));
        if (!writeIfChanged(path, list, error)) {
            err << "vestra-batch: " << error << "\n";
            return false;
        }
    }
    if (!writeIfChanged(SweepFiles::in(folder, SweepFiles::crossvalPlan),
                        planText(request, sources, options), error)) {
        err << "vestra-batch: " << error << "\n";
        return false;
    }
    return true;
}

std::string CrossvalCommand::planText(const CalibrateRequest& request,
                                      const std::vector<ExperimentSource>& sources,
                                      const std::vector<std::vector<std::string>>& options) {
    std::string text =
        "experiments,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,held_out,"
        "held_out_options\n";
    const std::string seed = std::to_string(request.seed.value_or(defaultSeed));
    for (std::size_t fold = 0; fold < sources.size(); ++fold) {
        text += SweepFiles::foldList(int(fold) + 1) + "," + csvField(request.model) + "," +
                csvField(request.metric) + "," + csvField(request.algorithm) + "," + seed +
                ",--scope shared," + settingsText(request.modelSettings) + "," +
                settingsText(request.metricSettings) + "," +
                settingsText(request.algorithmSettings) + "," +
                csvField(absolute(sources[fold].file)) + "," +
                csvField(optionsForFolder(options[fold])) + "\n";
    }
    return text;
}
