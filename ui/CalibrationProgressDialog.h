#pragma once

#include <QDialog>
#include <cstddef>

class Calibration;
class CalibrationProgress;
class CostChart;
class QLabel;
class QPushButton;
class QTimer;

/// Shown while a calibration runs: what is known so far (evaluations, best and initial cost,
/// elapsed time, where the algorithm stands), the cost curve, and "Cancel", which stops the run
/// after the evaluation in progress; the run then ends with the best values found. It keeps its
/// width while the figures grow.
class CalibrationProgressDialog : public QDialog {
    Q_OBJECT

public:
    /// Both must outlive the dialog; `progress` is filled on the calibration's thread.
    CalibrationProgressDialog(Calibration& calibration, const CalibrationProgress& progress,
                              QWidget* parent);

    /// The figures as shown now.
    QString figuresText() const;
    CostChart& chart() const { return *costChart; }

public slots:
    /// Reads the progress and shows it; a timer calls it a few times a second.
    void refresh();
    void cancel();
    /// Escape or the window's close button cancel the run; the dialog stays until it ends.
    void reject() override { cancel(); }

private:
    Calibration& run;
    const CalibrationProgress& progress;
    QLabel* figures = nullptr;
    CostChart* costChart = nullptr;
    QPushButton* cancelButton = nullptr;
    QTimer* timer = nullptr;
    std::size_t charted = 0;  ///< evaluations already in the chart
};
