#pragma once

#include <QWidget>
#include <vector>

namespace QtCharts {
class QBarSet;
class QChartView;
}  // namespace QtCharts

/// Each pedestrian's part of an evaluation's score, one bar each, for a metric that is a sum over
/// pedestrians: the pedestrians the model gets wrong stand out. Clicking a bar picks that
/// pedestrian, so that the view can show which one it is.
class ScorePartsWindow : public QWidget {
    Q_OBJECT

public:
    ScorePartsWindow();
    /// Shows the parts of an evaluation with `metric`.
    void showParts(const std::vector<float>& parts, const QString& metric);
    /// Bars shown now.
    int bars() const;

signals:
    /// The bar of pedestrian `index` (from 0) was clicked.
    void pedestrianPicked(int index);

private:
    QtCharts::QChartView* view = nullptr;
    QtCharts::QBarSet* values = nullptr;
};
