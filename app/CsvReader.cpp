#include "app/CsvReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

CsvReader::CsvReader(std::string content) : text(std::move(content)) {
    // A byte order mark, as spreadsheet programs write it, is not part of the first field.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        at = 3;
    }
}

bool CsvReader::skipBlankAndCommentLines() {
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::size_t first = at;
        while (first < end && (isBlank(text[first]) || text[first] == '\r')) {
            ++first;
        }
        if (first < end && text[first] != '#') {
            return true;
        }
        at = end < text.size() ? end + 1 : end;
        ++currentLine;
    }
    return false;
}

bool CsvReader::readQuoted(std::string& field) {
    ++at;  // the opening quote
    for (;;) {
        if (at >= text.size()) {
            problem = "a quoted field is not closed";
            return false;
        }
        const char c = text[at++];
        if (c == '"') {
            if (at < text.size() && text[at] == '"') {
                field += '"';
                ++at;
                continue;
            }
            break;
        }
        if (c == '\n') {
            ++currentLine;
        }
        field += c;
    }
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    if (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r') {
        problem = "text after the closing quote of a field";
        return false;
    }
    return true;
}

bool CsvReader::next(std::vector<std::string>& fields) {
    fields.clear();
    if (!problem.empty() || !skipBlankAndCommentLines()) {
        return false;
    }
    recordLine = currentLine;
    for (;;) {
        while (at < text.size() && isBlank(text[at])) {
            ++at;
        }
        std::string field;
        if (at < text.size() && text[at] == '"') {
            if (!readQuoted(field)) {
                return false;
            }
        } else {
            const std::size_t start = at;
            while (at < text.size() && text[at] != ',' && text[at] != '\n') {
                if (text[at] == '"') {
                    problem =
                        "a quote inside a field that does not start with one (quote the "
                        "whole field and write the quote twice)";
                    return false;
                }
                ++at;
            }
            std::size_t end = at;
            while (end > start && (isBlank(text[end - 1]) || text[end - 1] == '\r')) {
                --end;
            }
            field = text.substr(start, end - start);
        }
        fields.push_back(std::move(field));
        if (at < text.size() && text[at] == '\r') {
            ++at;
        }
        if (at >= text.size()) {
            return true;
        }
        if (text[at++] == '\n') {
            ++currentLine;
            return true;
        }
    }
}

std::string csvField(const std::string& text) {
    const bool quote = text.find_first_of(",\"\n\r") != std::string::npos ||
                       (!text.empty() && (isBlank(text.front()) || isBlank(text.back())));
    if (!quote) {
        return text;
    }
    std::string field = "\"";
    for (const char c : text) {
        field += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return field + "\"";
}

bool readCsvFile(const std::string& path, std::uintmax_t largest, const std::string& tooLarge,
                 const std::string& what, std::string& content,
                 std::vector<std::string>& problems) {
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeError);
    if (!sizeError && bytes > largest) {
        problems.push_back(path + tooLarge);
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (file) {
        content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!file.is_open() || file.bad() || std::filesystem::is_directory(path)) {
        problems.push_back("Cannot read " + what + " \"" + path + "\".");
        return false;
    }
    return true;
}

bool readCsvHeader(CsvReader& reader, const std::string& path, std::vector<std::string>& names,
                   std::vector<std::string>& problems) {
    if (reader.next(names)) {
        return true;
    }
    problems.push_back(path + (reader.error().empty() ? std::string(" has no header line.")
                                                      : " line " + std::to_string(reader.line()) +
                                                            ": " + reader.error() + "."));
    return false;
}
