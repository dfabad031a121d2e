#include "calibration/ValueDistribution.h"

#include <algorithm>
#include <cmath>

#include "core/PdfType.h"

namespace ValueDistribution {

PDF of(const ParameterTable& table, int column, int rows) {
    if (rows <= 0) {
        return PDF(0.0f, 0.0f, PDF::NORMAL, 0.0f, 0.0f);
    }
    float smallest = table.at(0, column);
    float largest = smallest;
    double sum = 0.0;
    for (int i = 0; i < rows; ++i) {
        const float value = table.at(i, column);
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
        sum += value;
    }
    const double mean = sum / rows;
    double squares = 0.0;
    for (int i = 0; i < rows; ++i) {
        const double difference = table.at(i, column) - mean;
        squares += difference * difference;
    }
    return PDF(smallest, largest, PDF::NORMAL, static_cast<float>(mean),
               static_cast<float>(std::sqrt(squares / rows)));
}

std::string describe(const std::vector<std::string>& names, const ParameterTable& table,
                     int rows) {
    std::string text;
    const PdfType form;
    for (int k = 0; k < table.columns() && static_cast<std::size_t>(k) < names.size(); ++k) {
        const PDF fitted = of(table, k, rows);
        text += names[static_cast<std::size_t>(k)] + "=" + form.format(&fitted) + "\n";
    }
    return text;
}

}  // namespace ValueDistribution
