#pragma once

#include <string>

/// The fields of a sweep plan's row as written in the plan (relative paths still relative):
/// what a row asks for, and what its result repeats so that it can be matched to the row.
struct SweepPlanFields {
    std::string experiment;
    std::string model;
    std::string metric;
    std::string algorithm;
    std::string seed;
    std::string options;
    std::string set;
    std::string metricSet;
    std::string algorithmSet;
};
