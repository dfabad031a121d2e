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
// The dialog's width at the start (px): the figures of a typical run fit on one line.
constexpr int startWidth = 680;

}  // namespace

CalibrationProgressDialog::CalibrationProgressDialog(Calibration& calibration,
                                                     const CalibrationProgress& shown,
                                                     QWidget* parent)
    : QDialog(parent), run(calibration), progress(shown) {
    setWindowTitle("Calibrating " + QString::fromUtf8(calibration.name.c_str()));
    auto* layout = new QVBoxLayout(this);
    figures = new QLabel("Starting...");
    figures->setObjectName("figures");
    // The figures grow longer as the run goes on; they wrap onto a second line instead of
    // widening the dialog under the user's pointer.
    figures->setWordWrap(true);
    figures->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    figures->setFixedHeight(2 * figures->fontMetrics().lineSpacing() + 2 * figures->margin());
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
    resize(startWidth, sizeHint().height());
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
