#include "app/SweepOptions.h"

#include <cstdlib>
#include <regex>

#include "core/NumberText.h"

namespace {

bool parseCount(const std::string& option, const std::string& text, int low, int& value,
                std::string& error) {
    if (!NumberText::isCompleteInt(text) || std::atoi(text.c_str()) < low) {
        error = option + " needs a whole number of at least " + std::to_string(low) + ", got \"" +
                text + "\".";
        return false;
    }
    value = std::atoi(text.c_str());
    return true;
}

}  // namespace

bool parseSweepOptions(const std::vector<std::string>& arguments, SweepOptions& options,
                       std::string& error) {
    options.command = arguments.at(0);
    const bool collect = options.command == "collect";
    if (arguments.size() < 2 || arguments[1].rfind("--", 0) == 0) {
        error = collect ? "collect needs the folder of a sweep." : "sweep needs a plan file.";
        return false;
    }
    (collect ? options.out : options.plan) = arguments[1];
    bool jobsGiven = false;
    bool slurmOption = false;
    for (size_t i = 2; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (collect) {
            error = "Unknown option \"" + option + "\" for collect.";
            return false;
        }
        if (option == "--slurm" || option == "--submit" || option == "--force") {
            (option == "--slurm"    ? options.slurm
             : option == "--submit" ? options.submit
                                    : options.force) = true;
            continue;
        }
        const bool known = option == "--out" || option == "--row" || option == "--jobs" ||
                           option == "--partition" || option == "--time" ||
                           option == "--cpus-per-task" || option == "--max-running";
        if (!known) {
            error = "Unknown option \"" + option + "\" for sweep.";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value.";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--out") {
            options.out = value;
        } else if (option == "--row") {
            if (!parseCount(option, value, 1, options.row, error)) {
                return false;
            }
        } else if (option == "--jobs") {
            jobsGiven = true;
            if (!parseCount(option, value, 0, options.jobs, error)) {
                return false;
            }
        } else if (option == "--cpus-per-task" || option == "--max-running") {
            slurmOption = true;
            if (!parseCount(option, value, 1,
                            option == "--max-running" ? options.maxRunning : options.cpusPerTask,
                            error)) {
                return false;
            }
        } else if (option == "--partition") {
            slurmOption = true;
            // The name goes into the job script, so it may not carry anything else.
            if (!std::regex_match(value, std::regex("[A-Za-z0-9_.,-]+"))) {
                error = "--partition needs a partition name, got \"" + value + "\".";
                return false;
            }
            options.partition = value;
        } else {
            slurmOption = true;
            if (!std::regex_match(value, std::regex("([0-9]+-)?[0-9]+(:[0-9]+){0,2}"))) {
                error = "--time needs a time limit such as 02:00:00 or 1-12:00:00, got \"" + value +
                        "\".";
                return false;
            }
            options.time = value;
        }
    }
    if (collect) {
        return true;
    }
    if (options.out.empty()) {
        error = "sweep needs --out DIR, the folder of its results.";
        return false;
    }
    if (options.slurm && (options.row != 0 || jobsGiven)) {
        error = "--slurm writes a job of every row: it takes --cpus-per-task, not --row or --jobs.";
        return false;
    }
    if (!options.slurm && (slurmOption || options.submit)) {
        error = "--partition, --time, --cpus-per-task, --max-running and --submit need --slurm.";
        return false;
    }
    if (options.force && !options.submit) {
        error = "--force goes with --submit.";
        return false;
    }
    return true;
}
