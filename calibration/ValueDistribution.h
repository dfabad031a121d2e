#pragma once

#include "core/PDF.h"
#include "core/ParameterTable.h"

/// The spread of one parameter's calibrated values over a population of pedestrians.
namespace ValueDistribution {

/// The normal distribution of column `column` of the first `rows` rows of `table`: min and max the
/// smallest and largest value, mean their mean and deviation their standard deviation (of the
/// population, dividing by `rows`), summed in double. A table without rows gives all zeros.
PDF of(const ParameterTable& table, int column, int rows);

}  // namespace ValueDistribution
