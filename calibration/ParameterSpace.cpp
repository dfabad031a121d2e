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

float ParameterSpace::value(const ParameterTable& table, std::size_t e) const {
    return table.at(entries[e].row, entries[e].column);
}

void ParameterSpace::write(ParameterTable table, std::size_t e, float value) const {
    table.at(entries[e].row, entries[e].column) = value;
}

void ParameterSpace::readAll(const ParameterTable& table, float* values) const {
    for (int i = 0; i < rowCount; ++i) {
        for (int k = 0; k < columnCount; ++k) {
            values[valueIndex(i, k)] = table.at(i, k);
        }
    }
}

void ParameterSpace::writeAll(ParameterTable table, const float* values) const {
    for (int i = 0; i < rowCount; ++i) {
        for (int k = 0; k < columnCount; ++k) {
            table.at(i, k) = values[valueIndex(i, k)];
        }
    }
}
