#include "app/SweepSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>

#include "app/SweepResult.h"
#include "core/NumberText.h"

namespace {

std::string cost(double value) {
    return NumberText::format("%.9g", value);
}

}  // namespace

SweepSummary SweepSummary::of(const std::vector<SweepResult>& results) {
    SweepSummary summary;
    std::vector<std::vector<double>> costs;
    for (const SweepResult& result : results) {
        if (result.status != "done") {
            continue;
        }
        const std::string settings = result.settings();
        size_t i = 0;
        while (i < summary.lines.size() && !(summary.lines[i].experiment == result.recordings() &&
                                             summary.lines[i].model == result.model &&
                                             summary.lines[i].metric == result.metric &&
                                             summary.lines[i].algorithm == result.algorithm &&
                                             summary.lines[i].settings == settings)) {
            ++i;
        }
        if (i == summary.lines.size()) {
            summary.lines.push_back(
                {result.recordings(), result.model, result.metric, result.algorithm, settings});
            costs.emplace_back();
        }
        costs[i].push_back(result.bestCost);
    }
    for (size_t i = 0; i < summary.lines.size(); ++i) {
        Line& line = summary.lines[i];
        const std::vector<double>& values = costs[i];
        line.runs = static_cast<int>(values.size());
        line.best = std::numeric_limits<double>::quiet_NaN();
        double sum = 0.0;
        for (const double value : values) {
            sum += value;
            if (!std::isnan(value) && !(line.best <= value)) {
                line.best = value;
            }
        }
        line.mean = sum / line.runs;
        double squares = 0.0;
        for (const double value : values) {
            squares += (value - line.mean) * (value - line.mean);
        }
        line.spread = line.runs > 1 ? std::sqrt(squares / (line.runs - 1))
                                    : std::numeric_limits<double>::quiet_NaN();
    }
    return summary;
}

void SweepSummary::print(std::ostream& out) const {
    const bool settings = std::any_of(lines.begin(), lines.end(),
                                      [](const Line& line) { return !line.settings.empty(); });
    std::vector<std::vector<std::string>> table = {
        {"experiment", "model", "metric", "algorithm", "runs", "best", "mean", "spread"}};
    if (settings) {
        table.front().push_back("settings");
    }
    for (const Line& line : lines) {
        table.push_back({line.experiment, line.model, line.metric, line.algorithm,
                         std::to_string(line.runs), cost(line.best), cost(line.mean),
                         line.runs > 1 ? cost(line.spread) : std::string("-")});
        if (settings) {
            table.back().push_back(line.settings);
        }
    }
    std::vector<size_t> widths(table.front().size(), 0);
    for (const auto& row : table) {
        for (size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    for (const auto& row : table) {
        std::string text;
        for (size_t c = 0; c < row.size(); ++c) {
            text += row[c];
            if (c + 1 < row.size()) {
                text += std::string(widths[c] - row[c].size() + 2, ' ');
            }
        }
        out << text.substr(0, text.find_last_not_of(' ') + 1) << "\n";
    }
}
