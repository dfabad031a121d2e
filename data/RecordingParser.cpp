#include "data/RecordingParser.h"

#include <cmath>

#include "core/NumberText.h"
#include "core/TextEncoding.h"
#include "data/ExperimentData.h"
#include "data/TextFile.h"

namespace {

/// Largest whole number that a double holds exactly (2^53).
constexpr double wholeLimit = 9007199254740992.0;
/// Longest field shown in a message (bytes).
constexpr size_t shownField = 40;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool RecordingParser::fail(std::string message) {
    error = std::move(message);
    valid = false;
    table = TrajectoryTable();
    return false;
}

bool RecordingParser::failAt(std::uint32_t line, const std::string& message) {
    return fail("Line " + std::to_string(line) + ": " + message);
}

std::string RecordingParser::quoted(std::string_view field) {
    return "\"" + TextEncoding::printable(field, shownField) + "\"";
}

bool RecordingParser::load(const std::string& path) {
    std::string text;
    if (!TextFile::read(path, "a recording", text, error)) {
        return fail(error);
    }
    if (!loadText(std::move(text))) {
        error = "\"" + path + "\": " + error;
        return false;
    }
    return true;
}

bool RecordingParser::loadText(std::string text) {
    valid = false;
    keepText = false;
    error.clear();
    remarks.clear();
    table = TrajectoryTable();
    if (text.size() > TextFile::maxSize) {
        return fail("The text is larger than 1 GiB, more than a recording may hold.");
    }
    std::string encodingError;
    if (!TextEncoding::toUtf8Lines(text, encodingError)) {
        return fail(encodingError);
    }
    std::vector<TrajectoryRow> rows;
    RecordingFacts facts;
    if (!readRows(text, rows, facts)) {
        return false;
    }
    if (!keepText) {
        std::string().swap(text);
    }
    TrajectoryBuilder builder(options, facts);
    std::string message;
    if (!builder.build(rows, table, message, remarks)) {
        return fail(message);
    }
    valid = true;
    return true;
}

size_t RecordingParser::countDataLines(const std::string& text) {
    size_t count = 0;
    forEachLine(text, [&](std::string_view line, std::uint32_t) {
        const std::string_view content = trim(line);
        count += !content.empty() && content.front() != '#';
        return true;
    });
    return count;
}

std::string_view RecordingParser::trim(std::string_view line) {
    size_t begin = 0;
    size_t end = line.size();
    while (begin < end && isBlank(line[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(line[end - 1])) {
        --end;
    }
    return line.substr(begin, end - begin);
}

size_t RecordingParser::splitBlanks(std::string_view line, std::string_view* fields, size_t max) {
    size_t count = 0;
    for (size_t i = 0; i < line.size();) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        if (count < max) {
            fields[count] = line.substr(start, i - start);
        }
        ++count;
    }
    return count;
}

bool RecordingParser::readReal(std::string_view field, const char* what, std::uint32_t line,
                               double& value) {
    // The field is followed in the text by a delimiter that cannot continue a number, so the
    // conversion stops at its end when the whole field is a number.
    const char* end = nullptr;
    value = NumberText::toDouble(field.data(), &end);
    if (field.empty() || end != field.data() + field.size() ||
        !std::isfinite(static_cast<float>(value))) {
        return failAt(
            line, std::string("the ") + what + " " + quoted(field) + " is not a finite number.");
    }
    return true;
}

bool RecordingParser::parseWhole(std::string_view field, double& value) {
    const char* end = nullptr;
    value = NumberText::toDouble(field.data(), &end);
    if (field.empty() || end != field.data() + field.size() || !(std::fabs(value) <= wholeLimit) ||
        value != std::floor(value)) {
        return false;
    }
    value += 0.0;  // -0 and 0 are one frame and one id
    return true;
}

bool RecordingParser::readWhole(std::string_view field, const char* what, std::uint32_t line,
                                double& value) {
    if (!parseWhole(field, value)) {
        return failAt(line,
                      std::string("the ") + what + " " + quoted(field) + " is not a whole number.");
    }
    return true;
}

bool RecordingParser::takeStatements(const CommentStatements& comments, RecordingFacts& facts) {
    std::string message;
    if (options.framesPerSecond <= 0.0 &&
        !comments.framesPerSecond(facts.framesPerSecond, message)) {
        return fail(message);
    }
    if (options.metresPerUnit <= 0.0 && !comments.metresPerUnit(facts.metresPerUnit, message)) {
        return fail(message);
    }
    return true;
}

void RecordingParser::fill(ExperimentData& data) {
    if (!valid) {
        return;
    }
    data.pedestrianCount = table.pedestrianCount;
    data.frameCount = table.frameCount;
    data.posX = std::move(table.posX);
    data.posY = std::move(table.posY);
    data.velX = std::move(table.velX);
    data.velY = std::move(table.velY);
    data.times = std::move(table.times);
    data.obstacles.clear();
    data.timeDriven = true;
}

void RecordingParser::fillPresence(std::vector<int>& presentFirst, std::vector<int>& presentLast,
                                   std::vector<std::ptrdiff_t>& sampleBase) {
    if (!valid) {
        return;
    }
    presentFirst = std::move(table.presentFirst);
    presentLast = std::move(table.presentLast);
    sampleBase = std::move(table.sampleBase);
    valid = false;  // the arrays have been handed over
}

void RecordingParser::fillDirections(std::vector<float>& directions, std::vector<float>& speeds) {
    directions = std::move(table.directions);
    speeds = std::move(table.speeds);
}
