#include "app/SlurmJob.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/ChildProcess.h"
#include "app/CommandText.h"
#include "app/ExitStatus.h"
#include "app/ReportText.h"
#include "app/SweepFiles.h"
#include "app/SweepOptions.h"
#include "app/SweepPlan.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"

namespace {

std::string absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    return AtomicFile::replaceWith(path, text, error);
}

bool isJobId(const std::string& id) {
    return !id.empty() && id.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int SlurmJob::write(const SweepPlan& plan, const std::vector<int>& pending,
                    const SweepOptions& options) {
    char executable[4096];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length <= 0) {
        err << "vestra-batch: cannot find this program's own path.\n";
        return ExitStatus::failed;
    }
    const std::string program(executable, static_cast<size_t>(length));
    const std::string folder = absolute(options.out);
    // sbatch splits its #SBATCH lines at blanks and expands % in file names.
    if (folder.find_first_of(" \t\n\"'%\\") != std::string::npos) {
        err << "vestra-batch: --slurm needs an --out folder whose path has no blanks, quotes or "
               "%, got \""
            << folder << "\".\n";
        return ExitStatus::usage;
    }
    if (options.submit && !options.force && !queueIsClear(folder)) {
        return ExitStatus::failed;
    }
    std::vector<std::string> scripts;
    if (!writeScripts(plan, pending, options, program, folder, scripts)) {
        return ExitStatus::failed;
    }
    return options.submit ? submit(scripts, folder) : ExitStatus::success;
}

std::string SlurmJob::script(const std::vector<int>& rows, const std::string& program,
                             const std::string& plan, const std::string& folder,
                             const SweepOptions& options) {
    std::string list;
    for (const int row : rows) {
        list += (list.empty() ? "" : " ") + std::to_string(row);
    }
    std::string text = "#!/bin/bash\n";
    text += "# Written by vestra-batch: one array task per unfinished row of " + plan + " (rows " +
            ReportText::ranges(rows) + ").\n";
    text += "#SBATCH --job-name=vestra-sweep\n";
    text += "#SBATCH --array=0-" + std::to_string(rows.size() - 1) +
            (options.maxRunning > 0 ? "%" + std::to_string(options.maxRunning) : "") + "\n";
    text += "#SBATCH --ntasks=1\n";
    text += "#SBATCH --cpus-per-task=" + std::to_string(options.cpusPerTask) + "\n";
    if (!options.partition.empty()) {
        text += "#SBATCH --partition=" + options.partition + "\n";
    }
    if (!options.time.empty()) {
        text += "#SBATCH --time=" + options.time + "\n";
    }
    text += "#SBATCH --chdir=" + folder + "\n";
    // What the scheduler itself says about a task goes here; a row's own output goes to its
    // log, which a row that runs again (after a failure) adds to.
    text += "#SBATCH --output=" + folder + "/slurm-%A.out\n";
    text += "#SBATCH --open-mode=append\n";
    text += "rows=(" + list + ")\n";
    text += "row=${rows[$SLURM_ARRAY_TASK_ID]}\n";
    text += "exec " + CommandText::of({program, "sweep", plan, "--out", folder, "--row"}) +
            " \"$row\" --jobs " + std::to_string(options.cpusPerTask) + " >>" + folder +
            "/row-\"$row\".log 2>&1\n";
    return text;
}

bool SlurmJob::writeScripts(const SweepPlan& plan, const std::vector<int>& pending,
                            const SweepOptions& options, const std::string& program,
                            const std::string& folder, std::vector<std::string>& scripts) {
    // A cluster takes arrays of at most MaxArraySize tasks, numbered from 0; the rows are
    // listed in the script, so that any row number fits and the pending rows fill the arrays.
    const size_t largest = static_cast<size_t>(maxArraySize());
    for (size_t first = 0; first < pending.size(); first += largest) {
        const std::vector<int> rows(pending.begin() + static_cast<std::ptrdiff_t>(first),
                                    pending.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                          pending.size(), first + largest)));
        const std::string path =
            SweepFiles::in(folder, pending.size() <= largest
                                       ? std::string(SweepFiles::jobScript)
                                       : "sweep-" + std::to_string(scripts.size() + 1) + ".sbatch");
        std::string error;
        if (!writeText(path, script(rows, program, absolute(plan.path), folder, options), error)) {
            err << "vestra-batch: " << error << "\n";
            return false;
        }
        out << "Wrote " << path << ": an array job of " << ReportText::counted(rows.size(), "task")
            << " (rows " << ReportText::ranges(rows) << ")\n";
        scripts.push_back(path);
    }
    for (const std::string& path : scripts) {
        out << "sbatch " << CommandText::of({path}) << "\n";
    }
    out << std::flush;
    return true;
}

int SlurmJob::submit(const std::vector<std::string>& scripts, const std::string& folder) {
    std::vector<std::string> ids;
    for (const std::string& script : scripts) {
        const std::string id = submitOne(script);
        if (id.empty()) {
            break;
        }
        ids.push_back(id);
    }
    int status = ids.size() == scripts.size() ? ExitStatus::success : ExitStatus::failed;
    if (ids.empty()) {
        return status;
    }
    // The jobs that were queued are remembered, so that a second --submit can see them.
    std::string jobs;
    std::string list;
    for (size_t i = 0; i < ids.size(); ++i) {
        jobs += ids[i] + "\n";
        list += (i == 0 ? "" : i + 1 == ids.size() ? " and " : ", ") + ids[i];
    }
    std::string error;
    if (!writeText(SweepFiles::in(folder, SweepFiles::jobs), jobs, error)) {
        err << "vestra-batch: " << error << "\n";
        status = ExitStatus::failed;
    }
    out << "Submitted job" << (ids.size() == 1 ? " " : "s ") << list
        << "; when they have finished: vestra-batch collect " << CommandText::of({folder}) << "\n";
    return status;
}

std::string SlurmJob::submitOne(const std::string& script) {
    std::string output;
    std::string error;
    ChildProcess::Ending ending;
    if (!ChildProcess::run({"sbatch", "--parsable", script}, output, ending, error)) {
        err << "vestra-batch: " << error << "\n";
        return std::string();
    }
    // --parsable prints "ID" or "ID;CLUSTER" as its last line.
    const std::string last = ReportText::lastLine(output);
    const std::string id = last.substr(0, last.find(';'));
    if (ending.exitStatus != 0 || !isJobId(id)) {
        err << "vestra-batch: sbatch failed (" << ending.describe() << "): " << output
            << (output.empty() || output.back() == '\n' ? "" : "\n");
        return std::string();
    }
    return id;
}

int SlurmJob::maxArraySize() {
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

bool SlurmJob::queueIsClear(const std::string& folder) {
    std::ifstream file(SweepFiles::in(folder, SweepFiles::jobs));
    for (std::string id; std::getline(file, id);) {
        if (!isJobId(id)) {
            continue;
        }
        std::string output;
        std::string error;
        ChildProcess::Ending ending;
        if (!ChildProcess::run({"squeue", "--noheader", "--jobs=" + id, "--format=%T"}, output,
                               ending, error)) {
            err << "vestra-batch: cannot ask squeue whether job " << id << " of " << folder
                << " is still queued: " << error << " Give --force to submit anyway.\n";
            return false;
        }
        // A job the scheduler no longer knows ("Invalid job id") has ended long ago.
        if (ending.exitStatus == 0 && output.find_first_not_of(" \n") != std::string::npos) {
            err << "vestra-batch: job " << id << " of " << folder << " is still in the queue ("
                << ReportText::lastLine(output) << "); its rows would run twice. Wait for it, "
                << "cancel it (scancel " << id << "), or give --force to submit anyway.\n";
            return false;
        }
    }
    return true;
}
