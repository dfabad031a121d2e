#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/commands/CalibrateRequest.h"
#include "calibration/CalibrationProgress.h"
#include "python/ParameterChoice.h"
#include "python/Refusal.h"

class Calibration;
class Experiment;
class ParameterValues;

/// One calibration as `vestra-batch calibrate` runs it, from the preparation of its records to
/// the best-parameter report, on a thread of its own: the thread that started it stays free to
/// show the progress and to pass on a cancel (Ctrl-C, or a request from any other thread), which
/// ends the run as "Cancel" does, with the best values found.
class CalibrationJob {
public:
    /// What a finished run found.
    struct Outcome {
        /// The batch tool's standard output for one recording: the progress and the report.
        std::string report;
        float bestCost = 0.0f;
        float initialCost = 0.0f;
        unsigned long long evaluations = 0;
        /// Each evaluation's cost, with the best cost up to it.
        std::vector<std::pair<float, float>> trace;
        std::shared_ptr<ParameterValues> parameters;
        bool cancelled = false;
        /// Each recording's score at the starting values and at the best ones.
        std::vector<float> startScores, bestScores;
    };

    /// Starts the run of `request` over `experiments` (named by `files` in messages and in the
    /// parameter values' label), from `parameters`. The request's seed must be set.
    CalibrationJob(std::vector<std::shared_ptr<const Experiment>> experiments,
                   std::vector<std::string> files, CalibrateRequest request,
                   ParameterChoice parameters);
    /// Cancels the run if it is still going and waits for its end.
    ~CalibrationJob();
    CalibrationJob(const CalibrationJob&) = delete;
    CalibrationJob& operator=(const CalibrationJob&) = delete;

    /// Waits up to `seconds` for the run to end; true when it has.
    bool wait(double seconds);
    /// Waits for the end of the run.
    void join();
    /// Asks the run to stop after the evaluations in progress, keeping the best values found.
    /// Safe from any thread, at any time; a run still being prepared stops at its start.
    void cancel();
    /// Where the run stands, from any thread.
    CalibrationProgress::Figures figures() const { return progress.figures(); }
    /// What the run found, once it has ended; throws Refusal when it was refused (an unknown
    /// name, a bad setting, parameter values that do not load, storage or threads that could not
    /// be had, starting values that cost no finite number).
    const Outcome& outcome();

private:
    void work();
    /// The run itself, on the worker thread; throws Refusal.
    void calibrate();

    std::vector<std::shared_ptr<const Experiment>> experiments;
    std::vector<std::string> files;
    CalibrateRequest request;
    ParameterChoice parameters;

    CalibrationProgress progress;
    std::ostringstream console;
    Outcome found;
    std::optional<Refusal> refusal;

    std::mutex lock;  ///< guards `running`, `cancelWanted` and `ended`
    std::condition_variable endedChanged;
    Calibration* running = nullptr;  ///< the algorithm while it may be asked to cancel
    bool cancelWanted = false;
    bool ended = false;
    std::thread worker;  ///< last, so that it starts once everything it uses exists
};
