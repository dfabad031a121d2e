#pragma once

#include <QWidget>
#include <memory>

class CalibrationProgress;
class CostChart;

/// The cost curve of a finished calibration, to look at again and to keep: the picture as PNG,
/// the data as CSV with the columns of the batch tool's trace.
class CostChartWindow : public QWidget {
    Q_OBJECT

public:
    /// Shows the run that `progress` followed; the window keeps it.
    CostChartWindow(std::shared_ptr<const CalibrationProgress> progress, const QString& title);

    CostChart& chart() const { return *costChart; }
    /// Writes the picture; false when it cannot be written.
    bool saveImage(const QString& path) const;
    /// Writes "evaluation,cost,best" rows; false, with `error`, on failure.
    bool saveData(const QString& path, QString& error) const;

private slots:
    void askImage();
    void askData();

private:
    std::shared_ptr<const CalibrationProgress> run;
    CostChart* costChart = nullptr;
};
