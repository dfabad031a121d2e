#include "app/commands/EvaluateCommand.h"

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/commands/EvaluateRequest.h"
#include "app/commands/PreparedRun.h"
#include "calibration/EvaluationPool.h"
#include "core/NumberText.h"
#include "metrics/Evaluation.h"
#include "metrics/TrajectoryAccess.h"
#include "models/Simulation.h"

namespace {

std::string formatScore(float score) {
    return NumberText::format("%.9g", static_cast<double>(score));
}

}  // namespace

std::string EvaluateCommand::whyNotFinite(const Record& record, const Metric& metric) {
    if (!metric.problem().empty()) {
        return "\"" + metric.name + "\" says " + metric.problem();
    }
    const std::string& metricName = metric.name;
    const TrajectoryAccess run(record);
    if (run.hasFrames(record.frameCount)) {
        for (int i = 0; i < run.n; ++i) {
            const int last = run.partial ? run.last(i) : run.F - 1;
            for (int k = run.partial ? run.first(i) : 0; k <= last; ++k) {
                if (!std::isfinite(run.xs(i, k)) || !std::isfinite(run.ys(i, k))) {
                    return "the simulated position of pedestrian " + std::to_string(i + 1) +
                           " is not a finite number at frame " + std::to_string(k) +
                           "; check the model's settings";
                }
            }
        }
    }
    return "\"" + metricName +
           "\" found nothing to compare in this experiment (\"Inter-pedestrian distance\" needs "
           "two pedestrians present together, \"Path Length\" pedestrians present on two frames)";
}

int EvaluateCommand::run(const EvaluateRequest& request) {
    PreparedRun run(err);
    if (const int status = run.prepare(request); status != ExitStatus::success) {
        return status;
    }
    for (const auto& recording : run.all()) {
        Simulation& model = *recording->record.boundSimulation();
        if (!model.setStepThreads(run.jobs())) {
            err << "vestra-batch: The evaluation did not start. " << model.stepThreadsFailure()
                << "\n";
            return ExitStatus::failed;
        }
    }
    // Metrics made of independent runs (the prediction sequences) share them among the threads.
    const EvaluationPool::Factory instances =
        EvaluationPool::sameAs(run.registry(), run.model(), run.metric());
    run.metric().shareRuns(run.jobs(), [instances] { return instances().model; });
    const bool several = run.all().size() > 1;
    std::vector<float> scores;
    bool allFinite = true;
    for (const auto& recording : run.all()) {
        const float score = evaluateModel(recording->record, recording->reference, run.metric());
        scores.push_back(score);
        out << formatScore(score) << (several ? "\t" + recording->file : std::string()) << "\n";
        if (!std::isfinite(score)) {
            allFinite = false;
            err << "vestra-batch: " << (several ? recording->file + ": " : std::string())
                << "the score is " << formatScore(score)
                << ", not a finite number: " << whyNotFinite(recording->record, run.metric())
                << ".\n";
        }
    }
    if (several) {
        // The mean is the last line, where a script finds a single recording's score.
        out << formatScore(meanScore(scores)) << "\tmean of " << scores.size() << " recordings\n";
    }
    return allFinite ? ExitStatus::success : ExitStatus::failed;
}
