#include "data/ExperimentLoader.h"

#include "data/Experiment.h"
#include "data/ObstacleFile.h"
#include "data/Parser.h"
#include "data/ParserRegistry.h"
#include "data/ReadingOptions.h"

namespace {

/// "a, b, c" of the distinct entries of a list, each with a prefix.
std::string distinctList(const std::vector<std::string>& entries, const std::string& prefix) {
    std::string text;
    for (size_t i = 0; i < entries.size(); ++i) {
        bool repeated = false;
        for (size_t j = 0; j < i; ++j) {
            repeated = repeated || entries[j] == entries[i];
        }
        if (!repeated) {
            text += (text.empty() ? "" : ", ") + prefix + entries[i];
        }
    }
    return text;
}

}  // namespace

bool checkFormat(const ParserRegistry& registry, const std::string& format, std::string& error) {
    if (registry.parserIndexForFormat(format) >= 0) {
        return true;
    }
    error = "Unknown format \"" + format + "\": the formats are " +
            distinctList(registry.parserFormats, "") + ".";
    return false;
}

std::unique_ptr<Experiment> loadExperimentFile(const ParserRegistry& registry,
                                               const std::string& path, std::string& error) {
    return loadExperimentFile(registry, path, ReadingOptions(), error);
}

std::unique_ptr<Experiment> loadExperimentFile(const ParserRegistry& registry,
                                               const std::string& path,
                                               const ReadingOptions& options, std::string& error,
                                               std::vector<std::string>* notes) {
    if (notes) {
        notes->clear();
    }
    const bool named = !options.format.empty();
    if (named && !checkFormat(registry, options.format, error)) {
        return nullptr;
    }
    const int index =
        named ? registry.parserIndexForFormat(options.format) : registry.parserIndexForPath(path);
    std::unique_ptr<Parser> parser = registry.parsers.create(index);
    if (!parser) {
        error = "No reader for \"" + path + "\": experiment files are " +
                distinctList(registry.parsers.names, "*.") + ".";
        return nullptr;
    }
    parser->setReadingOptions(options);
    if (!parser->load(path)) {
        error = parser->errorMessage();
        return nullptr;
    }
    ObstacleFile obstacles;
    if (!options.obstacles.empty() &&
        !obstacles.load(options.obstacles, parser->appliedMetresPerUnit(), error)) {
        return nullptr;
    }
    auto experiment = std::make_unique<Experiment>(*parser);
    // After the recording's own segments, so that models receive those in their usual order.
    experiment->obstacles.insert(experiment->obstacles.end(), obstacles.segments.begin(),
                                 obstacles.segments.end());
    if (notes) {
        *notes = parser->notes();
        if (!obstacles.segments.empty()) {
            notes->push_back("Added " + std::to_string(obstacles.segments.size()) +
                             " obstacle segments from \"" + options.obstacles + "\".");
        }
    }
    error.clear();
    return experiment;
}
