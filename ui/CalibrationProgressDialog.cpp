#include "ui/CalibrationProgressDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "calibration/Calibration.h"
#include "calibration/CalibrationProgress.h"
#include "ui/CostChart.h"

namespace {

// The display follows the run this often (ms): often enough to watch, rarely enough to cost
// the run nothing measurable.
constexpr int refreshInterval = 400;

}  // namespace

CalibrationProgressDialog::CalibrationProgressDialog(Calibration& calibration,
                                                     const CalibrationProgress& shown,
                                                     QWidget* parent)
    : QDialog(parent), run(calibration), progress(shown) {
    setWindowTitle("Calibrating " + QString::fromUtf8(calibration.name.c_str()));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    figures = new QLabel("Starting...");
    figures->setObjectName("figures");
    layout->addWidget(figures);
    costChart = new CostChart;
    layout->addWidget(costChart);
    auto* row = new QHBoxLayout;
    row->addWidget(costChart->makeLogarithmicBox());
    row->addStretch();
    cancelButton = new QPushButton("Cancel");
    connect(cancelButton, &QPushButton::clicked, this, &CalibrationProgressDialog::cancel);
    row->addWidget(cancelButton);
    layout->addLayout(row);
    timer = new QTimer(this);
    timer->setInterval(refreshInterval);
    connect(timer, &QTimer::timeout, this, &CalibrationProgressDialog::refresh);
    timer->start();
}

void CalibrationProgressDialog::refresh() {
    const CalibrationProgress::Figures now = progress.figures();
    figures->setText(QString::fromUtf8(CalibrationProgress::describe(now).c_str()));
    const auto rows = progress.rowsFrom(charted);
    costChart->addRows(rows);
    charted += rows.size();
}

void CalibrationProgressDialog::cancel() {
    run.requestCancel();
    cancelButton->setEnabled(false);
    cancelButton->setText("Cancelling...");
}

QString CalibrationProgressDialog::figuresText() const {
    return figures->text();
}
