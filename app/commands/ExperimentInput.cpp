#include "app/commands/ExperimentInput.h"

#include <ostream>

#include "app/BatchHelp.h"
#include "app/StandardComponents.h"
#include "app/commands/ExperimentSource.h"
#include "core/AtomicFile.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"

ExperimentInput::ExperimentInput(std::ostream& err) : err(err) {
    registerStandardComponents(standard);
}

bool ExperimentInput::checkFormat(const ReadingOptions& reading) const {
    std::string error;
    if (!reading.format.empty() && !::checkFormat(standard, reading.format, error)) {
        err << "vestra-batch: " << error << "\n" << BatchHelp::usage();
        return false;
    }
    return true;
}

bool ExperimentInput::checkOutputs(const std::vector<std::string>& paths) const {
    for (const std::string& path : paths) {
        std::string error;
        if (!path.empty() && !AtomicFile::canWrite(path, error)) {
            err << "vestra-batch: " << error << "\n";
            return false;
        }
    }
    return true;
}

std::unique_ptr<Experiment> ExperimentInput::read(const ExperimentSource& source,
                                                  std::vector<std::string>& notes) const {
    std::string error;
    std::unique_ptr<Experiment> experiment =
        loadExperimentFile(standard, source.file, source.reading, error, &notes);
    if (!experiment) {
        err << "vestra-batch: " << source.origin << error << "\n";
    }
    return experiment;
}

void ExperimentInput::reportNotes(const std::vector<std::string>& notes) const {
    for (const std::string& note : notes) {
        err << "vestra-batch: note: " << note << "\n";
    }
}
