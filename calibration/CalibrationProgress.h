#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "calibration/CostTrace.h"

class AtomicFile;
class Calibration;

/// Where a running calibration stands, for a progress display on another thread: every cost so
/// far with the best up to it, and the algorithm's position. Filled on the calibration's thread
/// through its callbacks (a lock taken once per evaluation, which lasts milliseconds); read from
/// any thread.
class CalibrationProgress {
public:
    struct Figures {
        std::size_t evaluations = 0;
        float initialCost = 0.0f;  ///< the first evaluation's cost
        float bestCost = 0.0f;
        double seconds = 0.0;  ///< since the run started
        std::string position;  ///< the algorithm's, e.g. "pass 2, entry 5 of 24"
    };

    /// Starts the clock and takes the calibration's onEvaluation and onPosition.
    void attach(Calibration& calibration);
    Figures figures() const;
    /// Cost and best cost of the evaluations from `from` on, for a chart that adds new points.
    std::vector<std::pair<float, float>> rowsFrom(std::size_t from) const;
    /// Writes the trace CSV ("evaluation,cost,best"); false, with `error`, on failure.
    bool writeTrace(const std::string& path, std::string& error) const;
    /// Writes it into `out` and finishes it without replacing the target.
    bool writeTrace(AtomicFile& out, std::string& error) const;
    /// The one-line text of the figures, as the terminal's progress line and the desktop's
    /// progress dialog show them.
    static std::string describe(const Figures& figures);

private:
    mutable std::mutex lock;
    CostTrace trace;
    std::string position;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};
