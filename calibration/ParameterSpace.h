#pragma once

#include <cstddef>
#include <vector>

#include "core/PDF.h"
#include "core/ParameterScope.h"
#include "core/ParameterTable.h"

/// The values a calibration searches. Each entry is one value, drawn from its parameter's
/// distribution and written into the cells of a parameter table that it stands for. The entries
/// form a grid of rows × columns (columns are the model's distributed parameters), kept column
/// after column: entry k × rows + i is row i's value of parameter k. A set of searched values,
/// as a population holds them, is laid out row after row, like a parameter table.
///
/// Searching one value per pedestrian makes every row a pedestrian and every entry one cell;
/// the grid then is the parameter table itself. A shared space has one row, whose entries are
/// written into every row of a table, so that all pedestrians walk with the same values; a table
/// of any number of rows (any recording) takes them.
class ParameterSpace {
public:
    /// One searched value.
    struct Entry {
        int row = 0;        ///< the searched row; the table rows it is written to follow from it
        int column = 0;     ///< the model parameter
        int samples = 20;   ///< trial draws per greedy pass
        PDF distribution;   ///< where trial values are drawn from
        float best = 0.0f;  ///< the best value seen
    };

    ParameterSpace() = default;
    /// One value per pedestrian (row of `table`, up to `pedestrians`) and distributed parameter,
    /// each starting as its best the value the table holds.
    static ParameterSpace perPedestrian(const ParameterTable& table,
                                        const std::vector<PDF>& distributions, int pedestrians);
    /// One value per distributed parameter for all rows, each starting as its best the value
    /// the table's first row holds (the parameter's default when the table has no rows).
    static ParameterSpace shared(const ParameterTable& table, const std::vector<PDF>& distributions,
                                 const std::vector<float>& defaults);
    /// The space of `scope` over `table`.
    static ParameterSpace of(ParameterScope scope, const ParameterTable& table,
                             const std::vector<PDF>& distributions,
                             const std::vector<float>& defaults, int pedestrians);

    ParameterScope scope() const { return kind; }

    int rows() const { return rowCount; }
    int columns() const { return columnCount; }
    std::size_t size() const { return entries.size(); }
    Entry& entry(int row, int column) { return entries[index(row, column)]; }
    const Entry& entry(int row, int column) const { return entries[index(row, column)]; }
    /// Where entry (row, column) stands in a set of values laid out row after row.
    std::size_t valueIndex(int row, int column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columnCount) +
               static_cast<std::size_t>(column);
    }

    /// The value entry `e` has in `table` (its first row, for a shared space).
    float value(const ParameterTable& table, std::size_t e) const;
    /// Writes `value` as entry `e` into `table` (into every row, for a shared space).
    void write(ParameterTable table, std::size_t e, float value) const;
    /// Reads every entry from `table` into `values` (rows × columns, row after row).
    void readAll(const ParameterTable& table, float* values) const;
    /// Writes a whole set of values (rows × columns, row after row) into `table`.
    void writeAll(ParameterTable table, const float* values) const;

    /// The entries, column after column.
    std::vector<Entry> entries;

private:
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(column) * static_cast<std::size_t>(rowCount) +
               static_cast<std::size_t>(row);
    }

    /// The table rows that space row `row` stands for.
    int firstRow(int row) const { return shares() ? 0 : row; }
    int endRow(const ParameterTable& table, int row) const {
        return shares() ? table.rows() : row + 1;
    }
    bool shares() const { return kind == ParameterScope::shared; }

    int rowCount = 0;
    int columnCount = 0;
    ParameterScope kind = ParameterScope::pedestrian;
};
