#include "data/CommentStatements.h"

#include <cctype>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/NumberText.h"
#include "data/RecordingLimits.h"

namespace {

constexpr double metresPerCentimetre = 0.01;
constexpr double metresPerMillimetre = 0.001;

const char* const rateWords[] = {"framerate",         "frame rate", "frame-rate",
                                 "frames per second", "frames/s",   "fps"};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNumberCharacter(char c) {
    return isDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e';
}

/// The numbers of a comment as [begin, end) ranges: runs of digits, points, signs and exponents
/// that do not continue a word or another number ("x1" and "v1.2" are names) and hold a digit.
/// They are taken whole, so that "-16" or "16.5.3" can be refused rather than read as 16 or 16.5.
std::vector<std::pair<size_t, size_t>> numbersOf(const std::string& comment) {
    std::vector<std::pair<size_t, size_t>> numbers;
    for (size_t i = 0; i < comment.size();) {
        const char previous = i > 0 ? comment[i - 1] : ' ';
        if (!isNumberCharacter(comment[i]) || comment[i] == 'e' || isLetter(previous) ||
            isDigit(previous) || previous == '.' || previous == '_') {
            ++i;
            continue;
        }
        size_t end = i;
        bool digit = false;
        while (end < comment.size() && isNumberCharacter(comment[end]) &&
               (comment[end] != 'e' ||
                (end + 1 < comment.size() && isNumberCharacter(comment[end + 1])))) {
            digit = digit || isDigit(comment[end]);
            ++end;
        }
        if (digit) {
            numbers.emplace_back(i, end);
        }
        i = end;
    }
    return numbers;
}

/// The frame rate that a comment states, as written: the number just before a frame-rate word
/// ("25 fps"), else the first number after it ("framerate: 16"), else the last one before it;
/// empty when the comment names no frame rate with a number.
std::string statedRate(const std::string& comment) {
    for (const char* word : rateWords) {
        const size_t at = comment.find(word);
        if (at == std::string::npos) {
            continue;
        }
        const size_t after = at + std::string(word).size();
        const auto numbers = numbersOf(comment);
        const auto text = [&](const std::pair<size_t, size_t>& number) {
            return comment.substr(number.first, number.second - number.first);
        };
        const std::pair<size_t, size_t>* before = nullptr;
        for (const auto& number : numbers) {
            if (number.second <= at) {
                before = &number;
            }
        }
        if (before && comment.find_first_not_of(" \t", before->second) == at) {
            return text(*before);
        }
        for (const auto& number : numbers) {
            if (number.first >= after) {
                return text(number);
            }
        }
        return before ? text(*before) : std::string();
    }
    return std::string();
}

}  // namespace

double CommentStatements::unitWord(std::string_view word, bool bareMetreAllowed) {
    if (word == "m") {
        return bareMetreAllowed ? 1.0 : 0.0;
    }
    for (const char* metre : {"metre", "meter", "metres", "meters"}) {
        if (word == metre) {
            return 1.0;
        }
    }
    for (const char* centimetre :
         {"cm", "centimetre", "centimeter", "centimetres", "centimeters"}) {
        if (word == centimetre) {
            return metresPerCentimetre;
        }
    }
    for (const char* millimetre :
         {"mm", "millimetre", "millimeter", "millimetres", "millimeters"}) {
        if (word == millimetre) {
            return metresPerMillimetre;
        }
    }
    return 0.0;
}

void CommentStatements::read(std::string_view comment, std::uint32_t line) {
    const std::string text = lowerCase(comment);
    const std::string fps = statedRate(text);
    if (!fps.empty()) {
        const double value = NumberText::toDouble(fps.c_str());
        if (NumberText::isCompleteNumber(fps) && value >= RecordingLimits::lowestFrameRate &&
            value <= RecordingLimits::highestFrameRate) {
            rate.add(value, line);
        } else if (badRateLine == 0) {
            badRate = fps;
            badRateLine = line;
        }
    }
    // Words of letters; a bare "m" is a unit only where units are written ("x/m", "in m",
    // "[m]", "(m)"), since elsewhere it is just a letter.
    for (size_t i = 0; i < text.size();) {
        if (!isLetter(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && isLetter(text[end])) {
            ++end;
        }
        const bool marked =
            i > 0 &&
            (text[i - 1] == '/' || text[i - 1] == '[' || text[i - 1] == '(' ||
             (i >= 3 && text.compare(i - 3, 3, "in ") == 0 && (i == 3 || !isLetter(text[i - 4]))));
        const bool wholeWord = end == text.size() || !isDigit(text[end]);
        if (const double metres = unitWord(std::string_view(text).substr(i, end - i), marked)) {
            if (wholeWord) {
                unit.add(metres, line);
            }
        }
        i = end;
    }
}

void CommentStatements::Statement::add(double stated, std::uint32_t at) {
    if (line == 0) {
        value = stated;
        line = at;
    } else if (stated != value && otherLine == 0) {
        otherValue = stated;
        otherLine = at;
    }
}

bool CommentStatements::Statement::result(double& out, std::string& error, const char* what,
                                          const char* unitName) const {
    out = value;
    if (otherLine == 0) {
        return true;
    }
    error = NumberText::format(
        "The comments state two %s: %g %s on line %u and %g %s on line %u; give the one to use "
        "with %s.",
        what, value, unitName, line, otherValue, unitName, otherLine,
        std::string(what) == "frame rates" ? "--fps" : "--unit");
    return false;
}

bool CommentStatements::framesPerSecond(double& value, std::string& error) const {
    if (badRateLine != 0) {
        value = 0.0;
        error = "Line " + std::to_string(badRateLine) + ": the comment states the frame rate \"" +
                badRate + "\", which is not a number from " + RecordingLimits::frameRateText +
                "; give the frame rate with --fps.";
        return false;
    }
    return rate.result(value, error, "frame rates", "frames per second");
}

bool CommentStatements::metresPerUnit(double& value, std::string& error) const {
    return unit.result(value, error, "length units", "m per unit");
}
