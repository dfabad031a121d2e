#pragma once

#include <iosfwd>
#include <string>

/// The files of one sweep folder.
namespace SweepFiles {

/// The sweep's copy of its plan, which collect and the cluster tasks read.
constexpr const char* planCopy = "plan.csv";
/// What collect merges the rows into.
constexpr const char* results = "results.csv";
/// The Slurm job script, when one array job takes every row.
constexpr const char* jobScript = "sweep.sbatch";
/// The ids of the Slurm jobs submitted for the folder, one a line.
constexpr const char* jobs = "sweep.jobs";
/// The file whose record locks keep two processes from running the same rows.
constexpr const char* lock = "sweep.lock";
/// The plan a cross-validation writes, one row per fold.
constexpr const char* crossvalPlan = "crossval-plan.csv";
/// A finished cross-validation's table of held-out scores, for scripts.
constexpr const char* crossvalTable = "crossval.csv";
/// The same table as a paper prints it, with the mean line.
constexpr const char* crossvalText = "crossval.md";

/// "fold-K.train.csv", the list of the recordings fold K calibrates on.
std::string foldList(int fold);

/// "row-N" followed by `suffix` (".prm", ".trace.csv", ".result.csv", ".log").
std::string rowFile(int row, const char* suffix);
/// `name` inside `folder`.
std::string in(const std::string& folder, const std::string& name);
/// The file of row `row` with `suffix` inside `folder`.
std::string ofRow(const std::string& folder, int row, const char* suffix);
/// Makes the folder of a sweep's results, with the folders above it; false, after saying why
/// on `err`, when it cannot be made.
bool makeFolder(const std::string& folder, std::ostream& err);

}  // namespace SweepFiles
