#include "app/OptionValues.h"

#include <cerrno>
#include <cstdlib>
#include <regex>
#include <utility>

#include "core/NumberText.h"
#include "data/RecordingLimits.h"

namespace OptionValues {

bool wholeNumber(const std::string& text, int low, int& value) {
    if (!NumberText::isCompleteInt(text) || std::atoi(text.c_str()) < low) {
        return false;
    }
    value = std::atoi(text.c_str());
    return true;
}

bool seed(const std::string& text, std::optional<unsigned>& value) {
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
    // strtoull reads "-1" as the largest value, which no one means as a seed.
    if (text.empty() || *end != '\0' || text[0] == '-' || errno == ERANGE ||
        parsed > 0xFFFFFFFFull) {
        return false;
    }
    value = static_cast<unsigned>(parsed);
    return true;
}

bool number(const std::string& text, double& value) {
    if (!NumberText::isCompleteNumber(text)) {
        return false;
    }
    value = NumberText::toDouble(text.c_str());
    return true;
}

bool numberOfAtLeast(const std::string& text, double low, double& value) {
    const double parsed = NumberText::toDouble(text.c_str());
    if (!NumberText::isCompleteNumber(text) || parsed < low) {
        return false;
    }
    value = parsed;
    return true;
}

bool frameRate(const std::string& text, double& framesPerSecond) {
    const double fps = NumberText::toDouble(text.c_str());
    if (!NumberText::isCompleteNumber(text) || !(fps >= RecordingLimits::lowestFrameRate) ||
        !(fps <= RecordingLimits::highestFrameRate)) {
        return false;
    }
    framesPerSecond = fps;
    return true;
}

bool lengthUnit(const std::string& text, double& metresPerUnit) {
    const std::pair<const char*, double> units[] = {{"m", 1.0}, {"cm", 0.01}, {"mm", 0.001}};
    for (const auto& [name, metres] : units) {
        if (text == name) {
            metresPerUnit = metres;
            return true;
        }
    }
    return false;
}

bool setting(const std::string& text, ParameterSettings& settings) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        return false;
    }
    settings.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    return true;
}

bool matching(const std::string& text, const char* pattern, std::string& value) {
    if (!std::regex_match(text, std::regex(pattern))) {
        return false;
    }
    value = text;
    return true;
}

}  // namespace OptionValues
