#include "app/ExperimentList.h"

#include <cstdint>
#include <filesystem>

#include "app/CsvReader.h"
#include "app/OptionsColumn.h"

namespace {

// A list names files, it does not hold data: anything this large is a wrong file.
constexpr std::uintmax_t largestListBytes = 16u << 20;

// The places of the experiment and options columns in the header; false, with the problem.
bool readHeader(CsvReader& reader, const std::string& path, int& experimentAt, int& optionsAt,
                std::vector<std::string>& problems) {
    std::vector<std::string> names;
    if (!readCsvHeader(reader, path, names, problems)) {
        return false;
    }
    const std::string where = path + " line " + std::to_string(reader.line()) + ": ";
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        int* const column = names[i] == "experiment" ? &experimentAt
                            : names[i] == "options"  ? &optionsAt
                                                     : nullptr;
        if (!column || *column >= 0) {
            problems.push_back(where + (column ? "the column \"" + names[i] + "\" appears twice."
                                               : "unknown column \"" + names[i] +
                                                     "\"; the columns are experiment, options."));
            return false;
        }
        *column = i;
    }
    if (experimentAt < 0) {
        problems.push_back(path + ": the header has no column \"experiment\".");
        return false;
    }
    return true;
}

// One row's source; the problem, or empty.
std::string readRow(const std::vector<std::string>& fields, int experimentAt, int optionsAt,
                    std::size_t columns, const std::filesystem::path& folder,
                    ExperimentSource& source, std::vector<std::string>& words) {
    if (fields.size() != columns) {
        return std::to_string(fields.size()) + " fields, but the header names " +
               std::to_string(columns) + ".";
    }
    const std::string& file = fields[static_cast<std::size_t>(experimentAt)];
    if (file.empty()) {
        return "the experiment is empty.";
    }
    source.file = OptionsColumn::resolved(folder, file);
    std::string error;
    if (optionsAt >= 0 &&
        !OptionsColumn::split(fields[static_cast<std::size_t>(optionsAt)], words, error)) {
        return error + ".";
    }
    OptionsColumn::resolveObstacles(folder, words);
    error = OptionsColumn::read(words, source.reading);
    if (!error.empty()) {
        return error;
    }
    std::error_code sizeError;
    if (std::filesystem::file_size(source.file, sizeError) == 0 && !sizeError) {
        return "\"" + source.file + "\" is empty.";
    }
    return std::string();
}

}  // namespace

namespace ExperimentList {

bool read(const std::string& path, std::vector<ExperimentSource>& sources,
          std::vector<std::string>& problems, std::vector<std::vector<std::string>>* options) {
    sources.clear();
    std::vector<std::vector<std::string>> words;
    const std::size_t problemsBefore = problems.size();
    std::string content;
    if (!readCsvFile(path, largestListBytes,
                     " is larger than 16 MiB; a list names one recording per row.",
                     "the list of recordings", content, problems)) {
        return false;
    }
    CsvReader reader(std::move(content));
    int experimentAt = -1;
    int optionsAt = -1;
    if (!readHeader(reader, path, experimentAt, optionsAt, problems)) {
        return false;
    }
    const std::size_t columns = optionsAt >= 0 ? 2 : 1;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::vector<std::string> fields;
    while (reader.next(fields)) {
        ExperimentSource source;
        source.origin = path + " line " + std::to_string(reader.line()) + ": ";
        words.emplace_back();
        const std::string problem =
            readRow(fields, experimentAt, optionsAt, columns, folder, source, words.back());
        if (!problem.empty()) {
            problems.push_back(source.origin + problem);
        }
        sources.push_back(std::move(source));
    }
    if (!reader.error().empty()) {
        problems.push_back(path + " line " + std::to_string(reader.line()) + ": " + reader.error() +
                           ".");
    } else if (sources.empty() && problems.size() == problemsBefore) {
        problems.push_back(path + " lists no recording: it has a header but no rows.");
    }
    if (problems.size() != problemsBefore) {
        sources.clear();
        return false;
    }
    if (options) {
        *options = std::move(words);
    }
    return true;
}

}  // namespace ExperimentList
