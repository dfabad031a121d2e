#pragma once

#include <string>

/// Which values a calibration searches and a parameter file holds: one value of every agent
/// parameter per pedestrian of one recording, or one value of every agent parameter shared by
/// all pedestrians, which fits any recording for the same model.
enum class ParameterScope { pedestrian, shared };

namespace ParameterScopeText {

/// "pedestrian" or "shared".
inline const char* name(ParameterScope scope) {
    return scope == ParameterScope::shared ? "shared" : "pedestrian";
}

/// The scope named `text`; false when it names none.
inline bool parse(const std::string& text, ParameterScope& scope) {
    if (text == "pedestrian" || text == "shared") {
        scope = text == "shared" ? ParameterScope::shared : ParameterScope::pedestrian;
        return true;
    }
    return false;
}

}  // namespace ParameterScopeText
