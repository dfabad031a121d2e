#include "app/RowRun.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/CommandText.h"
#include "app/ExitStatus.h"
#include "app/HeldOutScoring.h"
#include "app/LocalSweep.h"
#include "app/ReportText.h"
#include "app/SweepFiles.h"
#include "app/SweepLock.h"
#include "app/SweepOptions.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "app/TraceFigures.h"
#include "app/commands/CalibrateCommand.h"
#include "core/NumberText.h"

namespace {

pid_t parentSweep() {
    const char* const text = std::getenv(LocalSweep::parentVariable);
    return text ? static_cast<pid_t>(std::atol(text)) : 0;
}

}  // namespace

int RowRun::run(const SweepRow& row, const SweepOptions& options) {
    if (!parentIsAlive(row)) {
        return ExitStatus::failed;
    }
    std::string error;
    SweepLock lock(options.out);
    if (!lock.lockRow(row.number, parentSweep(), error)) {
        err << "vestra-batch: " << options.out << ": " << error << "\n";
        return ExitStatus::failed;
    }
    const std::string resultPath = SweepFiles::ofRow(options.out, row.number, ".result.csv");
    SweepResult previous;
    if (previous.read(resultPath, error) && previous.status == "done") {
        out << "row " << row.number << " is already done\n";
        return ExitStatus::success;
    }
    std::remove(resultPath.c_str());
    std::string messages;
    const auto started = std::chrono::steady_clock::now();
    const int status = calibrate(row, options, messages);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return finish(row, options, status, messages, seconds);
}

bool RowRun::parentIsAlive(const SweepRow& row) const {
    const pid_t parent = parentSweep();
    if (parent == 0) {
        return true;
    }
    // A row ends with its sweep, however the sweep ended: SIGTERM cancels it as a scheduler's
    // time limit does, keeping what it found.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        err << "vestra-batch: the sweep that started row " << row.number
            << " has ended; the row was not run.\n";
        return false;
    }
    return true;
}

int RowRun::calibrate(const SweepRow& row, const SweepOptions& options, std::string& messages) {
    CalibrateRequest request = row.request;
    request.saveParams = SweepFiles::ofRow(options.out, row.number, ".prm");
    request.trace = SweepFiles::ofRow(options.out, row.number, ".trace.csv");
    request.jobs = options.jobs;
    std::vector<std::string> shown = row.calibrateArguments();
    for (const std::string& argument :
         {std::string("--save-params"), request.saveParams, std::string("--trace"), request.trace,
          std::string("--jobs"), std::to_string(request.jobs)}) {
        shown.push_back(argument);
    }
    out << "== row " << row.number << ": vestra-batch " << CommandText::of(shown) << "\n"
        << std::flush;
    std::ostringstream said;
    CalibrateCommand command(out, said, false);
    const int status = ExitStatus::guarded(said, [&] { return command.run(request); });
    messages = said.str();
    err << messages << std::flush;
    return status;
}

int RowRun::finish(const SweepRow& row, const SweepOptions& options, int status,
                   const std::string& messages, double seconds) {
    // A calibration stopped by SIGINT or SIGTERM (a scheduler's time limit) kept what it found.
    const bool cancelled =
        status == ExitStatus::stoppedBy(SIGINT) || status == ExitStatus::stoppedBy(SIGTERM);
    const bool succeeded = status == ExitStatus::success;
    SweepResult result = SweepResult::of(row, succeeded   ? "done"
                                              : cancelled ? "cancelled"
                                                          : "failed");
    result.seconds = seconds;
    TraceFigures trace;
    std::string error;
    if ((succeeded || cancelled) &&
        trace.read(SweepFiles::ofRow(options.out, row.number, ".trace.csv"), error)) {
        result.initialCost = trace.initialCost;
        result.bestCost = trace.bestCost;
        result.evaluations = trace.evaluations;
        result.params = SweepFiles::rowFile(row.number, ".prm");
        if (cancelled) {
            result.message = "stopped by signal " + std::to_string(status - 128) + " after " +
                             std::to_string(result.evaluations) + " evaluations";
        }
    } else {
        result.status = "failed";
        result.message = succeeded ? error : ReportText::lastLine(messages);
    }
    if (result.status == "done" && !row.heldOut.empty()) {
        scoreHeldOut(row, options, result);
    }
    if (!result.write(SweepFiles::ofRow(options.out, row.number, ".result.csv"), error)) {
        err << "vestra-batch: " << error << "\n";
        return ExitStatus::failed;
    }
    if (result.status == "done") {
        out << "row " << row.number << " done in " << NumberText::format("%.1f", result.seconds)
            << " s: cost " << NumberText::format("%.9g", result.initialCost) << " -> "
            << NumberText::format("%.9g", result.bestCost) << " after " << result.evaluations
            << " evaluations\n";
        return ExitStatus::success;
    }
    out << "row " << row.number << " " << result.status << ": " << result.message << "\n";
    return cancelled ? status : ExitStatus::failed;
}

void RowRun::scoreHeldOut(const SweepRow& row, const SweepOptions& options, SweepResult& result) {
    std::ostringstream said;
    HeldOutScoring scoring(said);
    HeldOutScores scores;
    const int status = ExitStatus::guarded(said, [&] {
        return scoring.score(row, SweepFiles::ofRow(options.out, row.number, ".prm"), scores,
                             result.heldOutPaired)
                   ? ExitStatus::success
                   : ExitStatus::failed;
    });
    err << said.str() << std::flush;
    if (status != ExitStatus::success) {
        result.status = "failed";
        result.message =
            "the held-out recording was not scored: " + ReportText::lastLine(said.str());
        return;
    }
    result.heldOutScores = scores;
    const auto line = [&](const std::string& metric, const HeldOutScores& by) {
        out << "held out " << row.heldOutSource.file << ", " << metric << ": fitted "
            << NumberText::format("%.9g", by.fitted) << ", defaults "
            << NumberText::format("%.9g", by.defaults) << ", " << HeldOutScoring::baselineModel
            << " " << NumberText::format("%.9g", by.constantVelocity) << "\n";
    };
    line(row.metric, scores);
    if (result.heldOutPaired) {
        line(HeldOutScoring::pairedMetric(row.metric), *result.heldOutPaired);
    }
}
