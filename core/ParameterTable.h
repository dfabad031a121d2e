#pragma once

#include <cassert>
#include <vector>

/// Parameter values by (row, column): one row per agent, one column per parameter, stored row
/// after row. It views the values where their owner keeps them (a simulation's vector), so a
/// table taken afresh after the owner has resized them is always valid, where a pointer into
/// them would dangle.
class ParameterTable {
public:
    /// Views `values` as rows of `columns` values each.
    ParameterTable(std::vector<float>& values, int columns) : cells(&values), width(columns) {}

    /// Rows the values hold whole; 0 without columns.
    int rows() const {
        return width > 0 ? static_cast<int>(cells->size() / static_cast<std::size_t>(width)) : 0;
    }
    int columns() const { return width; }

    float& at(int row, int column) { return (*cells)[index(row, column)]; }
    float at(int row, int column) const { return (*cells)[index(row, column)]; }

    /// Every value, row after row.
    std::vector<float>& values() { return *cells; }
    const std::vector<float>& values() const { return *cells; }

private:
    std::size_t index(int row, int column) const {
        assert(row >= 0 && row < rows() && column >= 0 && column < width);
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(column);
    }

    std::vector<float>* cells;
    int width;
};
