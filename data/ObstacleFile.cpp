#include "data/ObstacleFile.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/NumberText.h"
#include "core/TextEncoding.h"
#include "data/RecordingLimits.h"
#include "data/TextFile.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool ObstacleFile::load(const std::string& path, double metresPerUnit, std::string& error) {
    std::string text;
    if (!TextFile::read(path, "an obstacle file", text, error)) {
        return false;
    }
    if (!loadText(std::move(text), metresPerUnit, error)) {
        error = "\"" + path + "\": " + error;
        return false;
    }
    return true;
}

bool ObstacleFile::loadText(std::string text, double metresPerUnit, std::string& error) {
    segments.clear();
    const auto refuse = [&](size_t line, const std::string& message) {
        segments.clear();
        error = "Line " + std::to_string(line) + ": " + message;
        return false;
    };
    if (!TextEncoding::toUtf8Lines(text, error)) {
        return false;
    }
    size_t line = 0;
    for (size_t start = 0; start < text.size();) {
        ++line;
        const size_t newline = std::min(text.find('\n', start), text.size());
        const size_t end = std::min(text.find('#', start), newline);
        double values[4] = {};
        size_t count = 0;
        for (size_t at = start; at < end;) {
            if (isBlank(text[at])) {
                ++at;
                continue;
            }
            size_t stop = at;
            while (stop < end && !isBlank(text[stop])) {
                ++stop;
            }
            // The token is followed by a blank, "#" or a line break, where a number stops.
            const char* after = nullptr;
            const double value = NumberText::toDouble(text.c_str() + at, &after);
            if (after != text.c_str() + stop || !std::isfinite(static_cast<float>(value))) {
                return refuse(
                    line,
                    "\"" + TextEncoding::printable(std::string_view(text).substr(at, stop - at)) +
                        "\" is not a finite number.");
            }
            if (std::fabs(value * metresPerUnit) > RecordingLimits::largestCoordinate) {
                return refuse(line, "\"" + NumberText::format("%g", value) +
                                        "\" lies farther than " + RecordingLimits::coordinateText +
                                        " from the origin, which no scene of pedestrians holds.");
            }
            if (count < 4) {
                values[count] = value * metresPerUnit;
            }
            ++count;
            at = stop;
        }
        if (count != 0 && count != 4) {
            return refuse(line, std::to_string(count) + (count == 1 ? " value" : " values") +
                                    ", but an obstacle segment is x1 y1 x2 y2.");
        }
        if (count == 4) {
            segments.push_back({static_cast<float>(values[0]), static_cast<float>(values[1]),
                                static_cast<float>(values[2]), static_cast<float>(values[3])});
        }
        start = newline + 1;
    }
    return true;
}
