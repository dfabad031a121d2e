#pragma once

#include <string_view>

#include "data/RecordingParser.h"

/// Reader of trajectory benchmark files: one JSON object per line, either a track row
/// {"track": {"f": FRAME, "p": ID, "x": X, "y": Y}} (the four keys in any order) or a scene row
/// {"scene": {...}}, which is checked and skipped. The scanner takes exactly this shape and
/// refuses anything else with the line and column; frame numbers count video frames, whose rate
/// the files do not state.
class ParserTrajnet : public RecordingParser {
public:
    ParserTrajnet() : RecordingParser("ndjson", "trajnet") {}

protected:
    bool readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                  RecordingFacts& facts) override;

private:
    /// A scanner over one line: each step moves `at` past what it read or fails with the
    /// column where the line stops making sense.
    struct Scan {
        std::string_view line;
        size_t at = 0;

        void blanks();
        bool take(char c);
        bool string(std::string_view& content);
        bool number(std::string_view& text);
        bool value(int depth);
    };

    bool readLine(std::string_view line, std::uint32_t number, std::vector<TrajectoryRow>& rows);
    bool readTrack(Scan& scan, std::uint32_t number, std::vector<TrajectoryRow>& rows);
    bool refuse(const Scan& scan, std::uint32_t number, const std::string& expected);
};
