#include "app/commands/CollectCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "app/CrossvalTable.h"
#include "app/CsvReader.h"
#include "app/ExitStatus.h"
#include "app/SweepFiles.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "app/SweepSummary.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"

int CollectCommand::run(const std::string& folder) {
    SweepPlan plan;
    if (!readPlan(folder, plan)) {
        return ExitStatus::failed;
    }
    std::vector<SweepResult> results;
    std::vector<std::string> missing;
    gather(plan, folder, results, missing);
    const std::string text = table(results);
    const std::string resultsPath = SweepFiles::in(folder, SweepFiles::results);
    AtomicFile file(resultsPath);
    file.finishWith(text);
    // A folder that cannot take the table (read-only, full) still gets its summary printed.
    const bool written = file.commit();
    if (written) {
        out << "Wrote " << resultsPath << ": ";
    } else {
        err << "vestra-batch: " << file.errorMessage() << " Its rows follow on standard output "
            << "instead.\n";
    }
    const auto done = std::count_if(results.begin(), results.end(), [](const SweepResult& result) {
        return result.status == "done";
    });
    out << done << " of " << plan.rows.size() << " rows done\n\n";
    SweepSummary::of(results).print(out);
    if (!written) {
        out << "\n" << text;
    }
    for (const SweepResult& result : results) {
        if (result.status != "done") {
            out << "row " << result.row << " " << result.status << ": " << result.message << "\n";
        }
    }
    for (const std::string& line : missing) {
        out << line << "\n";
    }
    bool complete =
        missing.empty() && written && done == static_cast<std::ptrdiff_t>(results.size());
    if (CrossvalTable::isCrossval(plan)) {
        complete = writeCrossval(folder, results, plan.rows.size()) && complete;
    }
    return complete ? ExitStatus::success : ExitStatus::failed;
}

bool CollectCommand::writeCrossval(const std::string& folder,
                                   const std::vector<SweepResult>& results, std::size_t folds) {
    const auto scored = std::count_if(results.begin(), results.end(), [](const SweepResult& r) {
        return r.status == "done" && r.heldOutScores;
    });
    if (static_cast<std::size_t>(scored) != folds) {
        out << "\n"
            << SweepFiles::crossvalTable << " not written: " << scored << " of " << folds
            << " folds done.\n";
        return false;
    }
    const CrossvalTable table(results);
    std::string error;
    if (!table.write(folder, error)) {
        err << "vestra-batch: " << error << "\n";
        return false;
    }
    out << "\nWrote " << SweepFiles::in(folder, SweepFiles::crossvalTable) << " and "
        << SweepFiles::in(folder, SweepFiles::crossvalText) << ":\n\n"
        << table.markdown();
    return true;
}

bool CollectCommand::readPlan(const std::string& folder, SweepPlan& plan) {
    const std::string planCopy = SweepFiles::in(folder, SweepFiles::planCopy);
    if (!std::filesystem::exists(planCopy)) {
        err << "vestra-batch: " << folder << " holds no sweep (it has no " << SweepFiles::planCopy
            << ").\n";
        return false;
    }
    std::vector<std::string> problems;
    if (!plan.read(planCopy, problems)) {
        for (const std::string& problem : problems) {
            err << "vestra-batch: " << problem << "\n";
        }
        return false;
    }
    return true;
}

void CollectCommand::gather(const SweepPlan& plan, const std::string& folder,
                            std::vector<SweepResult>& results, std::vector<std::string>& missing) {
    for (const SweepRow& row : plan.rows) {
        SweepResult result;
        std::string error;
        const std::string number = "row " + std::to_string(row.number);
        const std::string path = SweepFiles::ofRow(folder, row.number, ".result.csv");
        if (!std::filesystem::exists(path)) {
            missing.push_back(number +
                              " has no result (not run yet, still running, or stopped without "
                              "one: see " +
                              SweepFiles::rowFile(row.number, ".log") + ")");
        } else if (!result.read(path, error)) {
            missing.push_back(number + ": " + error);
        } else if (!result.isRunOf(row)) {
            missing.push_back(number + ": " + path + " is a run of another row (" +
                              result.differenceFrom(row) + ")");
        } else {
            results.push_back(result);
        }
    }
}

std::string CollectCommand::table(const std::vector<SweepResult>& results) {
    std::string text =
        "row,experiment,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,status,"
        "initial_cost,best_cost,evaluations,seconds,params\n";
    for (const SweepResult& result : results) {
        const auto cost = [&](double value) {
            return result.hasFigures() ? NumberText::format("%.9g", value) : std::string();
        };
        text += std::to_string(result.row);
        for (const std::string* field :
             {&result.recordings(), &result.model, &result.metric, &result.algorithm, &result.seed,
              &result.options, &result.set, &result.metricSet, &result.algorithmSet}) {
            text += "," + csvField(*field);
        }
        text += "," + result.status + "," + cost(result.initialCost) + "," + cost(result.bestCost) +
                "," + (result.hasFigures() ? std::to_string(result.evaluations) : std::string()) +
                "," + NumberText::format("%.3f", result.seconds) + "," + csvField(result.params) +
                "\n";
    }
    return text;
}
