#include "app/LocalSweep.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "app/CommandText.h"
#include "app/ExitStatus.h"
#include "app/ReportText.h"
#include "app/RowSignals.h"
#include "app/SweepFiles.h"
#include "app/SweepLock.h"
#include "app/SweepOptions.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "core/NumberText.h"
#include "core/UsableCores.h"

namespace {

// The end of a log, enough for its last line.
std::string logTail(const std::string& path) {
    constexpr std::streamoff tailBytes = 4096;
    std::ifstream log(path, std::ios::binary | std::ios::ate);
    if (!log) {
        return std::string();
    }
    const std::streamoff size = log.tellg();
    log.seekg(std::max<std::streamoff>(0, size - tailBytes));
    return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int LocalSweep::run(const std::vector<int>& pending) {
    SweepLock lock(options.out);
    std::string error;
    if (!lock.lockSweep(error)) {
        err << "vestra-batch: " << options.out << ": " << error << "\n";
        return ExitStatus::failed;
    }
    const size_t slots = static_cast<size_t>(options.jobs == 0 ? usableCores() : options.jobs);
    out << "sweep of " << plan.path << ": " << ReportText::counted(plan.rows.size(), "row") << ", "
        << plan.rows.size() - pending.size() << " done before, " << pending.size() << " to run, "
        << std::min(slots, std::max<size_t>(pending.size(), 1)) << " at a time, into "
        << options.out << "\n"
        << std::flush;
    setenv(parentVariable, std::to_string(getpid()).c_str(), 1);
    RowSignals signals(slots);
    while ((next < pending.size() && RowSignals::received() == 0) || !running.empty()) {
        startRows(pending, slots, signals);
        if (!running.empty() && !waitForRow(signals)) {
            break;
        }
    }
    unsetenv(parentVariable);
    return report(pending);
}

void LocalSweep::startRows(const std::vector<int>& pending, std::size_t slots,
                           RowSignals& signals) {
    while (running.size() < slots && next < pending.size() && RowSignals::received() == 0) {
        if (!startRow(plan.rows[pending[next++] - 1], signals)) {
            --next;
            return;
        }
    }
}

bool LocalSweep::startRow(const SweepRow& row, RowSignals& signals) {
    // A result found after the child has ended is then surely its own.
    std::remove(SweepFiles::ofRow(options.out, row.number, ".result.csv").c_str());
    const std::vector<std::string> arguments = {
        "/proc/self/exe",           "sweep",  plan.path, "--out", options.out, "--row",
        std::to_string(row.number), "--jobs", "1"};
    std::string error;
    pid_t id = -1;
    {
        // A signal must find the row either not started or listed, never in between.
        const RowSignals::Blocked held;
        if (RowSignals::received() != 0) {
            return false;
        }
        id = ChildProcess::start(arguments, SweepFiles::ofRow(options.out, row.number, ".log"),
                                 error, true);
        if (id >= 0) {
            signals.add(id);
        }
    }
    if (id < 0) {
        recordFailure(row, error, 0.0);
        out << "row " << row.number << " failed: " << error << "\n" << std::flush;
        ++failed;
        return true;
    }
    running[id] = {&row, std::chrono::steady_clock::now()};
    return true;
}

bool LocalSweep::waitForRow(RowSignals& signals) {
    bool interrupted = false;
    const ChildProcess::Ending ending = ChildProcess::waitForAny(&interrupted);
    if (interrupted) {
        return true;  // the signal went to the rows; wait for them to end
    }
    if (ending.id < 0) {
        // Nothing left to wait for although rows are running: someone else took their ends.
        for (const auto& [id, child] : running) {
            recordFailure(*child.row, "its end could not be observed", 0.0);
            ++failed;
        }
        return false;
    }
    const auto found = running.find(ending.id);
    if (found == running.end()) {
        return true;
    }
    signals.remove(ending.id);
    const SweepRow& row = *found->second.row;
    const double seconds = secondsSince(found->second.started);
    running.erase(found);
    finishRow(row, ending, seconds);
    return true;
}

void LocalSweep::finishRow(const SweepRow& row, const ChildProcess::Ending& ending,
                           double seconds) {
    const std::string log = SweepFiles::ofRow(options.out, row.number, ".log");
    SweepResult result;
    std::string error;
    if (!result.read(SweepFiles::ofRow(options.out, row.number, ".result.csv"), error)) {
        const std::string last = ReportText::lastLine(logTail(log));
        result.status = "failed";
        result.message = "the run ended by " + ending.describe() + " without a result" +
                         (last.empty() ? std::string() : "; its last output: " + last);
        recordFailure(row, result.message, seconds);
    }
    if (result.status == "done") {
        out << "row " << row.number << " done in " << NumberText::format("%.1f", seconds)
            << " s: best cost " << NumberText::format("%.9g", result.bestCost) << "\n";
    } else {
        ++failed;
        if (result.status == "cancelled") {
            stopped.push_back(row.number);
        }
        out << "row " << row.number << " " << result.status << ": " << result.message << " (see "
            << log << ")\n";
    }
    out << std::flush;
}

void LocalSweep::recordFailure(const SweepRow& row, const std::string& message, double seconds) {
    std::string error;
    if (!SweepResult::recordFailure(row, options.out, message, seconds, error)) {
        err << "vestra-batch: " << error << "\n";
    }
}

int LocalSweep::report(const std::vector<int>& pending) const {
    if (const int signal = RowSignals::received()) {
        // The prompt comes back only now, when every row has kept what it found.
        std::vector<int> cancelled = stopped;
        std::sort(cancelled.begin(), cancelled.end());
        out << "Stopped by signal " << signal << " (" << strsignal(signal) << "): ";
        if (!cancelled.empty()) {
            out << (cancelled.size() == 1 ? "row " : "rows ") << ReportText::ranges(cancelled)
                << " cancelled, keeping the best values found; ";
        }
        out << ReportText::counted(pending.size() - next, "row")
            << " not started. Run the same command again to go on.\n";
        return ExitStatus::stoppedBy(signal);
    }
    const size_t done = plan.rows.size() - static_cast<size_t>(failed);
    out << done << " of " << plan.rows.size() << " rows done";
    if (failed > 0) {
        out << ", " << failed << " failed (run the same command again to retry them)";
    }
    out << "; merge them with: vestra-batch collect " << CommandText::of({options.out}) << "\n";
    return failed == 0 ? ExitStatus::success : ExitStatus::failed;
}
