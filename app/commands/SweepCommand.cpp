#include "app/commands/SweepCommand.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "app/CommandText.h"
#include "app/ExitStatus.h"
#include "app/LocalSweep.h"
#include "app/ReportText.h"
#include "app/RowRun.h"
#include "app/SlurmJob.h"
#include "app/SweepChecker.h"
#include "app/SweepFiles.h"
#include "app/SweepOptions.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "core/AtomicFile.h"

namespace {

bool copyFile(const std::string& from, const std::string& to, std::string& error) {
    std::ifstream in(from, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    AtomicFile file(to);
    if (std::FILE* f = file.stream()) {
        std::fwrite(content.data(), 1, content.size(), f);
    }
    if (!in.is_open() || in.bad() || !file.commit()) {
        error = in.is_open() && !in.bad() ? file.errorMessage() : "Cannot read \"" + from + "\".";
        return false;
    }
    return true;
}

}  // namespace

int SweepCommand::run(const SweepOptions& options) {
    SweepPlan plan;
    if (const int status = readAndCheck(options, plan); status != ExitStatus::success) {
        return status;
    }
    if (!SweepFiles::makeFolder(options.out, err)) {
        return ExitStatus::failed;
    }
    std::vector<int> pending;
    if (!findPending(plan, options.out, options.row, pending)) {
        return ExitStatus::usage;
    }
    // Nothing is written when nothing is left to run, so a finished sweep in a folder that has
    // since become read-only says so instead of failing on its plan's copy.
    if (pending.empty() && options.row == 0) {
        out << "Every row of " << plan.path << " is done in " << options.out
            << "; nothing to run. Merge them with: vestra-batch collect "
            << CommandText::of({options.out}) << "\n";
        return ExitStatus::success;
    }
    if (!copyPlan(options, plan)) {
        return ExitStatus::failed;
    }
    if (options.row != 0) {
        return RowRun(out, err).run(plan.rows[options.row - 1], options);
    }
    return options.slurm ? SlurmJob(out, err).write(plan, pending, options)
                         : LocalSweep(out, err, plan, options).run(pending);
}

int SweepCommand::readAndCheck(const SweepOptions& options, SweepPlan& plan) {
    std::vector<std::string> problems;
    bool usable = plan.read(options.plan, problems);
    for (const std::string& problem : problems) {
        err << "vestra-batch: " << problem << "\n";
    }
    if (plan.rows.empty()) {
        recordRefusedRow(options, plan, problems.empty() ? "the plan has no rows" : problems[0]);
        return ExitStatus::usage;
    }
    if (options.row > static_cast<int>(plan.rows.size())) {
        err << "vestra-batch: --row " << options.row << " is not in " << plan.path << ", which has "
            << ReportText::counted(plan.rows.size(), "row") << ".\n";
        return ExitStatus::usage;
    }
    // A cluster task checks its own row only; every other row is its own task's business.
    SweepChecker checker;
    for (const SweepRow& row : plan.rows) {
        std::string error;
        if ((options.row == 0 || row.number == options.row) && row.wellFormed &&
            !checker.check(row, error)) {
            err << "vestra-batch: " << error << "\n";
            problems.push_back(error);
            usable = false;
        }
    }
    if (!usable) {
        recordRefusedRow(options, plan, problems.back());
        return ExitStatus::usage;
    }
    return ExitStatus::success;
}

bool SweepCommand::copyPlan(const SweepOptions& options, const SweepPlan& plan) {
    // Tasks of one sweep write the same copy; each rename is whole, so any of them may win.
    const std::string planCopy = SweepFiles::in(options.out, SweepFiles::planCopy);
    std::string error;
    if ((options.row == 0 || !std::filesystem::exists(planCopy)) &&
        !copyFile(plan.path, planCopy, error)) {
        err << "vestra-batch: " << error << "\n";
        return false;
    }
    return true;
}

bool SweepCommand::findPending(const SweepPlan& plan, const std::string& folder, int only,
                               std::vector<int>& pending) {
    bool consistent = true;
    for (const SweepRow& row : plan.rows) {
        if (only != 0 && row.number != only) {
            continue;
        }
        const std::string path = SweepFiles::ofRow(folder, row.number, ".result.csv");
        SweepResult result;
        std::string ignored;
        if (!result.read(path, ignored) || result.status != "done") {
            pending.push_back(row.number);
        } else if (!result.isRunOf(row)) {
            err << "vestra-batch: " << row.where << path << " is a finished run of another row ("
                << result.differenceFrom(row)
                << "); use another --out folder or remove that row's files.\n";
            consistent = false;
        }
    }
    return consistent;
}

void SweepCommand::recordRefusedRow(const SweepOptions& options, const SweepPlan& plan,
                                    const std::string& message) {
    if (options.row == 0) {
        return;
    }
    // A cluster task that cannot use its plan (changed or removed since it was submitted) still
    // leaves a result, naming the row as the sweep's own copy of the plan states it.
    SweepPlan copy;
    std::vector<std::string> ignored;
    const SweepPlan* source = &plan;
    if (static_cast<int>(plan.rows.size()) < options.row) {
        copy.read(SweepFiles::in(options.out, SweepFiles::planCopy), ignored);
        source = &copy;
    }
    std::string error;
    if (static_cast<int>(source->rows.size()) >= options.row &&
        std::filesystem::is_directory(options.out) &&
        !SweepResult::recordFailure(source->rows[static_cast<size_t>(options.row) - 1], options.out,
                                    message, 0.0, error)) {
        err << "vestra-batch: " << error << "\n";
    }
}
