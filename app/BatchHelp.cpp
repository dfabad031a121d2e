#include "app/BatchHelp.h"

#include <vector>

#include "app/CommandCatalog.h"
#include "app/OptionTable.h"

namespace {

using Option = OptionTable::Option;

// The reading options are listed once, below the commands that take them.
constexpr int readingColumn = 18;

// "  --name ARG   help", the label padded to `column`; lines of the help after its first start
// below its first.
std::string optionLines(const std::vector<const Option*>& options, int column) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const Option* option : options) {
        if (option->help || lines.empty()) {
            lines.emplace_back(option->label(), option->help ? option->help : "");
        } else {
            lines.back().first += ", " + option->label();
        }
    }
    const std::string indent(static_cast<size_t>(column) + 3, ' ');
    std::string text;
    for (const auto& [label, help] : lines) {
        const size_t padding =
            label.size() < static_cast<size_t>(column) ? column - label.size() : 0;
        text += "  " + label + std::string(padding, ' ') + " ";
        for (const char c : help) {
            text += c == '\n' ? "\n" + indent : std::string(1, c);
        }
        text += "\n";
    }
    return text;
}

std::string readingOptions() {
    std::vector<const Option*> reading;
    for (const Option& option : OptionTable::options()) {
        if (OptionTable::isReading(option)) {
            reading.push_back(&option);
        }
    }
    return "Reading options (" + CommandCatalog::names(OptionTable::readingCommands) + "):\n" +
           optionLines(reading, readingColumn);
}

// Its options other than the reading options; those it shares with the command it refers to
// are named once, "as for" that command.
std::string commandOptions(const CommandCatalog::Entry& command) {
    if (command.optionColumn == 0) {
        return std::string();
    }
    const CommandCatalog::Entry* other =
        command.optionsAsFor ? CommandCatalog::named(command.optionsAsFor) : nullptr;
    std::string shared;
    std::vector<const Option*> own;
    for (const Option& option : OptionTable::options()) {
        if (!option.commands.has(command.id) || OptionTable::isReading(option)) {
            continue;
        }
        if (other && option.commands.has(other->id)) {
            shared += (shared.empty() ? "" : ", ") + std::string(option.name);
        } else {
            own.push_back(&option);
        }
    }
    const std::string asFor =
        shared.empty() ? std::string() : "  " + shared + "   as for " + other->name + "\n";
    return asFor + optionLines(own, command.optionColumn);
}

std::string helpOf(const CommandCatalog::Entry& command) {
    return command.help + commandOptions(command);
}

}  // namespace

namespace BatchHelp {

std::string all() {
    std::string text =
        "vestra-batch: evaluates and calibrates crowd models against recorded experiments, "
        "without a display.\n\n";
    for (const CommandCatalog::Entry& command : CommandCatalog::commands()) {
        text += helpOf(command) + "\n";
    }
    text += readingOptions();
    text +=
        "\nOther options: --help (this text), --version.\n"
        "Python: import vestra to read, evaluate, simulate and calibrate as these commands do.\n"
        "Exit status: 0 success, 1 input that cannot be used, 2 usage error, 130 or 143 a\n"
        "calibration stopped by SIGINT or SIGTERM.\n";
    return text;
}

std::string of(const std::string& name) {
    const CommandCatalog::Entry* command = CommandCatalog::named(name);
    if (!command) {
        return std::string();
    }
    const bool reads = OptionTable::readingCommands.has(command->id);
    return helpOf(*command) + (reads ? "\n" + readingOptions() : std::string());
}

std::string commandNames() {
    return CommandCatalog::names(CommandCatalog::all());
}

const char* usage() {
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
           "       vestra-batch crossval LIST.csv --model NAME --metric NAME --algorithm NAME\n"
           "                --out DIR [--seed N] [--jobs N | --slurm [--submit]]\n"
           "reading options: --format ana|juelich|eth|csv|trajnet  --fps F  --unit m|cm|mm\n"
           "                 --stride K  --from S  --to S  --max-gap S  --obstacles FILE\n";
}

}  // namespace BatchHelp
