#include "calibration/ParameterSpace.h"

ParameterSpace ParameterSpace::perPedestrian(const ParameterTable& table,
                                             const std::vector<PDF>& distributions,
                                             int pedestrians) {
    ParameterSpace space;
    space.rowCount = pedestrians;
    space.columnCount = static_cast<int>(distributions.size());
    space.entries.reserve(static_cast<std::size_t>(space.rowCount) * distributions.size());
    for (int k = 0; k < space.columnCount; ++k) {
        for (int i = 0; i < pedestrians; ++i) {
            Entry entry;
            entry.row = i;
            entry.column = k;
            entry.distribution = distributions[static_cast<std::size_t>(k)];
            entry.best = table.at(i, k);
            space.entries.push_back(entry);
        }
    }
    return space;
}

ParameterSpace ParameterSpace::shared(const ParameterTable& table,
                                      const std::vector<PDF>& distributions,
                                      const std::vector<float>& defaults) {
    ParameterSpace space;
    space.kind = ParameterScope::shared;
    space.rowCount = 1;
    space.columnCount = static_cast<int>(distributions.size());
    for (int k = 0; k < space.columnCount; ++k) {
        Entry entry;
        entry.column = k;
        entry.distribution = distributions[static_cast<std::size_t>(k)];
        const bool inTable = table.rows() > 0 && k < table.columns();
        entry.best = inTable                                         ? table.at(0, k)
                     : static_cast<std::size_t>(k) < defaults.size() ? defaults[k]
                                                                     : 0.0f;
        space.entries.push_back(entry);
    }
    return space;
}

ParameterSpace ParameterSpace::of(ParameterScope scope, const ParameterTable& table,
                                  const std::vector<PDF>& distributions,
                                  const std::vector<float>& defaults, int pedestrians) {
    return scope == ParameterScope::shared ? shared(table, distributions, defaults)
                                           : perPedestrian(table, distributions, pedestrians);
}

float ParameterSpace::value(const ParameterTable& table, std::size_t e) const {
    return table.at(firstRow(entries[e].row), entries[e].column);
}

void ParameterSpace::write(ParameterTable table, std::size_t e, float value) const {
    const Entry& entry = entries[e];
    for (int i = firstRow(entry.row); i < endRow(table, entry.row); ++i) {
        table.at(i, entry.column) = value;
    }
}

void ParameterSpace::readAll(const ParameterTable& table, float* values) const {
    // A shared space over a table without rows has nothing to read.
    for (int i = 0; i < rowCount && firstRow(i) < table.rows(); ++i) {
        for (int k = 0; k < columnCount; ++k) {
            values[valueIndex(i, k)] = table.at(firstRow(i), k);
        }
    }
}

void ParameterSpace::writeAll(ParameterTable table, const float* values) const {
    for (int i = 0; i < rowCount; ++i) {
        for (int t = firstRow(i); t < endRow(table, i); ++t) {
            for (int k = 0; k < columnCount; ++k) {
                table.at(t, k) = values[valueIndex(i, k)];
            }
        }
    }
}
