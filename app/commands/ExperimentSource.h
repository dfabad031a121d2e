#pragma once

#include <string>

#include "data/ReadingOptions.h"

/// An experiment file and how it is read, as the commands that read one are given it.
struct ExperimentSource {
    std::string file;
    ReadingOptions reading;
};
