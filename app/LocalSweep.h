#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <map>
#include <vector>

#include "app/ChildProcess.h"

class RowSignals;
class SweepPlan;
struct SweepOptions;
struct SweepRow;

/// The unfinished rows of a sweep run on this machine, each as a child process of this very
/// program (`sweep PLAN --out DIR --row K`), so that a crash or the memory killer ends one row
/// only; at most --jobs at once. Signals to the sweep go on to the rows, which keep what they
/// found, and no more rows start.
class LocalSweep {
public:
    /// The environment variable through which a sweep names itself to its rows: they may run in
    /// its folder, and end when it dies.
    static constexpr const char* parentVariable = "VESTRA_SWEEP_PARENT";

    LocalSweep(std::ostream& out, std::ostream& err, const SweepPlan& plan,
               const SweepOptions& options)
        : out(out), err(err), plan(plan), options(options) {}

    /// Runs the rows `pending` (row numbers) and reports each as it ends; the exit status.
    int run(const std::vector<int>& pending);

private:
    struct Running {
        const SweepRow* row;
        std::chrono::steady_clock::time_point started;
    };

    /// Starts rows until `slots` run or none is left or a signal came.
    void startRows(const std::vector<int>& pending, std::size_t slots, RowSignals& signals);
    /// Starts one row; false when a signal came first (the row is then not started).
    bool startRow(const SweepRow& row, RowSignals& signals);
    /// Waits for a row to end and reports it; false when the ends can no longer be observed.
    bool waitForRow(RowSignals& signals);
    /// Reports a row that ended, recording it as failed when it left no result.
    void finishRow(const SweepRow& row, const ChildProcess::Ending& ending, double seconds);
    /// Records a row that ended without writing its own result.
    void recordFailure(const SweepRow& row, const std::string& message, double seconds);
    /// The last line of the sweep's output; the exit status.
    int report(const std::vector<int>& pending) const;

    std::ostream& out;
    std::ostream& err;
    const SweepPlan& plan;
    const SweepOptions& options;
    std::map<pid_t, Running> running;
    std::size_t next = 0;  ///< index in the pending rows of the next to start
    int failed = 0;
    std::vector<int> stopped;  ///< rows a signal cancelled
};
