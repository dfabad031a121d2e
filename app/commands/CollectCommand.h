#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class SweepPlan;
struct SweepResult;

/// `vestra-batch collect`: a sweep's row results merged into DIR/results.csv, with the table of
/// the best cost, mean and spread over the seeds of each study, and the rows that have no usable
/// result listed below it. The folder of a cross-validation also gets its tables (CrossvalTable)
/// once every fold is done.
class CollectCommand {
public:
    CollectCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// Collects the sweep in `folder`; the exit status (failed unless every row is done and the
    /// table was written).
    int run(const std::string& folder);

private:
    /// Reads the folder's copy of the plan; false after saying why not.
    bool readPlan(const std::string& folder, SweepPlan& plan);
    /// The results of the plan's rows that belong to them; a line for each row without one.
    static void gather(const SweepPlan& plan, const std::string& folder,
                       std::vector<SweepResult>& results, std::vector<std::string>& missing);
    /// results.csv as text.
    static std::string table(const std::vector<SweepResult>& results);
    /// Writes and prints the tables of a cross-validation whose folds are all done; false after
    /// saying why they were not written.
    bool writeCrossval(const std::string& folder, const std::vector<SweepResult>& results,
                       std::size_t folds);

    std::ostream& out;
    std::ostream& err;
};
