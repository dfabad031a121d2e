#pragma once

#include <string>

#include "data/ReadingOptions.h"

/// An experiment file and how it is read, as the commands that read one are given it.
struct ExperimentSource {
    std::string file;
    ReadingOptions reading;
    /// Where it was named when that was not the command line ("LIST.csv line 3: "), to begin
    /// messages about it with.
    std::string origin;
};
