#pragma once

#include <string>

#include "data/RecordingParser.h"

/// Reader of recordings written as columns separated by blanks or tabs, one row per line, with
/// "#" comments that may state the frame rate and the length unit. Its subclasses fix which
/// column holds what.
///
/// Both column formats also read the eight-column form "frame id x z y vx vz vy" (positions in
/// columns 3 and 5; the velocity columns are not used, velocities come from the positions):
/// a file whose first row has eight columns is read in that form whichever of the two formats
/// was chosen, since neither of their own forms has eight columns. So a ".txt" file, read by
/// default as juelich, needs "--format eth" only when it holds four columns "frame id x y"; such a
/// file read by its extension is refused with a message that says so.
class ColumnParser : public RecordingParser {
public:
    /// Where the values of a row are, and how many columns a row may have.
    struct Layout {
        int id, frame, x, y;
        size_t minColumns, maxColumns;
        const char* form;  ///< the columns in words, for messages
    };

protected:
    ColumnParser(std::string fileExtension, std::string format, Layout layout,
                 std::string frameRateHint)
        : RecordingParser(std::move(fileExtension), std::move(format)),
          plain(layout),
          hint(std::move(frameRateHint)) {}

    bool readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                  RecordingFacts& facts) override;

private:
    /// Refuses a file read as "id frame ..." whose tracks are far smoother with the first two
    /// columns swapped, naming the format that reads it; true when there is no such sign.
    bool refuseSwappedColumns(const std::vector<TrajectoryRow>& rows);

    Layout plain;
    std::string hint;
};
