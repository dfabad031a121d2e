#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/ParameterScope.h"
#include "data/ReadingOptions.h"

/// The "options" column of a sweep plan or an experiment list: command-line options for one
/// file, split at blanks (quotes keep a value with blanks together).
namespace OptionsColumn {

/// Splits `text` into `words`; false, with `error`, for an unclosed quote.
bool split(const std::string& text, std::vector<std::string>& words, std::string& error);

/// Makes the path after every "--obstacles" relative to `folder`, as the file's own path is.
void resolveObstacles(const std::filesystem::path& folder, std::vector<std::string>& words);

/// The path as written, or relative to `folder` when it is relative.
std::string resolved(const std::filesystem::path& folder, const std::string& path);

/// Reads reading options (and, when `scope` is given, "--scope") from `words` with the checks of
/// the command line; the first refusal, or empty.
std::string read(const std::vector<std::string>& words, ReadingOptions& reading,
                 ParameterScope* scope = nullptr);

}  // namespace OptionsColumn
