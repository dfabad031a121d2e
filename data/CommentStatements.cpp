#include "data/CommentStatements.h"

#include <cctype>
#include <cmath>
#include <string>

#include "core/NumberText.h"

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

/// The frame rate that a comment states: the first number after a frame-rate word, else the
/// last one before it; 0 when the comment names no frame rate with a positive number.
double statedRate(const std::string& comment) {
    for (const char* word : rateWords) {
        const size_t at = comment.find(word);
        if (at == std::string::npos) {
            continue;
        }
        const size_t after = at + std::string(word).size();
        double before = 0.0;
        // Numbers are runs of digits with at most one decimal point that do not continue a
        // word ("x1" is a name, not a number).
        for (size_t i = 0; i < comment.size();) {
            if (!isDigit(comment[i]) ||
                (i > 0 && (isLetter(comment[i - 1]) || comment[i - 1] == '.'))) {
                ++i;
                continue;
            }
            size_t end = i;
            bool point = false;
            while (end < comment.size() &&
                   (isDigit(comment[end]) || (comment[end] == '.' && !point))) {
                point = point || comment[end] == '.';
                ++end;
            }
            const double value = NumberText::toDouble(comment.substr(i, end - i).c_str());
            if (value > 0.0 && std::isfinite(value)) {
                if (i >= after) {
                    return value;
                }
                if (end <= at) {
                    before = value;
                }
            }
            i = end;
        }
        return before;
    }
    return 0.0;
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
    if (const double fps = statedRate(text)) {
        rate.add(fps, line);
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
    return rate.result(value, error, "frame rates", "frames per second");
}

bool CommentStatements::metresPerUnit(double& value, std::string& error) const {
    return unit.result(value, error, "length units", "m per unit");
}
