#pragma once

#include <QtCharts/QChartView>
#include <utility>
#include <vector>

namespace QtCharts {
class QLineSeries;
class QScatterSeries;
class QValueAxis;
class QLogValueAxis;
}  // namespace QtCharts

/// The cost of every evaluation of a calibration (dots) and the best cost so far (a line),
/// against the evaluation number, on a linear or logarithmic cost axis. Long runs are thinned
/// out for drawing: at most a few thousand points are shown, spread evenly over the run.
class QCheckBox;

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

private:
    void redraw();

    std::vector<std::pair<float, float>> data;
    QtCharts::QScatterSeries* costs;
    QtCharts::QLineSeries* best;
    QtCharts::QValueAxis* evaluationAxis;
    QtCharts::QValueAxis* linearAxis;
    QtCharts::QLogValueAxis* logAxis;
    bool logarithmic = false;
};
