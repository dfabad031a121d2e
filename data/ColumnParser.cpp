#include "data/ColumnParser.h"

#include "core/NumberText.h"

namespace {

constexpr ColumnParser::Layout eightColumns{1, 0, 2, 4, 8, 8, "frame id x z y vx vz vy"};
constexpr size_t mostColumns = 8;

}  // namespace

bool ColumnParser::readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                            RecordingFacts& facts) {
    rows.reserve(countDataLines(text));
    CommentStatements comments;
    const Layout* layout = nullptr;
    const bool complete =
        forEachDataLine(text, comments, [&](std::string_view content, std::uint32_t line) {
            std::string_view fields[mostColumns];
            const size_t count = splitBlanks(content, fields, mostColumns);
            if (!layout) {
                layout = count == eightColumns.minColumns ? &eightColumns : &plain;
                if (layout == &eightColumns) {
                    remarks.push_back("The rows have eight columns: read as " +
                                      std::string(eightColumns.form) + ".");
                }
            }
            if (count < layout->minColumns || count > layout->maxColumns) {
                return failAt(line, std::to_string(count) + (count == 1 ? " column" : " columns") +
                                        ", but the rows of this file are " + layout->form + ".");
            }
            TrajectoryRow row;
            double id = 0.0, x = 0.0, y = 0.0;
            if (!readWhole(fields[layout->id], "id", line, id) ||
                !readWhole(fields[layout->frame], "frame", line, row.stamp) ||
                !readReal(fields[layout->x], "x", line, x) ||
                !readReal(fields[layout->y], "y", line, y)) {
                return false;
            }
            row.id = static_cast<std::int64_t>(id);
            row.x = static_cast<float>(x);
            row.y = static_cast<float>(y);
            row.line = line;
            rows.push_back(row);
            return true;
        });
    if (!complete) {
        return false;
    }
    facts.frameRateHint = hint;
    return takeStatements(comments, facts);
}
