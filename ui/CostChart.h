#pragma once

#include <QtCharts/QChartView>
#include <cmath>
#include <utility>
#include <vector>

#include "ui/AxisTicks.h"

namespace QtCharts {
class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
}  // namespace QtCharts

class QCheckBox;

/// The cost of every evaluation of a calibration (dots) and the best cost so far (a line),
/// against the evaluation number, on a linear or logarithmic cost axis. Both axes fit the data
/// of every evaluation and carry round, labelled ticks. Long runs are thinned out for drawing:
/// at most a few hundred points are shown, spread evenly over the run.
class CostChart : public QtCharts::QChartView {
    Q_OBJECT

public:
    explicit CostChart(QWidget* parent = nullptr);

    /// Appends evaluations: their cost and the best cost up to them.
    void addRows(const std::vector<std::pair<float, float>>& rows);
    /// Switches the cost axis between linear and logarithmic.
    void setLogarithmic(bool logarithmic);
    /// A new "Logarithmic cost axis" check box that switches this chart's axis.
    QCheckBox* makeLogarithmicBox();
    /// Evaluations the chart holds (one point each, before thinning).
    int evaluations() const { return static_cast<int>(data.size()); }
    /// Points drawn in the cost series now.
    int pointsShown() const;
    /// The ticks of the cost axis, in costs.
    const AxisTicks& costTicks() const { return costScale; }
    /// The ticks of the evaluation axis.
    const AxisTicks& evaluationTicks() const { return evaluationScale; }
    /// The labels the cost axis shows, bottom to top.
    QStringList costAxisLabels() const;

private:
    void redraw();

    std::vector<std::pair<float, float>> data;
    QtCharts::QScatterSeries* costs;
    QtCharts::QLineSeries* best;
    QtCharts::QCategoryAxis* evaluationAxis;
    QtCharts::QCategoryAxis* costAxis;
    AxisTicks evaluationScale;
    AxisTicks costScale;
    double lowest = INFINITY;          ///< of every finite cost and best cost
    double highest = -INFINITY;        ///< of every finite cost and best cost
    double lowestPositive = INFINITY;  ///< for the logarithmic axis
    bool logarithmic = false;
};
