#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Records of comma-separated text, one a line. A field in double quotes may hold commas, line
/// ends and quotes (written twice); blanks around a field are not part of it. Blank lines and
/// lines whose first character other than a blank is "#" are skipped, so files can be commented.
class CsvReader {
public:
    explicit CsvReader(std::string text);

    /// Reads the next record into `fields`. False at the end of the text, or when the record is
    /// malformed (error() then says why, and line() where).
    bool next(std::vector<std::string>& fields);
    /// The line the last record started on, from 1.
    int line() const { return recordLine; }
    const std::string& error() const { return problem; }

private:
    bool skipBlankAndCommentLines();
    bool readQuoted(std::string& field);

    std::string text;
    std::size_t at = 0;
    int currentLine = 1;
    int recordLine = 0;
    std::string problem;
};

/// Reads the CSV file at `path` into `content`. False, with the problem, when it is larger than
/// `largest` bytes (`tooLarge` ends that message: " is larger than ...") or cannot be read
/// (`what` names it: "the plan").
bool readCsvFile(const std::string& path, std::uintmax_t largest, const std::string& tooLarge,
                 const std::string& what, std::string& content, std::vector<std::string>& problems);

/// Reads the header line into `names`; false, with the problem naming `path`, when there is none
/// or it is malformed.
bool readCsvHeader(CsvReader& reader, const std::string& path, std::vector<std::string>& names,
                   std::vector<std::string>& problems);

/// `text` as one CSV field: quoted, with quotes doubled, when it holds a comma, a quote, a line
/// end or blanks at either end; otherwise as it is.
std::string csvField(const std::string& text);
