#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class SweepPlan;
struct SweepOptions;

/// The unfinished rows of a sweep as Slurm array jobs: the job scripts written into the sweep's
/// folder, whose task i runs the i-th row listed in it as `sweep PLAN --out DIR --row K`, and,
/// with --submit, their submission, remembered so that a second one can see them queued.
class SlurmJob {
public:
    SlurmJob(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Writes the scripts for the rows `pending` (and submits them); the exit status.
    int write(const SweepPlan& plan, const std::vector<int>& pending, const SweepOptions& options);

private:
    /// The script of one array job for `rows`.
    static std::string script(const std::vector<int>& rows, const std::string& program,
                              const std::string& plan, const std::string& folder,
                              const SweepOptions& options);
    /// Writes the scripts, as many as the cluster's largest array needs, and prints the
    /// commands that submit them; false after saying why not.
    bool writeScripts(const SweepPlan& plan, const std::vector<int>& pending,
                      const SweepOptions& options, const std::string& program,
                      const std::string& folder, std::vector<std::string>& scripts);
    /// Submits the scripts and keeps the ids of the jobs queued; the exit status.
    int submit(const std::vector<std::string>& scripts, const std::string& folder);
    /// Submits one script; its job id, or empty after saying why not.
    std::string submitOne(const std::string& script);
    /// The most tasks an array job may have here (Slurm's MaxArraySize, 1001 unless the
    /// cluster says otherwise).
    static int maxArraySize();
    /// False, after saying so, when a job this folder submitted before is still queued or
    /// running, or the queue cannot be asked.
    bool queueIsClear(const std::string& folder);

    std::ostream& out;
    std::ostream& err;
};
