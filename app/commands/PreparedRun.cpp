#include "app/commands/PreparedRun.h"

#include <iostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/ExperimentList.h"
#include "app/commands/CalibrateRequest.h"
#include "calibration/EvaluationPool.h"
#include "core/UsableCores.h"
#include "data/Experiment.h"

PreparedRun::PreparedRun(std::ostream& err) : input(err), err(err) {}

PreparedRun::~PreparedRun() = default;

int PreparedRun::prepare(const EvaluateRequest& request) {
    return prepareWith(request, nullptr);
}

int PreparedRun::prepare(const CalibrateRequest& request) {
    return prepareWith(request, &request);
}

int PreparedRun::prepareWith(const EvaluateRequest& request, const CalibrateRequest* calibration) {
    std::vector<ExperimentSource> sources;
    if (const int status = listSources(request, sources); status != ExitStatus::success) {
        return status;
    }
    for (const ExperimentSource& source : sources) {
        if (!input.checkFormat(source.reading)) {
            return ExitStatus::usage;
        }
    }
    if (!chooseComponents(request, calibration) ||
        (calibration && !checkCalibration(*calibration, sources.size()))) {
        return ExitStatus::usage;
    }
    const std::vector<std::string> outputs =
        calibration ? std::vector<std::string>{calibration->saveParams, calibration->trace,
                                               calibration->saveDistributions}
                    : std::vector<std::string>{};
    if (!input.checkOutputs(outputs)) {
        return ExitStatus::usage;
    }
    if (const int status = readExperiments(sources); status != ExitStatus::success) {
        return status;
    }
    return setUpRecords(request);
}

int PreparedRun::listSources(const EvaluateRequest& request,
                             std::vector<ExperimentSource>& sources) const {
    if (request.experimentList.empty()) {
        sources.push_back(request.experiment);
        for (const std::string& file : request.moreFiles) {
            sources.push_back({file, request.experiment.reading, std::string()});
        }
        return ExitStatus::success;
    }
    std::vector<std::string> problems;
    if (!ExperimentList::read(request.experimentList, sources, problems)) {
        for (const std::string& problem : problems) {
            err << "vestra-batch: " << problem << "\n";
        }
        return ExitStatus::usage;
    }
    return ExitStatus::success;
}

bool PreparedRun::chooseComponents(const EvaluateRequest& request,
                                   const CalibrateRequest* calibration) {
    std::vector<std::string> problems;
    const bool created = calibration ? components.create(registry(), *calibration, problems)
                                     : components.create(registry(), request, problems);
    for (const std::string& problem : problems) {
        err << "vestra-batch: " << problem << "\n";
    }
    if (created) {
        // What a metric reports of itself (Vorticity's "save") goes to standard output.
        components.metric->setConsole(&std::cout);
    }
    return created;
}

bool PreparedRun::checkCalibration(const CalibrateRequest& request,
                                   std::size_t recordingCount) const {
    if (recordingCount > 1 && request.scope == ParameterScope::pedestrian) {
        err << "vestra-batch: " << severalRecordingsNeedShared << "\n";
        return false;
    }
    if (!request.saveDistributions.empty() && components.model->agentParameterNames().empty()) {
        err << "vestra-batch: The model \"" << components.model->name
            << "\" has no agent parameters that --set can name, so --save-distributions has "
               "nothing to write.\n";
        return false;
    }
    return true;
}

int PreparedRun::readExperiments(const std::vector<ExperimentSource>& sources) {
    // Every file is read before anything is set up, so a bad one stops the run at once.
    for (const ExperimentSource& source : sources) {
        std::vector<std::string> notes;
        auto recording = std::make_unique<Recording>();
        recording->file = source.file;
        recording->experiment = input.read(source, notes);
        if (!recording->experiment) {
            return ExitStatus::failed;
        }
        input.reportNotes(notes);
        recordings.push_back(std::move(recording));
    }
    return ExitStatus::success;
}

int PreparedRun::setUpRecords(const EvaluateRequest& request) {
    std::string error;
    if (!buildRecords(recordings, *components.model,
                      EvaluationPool::sameAs(registry(), *components.model, *components.metric),
                      request.loadParams, error)) {
        err << "vestra-batch: " << error << "\n";
        return ExitStatus::failed;
    }
    threads = request.jobs > 0 ? request.jobs : usableCores();
    if (request.jobs == 0) {
        // Chosen by the machine, like a seed by the clock, so the log says what was used.
        err << "jobs " << threads << "\n";
    }
    return ExitStatus::success;
}

bool PreparedRun::buildRecords(const std::vector<std::unique_ptr<Recording>>& recordings,
                               Simulation& model, const EvaluationPool::Factory& instances,
                               const std::string& loadParams, std::string& error) {
    for (const std::unique_ptr<Recording>& recording : recordings) {
        Simulation* runs = &model;
        if (recording != recordings.front()) {
            recording->ownModel = std::move(instances().model);
            runs = recording->ownModel.get();
        }
        recording->record.build(recording->experiment.get(), &recording->reference, runs);
        Record& record = recording->record;
        if (!loadParams.empty() && !record.loadParameters(loadParams)) {
            error = record.lastError();
            return false;
        }
        record.rebuildIndex();
    }
    return true;
}

std::vector<CalibratedRecording> PreparedRun::calibrated() const {
    std::vector<CalibratedRecording> list;
    for (const std::unique_ptr<Recording>& recording : recordings) {
        list.push_back({&recording->record, &recording->reference});
    }
    return list;
}
