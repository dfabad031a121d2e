#include "app/commands/SimulateCommand.h"

#include <ostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/commands/ExperimentInput.h"
#include "app/commands/PreparedRun.h"
#include "core/NumberText.h"
#include "core/Random.h"
#include "data/TrackFile.h"
#include "models/Simulation.h"
#include "run/TrackExport.h"

std::vector<std::string> SimulateCommand::about(const Request& request, const Simulation* model) {
    if (request.measured) {
        return {"measured trajectories of " + request.run.experiment.file + ", written by Vestra"};
    }
    std::vector<std::string> lines = {"simulated by Vestra: model " + model->name + " over " +
                                      request.run.experiment.file};
    if (!request.run.loadParams.empty()) {
        lines.push_back("agent parameter values from " + request.run.loadParams);
    } else {
        // Every pedestrian walks with the defaults; a model whose pedestrian type declares its
        // parameters itself has no names for them.
        std::string defaults = "agent parameters, every pedestrian:";
        const std::vector<std::string>& names = model->agentParameterNames();
        for (std::size_t k = 0; k < model->parameterDefaults().size(); ++k) {
            defaults += (k ? ", " : " ") +
                        (k < names.size() ? names[k] : "parameter_" + std::to_string(k)) + " " +
                        NumberText::format("%g", double{model->parameterDefaults()[k]});
        }
        lines.push_back(defaults);
    }
    if (request.run.seed) {
        lines.push_back("seed " + std::to_string(*request.run.seed));
    }
    return lines;
}

int SimulateCommand::run(const Request& request) {
    TrackFile::Format format = TrackFile::Format::text;
    if (!(request.format.empty() ? TrackFile::formatOf(request.output, format)
                                 : TrackFile::formatNamed(request.format, format))) {
        err << "vestra-batch: simulate writes .txt, .csv or .ndjson, not \"" << request.output
            << "\".\n";
        return ExitStatus::usage;
    }
    // Checked before the recording is read, so that no run is lost to a path it cannot write.
    if (!ExperimentInput(err).checkOutputs({request.output})) {
        return ExitStatus::usage;
    }
    // The record is built as evaluate builds it; its metric is never asked for a score.
    CalibrateRequest run = request.run;
    run.metric = "Difference";
    PreparedRun prepared(err);
    if (const int status = prepared.prepare(static_cast<const EvaluateRequest&>(run));
        status != ExitStatus::success) {
        return status;
    }
    Record& record = prepared.record();
    if (run.seed) {
        Random::seed(*run.seed);
    }
    record.reset();
    record.run();
    const Experiment& experiment = *record.boundExperiment();
    TrackSet tracks = request.measured
                          ? TrackExport::measured(experiment)
                          : TrackExport::simulated(*record.boundSimulation(), experiment);
    tracks.about = about(request, &prepared.model());
    std::string error;
    if (!TrackFile::write(tracks, format, request.output, error)) {
        err << "vestra-batch: " << error << "\n";
        return ExitStatus::failed;
    }
    return ExitStatus::success;
}
