#include "app/HeldOutScoring.h"

#include <ostream>

#include "app/ExitStatus.h"
#include "app/SweepPlan.h"
#include "app/commands/EvaluateRequest.h"
#include "app/commands/PreparedRun.h"
#include "metrics/Evaluation.h"

std::string HeldOutScoring::pairedMetric(const std::string& metric) {
    return metric == "Average Displacement Error" ? "Final Displacement Error" : std::string();
}

bool HeldOutScoring::score(const SweepRow& row, const std::string& fitted, HeldOutScores& scores,
                           std::optional<HeldOutScores>& paired) {
    paired.reset();
    if (!scoreBy(row, row.metric, fitted, scores)) {
        return false;
    }
    const std::string other = pairedMetric(row.metric);
    if (other.empty()) {
        return true;
    }
    paired.emplace();
    return scoreBy(row, other, fitted, *paired);
}

bool HeldOutScoring::scoreBy(const SweepRow& row, const std::string& metric,
                             const std::string& fitted, HeldOutScores& scores) {
    EvaluateRequest request;
    request.experiment = row.heldOutSource;
    request.model = row.model;
    request.modelSettings = row.request.modelSettings;
    request.metric = metric;
    request.metricSettings = row.request.metricSettings;
    EvaluateRequest baseline = request;
    // The row's model settings name the calibrated model's parameters, which the baseline lacks.
    baseline.model = baselineModel;
    baseline.modelSettings.clear();
    if (!evaluate(request, scores.defaults) || !evaluate(baseline, scores.constantVelocity)) {
        return false;
    }
    request.loadParams = fitted;
    return evaluate(request, scores.fitted);
}

bool HeldOutScoring::evaluate(const EvaluateRequest& request, double& score) {
    PreparedRun run(err);
    if (run.prepare(request) != ExitStatus::success) {
        return false;
    }
    score = evaluateModel(run.record(), run.reference(), run.metric());
    return true;
}
