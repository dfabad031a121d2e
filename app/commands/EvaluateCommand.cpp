#include "app/commands/EvaluateCommand.h"

#include <cmath>
#include <ostream>
#include <string>

#include "app/ExitStatus.h"
#include "app/commands/EvaluateRequest.h"
#include "app/commands/PreparedRun.h"
#include "core/NumberText.h"
#include "metrics/Evaluation.h"
#include "metrics/TrajectoryAccess.h"

namespace {

std::string formatScore(float score) {
    return NumberText::format("%.9g", static_cast<double>(score));
}

/// Why a run scored no finite number: the first simulated sample that is not one, or else a
/// metric that found nothing to compare.
std::string whyNotFinite(const Record& record, const std::string& metricName) {
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

}  // namespace

int EvaluateCommand::run(const EvaluateRequest& request) {
    PreparedRun run(err);
    if (const int status = run.prepare(request); status != ExitStatus::success) {
        return status;
    }
    if (!run.model().setStepThreads(run.jobs())) {
        err << "vestra-batch: The evaluation did not start. " << run.model().stepThreadsFailure()
            << "\n";
        return ExitStatus::failed;
    }
    const float score = evaluateModel(run.record(), run.reference(), run.metric());
    out << formatScore(score) << "\n";
    if (!std::isfinite(score)) {
        err << "vestra-batch: the score is " << formatScore(score)
            << ", not a finite number: " << whyNotFinite(run.record(), run.metric().name) << ".\n";
        return ExitStatus::failed;
    }
    return ExitStatus::success;
}
