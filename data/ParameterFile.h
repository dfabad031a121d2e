#pragma once

#include <string>

#include "core/ParameterTable.h"

class AtomicFile;

/// The parameter file: "#--PARAMETERS--", then for each model parameter k a section
/// "%parameter_k" with one value per pedestrian, written in hexadecimal ("%a") so that a save and
/// a load give back every value exactly; decimal values load too.
namespace ParameterFile {

/// Writes the first `pedestrians` rows of `table` into `out` and finishes it without replacing
/// its target. False, with `error`, when the text could not be written.
bool write(const ParameterTable& table, int pedestrians, AtomicFile& out, std::string& error);

/// Reads `path` into the first `pedestrians` rows of `table`. Every section and value is checked
/// before the first one is written, so a missing, unreadable or short file changes nothing.
/// False, with `error` naming the file and what is missing.
bool read(const std::string& path, ParameterTable table, int pedestrians, std::string& error);

}  // namespace ParameterFile
