#pragma once

#include <optional>
#include <string>

#include "app/commands/EvaluateRequest.h"

/// Readers of option values: each accepts the whole text as a value of its kind or leaves the
/// target as it was, so that the option table can name the expected form.
namespace OptionValues {

/// A whole number of at least `low`.
bool wholeNumber(const std::string& text, int low, int& value);
/// A seed of the random generator: a whole number from 0 to 4294967295.
bool seed(const std::string& text, std::optional<unsigned>& value);
/// Any number (a time in seconds).
bool number(const std::string& text, double& value);
/// A number of at least `low`.
bool numberOfAtLeast(const std::string& text, double low, double& value);
/// A frame rate that a recording of pedestrians may have.
bool frameRate(const std::string& text, double& framesPerSecond);
/// A length unit: m, cm or mm, as metres per unit.
bool lengthUnit(const std::string& text, double& metresPerUnit);
/// "Parameter name=text", appended to `settings`; the name may not be empty.
bool setting(const std::string& text, ParameterSettings& settings);
/// Text that matches the regular expression `pattern` as a whole.
bool matching(const std::string& text, const char* pattern, std::string& value);

}  // namespace OptionValues
