#pragma once

#include <iosfwd>
#include <string>

struct SweepOptions;
struct SweepResult;
struct SweepRow;

/// One row of a sweep run in this process, as `sweep PLAN --out DIR --row K` runs it for a local
/// sweep's child or a cluster task: exactly the calibrate command, from the row's request, with
/// its output files in the sweep's folder, and its result recorded there.
class RowRun {
public:
    RowRun(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Runs `row` unless another process runs it or it is done; the exit status (the
    /// calibration's own when a signal stopped it).
    int run(const SweepRow& row, const SweepOptions& options);

private:
    /// False, after saying so, when the sweep that started this row has already ended.
    bool parentIsAlive(const SweepRow& row) const;
    /// Runs the calibration, its messages kept in `messages`; its exit status.
    int calibrate(const SweepRow& row, const SweepOptions& options, std::string& messages);
    /// Records how the run ended and says so; the row's exit status.
    int finish(const SweepRow& row, const SweepOptions& options, int status,
               const std::string& messages, double seconds);
    /// Scores the row's held-out recording with the values it found into `result`, which fails
    /// when that cannot be done.
    void scoreHeldOut(const SweepRow& row, const SweepOptions& options, SweepResult& result);

    std::ostream& out;
    std::ostream& err;
};
