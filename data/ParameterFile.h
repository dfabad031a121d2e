#pragma once

#include <string>
#include <vector>

#include "core/ParameterScope.h"
#include "core/ParameterTable.h"

class AtomicFile;

/// The parameter file: "#--PARAMETERS--", then for each model parameter k a section
/// "%parameter_k" with its values, written in hexadecimal ("%a") so that a save and a load give
/// back every value exactly; decimal values load too.
///
/// A per-pedestrian file holds one value per pedestrian of one recording in each section. A
/// shared file starts with the sections "%scope shared" and "%model NAME" and holds one value per
/// parameter, which every pedestrian of any recording takes; it loads only for that model.
namespace ParameterFile {

/// Writes the first `pedestrians` rows of `table` into `out` as a per-pedestrian file and
/// finishes it without replacing its target. False, with `error`, when the text could not be
/// written.
bool write(const ParameterTable& table, int pedestrians, AtomicFile& out, std::string& error);

/// Writes `values` (one per parameter) as a shared file of the model named `model`, finished as
/// write finishes it.
bool writeShared(const std::vector<float>& values, const std::string& model, AtomicFile& out,
                 std::string& error);

/// Reads `path` into `table`, which belongs to the model named `model`: a per-pedestrian file
/// into its first `pedestrians` rows (each section must hold exactly that many values), a shared
/// file (of the same model) into every row. Every section and value is checked before the first
/// one is written, so a missing, unreadable, short or foreign file changes nothing. False, with
/// `error` naming the file and what does not fit; `scope`, when given, says which kind was read.
bool read(const std::string& path, ParameterTable table, int pedestrians, const std::string& model,
          std::string& error, ParameterScope* scope = nullptr);

}  // namespace ParameterFile
