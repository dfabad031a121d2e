#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/ReadingOptions.h"

/// The command line of the batch tool, parsed but not yet checked against the registry.
struct BatchOptions {
    std::string command;     ///< list, info, evaluate, calibrate or convert
    std::string file;        ///< the experiment file
    ReadingOptions reading;  ///< how the file is read
    std::string output;      ///< convert: the ANA file to write
    std::string model;
    std::string metric;
    std::string algorithm;
    bool hasSeed = false;
    unsigned seed = 0;
    /// Threads that evaluate at once in a calibration; 0: one per core.
    int jobs = 1;
    /// "Parameter name=text" settings, split at the first "=".
    std::vector<std::pair<std::string, std::string>> modelSettings;
    std::vector<std::pair<std::string, std::string>> metricSettings;
    std::vector<std::pair<std::string, std::string>> algorithmSettings;
    std::string loadParams;
    std::string saveParams;
    std::string trace;
};

/// Parses the arguments after the program name. Returns false with `error` saying which option
/// or value is wrong.
bool parseBatchOptions(const std::vector<std::string>& arguments, BatchOptions& options,
                       std::string& error);

/// The usage text.
const char* batchUsage();
