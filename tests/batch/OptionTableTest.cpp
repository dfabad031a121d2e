#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/CommandLineParser.h"
#include "app/OptionTable.h"

namespace {

using Fields = std::map<std::string, std::string>;
using Pairs = std::set<std::pair<std::string, std::string>>;

const Command everyCommand[] = {Command::list,      Command::info,    Command::evaluate,
                                Command::calibrate, Command::convert, Command::sweep,
                                Command::collect,   Command::help,    Command::crossval,
                                Command::simulate,  Command::analyse};

std::string text(const ParameterSettings& settings) {
    std::string joined;
    for (const auto& [name, value] : settings) {
        joined += name + "=" + value + ";";
    }
    return joined;
}

// Every field an option could write, written out here by hand so that a field the table shares
// between two options, or one no option reaches, shows.
Fields fieldsOf(const CommandLine& line) {
    const CalibrateRequest& run = line.run;
    const ReadingOptions& reading = run.experiment.reading;
    const SweepOptions& sweep = line.sweep;
    const auto number = [](double value) { return std::to_string(value); };
    return {{"file", run.experiment.file},
            {"format", reading.format},
            {"fps", number(reading.framesPerSecond)},
            {"unit", number(reading.metresPerUnit)},
            {"stride", number(reading.stride)},
            {"from", number(reading.from)},
            {"to", number(reading.to)},
            {"maxGap", number(reading.maxGap)},
            {"obstacles", reading.obstacles},
            {"model", run.model},
            {"metric", run.metric},
            {"modelSettings", text(run.modelSettings)},
            {"metricSettings", text(run.metricSettings)},
            {"loadParams", run.loadParams},
            {"experimentList", run.experimentList},
            {"scope", ParameterScopeText::name(run.scope)},
            {"saveDistributions", run.saveDistributions},
            {"jobs", number(run.jobs)},
            {"algorithm", run.algorithm},
            {"algorithmSettings", text(run.algorithmSettings)},
            {"seed", run.seed ? number(*run.seed) : "none"},
            {"saveParams", run.saveParams},
            {"trace", run.trace},
            {"output", line.output},
            {"outputFormat", line.outputFormat},
            {"measured", number(line.measured)},
            {"plan", sweep.plan},
            {"out", sweep.out},
            {"row", number(sweep.row)},
            {"sweepJobs", number(sweep.jobs)},
            {"slurm", number(sweep.slurm)},
            {"submit", number(sweep.submit)},
            {"force", number(sweep.force)},
            {"maxRunning", number(sweep.maxRunning)},
            {"partition", sweep.partition},
            {"time", sweep.time},
            {"cpusPerTask", number(sweep.cpusPerTask)},
            {"area", line.analysis.area},
            {"line", line.analysis.line},
            {"walkable", line.analysis.walkable},
            {"speedFrames", number(line.analysis.speedFrames)},
            {"cutoff", number(line.analysis.cutoff)},
            {"cutoffSides", number(line.analysis.cutoffSides)},
            {"folder", line.analysis.folder}};
}

// A value each option takes, unlike its default.
const std::map<std::string, std::string> samples = {{"--model", "Boids"},
                                                    {"--metric", "Difference"},
                                                    {"--set", "Speed=2"},
                                                    {"--metric-set", "k=1"},
                                                    {"--load-params", "a.prm"},
                                                    {"--experiments", "list.csv"},
                                                    {"--scope", "shared"},
                                                    {"--save-distributions", "d.txt"},
                                                    {"--jobs", "3"},
                                                    {"--algorithm", "Greedy"},
                                                    {"--algorithm-set", "N=4"},
                                                    {"--seed", "7"},
                                                    {"--save-params", "b.prm"},
                                                    {"--trace", "t.csv"},
                                                    {"-o", "out.ana"},
                                                    {"--format", "csv"},
                                                    {"--fps", "25"},
                                                    {"--unit", "cm"},
                                                    {"--stride", "2"},
                                                    {"--from", "1.5"},
                                                    {"--to", "9"},
                                                    {"--max-gap", "0.5"},
                                                    {"--obstacles", "walls.txt"},
                                                    {"--out", "study"},
                                                    {"--row", "4"},
                                                    {"--slurm", ""},
                                                    {"--partition", "short"},
                                                    {"--time", "01:00:00"},
                                                    {"--cpus-per-task", "2"},
                                                    {"--max-running", "5"},
                                                    {"--submit", ""},
                                                    {"--force", ""},
                                                    {"--output-format", "csv"},
                                                    {"--measured", ""},
                                                    {"--area", "0 0 1 0 1 1"},
                                                    {"--line", "0 0 1 1"},
                                                    {"--walkable", "0 0 9 0 9 9"},
                                                    {"--speed-frames", "3"},
                                                    {"--cutoff", "1.5"},
                                                    {"--cutoff-sides", "8"}};

}  // namespace

TEST(OptionTable, EveryOptionParsesIntoAFieldOfItsOwn) {
    const Fields defaults = fieldsOf(CommandLine());
    std::map<std::string, std::string> owner;  // field → the option that writes it
    for (const OptionTable::Option& option : OptionTable::options()) {
        const auto sample = samples.find(option.name);
        ASSERT_NE(sample, samples.end()) << option.name << " has no sample value here";
        for (const Command command : everyCommand) {
            if (!option.commands.has(command)) {
                continue;
            }
            CommandLine line;
            std::string error;
            std::vector<std::string> words = {option.name};
            if (!option.isFlag()) {
                words.push_back(sample->second);
            }
            ASSERT_TRUE(CommandLineParser::parseOptions(command, words, 0, line, error)) << error;
            int changed = 0;
            for (const auto& [field, value] : fieldsOf(line)) {
                if (value == defaults.at(field)) {
                    continue;
                }
                ++changed;
                const auto [known, added] = owner.emplace(field, option.name);
                EXPECT_EQ(known->second, option.name) << field << " is written by both";
            }
            EXPECT_EQ(changed, 1) << option.name;
        }
    }
}

TEST(OptionTable, NoCommandTakesAnOptionTwice) {
    for (const Command command : everyCommand) {
        std::set<std::string> names;
        for (const OptionTable::Option& option : OptionTable::options()) {
            if (option.commands.has(command)) {
                EXPECT_TRUE(names.insert(option.name).second) << option.name;
            }
        }
    }
}

namespace {

// The option headings of the page's OPTIONS section (the line after each .TP) as name and
// argument: ".BI \-\-seed " N"" gives ("--seed", "N"), ".B \-\-help, \-\-version" two flags.
Pairs pageOptions(const std::string& page) {
    Pairs options;
    std::istringstream lines(page);
    bool inOptions = false;
    bool heading = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inOptions = line == ".SH OPTIONS";
        } else if (inOptions && line == ".TP") {
            heading = true;
        } else if (heading) {
            heading = false;
            std::string plain;
            for (size_t i = line.find(' ') + 1; i < line.size(); ++i) {
                if (line.compare(i, 2, "\\-") == 0) {
                    plain += '-';
                    ++i;
                } else if (line.compare(i, 2, "\\f") == 0) {
                    i += 2;
                } else if (line[i] != '"') {
                    plain += line[i] == ',' ? '\n' : line[i];
                }
            }
            std::istringstream parts(plain);
            for (std::string part; std::getline(parts, part);) {
                std::istringstream words(part);
                std::string name, argument;
                words >> name >> argument;
                options.emplace(name, argument);
            }
        }
    }
    return options;
}

}  // namespace

TEST(ManPage, ListsTheOptionsOfTheTableWithTheirArguments) {
    std::ifstream file(VESTRA_EXAMPLES_DIR "/../docs/man/vestra-batch.1");
    ASSERT_TRUE(file);
    const Pairs page = pageOptions(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    // The program's own options, answered before any command.
    Pairs table = {{"--help", ""}, {"--version", ""}};
    for (const OptionTable::Option& option : OptionTable::options()) {
        std::string argument = option.isFlag() ? "" : option.argument;
        argument.erase(std::remove(argument.begin(), argument.end(), '"'), argument.end());
        table.emplace(option.name, argument);
    }
    for (const auto& [name, argument] : table) {
        EXPECT_EQ(page.count({name, argument}), 1u) << "the page lacks " << name << " " << argument;
    }
    for (const auto& [name, argument] : page) {
        EXPECT_EQ(table.count({name, argument}), 1u)
            << "the table lacks " << name << " " << argument;
    }
}
