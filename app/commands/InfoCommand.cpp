#include "app/commands/InfoCommand.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/commands/ExperimentInput.h"
#include "app/commands/ExperimentSource.h"
#include "data/Experiment.h"
#include "data/ExperimentSummary.h"

int InfoCommand::run(const ExperimentSource& source) {
    const ExperimentInput input(err);
    if (!input.checkFormat(source.reading)) {
        return ExitStatus::usage;
    }
    std::vector<std::string> notes;
    const std::unique_ptr<Experiment> experiment = input.read(source, notes);
    if (!experiment) {
        return ExitStatus::failed;
    }
    const ExperimentSummary summary = summarize(*experiment);
    out << "pedestrians " << summary.pedestrians << "\n"
        << "obstacles " << summary.obstacles << "\n"
        << "frames " << summary.frames << "\n"
        << "duration " << summary.duration << "\n"
        << "present max " << summary.mostPresent << "\n"
        << "present mean " << summary.meanPresent << "\n";
    // What reading decided or left out (a frame rate taken from a comment, a pedestrian of one
    // row) belongs to the description.
    for (const std::string& note : notes) {
        out << "note " << note << "\n";
    }
    return ExitStatus::success;
}
