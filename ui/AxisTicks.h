#pragma once

#include <QStringList>
#include <vector>

/// Tick values and labels for a chart axis that fits a range of data. Linear ticks step by 1, 2,
/// 2.5 or 5 × 10^k, and the axis runs from the tick at or below the data to the one at or above
/// it. Logarithmic ticks are powers of ten; where too few of them fall in the range, 1, 2 and 5
/// times powers of ten; inside about one decade, round linear steps: a logarithmic axis always
/// has labelled ticks, and its range is the data's with a little room.
struct AxisTicks {
    /// Ticks for data from `low` to `high` on a linear axis: at most `most`, and no closer
    /// together than `finest` (1 for counts).
    static AxisTicks linear(double low, double high, int most = 7, double finest = 0.0);
    /// Ticks for positive data from `low` to `high` on a logarithmic axis, at most `most`.
    static AxisTicks logarithmic(double low, double high, int most = 7);

    double minimum = 0.0;        ///< lower end of the axis, in data units
    double maximum = 1.0;        ///< upper end of the axis, in data units
    std::vector<double> values;  ///< ascending, within [minimum, maximum]
    QStringList labels;          ///< one per value, with the decimals its step needs
};
