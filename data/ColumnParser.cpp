#include "data/ColumnParser.h"

#include <algorithm>
#include <cmath>

#include "core/NumberText.h"

namespace {

constexpr ColumnParser::Layout eightColumns{1, 0, 2, 4, 8, 8, "frame id x z y vx vz vy"};
constexpr size_t mostColumns = 8;
/// Rows looked at to tell "id frame" from "frame id" files, so that the test costs little on
/// files of millions of rows.
constexpr size_t rowsCompared = 200000;
/// Steps between rows of one pedestrian that a verdict needs.
constexpr size_t fewestSteps = 20;
/// How much smoother the tracks must be with the columns swapped to call the file swapped. Real
/// tracks move centimetres per frame, while rows of different people on one frame lie metres
/// apart, so the two readings differ by far more than this.
constexpr double swapEvidence = 5.0;

/// Median distance per frame between consecutive rows of one pedestrian, with the id and frame
/// columns as read or swapped; not a number when too few pedestrians have two rows.
double medianTrackStep(const std::vector<TrajectoryRow>& rows, bool swapped) {
    std::vector<TrajectoryRow> sample(rows.begin(),
                                      rows.begin() + std::min(rows.size(), rowsCompared));
    if (swapped) {
        for (TrajectoryRow& row : sample) {
            const double frame = static_cast<double>(row.id);
            row.id = static_cast<std::int64_t>(row.stamp);
            row.stamp = frame;
        }
    }
    std::sort(sample.begin(), sample.end(), [](const TrajectoryRow& a, const TrajectoryRow& b) {
        return a.id != b.id ? a.id < b.id : a.stamp < b.stamp;
    });
    std::vector<double> steps;
    for (size_t i = 1; i < sample.size(); ++i) {
        const TrajectoryRow& a = sample[i - 1];
        const TrajectoryRow& b = sample[i];
        if (a.id == b.id && b.stamp > a.stamp) {
            steps.push_back(std::hypot(double{b.x} - a.x, double{b.y} - a.y) / (b.stamp - a.stamp));
        }
    }
    if (steps.size() < fewestSteps) {
        return std::nan("");
    }
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

}  // namespace

bool ColumnParser::refuseSwappedColumns(const std::vector<TrajectoryRow>& rows) {
    const double asRead = medianTrackStep(rows, false);
    const double swapped = medianTrackStep(rows, true);
    if (!(swapped * swapEvidence < asRead)) {
        return true;
    }
    return fail("The rows look like \"frame id x y\" (street-scene annotations), not \"" +
                std::string(plain.form) +
                "\": with the first column as the frame, pedestrians move " +
                NumberText::format("%.3g", swapped) + " length units per frame, against " +
                NumberText::format("%.3g", asRead) +
                " with the second. Read it with --format eth (and its frame rate, --fps), or "
                "with --format " +
                formatName() + " to read the columns as " + plain.form + ".");
}

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
    // A ".txt" file is read by its extension as "id frame ..." unless told otherwise; street-scene
    // files "frame id x y" read that way give hundreds of pedestrians that jump about.
    if (layout == &plain && plain.id == 0 && options.format.empty() &&
        !refuseSwappedColumns(rows)) {
        return false;
    }
    facts.frameRateHint = hint;
    return takeStatements(comments, facts);
}
