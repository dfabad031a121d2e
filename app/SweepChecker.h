#pragma once

#include <map>
#include <string>

#include "calibration/ComponentRegistry.h"

struct SweepRow;

/// Checks rows of a plan before anything runs, with the checks of the calibrate command itself:
/// the reading options and seed as its command line checks them (see SweepRow::requestError),
/// the components created and set up through BatchComponents, and the experiment file read with
/// its options. Each distinct file and options pair is read once.
class SweepChecker {
public:
    SweepChecker();

    /// False, with `error` (prefixed with the row's place in the plan), when the calibrate
    /// command would refuse the row.
    bool check(const SweepRow& row, std::string& error);

private:
    /// Why the row's experiment cannot be read with its options, or empty.
    const std::string& readError(const SweepRow& row);

    ComponentRegistry registry;
    std::map<std::string, std::string> readErrors;  ///< file and options → why unreadable
};
