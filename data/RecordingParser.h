#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/CommentStatements.h"
#include "data/Parser.h"
#include "data/ReadingOptions.h"
#include "data/TrajectoryBuilder.h"

/// Base of the readers of recorded trajectories, files of rows (id, frame or time, x, y) in
/// which pedestrians enter and leave. A subclass reads its format's rows; this class reads the
/// file, builds the experiment's arrays from the rows (TrajectoryBuilder) and hands them over.
/// A refused file builds nothing, and the message names the line and what is wrong.
class RecordingParser : public Parser {
public:
    RecordingParser(std::string fileExtension, std::string format)
        : Parser(std::move(fileExtension)), format(std::move(format)) {}

    std::string formatName() const override { return format; }
    double appliedMetresPerUnit() const override { return table.metresPerUnit; }
    void setReadingOptions(const ReadingOptions& readingOptions) override {
        options = readingOptions;
    }

    bool load(const std::string& path) override;
    /// Reads a recording held in memory; the same as load without the file.
    bool loadText(std::string text);

    void fill(ExperimentData& data) override;
    void fillPresence(std::vector<int>& presentFirst, std::vector<int>& presentLast,
                      std::vector<std::ptrdiff_t>& sampleBase) override;
    void fillDirections(std::vector<float>& directions, std::vector<float>& speeds) override;

protected:
    /// Reads the rows of `text` (whole, NUL-terminated) and what the file states about itself.
    /// Returns false after fail() or failAt() has said why.
    virtual bool readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                          RecordingFacts& facts) = 0;

    /// Calls visit(line, number) for each line (without its line break and a carriage return
    /// before it), numbered from 1, until visit returns false; returns whether all were visited.
    template <class Visit>
    static bool forEachLine(const std::string& text, Visit visit);
    /// forEachLine for the lines that hold data: blank lines are skipped, "#" comments go to
    /// `comments`, and visit(content, number) gets the others without their outer blanks.
    template <class Visit>
    static bool forEachDataLine(const std::string& text, CommentStatements& comments, Visit visit);
    /// Lines that hold something other than blanks and are not "#" comments: an upper bound of
    /// the rows, so that their storage is reserved once.
    static size_t countDataLines(const std::string& text);
    /// `line` without the blanks around it.
    static std::string_view trim(std::string_view line);
    /// Splits a line at runs of blanks and tabs into at most `max` fields; returns the number
    /// of fields the line has (which may exceed `max`).
    static size_t splitBlanks(std::string_view line, std::string_view* fields, size_t max);

    /// Reads a finite number (as a float) or a whole number (within ±2^53) that fills the whole
    /// field; otherwise fails with the line number, naming the value as `what`.
    /// True when the whole field is a whole number within ±2^53 (the value goes to `value`).
    static bool parseWhole(std::string_view field, double& value);
    bool readReal(std::string_view field, const char* what, std::uint32_t line, double& value);
    bool readWhole(std::string_view field, const char* what, std::uint32_t line, double& value);
    /// Reads the frame rate and unit statements of the comments into `facts`.
    bool takeStatements(const CommentStatements& comments, RecordingFacts& facts);

    bool fail(std::string message);
    bool failAt(std::uint32_t line, const std::string& message);
    /// A field as it appears in a message: quoted and cut short.
    static std::string quoted(std::string_view field);

    ReadingOptions options;
    /// True while readRows' ids refer into the text, which then lives until the build is done.
    bool keepText = false;

private:
    std::string format;
    TrajectoryTable table;
    bool valid = false;
};

template <class Visit>
bool RecordingParser::forEachLine(const std::string& text, Visit visit) {
    std::uint32_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        end = end == std::string::npos ? text.size() : end;
        if (end > start && text[end - 1] == '\r') {
            --end;
        }
        if (!visit(std::string_view(text).substr(start, end - start), ++number)) {
            return false;
        }
        start = next;
    }
    return true;
}

template <class Visit>
bool RecordingParser::forEachDataLine(const std::string& text, CommentStatements& comments,
                                      Visit visit) {
    return forEachLine(text, [&](std::string_view whole, std::uint32_t line) {
        const std::string_view content = trim(whole);
        if (content.empty()) {
            return true;
        }
        if (content.front() == '#') {
            comments.read(content.substr(1), line);
            return true;
        }
        return visit(content, line);
    });
}
