#include "data/TrajectoryBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/NumberText.h"
#include "core/SystemMemory.h"
#include "data/PolarVelocity.h"
#include "data/RecordingLimits.h"

namespace {

/// Times closer than this (s) count as equal at the ends of the time window, so that a window
/// written in decimals keeps the frames it names.
constexpr double windowSlack = 1e-9;
/// Fraction of a frame step by which a time stamp may miss its frame and still be on it.
constexpr double timeStampSlack = 0.25;
/// Largest frame number read exactly as a double.
constexpr double exactStampLimit = 9007199254740992.0;  // 2^53
/// Share of the machine's memory an experiment may take: a run built on it needs about as
/// much again for its simulated trajectories.
constexpr double memoryShare = 0.5;
/// Memory without a known machine size: what a small desktop machine has.
constexpr double fallbackMemoryBytes = 8.0 * (1u << 30);
/// Bytes per sample (position and velocity, two floats each), per frame time and per
/// pedestrian (presence window and sample base).
constexpr double bytesPerSample = 4 * sizeof(float);
constexpr double bytesPerFrame = sizeof(float);
constexpr double bytesPerPedestrian = 2 * sizeof(int) + sizeof(std::ptrdiff_t);
/// Frames that an experiment may have beyond its samples: stretches in which nobody is present
/// cost a frame time each, which is cheap until a few far-apart rows ask for billions of them.
constexpr int emptyFrameAllowance = 1 << 20;
/// Median walking speed (m/s) above which the length unit is probably not metres.
constexpr double implausibleSpeed = 5.0;
/// Ids named in one note at most.
constexpr size_t namedInNote = 5;

std::string number(double value) {
    return NumberText::format("%.6g", value);
}

std::string count(double value) {
    return NumberText::format("%.0f", value);
}

/// Items of a note: how many, and the first few named ("id 3 (line 12), id 7 (line 40) and 4
/// more"), so that a file of a million of them costs no more than a few.
class Listing {
public:
    template <class Name>
    void add(Name name) {
        if (count++ < namedInNote) {
            named += (named.empty() ? "" : ", ") + name();
        }
    }
    size_t size() const { return count; }
    std::string text() const {
        return count > namedInNote ? named + " and " + std::to_string(count - namedInNote) + " more"
                                   : named;
    }

private:
    size_t count = 0;
    std::string named;
};

}  // namespace

bool TrajectoryBuilder::fail(std::string message) {
    *errorOut = std::move(message);
    return false;
}

double TrajectoryBuilder::seconds(double stamp) const {
    return stamp / framesPerSecond;
}

double TrajectoryBuilder::frameTime(int frame) const {
    // Counted from the first frame: a float holds Unix times or frame numbers of 2^40 only to
    // seconds or worse, and a recording must not step differently for where its clock started.
    return seconds(static_cast<double>(frame) * step * options.stride);
}

std::string TrajectoryBuilder::idText(std::int64_t id) const {
    return facts.idName ? facts.idName(id) : std::to_string(id);
}

std::string TrajectoryBuilder::stampText(double stamp) const {
    return facts.stampsAreSeconds ? "time " + number(stamp) + " s"
                                  : "frame " + NumberText::format("%.0f", stamp);
}

bool TrajectoryBuilder::build(std::vector<TrajectoryRow>& rows, TrajectoryTable& table,
                              std::string& error, std::vector<std::string>& notes) {
    table = TrajectoryTable();
    errorOut = &error;
    notesOut = &notes;
    segments.clear();
    if (!checkOptions()) {
        return false;
    }
    if (rows.empty()) {
        return fail("The file holds no trajectory rows.");
    }
    if (!sortAndMerge(rows) || !chooseRateAndUnit(rows) || !checkCoordinates(rows) ||
        !keepWindow(rows) || !placeOnGrid(rows) || !checkFrameStep()) {
        return false;
    }
    cutSegments(rows);
    if (segments.empty()) {
        return fail("No pedestrian has rows on two frames, so no velocity can be measured.");
    }
    trimToSegments(rows);
    if (!checkMemory()) {
        return false;
    }
    fill(rows, table);
    for (const float speed : table.speeds) {
        if (!(speed <= RecordingLimits::largestSpeed)) {
            table = TrajectoryTable();
            return fail("At " + number(framesPerSecond) +
                        " frames per second a pedestrian moves at " + number(speed) +
                        " m/s, faster than " + RecordingLimits::speedText +
                        ", which no recording of pedestrians holds; check the frame rate (--fps) "
                        "and the unit (--unit).");
        }
    }
    table.metresPerUnit = metresPerUnit;
    noteSpeed(table);
    error.clear();
    return true;
}

bool TrajectoryBuilder::checkOptions() {
    const auto invalid = [](double value) { return !std::isfinite(value) || value < 0.0; };
    const double fps = options.framesPerSecond;
    if (invalid(fps) || (fps > 0.0 && (fps < RecordingLimits::lowestFrameRate ||
                                       fps > RecordingLimits::highestFrameRate))) {
        return fail(std::string("The frame rate must lie from ") + RecordingLimits::frameRateText +
                    ".");
    }
    if (invalid(options.metresPerUnit)) {
        return fail("The length unit must be a positive number of metres.");
    }
    if (options.stride < 1) {
        return fail("The stride must be a whole number of at least 1.");
    }
    if (std::isnan(options.maxGap) || options.maxGap < 0.0) {
        return fail("The longest gap to fill must be zero or more seconds.");
    }
    if (options.from > options.to) {
        return fail("The time window starts (" + number(options.from) + " s) after it ends (" +
                    number(options.to) + " s).");
    }
    return true;
}

bool TrajectoryBuilder::sortAndMerge(std::vector<TrajectoryRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const TrajectoryRow& a, const TrajectoryRow& b) {
        if (a.id != b.id) {
            return a.id < b.id;
        }
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.line < b.line;
    });
    size_t kept = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (kept > 0 && rows[kept - 1].id == rows[i].id && rows[kept - 1].stamp == rows[i].stamp) {
            const TrajectoryRow& earlier = rows[kept - 1];
            if (earlier.x != rows[i].x || earlier.y != rows[i].y) {
                return fail("Lines " + std::to_string(earlier.line) + " and " +
                            std::to_string(rows[i].line) + " place pedestrian " +
                            idText(rows[i].id) + " at two different positions at " +
                            stampText(rows[i].stamp) + ".");
            }
            continue;  // the same row twice
        }
        rows[kept++] = rows[i];
    }
    rows.resize(kept);
    return true;
}

bool TrajectoryBuilder::chooseRateAndUnit(const std::vector<TrajectoryRow>& rows) {
    std::vector<std::string> stated;
    metresPerUnit = 1.0;
    if (options.metresPerUnit > 0.0) {
        metresPerUnit = options.metresPerUnit;
    } else if (facts.metresPerUnit > 0.0) {
        metresPerUnit = facts.metresPerUnit;
        const char* unitName = metresPerUnit == 0.01    ? "centimetres"
                               : metresPerUnit == 0.001 ? "millimetres"
                               : metresPerUnit == 1.0   ? "metres"
                                                        : nullptr;
        stated.push_back(unitName ? std::string("lengths in ") + unitName
                                  : "lengths in units of " + number(metresPerUnit) + " m");
    }
    framesPerSecond = 1.0;
    if (facts.stampsAreSeconds) {
        // Times in seconds need no frame rate.
    } else if (options.framesPerSecond > 0.0) {
        framesPerSecond = options.framesPerSecond;
    } else if (facts.framesPerSecond > 0.0) {
        framesPerSecond = facts.framesPerSecond;
        stated.insert(stated.begin(), number(framesPerSecond) + " frames per second");
    } else {
        double smallest = 0.0;
        for (size_t i = 1; i < rows.size(); ++i) {
            const double difference = rows[i].stamp - rows[i - 1].stamp;
            if (rows[i].id == rows[i - 1].id && (smallest == 0.0 || difference < smallest)) {
                smallest = difference;
            }
        }
        std::string message =
            "The file does not state its frame rate: give it with --fps (frame numbers per "
            "second)";
        if (smallest > 0.0) {
            message += "; its frame numbers step by " + count(smallest);
        }
        return fail(message + "." + facts.frameRateHint);
    }
    if (!stated.empty()) {
        notesOut->push_back("Read with " + stated.front() +
                            (stated.size() > 1 ? " and " + stated.back() : std::string()) +
                            ", as the file states.");
    }
    return true;
}

bool TrajectoryBuilder::checkCoordinates(const std::vector<TrajectoryRow>& rows) {
    // The rows are sorted by id by now: the message names the first such line of the file.
    const TrajectoryRow* first = nullptr;
    for (const TrajectoryRow& row : rows) {
        const double farthest = std::max(std::fabs(double{row.x}), std::fabs(double{row.y}));
        if (farthest * metresPerUnit > RecordingLimits::largestCoordinate &&
            (!first || row.line < first->line)) {
            first = &row;
        }
    }
    if (first) {
        return fail("Line " + std::to_string(first->line) + ": the position (" + number(first->x) +
                    ", " + number(first->y) + ")" +
                    (metresPerUnit != 1.0 ? ", in units of " + number(metresPerUnit) + " m," : "") +
                    " lies farther than " + RecordingLimits::coordinateText +
                    " from the origin, which no recording of pedestrians holds.");
    }
    return true;
}

bool TrajectoryBuilder::checkFrameStep() {
    const double frameSeconds = seconds(step * options.stride);
    if (frameSeconds >= RecordingLimits::shortestFrameStep &&
        frameSeconds <= RecordingLimits::longestFrameStep) {
        return true;
    }
    return fail("The frames are " + number(frameSeconds) + " s apart (" +
                number(1.0 / frameSeconds) + " frames per second), but a recording has from " +
                RecordingLimits::frameRateText + "; check the frame rate (--fps)" +
                (options.stride > 1 ? " and the stride (--stride)." : "."));
}

bool TrajectoryBuilder::keepWindow(std::vector<TrajectoryRow>& rows) {
    if (std::isnan(options.from) && std::isnan(options.to)) {
        return true;
    }
    double earliest = INFINITY, latest = -INFINITY;
    size_t kept = 0;
    for (const TrajectoryRow& row : rows) {
        const double t = seconds(row.stamp);
        earliest = std::min(earliest, t);
        latest = std::max(latest, t);
        if (!(t < options.from - windowSlack) && !(t > options.to + windowSlack)) {
            rows[kept++] = row;
        }
    }
    rows.resize(kept);
    if (rows.empty()) {
        const auto end = [](double t, const char* open) {
            return std::isnan(t) ? std::string(open) : number(t) + " s";
        };
        return fail("No row lies in the time window from " + end(options.from, "the start") +
                    " to " + end(options.to, "the end") + "; the recording runs from " +
                    number(earliest) + " s to " + number(latest) + " s.");
    }
    return true;
}

bool TrajectoryBuilder::placeOnGrid(std::vector<TrajectoryRow>& rows) {
    origin = rows.front().stamp;
    double last = origin;
    double smallest = 0.0;
    for (size_t i = 0; i < rows.size(); ++i) {
        origin = std::min(origin, rows[i].stamp);
        last = std::max(last, rows[i].stamp);
        if (i > 0 && rows[i].id == rows[i - 1].id) {
            const double difference = rows[i].stamp - rows[i - 1].stamp;
            smallest = smallest == 0.0 ? difference : std::min(smallest, difference);
        }
    }
    step = smallest > 0.0 ? smallest : 1.0;
    const double span = last - origin;
    if (facts.stampsAreSeconds && span > 0.0 && span / step < exactStampLimit) {
        // Times written in decimals step unevenly in their last digit; the span holds a whole
        // number of frames, so it gives the step more exactly than one difference.
        step = span / std::max(1.0, std::round(span / step));
    }
    const double lastStep = facts.stampsAreSeconds ? std::round(span / step) : span / step;
    if (!(std::floor(lastStep / options.stride) < INT_MAX)) {
        return fail("The recording spans " + count(std::floor(lastStep / options.stride) + 1) +
                    " frames, more than an experiment can hold; read fewer with --stride or a "
                    "time window with --from/--to.");
    }

    size_t kept = 0;
    size_t offGrid = 0;
    for (const TrajectoryRow& row : rows) {
        const double steps = (row.stamp - origin) / step;
        const double whole = std::round(steps);
        const bool onGrid =
            facts.stampsAreSeconds ? std::fabs(steps - whole) <= timeStampSlack : steps == whole;
        if (!onGrid) {
            ++offGrid;
            continue;
        }
        const std::int64_t n = static_cast<std::int64_t>(whole);
        if (n % options.stride != 0) {
            continue;
        }
        TrajectoryRow placed = row;
        placed.frame = static_cast<std::int32_t>(n / options.stride);
        // Time stamps a little apart may land on one frame: the earlier row stands.
        if (kept > 0 && rows[kept - 1].id == placed.id && rows[kept - 1].frame == placed.frame) {
            continue;
        }
        rows[kept++] = placed;
    }
    rows.resize(kept);
    if (offGrid > 0) {
        notesOut->push_back(
            "Dropped " + std::to_string(offGrid) + " rows that are not on the frame grid (every " +
            (facts.stampsAreSeconds ? number(step) : count(step)) +
            (facts.stampsAreSeconds ? " s" : " frames") + " from " + stampText(origin) + ").");
    }
    return true;
}

void TrajectoryBuilder::cutSegments(const std::vector<TrajectoryRow>& rows) {
    const double frameSeconds = seconds(step * options.stride);
    Listing single, splits;
    size_t filled = 0;
    size_t begin = 0;
    for (size_t i = 1; i <= rows.size(); ++i) {
        bool cut = i == rows.size() || rows[i].id != rows[i - 1].id;
        if (!cut) {
            const int missing = rows[i].frame - rows[i - 1].frame;
            if (missing > 1 &&
                static_cast<double>(missing) * frameSeconds > options.maxGap + windowSlack) {
                cut = true;
                splits.add([&] {
                    return "id " + idText(rows[i].id) + " at line " + std::to_string(rows[i].line);
                });
            } else if (missing > 1) {
                ++filled;
            }
        }
        if (!cut) {
            continue;
        }
        if (i - begin == 1) {
            single.add([&] {
                return "id " + idText(rows[begin].id) + " (line " +
                       std::to_string(rows[begin].line) + ")";
            });
        } else {
            segments.push_back({rows[begin].frame, rows[i - 1].frame,
                                static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i)});
        }
        begin = i;
    }
    std::sort(segments.begin(), segments.end(), [&](const Segment& a, const Segment& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        const std::int64_t idA = rows[a.rowBegin].id, idB = rows[b.rowBegin].id;
        return idA != idB ? idA < idB : a.rowBegin < b.rowBegin;
    });

    const std::string gap = number(options.maxGap) + " s (--max-gap)";
    if (filled > 0) {
        notesOut->push_back("Filled tracking gaps of at most " + gap +
                            " by linear interpolation: " + std::to_string(filled) + ".");
    }
    if (splits.size() > 0) {
        notesOut->push_back("Split tracks at gaps longer than " + gap +
                            ", the rows after each gap a new "
                            "pedestrian: " +
                            splits.text() + ".");
    }
    if (single.size() > 0) {
        notesOut->push_back("Skipped pedestrians with a single row, which have no velocity: " +
                            single.text() + ".");
    }
}

void TrajectoryBuilder::trimToSegments(std::vector<TrajectoryRow>& rows) {
    int first = segments.front().first;
    int last = segments.front().last;
    for (const Segment& segment : segments) {
        last = std::max(last, segment.last);
    }
    for (TrajectoryRow& row : rows) {
        row.frame -= first;
    }
    for (Segment& segment : segments) {
        segment.first -= first;
        segment.last -= first;
    }
    origin += static_cast<double>(first) * step * options.stride;
    frames = std::int64_t{last} - first + 1;
}

bool TrajectoryBuilder::checkMemory() const {
    double samples = 0.0;
    for (const Segment& segment : segments) {
        samples += segment.last - segment.first + 1;
    }
    if (static_cast<double>(frames) > std::max(samples, double{emptyFrameAllowance})) {
        *errorOut = "The recording spans " + count(static_cast<double>(frames)) +
                    " frames, but its pedestrians are present on only " + count(samples) +
                    " samples, so most frames would be empty; read a time window with "
                    "--from/--to or fewer frames with --stride.";
        return false;
    }
    const double needed = samples * bytesPerSample + static_cast<double>(frames) * bytesPerFrame +
                          static_cast<double>(segments.size()) * bytesPerPedestrian;
    const double machine = physicalMemoryBytes() > 0 ? static_cast<double>(physicalMemoryBytes())
                                                     : fallbackMemoryBytes;
    if (needed > memoryShare * machine) {
        const double megabyte = 1 << 20;
        *errorOut = "The experiment would need " + count(std::ceil(needed / megabyte)) +
                    " MB for " + count(static_cast<double>(frames)) + " frames and " +
                    count(samples) + " samples, more than this machine can spare (" +
                    count(std::floor(memoryShare * machine / megabyte)) +
                    " MB); read fewer frames with --stride or a time window with --from/--to.";
        return false;
    }
    return true;
}

void TrajectoryBuilder::fill(const std::vector<TrajectoryRow>& rows, TrajectoryTable& table) const {
    size_t samples = 0;
    for (const Segment& segment : segments) {
        samples += static_cast<size_t>(segment.last - segment.first + 1);
    }
    const size_t P = segments.size();
    table.pedestrianCount = static_cast<int>(P);
    table.frameCount = static_cast<int>(frames);
    table.posX.resize(samples);
    table.posY.resize(samples);
    table.velX.resize(samples);
    table.velY.resize(samples);
    table.directions.resize(samples);
    table.speeds.resize(samples);
    table.times.resize(static_cast<size_t>(frames));
    table.presentFirst.resize(P);
    table.presentLast.resize(P);
    table.sampleBase.resize(P);
    for (int k = 0; k < table.frameCount; ++k) {
        table.times[static_cast<size_t>(k)] = static_cast<float>(frameTime(k));
    }
    const double frameSeconds = seconds(step * options.stride);
    size_t offset = 0;
    for (size_t p = 0; p < P; ++p) {
        const Segment& segment = segments[p];
        table.presentFirst[p] = segment.first;
        table.presentLast[p] = segment.last;
        table.sampleBase[p] = static_cast<std::ptrdiff_t>(offset) - segment.first;
        float* const x = table.posX.data() + offset;
        float* const y = table.posY.data() + offset;
        for (std::uint32_t r = segment.rowBegin; r < segment.rowEnd; ++r) {
            const TrajectoryRow& row = rows[r];
            const size_t at = static_cast<size_t>(row.frame - segment.first);
            x[at] = static_cast<float>(row.x * metresPerUnit);
            y[at] = static_cast<float>(row.y * metresPerUnit);
            if (r == segment.rowBegin) {
                continue;
            }
            // Frames between two rows lie on the straight line between them.
            const TrajectoryRow& before = rows[r - 1];
            const int span = row.frame - before.frame;
            const size_t from = static_cast<size_t>(before.frame - segment.first);
            for (int j = 1; j < span; ++j) {
                const double w = static_cast<double>(j) / span;
                x[from + j] =
                    static_cast<float>((before.x + w * (double{row.x} - before.x)) * metresPerUnit);
                y[from + j] =
                    static_cast<float>((before.y + w * (double{row.y} - before.y)) * metresPerUnit);
            }
        }
        const size_t n = static_cast<size_t>(segment.last - segment.first + 1);
        for (size_t k = 0; k < n; ++k) {
            const size_t a = k == 0 ? 0 : k - 1;
            const size_t b = k + 1 == n ? k : k + 1;
            const double dt = static_cast<double>(b - a) * frameSeconds;
            const double vx = (double{x[b]} - x[a]) / dt;
            const double vy = (double{y[b]} - y[a]) / dt;
            // Kept as the direction and speed an ANA file holds, so that a converted file
            // gives back exactly these velocities.
            float& direction = table.directions[offset + k];
            float& speed = table.speeds[offset + k];
            direction = static_cast<float>(std::atan2(vy, vx));
            speed = static_cast<float>(std::hypot(vx, vy));
            PolarVelocity::toVelocity(direction, speed, table.velX[offset + k],
                                      table.velY[offset + k]);
        }
        offset += n;
    }
}

void TrajectoryBuilder::noteSpeed(const TrajectoryTable& table) {
    std::vector<double> speeds(static_cast<size_t>(table.pedestrianCount));
    for (int p = 0; p < table.pedestrianCount; ++p) {
        const std::ptrdiff_t base = table.sampleBase[static_cast<size_t>(p)];
        const int first = table.presentFirst[static_cast<size_t>(p)];
        const int last = table.presentLast[static_cast<size_t>(p)];
        double path = 0.0;
        for (int k = first + 1; k <= last; ++k) {
            const size_t i = static_cast<size_t>(base + k);
            path += std::hypot(double{table.posX[i]} - table.posX[i - 1],
                               double{table.posY[i]} - table.posY[i - 1]);
        }
        speeds[static_cast<size_t>(p)] = path / (frameTime(last) - frameTime(first));
    }
    const auto middle = speeds.begin() + static_cast<std::ptrdiff_t>(speeds.size() / 2);
    std::nth_element(speeds.begin(), middle, speeds.end());
    if (*middle > implausibleSpeed) {
        notesOut->push_back("The median walking speed is " + number(*middle) +
                            " m/s, faster than people walk: if the lengths are not in metres, "
                            "give their unit with --unit (cm or mm).");
    }
}
