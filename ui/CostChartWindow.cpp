#include "ui/CostChartWindow.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>

#include "calibration/CalibrationProgress.h"
#include "ui/CostChart.h"

CostChartWindow::CostChartWindow(std::shared_ptr<const CalibrationProgress> progress,
                                 const RunCaption& caption)
    : QWidget(nullptr), run(std::move(progress)), name(caption) {
    setWindowTitle("Cost: " + name.text());
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    costChart = new CostChart;
    // The saved picture carries the run's name, so that it still says what it shows when it
    // is far from this window.
    costChart->chart()->setTitle(name.text());
    costChart->addRows(run->rowsFrom(0));
    layout->addWidget(costChart);
    auto* row = new QHBoxLayout;
    row->addWidget(costChart->makeLogarithmicBox());
    row->addStretch();
    auto* image = new QPushButton("Save image...");
    connect(image, &QPushButton::clicked, this, &CostChartWindow::askImage);
    row->addWidget(image);
    auto* data = new QPushButton("Save data...");
    connect(data, &QPushButton::clicked, this, &CostChartWindow::askData);
    row->addWidget(data);
    layout->addLayout(row);
}

QString CostChartWindow::defaultFileName(const QString& extension) const {
    return name.fileStem() + "." + extension;
}

bool CostChartWindow::saveImage(const QString& path) const {
    return costChart->grab().save(path, "PNG");
}

bool CostChartWindow::saveData(const QString& path, QString& error) const {
    std::string message;
    if (!run->writeTrace(path.toUtf8().toStdString(), message)) {
        error = QString::fromUtf8(message.c_str());
        return false;
    }
    return true;
}

void CostChartWindow::askImage() {
    const QString path = QFileDialog::getSaveFileName(this, "Save image", defaultFileName("png"),
                                                      "PNG images (*.png)", nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty() && !saveImage(path)) {
        QMessageBox::critical(this, "Error", "Cannot write \"" + path + "\".");
    }
}

void CostChartWindow::askData() {
    const QString path =
        QFileDialog::getSaveFileName(this, "Save data", defaultFileName("csv"), "CSV files (*.csv)",
                                     nullptr, QFileDialog::DontUseNativeDialog);
    QString error;
    if (!path.isEmpty() && !saveData(path, error)) {
        QMessageBox::critical(this, "Error", error);
    }
}
