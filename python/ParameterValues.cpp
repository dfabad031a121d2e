#include "python/ParameterValues.h"

#include <algorithm>

#include "core/AtomicFile.h"
#include "models/Simulation.h"
#include "python/Refusal.h"
#include "python/ScratchFile.h"
#include "run/Record.h"

std::shared_ptr<ParameterValues> ParameterValues::of(Record& record, ParameterScope scope,
                                                     std::string label) {
    auto made = std::make_shared<ParameterValues>();
    const Simulation& model = *record.boundSimulation();
    // Written by the record itself, so that the text is byte for byte the file that
    // `--save-params` writes and that every reader of parameter files loads.
    const ScratchFile file;
    if (!record.saveParameters(file.path(), scope)) {
        throw Refusal(record.lastError());
    }
    made->fileText = file.text();
    made->modelName = model.name;
    made->fileScope = scope;
    made->origin = std::move(label);
    const std::vector<std::string>& named = model.agentParameterNames();
    const int columns = model.agentParameterCount();
    for (int k = 0; k < columns; ++k) {
        made->parameterNames.push_back(k < static_cast<int>(named.size())
                                           ? named[static_cast<std::size_t>(k)]
                                           : "parameter_" + std::to_string(k));
    }
    const ParameterTable values = record.parameters();
    if (scope == ParameterScope::shared && values.rows() == 0) {
        // Nobody to hold them: the file holds the defaults, and so does the row.
        made->rowCount = 1;
        made->table = model.parameterDefaults();
        return made;
    }
    made->rowCount =
        scope == ParameterScope::shared ? 1 : std::min(record.simulatedCount, values.rows());
    for (int row = 0; row < made->rowCount; ++row) {
        for (int k = 0; k < columns; ++k) {
            made->table.push_back(values.at(row, k));
        }
    }
    return made;
}

void ParameterValues::save(const std::string& path) const {
    std::string error;
    if (!AtomicFile::replaceWith(path, fileText, error)) {
        throw Refusal::ofFile(error, 0);
    }
}
