#include "app/commands/ConvertCommand.h"

#include <memory>
#include <ostream>
#include <vector>

#include "app/ExitStatus.h"
#include "app/commands/ExperimentInput.h"
#include "app/commands/ExperimentSource.h"
#include "data/AnaWriter.h"
#include "data/Experiment.h"

int ConvertCommand::run(const ExperimentSource& source, const std::string& output) {
    const ExperimentInput input(err);
    if (!input.checkFormat(source.reading) || !input.checkOutputs({output})) {
        return ExitStatus::usage;
    }
    std::vector<std::string> notes;
    const std::unique_ptr<Experiment> experiment = input.read(source, notes);
    if (!experiment) {
        return ExitStatus::failed;
    }
    input.reportNotes(notes);
    std::string error;
    if (!writeAna(*experiment, output, error)) {
        err << "vestra-batch: " << error << "\n";
        return ExitStatus::failed;
    }
    return ExitStatus::success;
}
