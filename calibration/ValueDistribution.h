#pragma once

#include <string>
#include <vector>

#include "core/PDF.h"
#include "core/ParameterTable.h"

/// The spread of one parameter's calibrated values over a population of pedestrians.
namespace ValueDistribution {

/// The normal distribution of column `column` of the first `rows` rows of `table`: min and max the
/// smallest and largest value, mean their mean and deviation their standard deviation (of the
/// population, dividing by `rows`), summed in double. A table without rows gives all zeros.
PDF of(const ParameterTable& table, int column, int rows);

/// One line "Name=min max NORMAL mean deviation" per column of the first `rows` rows of `table`,
/// named by `names` in column order: the text a distributed parameter takes.
std::string describe(const std::vector<std::string>& names, const ParameterTable& table,
                     int rows);

}  // namespace ValueDistribution
