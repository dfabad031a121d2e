#include "app/CommandLineParser.h"

#include <algorithm>

#include "app/CommandCatalog.h"
#include "app/CommandLine.h"
#include "app/OptionTable.h"
#include "data/TrackFile.h"

namespace {

bool store(const OptionTable::Option& option, const std::string& value, CommandLine& line,
           std::string& error) {
    if (!option.store(line, value)) {
        error = std::string(option.name) + " needs " + option.needs + ", got \"" + value + "\".";
        return false;
    }
    line.given.push_back(option.name);
    return true;
}

bool fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool checkRun(const CommandLine& line, std::string& error) {
    const char* name = CommandCatalog::of(line.command).name;
    const CalibrateRequest& run = line.run;
    if (run.experiment.file.empty() == run.experimentList.empty()) {
        return fail(error, name + std::string(" needs the recordings either as files (FILE ...) "
                                              "or as a list (--experiments LIST.csv), not both."));
    }
    if (run.model.empty() || run.metric.empty()) {
        return fail(error, name + std::string(" needs --model and --metric."));
    }
    if (line.command != Command::calibrate) {
        return true;
    }
    if (run.algorithm.empty()) {
        return fail(error, "calibrate needs --algorithm.");
    }
    if (run.scope == ParameterScope::pedestrian && !run.moreFiles.empty()) {
        return fail(error, severalRecordingsNeedShared);
    }
    if (run.scope == ParameterScope::shared && !run.saveDistributions.empty()) {
        return fail(error,
                    "--save-distributions describes the spread of per-pedestrian values; a "
                    "shared calibration has one value per parameter (--scope pedestrian).");
    }
    return true;
}

// Further files after the first, for the commands that take several.
std::size_t takeMoreFiles(const std::vector<std::string>& arguments, std::size_t first,
                          CommandLine& line) {
    if (line.command != Command::evaluate && line.command != Command::calibrate) {
        return first;
    }
    while (first < arguments.size() && arguments[first].rfind("-", 0) != 0) {
        line.run.moreFiles.push_back(arguments[first++]);
    }
    return first;
}

bool checkSweep(const CommandLine& line, std::string& error) {
    const SweepOptions& sweep = line.sweep;
    if (sweep.out.empty()) {
        return fail(error, CommandCatalog::of(line.command).name +
                               std::string(" needs --out DIR, the folder of its results."));
    }
    if (sweep.slurm && (sweep.row != 0 || line.gave("--jobs"))) {
        return fail(error,
                    "--slurm writes a job of every row: it takes --cpus-per-task, not --row or "
                    "--jobs.");
    }
    const bool slurmSettings = line.gave("--partition") || line.gave("--time") ||
                               line.gave("--cpus-per-task") || line.gave("--max-running");
    if (!sweep.slurm && (slurmSettings || sweep.submit)) {
        return fail(error,
                    "--partition, --time, --cpus-per-task, --max-running and --submit need "
                    "--slurm.");
    }
    if (sweep.force && !sweep.submit) {
        return fail(error, "--force goes with --submit.");
    }
    return true;
}

bool checkCrossval(const CommandLine& line, std::string& error) {
    const CalibrateRequest& run = line.run;
    if (run.model.empty() || run.metric.empty() || run.algorithm.empty()) {
        return fail(error, "crossval needs --model, --metric and --algorithm.");
    }
    if (run.scope == ParameterScope::pedestrian && line.gave("--scope")) {
        return fail(error,
                    "crossval scores values on a recording they were not fitted to, which "
                    "per-pedestrian values cannot be; it calibrates --scope shared only.");
    }
    return checkSweep(line, error);
}

bool checkSimulate(const CommandLine& line, std::string& error) {
    if (line.run.model.empty()) {
        return fail(error, "simulate needs --model.");
    }
    TrackFile::Format format;
    if (line.output.empty()) {
        return fail(error, "simulate needs -o OUT (.txt, .csv or .ndjson).");
    }
    if (line.outputFormat.empty() && !TrackFile::formatOf(line.output, format)) {
        return fail(error, "simulate writes .txt, .csv or .ndjson; name the layout of \"" +
                               line.output + "\" with --output-format.");
    }
    return true;
}

bool checkAnalyse(const CommandLine& line, std::string& error) {
    if (line.analysis.area.empty()) {
        return fail(error, "analyse needs --area \"x1 y1 x2 y2 x3 y3 ...\".");
    }
    if (line.analysis.folder.empty()) {
        return fail(error, "analyse needs -o DIR.");
    }
    if (line.run.model.empty() && (line.gave("--set") || line.gave("--load-params"))) {
        return fail(error, "--set and --load-params set up a model; name it with --model.");
    }
    return true;
}

// Options that are each fine but do not go together, or one that is missing.
bool checkTogether(const CommandLine& line, std::string& error) {
    switch (line.command) {
        case Command::evaluate:
        case Command::calibrate:
            if (!checkRun(line, error)) {
                return false;
            }
            break;
        case Command::convert:
            if (line.output.empty()) {
                return fail(error, "convert needs -o OUT.ana.");
            }
            break;
        case Command::sweep:
            return checkSweep(line, error);
        case Command::crossval:
            return checkCrossval(line, error);
        case Command::simulate:
            if (!checkSimulate(line, error)) {
                return false;
            }
            break;
        case Command::analyse:
            if (!checkAnalyse(line, error)) {
                return false;
            }
            break;
        default:
            break;
    }
    return CommandLineParser::checkWindow(line.run.experiment.reading, error);
}

}  // namespace

namespace CommandLineParser {

bool parse(const std::vector<std::string>& arguments, CommandLine& line, std::string& error) {
    if (arguments.empty()) {
        return fail(error, "No command given.");
    }
    // help answers only as the whole command line; anything longer is no command.
    const CommandCatalog::Entry* command = CommandCatalog::named(arguments[0]);
    if (!command || command->id == Command::help) {
        return fail(error, "Unknown command \"" + arguments[0] + "\"; the commands are " +
                               CommandCatalog::names(CommandCatalog::all(), " and ") + ".");
    }
    line.command = command->id;
    std::size_t first = 1;
    // evaluate and calibrate may name their recordings in a list instead.
    const bool listed =
        (command->id == Command::evaluate || command->id == Command::calibrate) &&
        std::find(arguments.begin(), arguments.end(), "--experiments") != arguments.end();
    if (command->operand) {
        if (arguments.size() < 2 || arguments[1].rfind("--", 0) == 0) {
            if (!listed) {
                return fail(error, std::string(command->name) + " needs " + command->operand + ".");
            }
        } else {
            command->takeOperand(line, arguments[1]);
            first = takeMoreFiles(arguments, 2, line);
        }
    }
    return parseOptions(command->id, arguments, first, line, error) && checkTogether(line, error);
}

bool parseOptions(Command command, const std::vector<std::string>& words, std::size_t first,
                  CommandLine& line, std::string& error, std::string* unknown) {
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string& name = words[i];
        const OptionTable::Option* option = OptionTable::find(name, command);
        if (!option) {
            if (unknown) {
                *unknown = name;
            }
            return fail(error, "Unknown option \"" + name + "\" for " +
                                   CommandCatalog::of(command).name + ".");
        }
        if (!option->isFlag() && i + 1 >= words.size()) {
            return fail(error, name + " needs a value.");
        }
        if (!store(*option, option->isFlag() ? std::string() : words[++i], line, error)) {
            return false;
        }
    }
    return true;
}

bool setOption(Command command, const std::string& name, const std::string& value,
               CommandLine& line, std::string& error) {
    const OptionTable::Option* option = OptionTable::find(name, command);
    return option ? store(*option, value, line, error)
                  : fail(error, "Unknown option \"" + name + "\".");
}

bool checkWindow(const ReadingOptions& reading, std::string& error) {
    if (reading.from > reading.to) {
        return fail(error, "--from must not be after --to.");
    }
    return true;
}

}  // namespace CommandLineParser
