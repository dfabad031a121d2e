#pragma once

#include <string>
#include <vector>

#include "app/SweepPlanFields.h"
#include "app/commands/CalibrateRequest.h"

class CsvReader;

/// One run of a sweep: a calibration as a row of the plan states it.
struct SweepRow : SweepPlanFields {
    int number = 0;  ///< from 1, in file order
    int line = 0;    ///< where the row starts in the plan file

    /// The experiment file, relative paths taken from the plan's folder.
    std::string experimentPath;
    /// The list of recordings, resolved as the experiment is; empty for a row of one file.
    std::string experimentsPath;
    /// The held-out recording with its reading options, --obstacles resolved; no file: none.
    ExperimentSource heldOutSource;
    /// The held-out recording's reading options split into arguments, --obstacles resolved.
    std::vector<std::string> heldOutArguments;
    /// The reading options split into arguments, an --obstacles file resolved like the
    /// experiment.
    std::vector<std::string> readingArguments;
    /// "--set", "Name=text", "--metric-set", ... for every pair of the three setting columns.
    std::vector<std::string> settingArguments;

    /// The calibrate command line of this row without its output files (after the program), as
    /// the row's log shows what runs.
    std::vector<std::string> calibrateArguments() const;
    /// "PLAN row N (line L): ", the start of every message about this row.
    std::string where;
    /// False when the row itself is malformed (its problem is among those read() reports).
    bool wellFormed = false;

    /// The calibration the row asks for, without its output files, built from the fields with
    /// the checks of the calibrate command line; for well-formed rows.
    CalibrateRequest request;
    /// Why the calibrate command would refuse the row's options or seed; empty when it would
    /// not. Left to the check of the rows, which reports it in the order of the other checks.
    std::string requestError;
};

/// A plan of runs: CSV with a header naming the columns experiment, model, metric, algorithm
/// and seed, and optionally options, set, metric_set and algorithm_set, in any order. A row may
/// calibrate over a list of recordings (column experiments, in place of experiment), and name a
/// recording to score afterwards with the values found (held_out, held_out_options).
class SweepPlan {
public:
    /// Reads the plan at `path`. Problems of the file or its header make it unusable and end the
    /// reading; problems of single rows are all listed, and the rows before a line that cannot
    /// be read are kept. False, with one message per problem, when there is any.
    bool read(const std::string& path, std::vector<std::string>& problems);

    std::string path;
    std::vector<SweepRow> rows;

private:
    /// The content of the plan file; false, with the problem, when it cannot be read.
    bool load(std::string& content, std::vector<std::string>& problems) const;
    /// Matches the header's names to the columns, in the file's order; false, with the problem,
    /// for an unknown, repeated or missing column.
    bool readHeader(CsvReader& reader, std::vector<std::size_t>& order,
                    std::vector<std::string>& problems) const;
    /// Reads every row below the header, listing the problems of single rows.
    void readRows(CsvReader& reader, const std::vector<std::size_t>& order,
                  std::vector<std::string>& problems);
};
