#pragma once

#include <string>

/// What the sweep and collect commands were asked for.
struct SweepOptions {
    std::string plan;  ///< sweep: the plan file
    std::string out;   ///< the sweep's folder (collect: its argument)
    int row = 0;       ///< --row: run this row only; 0: every row
    /// --jobs: rows at once (a whole sweep) or threads in the calibration (--row); 0: one per
    /// core.
    int jobs = 1;
    bool slurm = false;
    bool submit = false;
    /// --force: submit although an earlier job of the folder is still in the queue.
    bool force = false;
    /// --max-running: array tasks of the job that may run at once; 0: as many as the cluster
    /// gives.
    int maxRunning = 0;
    std::string partition;  ///< empty: the cluster's default
    std::string time;       ///< a Slurm time limit such as 02:00:00; empty: the default
    int cpusPerTask = 1;
};
