#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct SweepOptions;
struct SweepRow;
class SweepPlan;

/// The batch tool's commands for many runs: `sweep` runs the rows of a plan file (on this
/// machine, N rows at a time, each in its own process, or as a Slurm array job) and `collect`
/// merges their results. A sweep's folder holds a copy of the plan and, per row, its parameter
/// file, trace, log and result; a row whose result says done is never run again, so a stopped
/// sweep resumes where it stopped. Exit status: 0 every row done, 1 some row failed or input
/// that cannot be used, 2 usage error or a bad row of the plan.
class SweepCommand {
public:
    SweepCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// True for the commands this class runs.
    static bool handles(const std::string& command) {
        return command == "sweep" || command == "collect";
    }
    /// Runs the command given the arguments after the program name.
    int run(const std::vector<std::string>& arguments);

private:
    int sweep(const SweepOptions& options);
    /// Runs one row in this process, exactly as the calibrate command with its output files in
    /// the sweep's folder, and records the result.
    int runRow(const SweepRow& row, const SweepOptions& options);
    /// Runs the unfinished rows as child processes of this program, `jobs` at a time.
    int runLocally(const SweepPlan& plan, const std::vector<int>& pending,
                   const SweepOptions& options);
    int writeSlurmJob(const SweepPlan& plan, const std::vector<int>& pending,
                      const SweepOptions& options);
    int collect(const std::string& folder);
    /// The most tasks an array job may have here (Slurm's MaxArraySize, 1001 unless the
    /// cluster says otherwise).
    static int maxArraySize();
    /// False, after saying so, when a job this folder submitted before is still queued or
    /// running, or the queue cannot be asked.
    bool queueIsClear(const std::string& folder);

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
    /// Records a row that ended without writing its own result.
    void recordFailure(const SweepRow& row, const std::string& folder, const std::string& message,
                       double seconds);

    std::ostream& out;
    std::ostream& err;
};
