#pragma once

#include <QWidget>
#include <memory>

#include "ui/RunCaption.h"

class CalibrationProgress;
class CostChart;

/// The cost curve of a finished calibration, to look at again and to keep: the picture as PNG,
/// the data as CSV with the columns of the batch tool's trace. The window's title, the caption
/// of the picture and the files' default names say which run it is.
class CostChartWindow : public QWidget {
    Q_OBJECT

public:
    /// Shows the run that `progress` followed, named by `caption`; the window keeps it.
    CostChartWindow(std::shared_ptr<const CalibrationProgress> progress, const RunCaption& caption);

    CostChart& chart() const { return *costChart; }
    /// The run shown.
    const CalibrationProgress* shownRun() const { return run.get(); }
    /// What "Save image..." and "Save data..." offer: the run's name with `extension`.
    QString defaultFileName(const QString& extension) const;
    /// Writes the picture; false when it cannot be written.
    bool saveImage(const QString& path) const;
    /// Writes "evaluation,cost,best" rows; false, with `error`, on failure.
    bool saveData(const QString& path, QString& error) const;

private slots:
    void askImage();
    void askData();

private:
    std::shared_ptr<const CalibrationProgress> run;
    RunCaption name;
    CostChart* costChart = nullptr;
};
