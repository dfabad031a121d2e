#pragma once

#include <string>
#include <vector>

#include "app/commands/ExperimentSource.h"

/// A list of recordings: CSV with a header naming the column experiment and optionally options
/// (reading options for that file, as in a sweep plan's options column). Relative paths, of the
/// files and of --obstacles files, are taken from the list's folder.
namespace ExperimentList {

/// Reads the list at `path` into `sources`. False, with one message per problem (the file and
/// line of each), when the list cannot be read, a row is malformed or names an empty file, or it
/// lists no recording; `sources` is then left empty. With `options`, also each recording's
/// reading options as words, --obstacles resolved, to write them into another list.
bool read(const std::string& path, std::vector<ExperimentSource>& sources,
          std::vector<std::string>& problems,
          std::vector<std::vector<std::string>>* options = nullptr);

}  // namespace ExperimentList
