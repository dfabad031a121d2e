#include "app/SweepCommand.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>

#include "app/BatchOptions.h"
#include "app/BatchTool.h"
#include "app/ChildProcess.h"
#include "app/CsvReader.h"
#include "app/RowSignals.h"
#include "app/SweepChecker.h"
#include "app/SweepLock.h"
#include "app/SweepOptions.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "app/SweepSummary.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "core/UsableCores.h"

namespace {

/// Names the sweep that started a row process, so that the row may run in that sweep's folder
/// and ends when the sweep dies.
const char* const parentVariable = "VESTRA_SWEEP_PARENT";

constexpr int success = 0;
constexpr int failedOrUnusable = 1;
constexpr int usageError = 2;

const char* const planCopyName = "plan.csv";
const char* const resultsName = "results.csv";
const char* const jobScriptName = "sweep.sbatch";
const char* const jobsName = "sweep.jobs";

// "1 row", "3 rows".
std::string counted(size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int coreCount() {
    return usableCores();
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Quotes only what a shell would split, so that logs show plain commands plainly.
std::string commandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        const bool plain =
            !argument.empty() && argument.find_first_not_of(
                                     "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQ"
                                     "RSTUVWXYZ0123456789_-./=:,+%@") == std::string::npos;
        line += (line.empty() ? "" : " ") + (plain ? argument : shellQuoted(argument));
    }
    return line;
}

std::string absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// The last line that holds anything, without the tool's own prefix. A progress display ends its
// lines with a carriage return, so that counts as a line end too.
std::string lastLine(const std::string& text) {
    const size_t end = text.find_last_not_of(" \r\n");
    if (end == std::string::npos) {
        return std::string();
    }
    const size_t before = text.find_last_of("\r\n", end);
    const size_t start = text.find_first_not_of(' ', before == std::string::npos ? 0 : before + 1);
    const std::string line = text.substr(start, end - start + 1);
    const std::string prefix = "vestra-batch: ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

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

// The first cost, the last cost (the calibrated one: every algorithm ends with one evaluation
// of the best values) and the number of evaluations of a trace file.
bool readTrace(const std::string& path, SweepResult& result, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Cannot open the trace \"" + path + "\".";
        return false;
    }
    CsvReader reader{
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
    std::vector<std::string> fields;
    reader.next(fields);  // the header
    result.evaluations = 0;
    while (reader.next(fields)) {
        if (fields.size() != 3) {
            error = path + " line " + std::to_string(reader.line()) + " is not a trace row.";
            return false;
        }
        const double cost = NumberText::toDouble(fields[1].c_str());
        if (result.evaluations == 0) {
            result.initialCost = cost;
        }
        result.bestCost = cost;
        ++result.evaluations;
    }
    if (!reader.error().empty() || result.evaluations == 0) {
        error = path + " holds no evaluations.";
        return false;
    }
    return true;
}

// "1-3,5,7-8" for rows 1, 2, 3, 5, 7, 8.
std::string arrayRanges(const std::vector<int>& rows) {
    std::string ranges;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        ranges += (ranges.empty() ? "" : ",") + std::to_string(rows[i]) +
                  (j > i ? "-" + std::to_string(rows[j]) : std::string());
        i = j + 1;
    }
    return ranges;
}

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

int SweepCommand::run(const std::vector<std::string>& arguments) {
    SweepOptions options;
    std::string error;
    if (!parseSweepOptions(arguments, options, error)) {
        err << "vestra-batch: " << error << "\n" << batchUsage();
        return usageError;
    }
    return options.command == "collect" ? collect(options.out) : sweep(options);
}

int SweepCommand::sweep(const SweepOptions& options) {
    SweepPlan plan;
    std::vector<std::string> problems;
    bool usable = plan.read(options.plan, problems);
    for (const std::string& problem : problems) {
        err << "vestra-batch: " << problem << "\n";
    }
    if (plan.rows.empty()) {
        recordRefusedRow(options, plan, problems.empty() ? "the plan has no rows" : problems[0]);
        return usageError;
    }
    if (options.row > static_cast<int>(plan.rows.size())) {
        err << "vestra-batch: --row " << options.row << " is not in " << plan.path << ", which has "
            << counted(plan.rows.size(), "row") << ".\n";
        return usageError;
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
        return usageError;
    }
    std::error_code folderError;
    std::filesystem::create_directories(options.out, folderError);
    if (folderError) {
        err << "vestra-batch: Cannot make the folder \"" << options.out
            << "\": " << folderError.message() << ".\n";
        return failedOrUnusable;
    }
    std::vector<int> pending;
    if (!findPending(plan, options.out, options.row, pending)) {
        return usageError;
    }
    // Nothing is written when nothing is left to run, so a finished sweep in a folder that has
    // since become read-only says so instead of failing on its plan's copy.
    if (pending.empty() && options.row == 0) {
        out << "Every row of " << plan.path << " is done in " << options.out
            << "; nothing to run. Merge them with: vestra-batch collect "
            << commandLine({options.out}) << "\n";
        return success;
    }
    // Tasks of one sweep write the same copy; each rename is whole, so any of them may win.
    const std::string planCopy = SweepFiles::in(options.out, planCopyName);
    std::string error;
    if ((options.row == 0 || !std::filesystem::exists(planCopy)) &&
        !copyFile(plan.path, planCopy, error)) {
        err << "vestra-batch: " << error << "\n";
        return failedOrUnusable;
    }
    if (options.row != 0) {
        return runRow(plan.rows[options.row - 1], options);
    }
    return options.slurm ? writeSlurmJob(plan, pending, options)
                         : runLocally(plan, pending, options);
}

bool SweepCommand::findPending(const SweepPlan& plan, const std::string& folder, int only,
                               std::vector<int>& pending) {
    bool consistent = true;
    for (const SweepRow& row : plan.rows) {
        if (only != 0 && row.number != only) {
            continue;
        }
        const std::string path =
            SweepFiles::in(folder, SweepFiles::rowFile(row.number, ".result.csv"));
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

int SweepCommand::runRow(const SweepRow& row, const SweepOptions& options) {
    std::string error;
    const char* const parentText = std::getenv(parentVariable);
    const pid_t parent = parentText ? static_cast<pid_t>(std::atol(parentText)) : 0;
    if (parent != 0) {
        // A row ends with its sweep, however the sweep ended: SIGTERM cancels it as a
        // scheduler's time limit does, keeping what it found.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            err << "vestra-batch: the sweep that started row " << row.number
                << " has ended; the row was not run.\n";
            return failedOrUnusable;
        }
    }
    SweepLock lock(options.out);
    if (!lock.lockRow(row.number, parent, error)) {
        err << "vestra-batch: " << options.out << ": " << error << "\n";
        return failedOrUnusable;
    }
    const std::string resultPath =
        SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".result.csv"));
    SweepResult previous;
    if (previous.read(resultPath, error) && previous.status == "done") {
        out << "row " << row.number << " is already done\n";
        return success;
    }
    std::remove(resultPath.c_str());
    const std::string params = SweepFiles::rowFile(row.number, ".prm");
    std::vector<std::string> arguments = row.calibrateArguments();
    for (const std::string& argument :
         {std::string("--save-params"), SweepFiles::in(options.out, params), std::string("--trace"),
          SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".trace.csv")),
          std::string("--jobs"), std::to_string(options.jobs)}) {
        arguments.push_back(argument);
    }
    out << "== row " << row.number << ": vestra-batch " << commandLine(arguments) << "\n"
        << std::flush;

    std::ostringstream messages;
    const auto started = std::chrono::steady_clock::now();
    const int status = BatchTool(out, messages, false).run(arguments);
    err << messages.str() << std::flush;
    // A calibration stopped by SIGINT or SIGTERM (a scheduler's time limit) kept what it found.
    const bool cancelled = status == 128 + SIGINT || status == 128 + SIGTERM;
    SweepResult result = SweepResult::of(row, status == success ? "done"
                                              : cancelled       ? "cancelled"
                                                                : "failed");
    result.seconds = secondsSince(started);
    if ((status == success || cancelled) &&
        readTrace(SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".trace.csv")),
                  result, error)) {
        result.params = params;
        if (cancelled) {
            result.message = "stopped by signal " + std::to_string(status - 128) + " after " +
                             std::to_string(result.evaluations) + " evaluations";
        }
    } else {
        result.status = "failed";
        result.message = status == success ? error : lastLine(messages.str());
    }
    if (!result.write(resultPath, error)) {
        err << "vestra-batch: " << error << "\n";
        return failedOrUnusable;
    }
    if (result.status == "done") {
        out << "row " << row.number << " done in " << NumberText::format("%.1f", result.seconds)
            << " s: cost " << NumberText::format("%.9g", result.initialCost) << " -> "
            << NumberText::format("%.9g", result.bestCost) << " after " << result.evaluations
            << " evaluations\n";
        return success;
    }
    out << "row " << row.number << " " << result.status << ": " << result.message << "\n";
    return cancelled ? status : failedOrUnusable;
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
        copy.read(SweepFiles::in(options.out, planCopyName), ignored);
        source = &copy;
    }
    if (static_cast<int>(source->rows.size()) >= options.row &&
        std::filesystem::is_directory(options.out)) {
        recordFailure(source->rows[static_cast<size_t>(options.row) - 1], options.out, message,
                      0.0);
    }
}

void SweepCommand::recordFailure(const SweepRow& row, const std::string& folder,
                                 const std::string& message, double seconds) {
    SweepResult result = SweepResult::of(row, "failed");
    result.message = message;
    result.seconds = seconds;
    std::string error;
    if (!result.write(SweepFiles::in(folder, SweepFiles::rowFile(row.number, ".result.csv")),
                      error)) {
        err << "vestra-batch: " << error << "\n";
    }
}

int SweepCommand::runLocally(const SweepPlan& plan, const std::vector<int>& pending,
                             const SweepOptions& options) {
    SweepLock lock(options.out);
    std::string error;
    if (!lock.lockSweep(error)) {
        err << "vestra-batch: " << options.out << ": " << error << "\n";
        return failedOrUnusable;
    }
    const size_t slots = static_cast<size_t>(options.jobs == 0 ? coreCount() : options.jobs);
    out << "sweep of " << plan.path << ": " << counted(plan.rows.size(), "row") << ", "
        << plan.rows.size() - pending.size() << " done before, " << pending.size() << " to run, "
        << std::min(slots, std::max<size_t>(pending.size(), 1)) << " at a time, into "
        << options.out << "\n"
        << std::flush;
    // Rows learn their parent from the environment: they may run in its folder, and end when
    // it dies.
    setenv(parentVariable, std::to_string(getpid()).c_str(), 1);

    struct Running {
        const SweepRow* row;
        std::chrono::steady_clock::time_point started;
    };
    std::map<pid_t, Running> running;
    RowSignals signals(slots);
    size_t next = 0;
    int failed = 0;
    std::vector<int> stopped;
    while ((next < pending.size() && RowSignals::received() == 0) || !running.empty()) {
        while (running.size() < slots && next < pending.size() && RowSignals::received() == 0) {
            const SweepRow& row = plan.rows[pending[next++] - 1];
            const std::string resultPath =
                SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".result.csv"));
            // A result found after the child has ended is then surely its own.
            std::remove(resultPath.c_str());
            // A child of this very executable, so that a crash or the memory killer ends one
            // row only.
            const std::vector<std::string> arguments = {
                "/proc/self/exe",           "sweep",  plan.path, "--out", options.out, "--row",
                std::to_string(row.number), "--jobs", "1"};
            pid_t id = -1;
            {
                // A signal must find the row either not started or listed, never in between.
                const RowSignals::Blocked held;
                if (RowSignals::received() != 0) {
                    --next;
                    break;
                }
                id = ChildProcess::start(
                    arguments, SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".log")),
                    error, true);
                if (id >= 0) {
                    signals.add(id);
                }
            }
            if (id < 0) {
                recordFailure(row, options.out, error, 0.0);
                out << "row " << row.number << " failed: " << error << "\n" << std::flush;
                ++failed;
                continue;
            }
            running[id] = {&row, std::chrono::steady_clock::now()};
        }
        if (running.empty()) {
            continue;
        }
        bool interrupted = false;
        const ChildProcess::Ending ending = ChildProcess::waitForAny(&interrupted);
        if (interrupted) {
            continue;  // the signal went to the rows; wait for them to end
        }
        if (ending.id < 0) {
            // Nothing left to wait for although rows are running: someone else took their ends.
            for (const auto& [id, child] : running) {
                recordFailure(*child.row, options.out, "its end could not be observed", 0.0);
                ++failed;
            }
            break;
        }
        const auto found = running.find(ending.id);
        if (found == running.end()) {
            continue;
        }
        signals.remove(ending.id);
        const SweepRow& row = *found->second.row;
        const double seconds = secondsSince(found->second.started);
        running.erase(found);
        const std::string log =
            SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".log"));
        SweepResult result;
        if (!result.read(
                SweepFiles::in(options.out, SweepFiles::rowFile(row.number, ".result.csv")),
                error)) {
            const std::string last = lastLine(logTail(log));
            result.status = "failed";
            result.message = "the run ended by " + ending.describe() + " without a result" +
                             (last.empty() ? std::string() : "; its last output: " + last);
            recordFailure(row, options.out, result.message, seconds);
        }
        if (result.status == "done") {
            out << "row " << row.number << " done in " << NumberText::format("%.1f", seconds)
                << " s: best cost " << NumberText::format("%.9g", result.bestCost) << "\n";
        } else {
            ++failed;
            if (result.status == "cancelled") {
                stopped.push_back(row.number);
            }
            out << "row " << row.number << " " << result.status << ": " << result.message
                << " (see " << log << ")\n";
        }
        out << std::flush;
    }
    unsetenv(parentVariable);
    if (const int signal = RowSignals::received()) {
        // The prompt comes back only now, when every row has kept what it found.
        const size_t notStarted = pending.size() - next;
        out << "Stopped by signal " << signal << " (" << strsignal(signal) << "): ";
        if (!stopped.empty()) {
            std::sort(stopped.begin(), stopped.end());
            out << (stopped.size() == 1 ? "row " : "rows ") << arrayRanges(stopped)
                << " cancelled, keeping the best values found; ";
        }
        out << counted(notStarted, "row") << " not started. Run the same command again to go "
            << "on.\n";
        return 128 + signal;
    }
    const size_t done = plan.rows.size() - static_cast<size_t>(failed);
    out << done << " of " << plan.rows.size() << " rows done";
    if (failed > 0) {
        out << ", " << failed << " failed (run the same command again to retry them)";
    }
    out << "; merge them with: vestra-batch collect " << commandLine({options.out}) << "\n";
    return failed == 0 ? success : failedOrUnusable;
}

int SweepCommand::writeSlurmJob(const SweepPlan& plan, const std::vector<int>& pending,
                                const SweepOptions& options) {
    char executable[4096];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length <= 0) {
        err << "vestra-batch: cannot find this program's own path.\n";
        return failedOrUnusable;
    }
    const std::string program(executable, static_cast<size_t>(length));
    const std::string folder = absolute(options.out);
    // sbatch splits its #SBATCH lines at blanks and expands % in file names.
    if (folder.find_first_of(" \t\n\"'%\\") != std::string::npos) {
        err << "vestra-batch: --slurm needs an --out folder whose path has no blanks, quotes or "
               "%, got \""
            << folder << "\".\n";
        return usageError;
    }
    if (options.submit && !options.force && !queueIsClear(folder)) {
        return failedOrUnusable;
    }
    // A cluster takes arrays of at most MaxArraySize tasks, numbered from 0; the rows are
    // listed in the script, so that any row number fits and the pending rows fill the arrays.
    const size_t largest = static_cast<size_t>(maxArraySize());
    std::vector<std::string> scripts;
    for (size_t first = 0; first < pending.size(); first += largest) {
        const std::vector<int> rows(pending.begin() + static_cast<std::ptrdiff_t>(first),
                                    pending.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                          pending.size(), first + largest)));
        std::string list;
        for (const int row : rows) {
            list += (list.empty() ? "" : " ") + std::to_string(row);
        }
        std::string script = "#!/bin/bash\n";
        script += "# Written by vestra-batch: one array task per unfinished row of " +
                  absolute(plan.path) + " (rows " + arrayRanges(rows) + ").\n";
        script += "#SBATCH --job-name=vestra-sweep\n";
        script += "#SBATCH --array=0-" + std::to_string(rows.size() - 1) +
                  (options.maxRunning > 0 ? "%" + std::to_string(options.maxRunning) : "") + "\n";
        script += "#SBATCH --ntasks=1\n";
        script += "#SBATCH --cpus-per-task=" + std::to_string(options.cpusPerTask) + "\n";
        if (!options.partition.empty()) {
            script += "#SBATCH --partition=" + options.partition + "\n";
        }
        if (!options.time.empty()) {
            script += "#SBATCH --time=" + options.time + "\n";
        }
        script += "#SBATCH --chdir=" + folder + "\n";
        // What the scheduler itself says about a task goes here; a row's own output goes to its
        // log, which a row that runs again (after a failure) adds to.
        script += "#SBATCH --output=" + folder + "/slurm-%A.out\n";
        script += "#SBATCH --open-mode=append\n";
        script += "rows=(" + list + ")\n";
        script += "row=${rows[$SLURM_ARRAY_TASK_ID]}\n";
        script += "exec " +
                  commandLine({program, "sweep", absolute(plan.path), "--out", folder, "--row"}) +
                  " \"$row\" --jobs " + std::to_string(options.cpusPerTask) + " >>" + folder +
                  "/row-\"$row\".log 2>&1\n";

        const std::string scriptPath =
            SweepFiles::in(folder, pending.size() <= largest
                                       ? std::string(jobScriptName)
                                       : "sweep-" + std::to_string(scripts.size() + 1) + ".sbatch");
        AtomicFile file(scriptPath);
        if (std::FILE* f = file.stream()) {
            std::fputs(script.c_str(), f);
        }
        if (!file.commit()) {
            err << "vestra-batch: " << file.errorMessage() << "\n";
            return failedOrUnusable;
        }
        out << "Wrote " << scriptPath << ": an array job of " << counted(rows.size(), "task")
            << " (rows " << arrayRanges(rows) << ")\n";
        scripts.push_back(scriptPath);
    }
    for (const std::string& script : scripts) {
        out << "sbatch " << commandLine({script}) << "\n";
    }
    out << std::flush;
    if (!options.submit) {
        return success;
    }
    std::vector<std::string> ids;
    int status = success;
    for (const std::string& script : scripts) {
        std::string output;
        std::string error;
        ChildProcess::Ending ending;
        if (!ChildProcess::run({"sbatch", "--parsable", script}, output, ending, error)) {
            err << "vestra-batch: " << error << "\n";
            status = failedOrUnusable;
            break;
        }
        // --parsable prints "ID" or "ID;CLUSTER" as its last line.
        const std::string last = lastLine(output);
        const std::string id = last.substr(0, last.find(';'));
        if (ending.exitStatus != 0 || id.empty() ||
            id.find_first_not_of("0123456789") != std::string::npos) {
            err << "vestra-batch: sbatch failed (" << ending.describe() << "): " << output
                << (output.empty() || output.back() == '\n' ? "" : "\n");
            status = failedOrUnusable;
            break;
        }
        ids.push_back(id);
    }
    // The jobs that were queued are remembered, so that a second --submit can see them.
    std::string jobs;
    for (const std::string& id : ids) {
        jobs += id + "\n";
    }
    AtomicFile record(SweepFiles::in(folder, jobsName));
    if (std::FILE* f = record.stream()) {
        std::fputs(jobs.c_str(), f);
    }
    if (!ids.empty() && !record.commit()) {
        err << "vestra-batch: " << record.errorMessage() << "\n";
        status = failedOrUnusable;
    }
    if (!ids.empty()) {
        std::string list;
        for (size_t i = 0; i < ids.size(); ++i) {
            list += (i == 0 ? "" : i + 1 == ids.size() ? " and " : ", ") + ids[i];
        }
        out << "Submitted job" << (ids.size() == 1 ? " " : "s ") << list
            << "; when they have finished: vestra-batch collect " << commandLine({folder}) << "\n";
    }
    return status;
}

int SweepCommand::maxArraySize() {
    constexpr int slurmDefault = 1001;
    std::string output;
    std::string error;
    ChildProcess::Ending ending;
    if (!ChildProcess::run({"scontrol", "show", "config"}, output, ending, error) ||
        ending.exitStatus != 0) {
        return slurmDefault;
    }
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, equals, value;
        words >> name >> equals >> value;
        if (name == "MaxArraySize" && equals == "=" && NumberText::isCompleteInt(value) &&
            std::atoi(value.c_str()) >= 1) {
            return std::atoi(value.c_str());
        }
    }
    return slurmDefault;
}

bool SweepCommand::queueIsClear(const std::string& folder) {
    std::ifstream file(SweepFiles::in(folder, jobsName));
    for (std::string id; std::getline(file, id);) {
        if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string output;
        std::string error;
        ChildProcess::Ending ending;
        const bool asked = ChildProcess::run(
            {"squeue", "--noheader", "--jobs=" + id, "--format=%T"}, output, ending, error);
        if (!asked) {
            err << "vestra-batch: cannot ask squeue whether job " << id << " of " << folder
                << " is still queued: " << error << " Give --force to submit anyway.\n";
            return false;
        }
        // A job the scheduler no longer knows ("Invalid job id") has ended long ago.
        if (ending.exitStatus == 0 && output.find_first_not_of(" \n") != std::string::npos) {
            err << "vestra-batch: job " << id << " of " << folder << " is still in the queue ("
                << lastLine(output) << "); its rows would run twice. Wait for it, cancel it "
                << "(scancel " << id << "), or give --force to submit anyway.\n";
            return false;
        }
    }
    return true;
}

int SweepCommand::collect(const std::string& folder) {
    SweepPlan plan;
    std::vector<std::string> problems;
    const std::string planCopy = SweepFiles::in(folder, planCopyName);
    if (!std::filesystem::exists(planCopy)) {
        err << "vestra-batch: " << folder << " holds no sweep (it has no " << planCopyName
            << ").\n";
        return failedOrUnusable;
    }
    if (!plan.read(planCopy, problems)) {
        for (const std::string& problem : problems) {
            err << "vestra-batch: " << problem << "\n";
        }
        return failedOrUnusable;
    }
    std::vector<SweepResult> results;
    std::vector<std::string> missing;
    for (const SweepRow& row : plan.rows) {
        SweepResult result;
        std::string error;
        const std::string path =
            SweepFiles::in(folder, SweepFiles::rowFile(row.number, ".result.csv"));
        if (!std::filesystem::exists(path)) {
            missing.push_back("row " + std::to_string(row.number) +
                              " has no result (not run yet, still running, or stopped without "
                              "one: see " +
                              SweepFiles::rowFile(row.number, ".log") + ")");
        } else if (!result.read(path, error)) {
            missing.push_back("row " + std::to_string(row.number) + ": " + error);
        } else if (!result.isRunOf(row)) {
            missing.push_back("row " + std::to_string(row.number) + ": " + path +
                              " is a run of another row (" + result.differenceFrom(row) + ")");
        } else {
            results.push_back(result);
        }
    }

    std::string table =
        "row,experiment,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,status,"
        "initial_cost,best_cost,evaluations,seconds,params\n";
    int done = 0;
    for (const SweepResult& result : results) {
        done += result.status == "done" ? 1 : 0;
        const auto cost = [&](double value) {
            return result.hasFigures() ? NumberText::format("%.9g", value) : std::string();
        };
        table += std::to_string(result.row);
        for (const std::string* field :
             {&result.experiment, &result.model, &result.metric, &result.algorithm, &result.seed,
              &result.options, &result.set, &result.metricSet, &result.algorithmSet}) {
            table += "," + csvField(*field);
        }
        table += "," + result.status + "," + cost(result.initialCost) + "," +
                 cost(result.bestCost) + "," +
                 (result.hasFigures() ? std::to_string(result.evaluations) : std::string()) + "," +
                 NumberText::format("%.3f", result.seconds) + "," + csvField(result.params) + "\n";
    }
    const std::string resultsPath = SweepFiles::in(folder, resultsName);
    AtomicFile file(resultsPath);
    if (std::FILE* f = file.stream()) {
        std::fputs(table.c_str(), f);
    }
    // A folder that cannot take the table (read-only, full) still gets its summary printed.
    const bool written = file.commit();
    if (written) {
        out << "Wrote " << resultsPath << ": ";
    } else {
        err << "vestra-batch: " << file.errorMessage() << " Its rows follow on standard output "
            << "instead.\n";
    }
    out << done << " of " << plan.rows.size() << " rows done\n\n";
    SweepSummary::of(results).print(out);
    if (!written) {
        out << "\n" << table;
    }
    bool complete = missing.empty() && written;
    for (const SweepResult& result : results) {
        if (result.status != "done") {
            out << "row " << result.row << " " << result.status << ": " << result.message << "\n";
            complete = false;
        }
    }
    for (const std::string& line : missing) {
        out << line << "\n";
    }
    return complete ? success : failedOrUnusable;
}
