#include "app/SweepPlan.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>

#include "app/CommandLine.h"
#include "app/CommandLineParser.h"
#include "app/CsvReader.h"
#include "app/OptionTable.h"
#include "app/OptionValues.h"
#include "app/OptionsColumn.h"

namespace {

// A plan lists runs, not data: anything this large is a wrong file.
constexpr std::uintmax_t largestPlanBytes = 64u << 20;

struct Column {
    const char* name;
    bool required;
    std::string SweepRow::*field;
};

const Column columns[] = {
    // Required unless the header names experiments instead; see checkRecordings.
    {"experiment", false, &SweepRow::experiment},
    {"model", true, &SweepRow::model},
    {"metric", true, &SweepRow::metric},
    {"algorithm", true, &SweepRow::algorithm},
    {"seed", true, &SweepRow::seed},
    {"options", false, &SweepRow::options},
    {"set", false, &SweepRow::set},
    {"metric_set", false, &SweepRow::metricSet},
    {"algorithm_set", false, &SweepRow::algorithmSet},
    {"experiments", false, &SweepRow::experiments},
    {"held_out", false, &SweepRow::heldOut},
    {"held_out_options", false, &SweepRow::heldOutOptions},
};

const char* const scopeOption = "--scope";

std::string columnList() {
    std::string list;
    for (const Column& column : columns) {
        list += (list.empty() ? "" : ", ") + std::string(column.name);
    }
    return list;
}

// "Name=text; Name=text" into option, "Name=text" argument pairs for the log, and into the
// request's settings.
bool splitSettings(const char* column, const char* option, const std::string& text,
                   std::vector<std::string>& arguments, ParameterSettings& settings,
                   std::string& error) {
    std::istringstream pairs(text);
    std::string pair;
    while (std::getline(pairs, pair, ';')) {
        const size_t first = pair.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) {
            continue;
        }
        pair = pair.substr(first, pair.find_last_not_of(" \t\r\n") - first + 1);
        if (!OptionValues::setting(pair, settings)) {
            error = std::string(column) + " needs \"Name=text\" pairs separated by \";\", got \"" +
                    pair + "\"";
            return false;
        }
        arguments.push_back(option);
        arguments.push_back(pair);
    }
    return true;
}

// The request of a row whose text fields are complete, with the calibrate command line's checks
// of the reading options and the seed, in that order; the first refusal, or empty.
std::string buildRequest(SweepRow& row) {
    CalibrateRequest& request = row.request;
    request.experiment.file = row.experimentPath;
    request.experimentList = row.experimentsPath;
    request.model = row.model;
    request.metric = row.metric;
    request.algorithm = row.algorithm;
    std::string error =
        OptionsColumn::read(row.readingArguments, request.experiment.reading, &request.scope);
    if (!error.empty()) {
        return error;
    }
    CommandLine seed;
    if (!CommandLineParser::setOption(Command::calibrate, "--seed", row.seed, seed, error)) {
        return error;
    }
    request.seed = seed.run.seed;
    if (!row.heldOut.empty()) {
        error = OptionsColumn::read(row.heldOutArguments, row.heldOutSource.reading);
        if (!error.empty()) {
            return "held_out_options: " + error;
        }
    }
    return std::string();
}

// Which recordings a row names: one experiment, or a list whose rows carry their own reading
// options, so that the row's options column may then give only the scope.
std::string checkRecordings(const SweepRow& row) {
    if (row.experiment.empty() == row.experiments.empty()) {
        return row.experiment.empty()
                   ? "the experiment is empty"
                   : "a row names an experiment or a list of experiments, not both";
    }
    for (std::size_t i = 0; !row.experiments.empty() && i < row.readingArguments.size(); i += 2) {
        if (row.readingArguments[i] != scopeOption) {
            return "a row over a list of experiments takes the reading options from the list; "
                   "its options column takes only --scope, not \"" +
                   row.readingArguments[i] + "\"";
        }
    }
    if (row.heldOut.empty() && !row.heldOutOptions.empty()) {
        return "held_out_options are the reading options of a held_out recording, which the row "
               "does not name";
    }
    return std::string();
}

// Fills the derived fields of a row whose text fields are set; false, with `error`, for options
// or settings that cannot be split.
bool completeRow(SweepRow& row, const std::filesystem::path& folder, std::string& error) {
    for (const Column& column : columns) {
        if (column.required && (row.*column.field).empty()) {
            error = std::string("the ") + column.name + " is empty";
            return false;
        }
    }
    if (!row.experiment.empty()) {
        row.experimentPath = OptionsColumn::resolved(folder, row.experiment);
    }
    if (!row.experiments.empty()) {
        row.experimentsPath = OptionsColumn::resolved(folder, row.experiments);
    }
    if (!row.heldOut.empty()) {
        row.heldOutSource.file = OptionsColumn::resolved(folder, row.heldOut);
        row.heldOutSource.origin = "held_out: ";
    }
    if (!OptionsColumn::split(row.options, row.readingArguments, error) ||
        !OptionsColumn::split(row.heldOutOptions, row.heldOutArguments, error)) {
        return false;
    }
    OptionsColumn::resolveObstacles(folder, row.heldOutArguments);
    error = checkRecordings(row);
    if (!error.empty()) {
        return false;
    }
    OptionsColumn::resolveObstacles(folder, row.readingArguments);
    CalibrateRequest& request = row.request;
    if (!splitSettings("set", "--set", row.set, row.settingArguments, request.modelSettings,
                       error) ||
        !splitSettings("metric_set", "--metric-set", row.metricSet, row.settingArguments,
                       request.metricSettings, error) ||
        !splitSettings("algorithm_set", "--algorithm-set", row.algorithmSet, row.settingArguments,
                       request.algorithmSettings, error)) {
        return false;
    }
    row.requestError = buildRequest(row);
    return true;
}

}  // namespace

std::vector<std::string> SweepRow::calibrateArguments() const {
    std::vector<std::string> arguments =
        experimentsPath.empty()
            ? std::vector<std::string>{"calibrate", experimentPath}
            : std::vector<std::string>{"calibrate", "--experiments", experimentsPath};
    arguments.insert(arguments.end(), readingArguments.begin(), readingArguments.end());
    for (const std::string& argument :
         {std::string("--model"), model, std::string("--metric"), metric,
          std::string("--algorithm"), algorithm, std::string("--seed"), seed}) {
        arguments.push_back(argument);
    }
    arguments.insert(arguments.end(), settingArguments.begin(), settingArguments.end());
    return arguments;
}

bool SweepPlan::read(const std::string& planPath, std::vector<std::string>& problems) {
    path = planPath;
    rows.clear();
    std::string content;
    if (!load(content, problems)) {
        return false;
    }
    CsvReader reader(std::move(content));
    std::vector<size_t> order;
    if (!readHeader(reader, order, problems)) {
        return false;
    }
    const size_t problemsBefore = problems.size();
    readRows(reader, order, problems);
    if (!reader.error().empty()) {
        problems.push_back(path + " line " + std::to_string(reader.line()) + ": " + reader.error() +
                           ".");
        return false;
    }
    if (rows.empty()) {
        problems.push_back(path + " lists no runs: it has a header but no rows.");
        return false;
    }
    return problems.size() == problemsBefore;
}

bool SweepPlan::load(std::string& content, std::vector<std::string>& problems) const {
    return readCsvFile(path, largestPlanBytes,
                       " is larger than 64 MiB; a plan lists one run per row.", "the plan", content,
                       problems);
}

bool SweepPlan::readHeader(CsvReader& reader, std::vector<size_t>& order,
                           std::vector<std::string>& problems) const {
    std::vector<std::string> fields;
    if (!readCsvHeader(reader, path, fields, problems)) {
        return false;
    }
    const std::string where = path + " line " + std::to_string(reader.line()) + ": ";
    for (const std::string& name : fields) {
        const auto match = std::find_if(std::begin(columns), std::end(columns),
                                        [&](const Column& column) { return name == column.name; });
        if (match == std::end(columns)) {
            problems.push_back(where + "unknown column \"" + name + "\"; the columns are " +
                               columnList() + ".");
            return false;
        }
        const size_t index = static_cast<size_t>(match - std::begin(columns));
        if (std::find(order.begin(), order.end(), index) != order.end()) {
            problems.push_back(where + "the column \"" + name + "\" appears twice.");
            return false;
        }
        order.push_back(index);
    }
    const auto has = [&](const char* name) {
        return std::find_if(order.begin(), order.end(), [&](size_t index) {
                   return std::string(columns[index].name) == name;
               }) != order.end();
    };
    for (size_t index = 0; index < std::size(columns); ++index) {
        const bool required =
            columns[index].required ||
            (std::string(columns[index].name) == "experiment" && !has("experiments"));
        if (required && std::find(order.begin(), order.end(), index) == order.end()) {
            problems.push_back(
                path + ": the header has no column \"" + columns[index].name +
                "\"; a plan needs experiment (or experiments), model, metric, algorithm "
                "and seed.");
            return false;
        }
    }
    return true;
}

void SweepPlan::readRows(CsvReader& reader, const std::vector<size_t>& order,
                         std::vector<std::string>& problems) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::vector<std::string> fields;
    while (reader.next(fields)) {
        SweepRow row;
        row.number = static_cast<int>(rows.size()) + 1;
        row.line = reader.line();
        row.where = path + " row " + std::to_string(row.number) + " (line " +
                    std::to_string(row.line) + "): ";
        std::string error;
        if (fields.size() != order.size()) {
            error = std::to_string(fields.size()) + " fields, but the header names " +
                    std::to_string(order.size()) + " columns";
        } else {
            for (size_t i = 0; i < fields.size(); ++i) {
                row.*(columns[order[i]].field) = fields[i];
            }
            row.wellFormed = completeRow(row, folder, error);
        }
        if (!error.empty()) {
            problems.push_back(row.where + error + ".");
        }
        rows.push_back(std::move(row));
    }
}
