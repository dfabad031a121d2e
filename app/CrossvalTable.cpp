#include "app/CrossvalTable.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/CsvReader.h"
#include "app/HeldOutScoring.h"
#include "app/SweepFiles.h"
#include "app/SweepPlan.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"

namespace {

std::string number(double value) {
    return NumberText::format("%.9g", value);
}

// The three held-out scores in table order.
std::vector<double> columnsOf(const HeldOutScores& scores) {
    return {scores.fitted, scores.defaults, scores.constantVelocity};
}

// One held-out cell of the paper's table: "score", or "score/paired".
std::string cell(double score, const double* paired) {
    return paired ? number(score) + "/" + number(*paired) : number(score);
}

// "ADE" for "Average Displacement Error": a paper's column headers name a metric by its
// initials, and the caption names it in full.
std::string initials(const std::string& name) {
    std::string text;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != ' ' && (i == 0 || name[i - 1] == ' ')) {
            text += name[i];
        }
    }
    return text;
}

}  // namespace

bool CrossvalTable::isCrossval(const SweepPlan& plan) {
    for (const SweepRow& row : plan.rows) {
        if (row.heldOut.empty()) {
            return false;
        }
    }
    return !plan.rows.empty();
}

std::string CrossvalTable::csv() const {
    std::string text =
        "experiment,model,metric,algorithm,seed,training_cost,held_out_fitted,held_out_default,"
        "held_out_constant_velocity,evaluations,seconds,paired_metric,paired_fitted,"
        "paired_default,paired_constant_velocity\n";
    for (const SweepResult& fold : folds) {
        text += csvField(fold.heldOut) + "," + csvField(fold.model) + "," + csvField(fold.metric) +
                "," + csvField(fold.algorithm) + "," + csvField(fold.seed) + "," +
                number(fold.bestCost);
        for (const double score : columnsOf(*fold.heldOutScores)) {
            text += "," + number(score);
        }
        text += "," + std::to_string(fold.evaluations) + "," +
                NumberText::format("%.3f", fold.seconds) + ",";
        if (fold.heldOutPaired) {
            text += csvField(HeldOutScoring::pairedMetric(fold.metric));
            for (const double score : columnsOf(*fold.heldOutPaired)) {
                text += "," + number(score);
            }
        } else {
            text += ",,,";
        }
        text += "\n";
    }
    return text;
}

std::string CrossvalTable::markdown() const {
    const SweepResult& first = folds.front();
    const bool paired = first.heldOutPaired.has_value();
    const std::string by = paired ? " (" + initials(first.metric) + "/" +
                                        initials(HeldOutScoring::pairedMetric(first.metric)) + ")"
                                  : std::string();
    std::string text = "Leave-one-out: " + first.model + " calibrated by " + first.algorithm +
                       " (seed " + first.seed + ") on the other recordings, " + first.metric +
                       (paired ? " and " + HeldOutScoring::pairedMetric(first.metric) : "") +
                       ".\n\n| Held-out recording | Training cost | Fitted" + by + " | Default" +
                       by + " | " + HeldOutScoring::baselineModel + by +
                       " |\n|---|---:|---:|---:|---:|\n";
    // Sums in double, in fold order, for the mean line.
    std::vector<double> sums(7, 0.0);
    for (const SweepResult& fold : folds) {
        const std::vector<double> scores = columnsOf(*fold.heldOutScores);
        const std::vector<double> second =
            fold.heldOutPaired ? columnsOf(*fold.heldOutPaired) : std::vector<double>(3, 0.0);
        text += "| " + std::filesystem::path(fold.heldOut).filename().string() + " | " +
                number(fold.bestCost);
        sums[0] += fold.bestCost;
        for (size_t i = 0; i < 3; ++i) {
            text += " | " + cell(scores[i], paired ? &second[i] : nullptr);
            sums[1 + i] += scores[i];
            sums[4 + i] += second[i];
        }
        text += " |\n";
    }
    const double count = static_cast<double>(folds.size());
    text += "| Mean | " + number(sums[0] / count);
    for (size_t i = 0; i < 3; ++i) {
        const double pairedMean = sums[4 + i] / count;
        text += " | " + cell(sums[1 + i] / count, paired ? &pairedMean : nullptr);
    }
    return text + " |\n";
}

bool CrossvalTable::write(const std::string& folder, std::string& error) const {
    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const auto& [name, text] : {std::pair{SweepFiles::crossvalTable, csv()},
                                     std::pair{SweepFiles::crossvalText, markdown()}}) {
        files.push_back(std::make_unique<AtomicFile>(SweepFiles::in(folder, name)));
        if (!files.back()->finishWith(text)) {
            error = files.back()->errorMessage();
            return false;
        }
    }
    for (const std::unique_ptr<AtomicFile>& file : files) {
        if (!file->commit()) {
            error = file->errorMessage();
            return false;
        }
    }
    return true;
}
