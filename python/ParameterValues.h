#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ParameterScope.h"

class Record;

/// Agent parameter values as a parameter file holds them, kept in memory: what a calibration
/// found, to look at, to save for the desktop program and `--load-params`, or to start another
/// run from. A value: it never changes once made.
class ParameterValues {
public:
    /// The values of the model bound to `record` in `scope`, exactly as Record::saveParameters
    /// writes them; `label` names them in messages. Throws Refusal when they cannot be written
    /// (in the shared scope, pedestrians that hold different values).
    static std::shared_ptr<ParameterValues> of(Record& record, ParameterScope scope,
                                               std::string label);

    /// The model whose parameters these are.
    const std::string& model() const { return modelName; }
    ParameterScope scope() const { return fileScope; }
    /// The agent parameters in the model's order ("parameter_K" for a model that names none).
    const std::vector<std::string>& names() const { return parameterNames; }
    /// One row per pedestrian, or one row shared by all.
    int rows() const { return rowCount; }
    /// rows() × names().size() values, row after row.
    const std::vector<float>& values() const { return table; }
    /// The parameter file.
    const std::string& text() const { return fileText; }
    /// How messages and file comments name these values.
    const std::string& label() const { return origin; }
    /// Writes the parameter file to `path`, replacing it only when all was written; throws
    /// Refusal when it cannot be.
    void save(const std::string& path) const;

private:
    std::string modelName;
    ParameterScope fileScope = ParameterScope::pedestrian;
    std::vector<std::string> parameterNames;
    int rowCount = 0;
    std::vector<float> table;
    std::string fileText;
    std::string origin;
};
