#include "app/BatchOptions.h"

#include <cerrno>
#include <cstdlib>

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

}  // namespace

const char* batchUsage() {
    return "usage: vestra-batch list\n"
           "       vestra-batch info FILE\n"
           "       vestra-batch evaluate FILE --model NAME --metric NAME [--set \"Name=text\"]...\n"
           "                [--metric-set \"Name=text\"]... [--load-params PRM]\n"
           "       vestra-batch calibrate FILE --model NAME --metric NAME --algorithm NAME\n"
           "                [--seed N] [--set \"Name=text\"]... [--metric-set \"Name=text\"]...\n"
           "                [--algorithm-set \"Name=text\"]... [--load-params PRM]\n"
           "                [--save-params PRM] [--trace CSV]\n";
}

bool parseBatchOptions(const std::vector<std::string>& arguments, BatchOptions& options,
                       std::string& error) {
    if (arguments.empty()) {
        error = "No command given.";
        return false;
    }
    options.command = arguments[0];
    const bool takesFile = options.command == "info" || options.command == "evaluate" ||
                           options.command == "calibrate";
    if (options.command != "list" && !takesFile) {
        error = "Unknown command \"" + options.command +
                "\"; the commands are list, info, evaluate and calibrate.";
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
        const bool known =
            runs && (option == "--model" || option == "--metric" || option == "--set" ||
                     option == "--metric-set" || option == "--load-params" ||
                     (calibrates && (option == "--algorithm" || option == "--seed" ||
                                     option == "--algorithm-set" || option == "--save-params" ||
                                     option == "--trace")));
        if (!known) {
            error = "Unknown option \"" + option + "\" for " + options.command + ".";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value.";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--model") {
            options.model = value;
        } else if (option == "--metric") {
            options.metric = value;
        } else if (option == "--algorithm") {
            options.algorithm = value;
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
    return true;
}
