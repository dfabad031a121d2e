#pragma once

#include <map>
#include <string>

#include "calibration/ComponentRegistry.h"

struct ExperimentSource;
struct SweepRow;

/// Checks rows of a plan before anything runs, with the checks of the calibrate command itself:
/// the reading options and seed as its command line checks them (see SweepRow::requestError),
/// the components created and set up through BatchComponents, and the experiment file read with
/// its options (every file of a row's list, and its held-out recording). Each distinct file and
/// options pair is read once.
class SweepChecker {
public:
    SweepChecker();

    /// False, with `error` (prefixed with the row's place in the plan), when the calibrate
    /// command would refuse the row.
    bool check(const SweepRow& row, std::string& error);

private:
    /// Why the row's recordings (its file, or every file of its list) cannot be read, or empty.
    std::string recordingsError(const SweepRow& row);
    /// Why the held-out recording cannot be scored by the row's metrics and the baseline model,
    /// or empty.
    std::string heldOutError(const SweepRow& row);
    /// Why `source` cannot be read with its options, or empty.
    const std::string& readError(const ExperimentSource& source);

    ComponentRegistry registry;
    std::map<std::string, std::string> readErrors;  ///< file and options → why unreadable
};
