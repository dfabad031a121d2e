#include "ui/ScorePartsWindow.h"

#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

ScorePartsWindow::ScorePartsWindow() : QWidget(nullptr) {
    setWindowTitle("Score per pedestrian");
    auto* layout = new QVBoxLayout(this);
    view = new QChartView;
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 260);
    layout->addWidget(view);
}

void ScorePartsWindow::showParts(const std::vector<float>& parts, const QString& metric) {
    auto* chart = new QChart;
    chart->setTitle(metric + ": each pedestrian's part of the score (click a bar to find it)");
    values = new QBarSet("part of the score");
    values->setColor(QColor(0, 0, 190));
    QStringList names;
    for (size_t i = 0; i < parts.size(); ++i) {
        *values << static_cast<double>(parts[i]);
        names << QString::number(i + 1);
    }
    connect(values, &QBarSet::clicked, this, &ScorePartsWindow::pedestrianPicked);
    auto* series = new QBarSeries;
    series->append(values);
    chart->addSeries(series);
    auto* pedestrians = new QBarCategoryAxis;
    pedestrians->append(names);
    pedestrians->setTitleText("pedestrian");
    chart->addAxis(pedestrians, Qt::AlignBottom);
    series->attachAxis(pedestrians);
    auto* axis = new QValueAxis;
    chart->addAxis(axis, Qt::AlignLeft);
    series->attachAxis(axis);
    chart->legend()->hide();
    QChart* previous = view->chart();
    view->setChart(chart);
    delete previous;
}

int ScorePartsWindow::bars() const {
    return values ? values->count() : 0;
}
