#pragma once

#include <string_view>
#include <vector>

#include "data/RecordingParser.h"

/// Reader of comma-separated trajectories with a header row that names the columns "id",
/// "frame" (or "t", the time in seconds, which needs no frame rate), "x" and "y" in any order;
/// other columns are ignored. Names are read without regard to case, blanks and quotes around
/// them; "x/cm", "x [cm]" and "x (cm)" state the length unit. Fields may be quoted, with ""
/// for a quote inside. Ids may be any text: when every id is a whole number they are ordered
/// as numbers, otherwise as text. Lines starting with "#" are comments, as in the column
/// formats.
class ParserCsv : public RecordingParser {
public:
    ParserCsv() : RecordingParser("csv", "csv") {}

protected:
    bool readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                  RecordingFacts& facts) override;

private:
    enum Column { ID, STAMP, X, Y, COLUMNS };

    /// Splits a line into its fields, keeping the first `keep`; false (after failAt) for a
    /// quote that is not closed or text after a closing quote.
    bool split(std::string_view line, std::uint32_t number, size_t keep, size_t& count);
    bool readHeader(std::uint32_t line, CommentStatements& comments, bool& seconds);
    /// Replaces the text ids of the rows by numbers, or by their rank among the texts.
    void numberIds(const std::string& text, std::vector<TrajectoryRow>& rows);

    std::vector<std::string_view> fields;
    size_t column[COLUMNS] = {};
    size_t widest = 0;                      ///< fields a row needs
    std::vector<std::string_view> idTexts;  ///< each id's text by rank, when ids are text
};
