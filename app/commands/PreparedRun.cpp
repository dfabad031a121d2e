#include "app/commands/PreparedRun.h"

#include <iostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/commands/CalibrateRequest.h"
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
    if (!input.checkFormat(request.experiment.reading) || !chooseComponents(request, calibration)) {
        return ExitStatus::usage;
    }
    const std::vector<std::string> outputs =
        calibration ? std::vector<std::string>{calibration->saveParams, calibration->trace}
                    : std::vector<std::string>{};
    if (!input.checkOutputs(outputs)) {
        return ExitStatus::usage;
    }
    std::vector<std::string> notes;
    experiment = input.read(request.experiment, notes);
    if (!experiment) {
        return ExitStatus::failed;
    }
    input.reportNotes(notes);
    return buildRecord(request);
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

int PreparedRun::buildRecord(const EvaluateRequest& request) {
    boundRecord.build(experiment.get(), &referenceWalker, components.model.get());
    if (!request.loadParams.empty() && !boundRecord.loadParameters(request.loadParams)) {
        err << "vestra-batch: " << boundRecord.lastError() << "\n";
        return ExitStatus::failed;
    }
    boundRecord.rebuildIndex();
    threads = request.jobs > 0 ? request.jobs : usableCores();
    if (request.jobs == 0) {
        // Chosen by the machine, like a seed by the clock, so the log says what was used.
        err << "jobs " << threads << "\n";
    }
    return ExitStatus::success;
}
