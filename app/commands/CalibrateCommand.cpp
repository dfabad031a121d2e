#include "app/commands/CalibrateCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/CancelSignals.h"
#include "app/ExitStatus.h"
#include "app/commands/CalibrateRequest.h"
#include "app/commands/PreparedRun.h"
#include "calibration/CalibrationProgress.h"
#include "calibration/CalibrationRun.h"
#include "calibration/EvaluationPool.h"
#include "calibration/ValueDistribution.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "models/Simulation.h"

int CalibrateCommand::run(const CalibrateRequest& request) {
    PreparedRun run(err);
    if (const int status = run.prepare(request); status != ExitStatus::success) {
        return status;
    }
    Calibration& calibration = run.calibration();
    calibration.scope = request.scope;
    calibration.setSeed(chooseSeed(request));
    calibration.setConsole(out);
    CalibrationProgress progress;
    progress.attach(calibration);
    if (showProgress) {
        showProgressLine(calibration, progress);
    }
    bool completed = false;
    {
        const CancelSignals signals(calibration);
        completed =
            runCalibration(run.calibrated(), run.metric(), calibration, out, run.jobs(),
                           EvaluationPool::sameAs(run.registry(), run.model(), run.metric()));
    }
    if (showProgress) {
        err << "\n";
    }
    if (!completed) {
        err << "vestra-batch: " << calibration.failure << "\n";
        return ExitStatus::failed;
    }
    if (run.all().size() > 1) {
        reportRecordings(run, calibration);
    }
    if (!writeOutputs(request, run.record(), progress)) {
        return ExitStatus::failed;
    }
    // A run stopped by a signal kept and wrote what it found, and says so by its status.
    return calibration.cancelled() ? ExitStatus::stoppedBy(CancelSignals::received())
                                   : ExitStatus::success;
}

unsigned CalibrateCommand::chooseSeed(const CalibrateRequest& request) const {
    if (request.seed) {
        return *request.seed;
    }
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    err << "seed " << seed << "\n";
    return seed;
}

void CalibrateCommand::showProgressLine(Calibration& calibration,
                                        const CalibrationProgress& progress) {
    const auto addToProgress = calibration.onEvaluation;
    lastShown = std::chrono::steady_clock::now();
    calibration.onEvaluation = [this, &progress, addToProgress](float cost) {
        addToProgress(cost);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown >= std::chrono::milliseconds(200)) {
            lastShown = now;
            err << "\r  " << CalibrationProgress::describe(progress.figures()) << "    "
                << std::flush;
        }
    };
}

bool CalibrateCommand::writeOutputs(const CalibrateRequest& request, Record& record,
                                    const CalibrationProgress& progress) const {
    std::vector<std::unique_ptr<AtomicFile>> outputs;
    if (!request.saveParams.empty()) {
        outputs.push_back(std::make_unique<AtomicFile>(request.saveParams));
        if (!record.writeParameters(*outputs.back(), request.scope)) {
            err << "vestra-batch: " << record.lastError() << "\n";
            return false;
        }
    }
    std::string error;
    if (!request.saveDistributions.empty()) {
        outputs.push_back(std::make_unique<AtomicFile>(request.saveDistributions));
        if (!writeDistributions(record, *outputs.back(), error)) {
            err << "vestra-batch: " << error << "\n";
            return false;
        }
    }
    if (!request.trace.empty()) {
        outputs.push_back(std::make_unique<AtomicFile>(request.trace));
        if (!progress.writeTrace(*outputs.back(), error)) {
            err << "vestra-batch: " << error << "\n";
            return false;
        }
    }
    std::stable_partition(outputs.begin(), outputs.end(),
                          [](const auto& output) { return output->writesIntoSpecialFile(); });
    for (const std::unique_ptr<AtomicFile>& output : outputs) {
        if (!output->commit()) {
            err << "vestra-batch: " << output->errorMessage() << "\n";
            return false;
        }
    }
    return true;
}

void CalibrateCommand::reportRecordings(PreparedRun& run, const Calibration& calibration) const {
    const std::vector<float>& start = calibration.startScores();
    const std::vector<float>& best = calibration.bestScores();
    out << "\n#--SCORES PER RECORDING--\n\nstart\tbest\trecording\n";
    for (std::size_t r = 0; r < run.all().size(); ++r) {
        const auto score = [r](const std::vector<float>& scores) {
            return r < scores.size() ? NumberText::format("%.9g", double{scores[r]})
                                     : std::string("-");
        };
        out << score(start) << "\t" << score(best) << "\t" << run.all()[r]->file << "\n";
    }
    out.flush();
}

bool CalibrateCommand::writeDistributions(Record& record, AtomicFile& out, std::string& error) {
    const std::string text =
        ValueDistribution::describe(record.boundSimulation()->agentParameterNames(),
                                    record.parameters(), record.simulatedCount);
    if (!out.finishWith(text)) {
        error = out.errorMessage();
        return false;
    }
    return true;
}
