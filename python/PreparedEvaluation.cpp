#include "python/PreparedEvaluation.h"

#include <iostream>

#include "app/commands/EvaluateCommand.h"
#include "calibration/EvaluationPool.h"
#include "core/Random.h"
#include "core/UsableCores.h"
#include "metrics/Evaluation.h"
#include "python/ModuleRegistry.h"
#include "python/Refusal.h"

bool PreparedEvaluation::Key::operator==(const Key& other) const {
    return model == other.model && modelSettings == other.modelSettings && metric == other.metric &&
           metricSettings == other.metricSettings && parameters == other.parameters &&
           jobs == other.jobs;
}

PreparedEvaluation::Key PreparedEvaluation::keyOf(const EvaluateRequest& request,
                                                  const ParameterChoice& parameters) {
    return {request.model,          request.modelSettings, request.metric,
            request.metricSettings, parameters.identity(), request.jobs};
}

PreparedEvaluation::PreparedEvaluation(std::shared_ptr<const Experiment> experiment,
                                       const EvaluateRequest& request,
                                       const ParameterChoice& parameters)
    : identity(keyOf(request, parameters)) {
    std::vector<std::string> problems;
    if (!components.create(moduleRegistry(), request, problems)) {
        throw Refusal::ofProblems(problems);
    }
    // What a metric reports of itself (Vorticity's "save") goes where the batch tool puts it.
    components.metric->setConsole(&std::cout);
    recordings.push_back(std::make_unique<PreparedRun::Recording>());
    recordings.front()->experiment = std::move(experiment);
    const EvaluationPool::Factory instances =
        EvaluationPool::sameAs(moduleRegistry(), *components.model, *components.metric);
    // A batch process starts its generator from the standard's seed; so does every preparation,
    // whatever this thread drew before.
    Random::seed(1);
    parameters.loadWith([&](const std::string& path, std::string& error) {
        return PreparedRun::buildRecords(recordings, *components.model, instances, path, error);
    });
    drawsFrom = Random::currentState();
    const int threads = request.jobs > 0 ? request.jobs : usableCores();
    if (!components.model->setStepThreads(threads)) {
        throw Refusal("The evaluation did not start. " + components.model->stepThreadsFailure());
    }
    components.metric->shareRuns(threads, [instances] { return instances().model; });
}

float PreparedEvaluation::evaluate() {
    Random::seed(drawsFrom);
    PreparedRun::Recording& recording = *recordings.front();
    return evaluateModel(recording.record, recording.reference, *components.metric);
}

std::string PreparedEvaluation::whyNotFinite() const {
    return EvaluateCommand::whyNotFinite(recordings.front()->record, *components.metric);
}
