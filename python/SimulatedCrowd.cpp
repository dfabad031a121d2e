#include "python/SimulatedCrowd.h"

#include "app/BatchComponents.h"
#include "app/commands/PreparedRun.h"
#include "app/commands/SimulateCommand.h"
#include "calibration/EvaluationPool.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "python/LoadedExperiment.h"
#include "python/ModuleRegistry.h"
#include "python/ParameterChoice.h"
#include "python/Refusal.h"
#include "python/TrackSetParser.h"
#include "run/TrackExport.h"

std::shared_ptr<LoadedExperiment> simulateCrowd(const LoadedExperiment& measured,
                                                const CalibrateRequest& request,
                                                const ParameterChoice& parameters) {
    SimulateCommand::Request simulate;
    simulate.run = request;
    simulate.run.experiment.file = measured.source();
    simulate.run.loadParams = parameters.label();
    // The record is built as evaluate builds it; its metric is never asked for a score.
    simulate.run.metric = "Difference";
    BatchComponents components;
    std::vector<std::string> problems;
    if (!components.create(moduleRegistry(), static_cast<const EvaluateRequest&>(simulate.run),
                           problems)) {
        throw Refusal::ofProblems(problems);
    }
    std::vector<std::unique_ptr<PreparedRun::Recording>> recordings;
    recordings.push_back(std::make_unique<PreparedRun::Recording>());
    recordings.front()->experiment = measured.shared();
    // As in a new batch process, whatever this thread drew before.
    Random::seed(1);
    parameters.loadWith([&](const std::string& path, std::string& error) {
        return PreparedRun::buildRecords(
            recordings, *components.model,
            EvaluationPool::sameAs(moduleRegistry(), *components.model, *components.metric), path,
            error);
    });
    Record& record = recordings.front()->record;
    if (request.seed) {
        Random::seed(*request.seed);
    }
    record.reset();
    record.run();
    const Experiment& experiment = measured.experiment();
    TrackSetParser tracks(TrackExport::simulated(*components.model, experiment),
                          experiment.obstacles);
    return std::make_shared<LoadedExperiment>(
        std::make_shared<const Experiment>(tracks), measured.source(), std::vector<std::string>(),
        SimulateCommand::about(simulate, components.model.get()));
}
