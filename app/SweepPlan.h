#pragma once

#include <string>
#include <vector>

#include "app/SweepPlanFields.h"

/// One run of a sweep: a calibration as a row of the plan states it.
struct SweepRow : SweepPlanFields {
    int number = 0;  ///< from 1, in file order
    int line = 0;    ///< where the row starts in the plan file

    /// The experiment file, relative paths taken from the plan's folder.
    std::string experimentPath;
    /// The reading options split into arguments, an --obstacles file resolved like the
    /// experiment.
    std::vector<std::string> readingArguments;
    /// "--set", "Name=text", "--metric-set", ... for every pair of the three setting columns.
    std::vector<std::string> settingArguments;

    /// The calibrate command line of this row without its output files (after the program).
    std::vector<std::string> calibrateArguments() const;
    /// "PLAN row N (line L): ", the start of every message about this row.
    std::string where;
    /// False when the row itself is malformed (its problem is among those read() reports).
    bool wellFormed = false;
};

/// A plan of runs: CSV with a header naming the columns experiment, model, metric, algorithm
/// and seed, and optionally options, set, metric_set and algorithm_set, in any order.
class SweepPlan {
public:
    /// Reads the plan at `path`. Problems of the file or its header make it unusable and end the
    /// reading; problems of single rows are all listed, and the rows before a line that cannot
    /// be read are kept. False, with one message per problem, when there is any.
    bool read(const std::string& path, std::vector<std::string>& problems);

    std::string path;
    std::vector<SweepRow> rows;
};
