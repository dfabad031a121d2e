#include "app/BatchOptions.h"

#include <cerrno>
#include <cstdlib>

#include "core/NumberText.h"
#include "data/RecordingLimits.h"

namespace {

bool splitSetting(const std::string& option, const std::string& text,
                  std::vector<std::pair<std::string, std::string>>& settings, std::string& error) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = option + " needs \"Parameter name=text\", got \"" + text + "\".";
        return false;
    }
    settings.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    return true;
}

bool parseSeed(const std::string& text, unsigned& seed, std::string& error) {
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] == '-' || errno == ERANGE ||
        value > 0xFFFFFFFFull) {
        error = "--seed needs a whole number from 0 to 4294967295, got \"" + text + "\".";
        return false;
    }
    seed = static_cast<unsigned>(value);
    return true;
}

// A number above `low` (a frame rate), or at least `low` when `inclusive` (a gap).
bool parseNumber(const std::string& option, const std::string& text, double low, bool inclusive,
                 double& value, std::string& error) {
    const double parsed = NumberText::toDouble(text.c_str());
    if (!NumberText::isCompleteNumber(text) || (inclusive ? parsed < low : !(parsed > low))) {
        error = option + " needs a number " + (inclusive ? "of at least " : "above ") +
                NumberText::format("%g", low) + ", got \"" + text + "\".";
        return false;
    }
    value = parsed;
    return true;
}

// One of the options that say how an experiment file is read.
bool parseReadingOption(const std::string& option, const std::string& value,
                        ReadingOptions& reading, std::string& error) {
    if (option == "--format") {
        reading.format = value;
    } else if (option == "--fps") {
        const double fps = NumberText::toDouble(value.c_str());
        if (!NumberText::isCompleteNumber(value) || !(fps >= RecordingLimits::lowestFrameRate) ||
            !(fps <= RecordingLimits::highestFrameRate)) {
            error = std::string("--fps needs a number from ") + RecordingLimits::frameRateText +
                    ", got \"" + value + "\".";
            return false;
        }
        reading.framesPerSecond = fps;
    } else if (option == "--max-gap") {
        return parseNumber(option, value, 0.0, true, reading.maxGap, error);
    } else if (option == "--unit") {
        const std::pair<const char*, double> units[] = {{"m", 1.0}, {"cm", 0.01}, {"mm", 0.001}};
        for (const auto& [name, metres] : units) {
            if (value == name) {
                reading.metresPerUnit = metres;
                return true;
            }
        }
        error = "--unit needs m, cm or mm, got \"" + value + "\".";
        return false;
    } else if (option == "--stride") {
        if (!NumberText::isCompleteInt(value) || std::atoi(value.c_str()) < 1) {
            error = "--stride needs a whole number of at least 1, got \"" + value + "\".";
            return false;
        }
        reading.stride = std::atoi(value.c_str());
    } else if (option == "--from" || option == "--to") {
        if (!NumberText::isCompleteNumber(value)) {
            error = option + " needs a time in seconds, got \"" + value + "\".";
            return false;
        }
        (option == "--from" ? reading.from : reading.to) = NumberText::toDouble(value.c_str());
    } else {
        reading.obstacles = value;
    }
    return true;
}

}  // namespace

const char* batchUsage() {
    return "usage: vestra-batch list\n"
           "       vestra-batch info FILE [reading options]\n"
           "       vestra-batch evaluate FILE --model NAME --metric NAME [--set \"Name=text\"]...\n"
           "                [--metric-set \"Name=text\"]... [--load-params PRM] [--jobs N]\n"
           "                [reading options]\n"
           "       vestra-batch calibrate FILE --model NAME --metric NAME --algorithm NAME\n"
           "                [--seed N] [--set \"Name=text\"]... [--metric-set \"Name=text\"]...\n"
           "                [--algorithm-set \"Name=text\"]... [--load-params PRM]\n"
           "                [--save-params PRM] [--trace CSV] [--jobs N] [reading options]\n"
           "       vestra-batch convert FILE [reading options] -o OUT.ana\n"
           "       vestra-batch sweep PLAN --out DIR [--jobs N]\n"
           "       vestra-batch sweep PLAN --out DIR --row K [--jobs C]\n"
           "       vestra-batch sweep PLAN --out DIR --slurm [--partition P] [--time HH:MM:SS]\n"
           "                [--cpus-per-task C] [--max-running M] [--submit [--force]]\n"
           "       vestra-batch collect DIR\n"
           "reading options: --format ana|juelich|eth|csv|trajnet  --fps F  --unit m|cm|mm\n"
           "                 --stride K  --from S  --to S  --max-gap S  --obstacles FILE\n";
}

bool parseBatchOptions(const std::vector<std::string>& arguments, BatchOptions& options,
                       std::string& error) {
    if (arguments.empty()) {
        error = "No command given.";
        return false;
    }
    options.command = arguments[0];
    const bool takesFile = options.command == "info" || options.command == "evaluate" ||
                           options.command == "calibrate" || options.command == "convert";
    if (options.command != "list" && !takesFile) {
        error = "Unknown command \"" + options.command +
                "\"; the commands are list, info, evaluate, calibrate, convert, sweep, collect and "
                "help.";
        return false;
    }
    size_t i = 1;
    if (takesFile) {
        if (arguments.size() < 2 || arguments[1].rfind("--", 0) == 0) {
            error = options.command + " needs an experiment file.";
            return false;
        }
        options.file = arguments[1];
        i = 2;
    }
    const bool runs = options.command == "evaluate" || options.command == "calibrate";
    const bool calibrates = options.command == "calibrate";
    for (; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool reads =
            takesFile && (option == "--format" || option == "--fps" || option == "--unit" ||
                          option == "--stride" || option == "--from" || option == "--to" ||
                          option == "--max-gap" || option == "--obstacles");
        const bool known =
            reads || (options.command == "convert" && option == "-o") ||
            (runs && (option == "--model" || option == "--metric" || option == "--set" ||
                      option == "--metric-set" || option == "--load-params" || option == "--jobs" ||
                      (calibrates && (option == "--algorithm" || option == "--seed" ||
                                      option == "--algorithm-set" || option == "--save-params" ||
                                      option == "--trace"))));
        if (!known) {
            error = "Unknown option \"" + option + "\" for " + options.command + ".";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value.";
            return false;
        }
        const std::string& value = arguments[++i];
        if (reads) {
            if (!parseReadingOption(option, value, options.reading, error)) {
                return false;
            }
        } else if (option == "-o") {
            options.output = value;
        } else if (option == "--model") {
            options.model = value;
        } else if (option == "--metric") {
            options.metric = value;
        } else if (option == "--algorithm") {
            options.algorithm = value;
        } else if (option == "--jobs") {
            if (!NumberText::isCompleteInt(value) || std::atoi(value.c_str()) < 0) {
                error = "--jobs needs a whole number of threads (0: one per core), got \"" + value +
                        "\".";
                return false;
            }
            options.jobs = std::atoi(value.c_str());
        } else if (option == "--seed") {
            if (!parseSeed(value, options.seed, error)) {
                return false;
            }
            options.hasSeed = true;
        } else if (option == "--set") {
            if (!splitSetting(option, value, options.modelSettings, error)) {
                return false;
            }
        } else if (option == "--metric-set") {
            if (!splitSetting(option, value, options.metricSettings, error)) {
                return false;
            }
        } else if (option == "--algorithm-set") {
            if (!splitSetting(option, value, options.algorithmSettings, error)) {
                return false;
            }
        } else if (option == "--load-params") {
            options.loadParams = value;
        } else if (option == "--save-params") {
            options.saveParams = value;
        } else {
            options.trace = value;
        }
    }
    if (runs && (options.model.empty() || options.metric.empty())) {
        error = options.command + " needs --model and --metric.";
        return false;
    }
    if (calibrates && options.algorithm.empty()) {
        error = "calibrate needs --algorithm.";
        return false;
    }
    if (options.command == "convert" && options.output.empty()) {
        error = "convert needs -o OUT.ana.";
        return false;
    }
    if (options.reading.from > options.reading.to) {
        error = "--from must not be after --to.";
        return false;
    }
    return true;
}
