#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/ReadingOptions.h"

/// One measured position of a pedestrian as a recording states it.
struct TrajectoryRow {
    std::int64_t id = 0;  ///< the pedestrian's id (a reader of text ids hands over their rank)
    double stamp = 0.0;   ///< frame number (a whole number), or time in seconds for time stamps
    float x = 0.0f;       ///< position in the file's length unit
    float y = 0.0f;
    std::uint32_t line = 0;  ///< line of the file, for messages
    std::int32_t frame = 0;  ///< the experiment frame, set by the builder
};

/// What a recording states about itself beside its rows.
struct RecordingFacts {
    /// True when the stamps are times in seconds, so no frame rate is needed.
    bool stampsAreSeconds = false;
    /// Frame numbers per second and metres per length unit as the file states them; 0: not
    /// stated.
    double framesPerSecond = 0.0;
    double metresPerUnit = 0.0;
    /// Added to the refusal of a file whose frame rate is neither stated nor given.
    std::string frameRateHint;
    /// How messages name an id; empty: by its number.
    std::function<std::string(std::int64_t)> idName;
};

/// The arrays of an experiment built from rows; samples of one pedestrian are consecutive and
/// exist for its present frames only (see Experiment).
struct TrajectoryTable {
    int pedestrianCount = 0;
    int frameCount = 0;
    std::vector<float> posX, posY, velX, velY;  ///< metres, metres per second
    /// The velocities as direction (radians) and speed (m/s), from which velX/velY are made.
    std::vector<float> directions, speeds;
    std::vector<float> times;  ///< seconds since the first frame
    std::vector<int> presentFirst, presentLast;
    std::vector<std::ptrdiff_t> sampleBase;
    double metresPerUnit = 1.0;  ///< the factor that was applied to the file's lengths
};

/// Turns the rows of a recording (id, frame or time, x, y, in any order) into an experiment's
/// arrays:
/// - lengths are multiplied by the options' metres per unit, else the file's, else taken as
///   metres; time is frame / frames per second (options, else file, else the file is refused),
///   counted from the first kept frame, so that frame numbers and times may start anywhere;
/// - the frames run from the first to the last row of the pedestrians kept inside the time
///   window, in steps of the smallest step between two rows of one pedestrian times the stride;
///   rows off that grid are dropped; a span of mostly empty frames (more frames than samples,
///   beyond about a million) is refused;
/// - a gap in one pedestrian's rows of at most maxGap seconds (from the row before it to the
///   row after it) is filled by linear interpolation; a longer gap ends the pedestrian, and its
///   later rows become a new pedestrian;
/// - velocities are differences of positions over the frame times, central inside a presence
///   and one-sided at its two ends;
/// - a pedestrian left with a single row has no velocity and is skipped, with a note;
/// - pedestrians are numbered by their first frame, then by id, then in time order.
/// Positions farther than 1e6 m from the origin, speeds above 1e6 m/s and frame rates outside
/// 0.001 to 1e6 per second are refused (see RecordingLimits).
/// The same id on the same frame twice is tolerated at the same position and refused at
/// different ones. Nothing is built from refused rows.
class TrajectoryBuilder {
public:
    TrajectoryBuilder(const ReadingOptions& options, const RecordingFacts& facts)
        : options(options), facts(facts) {}

    /// Builds `table` from `rows`, which it reorders and shortens. Returns false with `error`
    /// saying why, leaving `table` empty; remarks that do not stop the build go to `notes`.
    bool build(std::vector<TrajectoryRow>& rows, TrajectoryTable& table, std::string& error,
               std::vector<std::string>& notes);

private:
    /// One kept presence of a pedestrian: rows [rowBegin, rowEnd) on frames first to last.
    struct Segment {
        int first = 0;
        int last = 0;
        std::uint32_t rowBegin = 0;
        std::uint32_t rowEnd = 0;
    };

    bool checkOptions();
    bool sortAndMerge(std::vector<TrajectoryRow>& rows);
    bool chooseRateAndUnit(const std::vector<TrajectoryRow>& rows);
    bool checkCoordinates(const std::vector<TrajectoryRow>& rows);
    bool keepWindow(std::vector<TrajectoryRow>& rows);
    bool placeOnGrid(std::vector<TrajectoryRow>& rows);
    bool checkFrameStep();
    void cutSegments(const std::vector<TrajectoryRow>& rows);
    void trimToSegments(std::vector<TrajectoryRow>& rows);
    bool checkMemory() const;
    void fill(const std::vector<TrajectoryRow>& rows, TrajectoryTable& table) const;
    void noteSpeed(const TrajectoryTable& table);

    double seconds(double stamp) const;
    double frameTime(int frame) const;
    std::string idText(std::int64_t id) const;
    std::string stampText(double stamp) const;
    bool fail(std::string message);

    const ReadingOptions& options;
    const RecordingFacts& facts;
    std::string* errorOut = nullptr;
    std::vector<std::string>* notesOut = nullptr;

    double framesPerSecond = 1.0;  ///< 1 for time stamps
    double metresPerUnit = 1.0;
    double origin = 0.0;  ///< stamp of frame 0
    double step = 1.0;    ///< stamp difference of one frame before striding
    std::int64_t frames = 0;
    std::vector<Segment> segments;
};
