#include "data/ExperimentLoader.h"

#include "core/ComponentRegistry.h"
#include "data/Experiment.h"
#include "data/Parser.h"

std::unique_ptr<Experiment> loadExperimentFile(const ComponentRegistry& registry,
                                               const std::string& path, std::string& error) {
    const int index = registry.parserIndexForPath(path);
    std::unique_ptr<Parser> parser = registry.parsers.create(index);
    if (!parser) {
        std::string known;
        for (const std::string& extension : registry.parsers.names) {
            known += (known.empty() ? "*." : ", *.") + extension;
        }
        error = "No reader for \"" + path + "\": experiment files are " + known + ".";
        return nullptr;
    }
    if (!parser->load(path)) {
        error = parser->errorMessage();
        return nullptr;
    }
    error.clear();
    return std::make_unique<Experiment>(*parser);
}
