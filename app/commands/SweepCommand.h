#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class SweepPlan;
struct SweepOptions;

/// `vestra-batch sweep`: the calibrations of a plan file, each row checked as the calibrate
/// command checks its command line before any runs, then run on this machine (LocalSweep), as
/// Slurm array jobs (SlurmJob) or, with --row, one row in this process (RowRun). A sweep's folder
/// holds a copy of the plan and, per row, its parameter file, trace, log and result; a row whose
/// result says done is never run again, so a stopped sweep resumes where it stopped.
class SweepCommand {
public:
    SweepCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Runs the sweep; the exit status (ExitStatus::usage for a bad plan or row).
    int run(const SweepOptions& options);

private:
    /// Reads the plan and checks the rows that will run here; ExitStatus::success, or the status
    /// after reporting every problem.
    int readAndCheck(const SweepOptions& options, SweepPlan& plan);
    /// The rows of `plan` (only row `only` when it is not 0) whose result in `folder` is not
    /// done; false after reporting a row whose finished result belongs to another row (a
    /// different plan in the same folder).
    bool findPending(const SweepPlan& plan, const std::string& folder, int only,
                     std::vector<int>& pending);
    /// Records the row that a --row run was asked for as failed with `message`, when its own
    /// check refused it; the row's fields come from `plan`, or from the folder's copy of the
    /// plan when `plan` lacks the row.
    void recordRefusedRow(const SweepOptions& options, const SweepPlan& plan,
                          const std::string& message);
    /// Copies the plan into the folder, where collect and the cluster tasks read it; false after
    /// saying why not.
    bool copyPlan(const SweepOptions& options, const SweepPlan& plan);

    std::ostream& out;
    std::ostream& err;
};
