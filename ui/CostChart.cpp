#include "ui/CostChart.h"

#include <QCheckBox>

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

// Points drawn at the most, about one per pixel of the chart; beyond, every k-th evaluation
// stands for its neighbours.
constexpr int shownAtMost = 600;
// Labelled ticks per axis at the most: enough to read a value off, few enough that the labels
// of a 300 px axis never touch.
constexpr int ticksAtMost = 7;

// A category axis with a label on each tick value is a value axis whose ticks we choose: Qt's
// own value axes divide the range evenly (0.58, 1.15) and its logarithmic axis labels only
// powers of ten, which a range inside one decade does not contain.
QCategoryAxis* makeTickedAxis(const QString& title) {
    auto* axis = new QCategoryAxis;
    axis->setTitleText(title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    return axis;
}

// `position` maps a value to the axis' coordinate (its logarithm on a logarithmic axis).
template <class Position>
void showTicks(QCategoryAxis* axis, const AxisTicks& ticks, Position position) {
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    // The first category is empty, from the first tick to itself, so that the first tick is
    // labelled too.
    if (!ticks.values.empty()) {
        axis->setStartValue(position(ticks.values.front()));
    }
    for (size_t i = 0; i < ticks.values.size(); ++i) {
        axis->append(ticks.labels[static_cast<int>(i)], position(ticks.values[i]));
    }
    axis->setRange(position(ticks.minimum), position(ticks.maximum));
}

}  // namespace

CostChart::CostChart(QWidget* parent)
    : QChartView(parent),
      costs(new QScatterSeries),
      best(new QLineSeries),
      evaluationAxis(makeTickedAxis("evaluation")),
      costAxis(makeTickedAxis("cost")) {
    costs->setName("cost");
    costs->setMarkerSize(3);
    costs->setColor(QColor(150, 150, 150));
    costs->setBorderColor(QColor(150, 150, 150));
    best->setName("best so far");
    best->setColor(QColor(0, 0, 190));
    auto* chart = new QChart;
    chart->addSeries(costs);
    chart->addSeries(best);
    chart->addAxis(evaluationAxis, Qt::AlignBottom);
    chart->addAxis(costAxis, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(costs), static_cast<QAbstractSeries*>(best)}) {
        series->attachAxis(evaluationAxis);
        series->attachAxis(costAxis);
    }
    chart->legend()->setAlignment(Qt::AlignTop);
    setChart(chart);
    setMinimumSize(480, 300);
    redraw();
}

void CostChart::addRows(const std::vector<std::pair<float, float>>& rows) {
    if (rows.empty()) {
        return;
    }
    data.insert(data.end(), rows.begin(), rows.end());
    // The axes fit every evaluation, also those that thinning leaves out of the drawing: the
    // lowest cost of a long run may well be one of them.
    for (const auto& [cost, bestCost] : rows) {
        for (const double value : {static_cast<double>(cost), static_cast<double>(bestCost)}) {
            if (std::isfinite(value)) {
                lowest = std::min(lowest, value);
                highest = std::max(highest, value);
                if (value > 0.0) {
                    lowestPositive = std::min(lowestPositive, value);
                }
            }
        }
    }
    redraw();
}

QCheckBox* CostChart::makeLogarithmicBox() {
    auto* box = new QCheckBox("Logarithmic cost axis");
    connect(box, &QCheckBox::toggled, this, &CostChart::setLogarithmic);
    return box;
}

void CostChart::setLogarithmic(bool enabled) {
    if (enabled == logarithmic) {
        return;
    }
    logarithmic = enabled;
    costAxis->setTitleText(logarithmic ? "cost (logarithmic)" : "cost");
    redraw();
}

int CostChart::pointsShown() const {
    return costs->count();
}

QStringList CostChart::costAxisLabels() const {
    return costAxis->categoriesLabels();
}

void CostChart::redraw() {
    // Costs that are not numbers (or not positive, on a logarithmic axis) cannot be drawn.
    const auto drawable = [this](float value) {
        return std::isfinite(value) && (!logarithmic || value > 0.0f);
    };
    const auto height = [this](double value) { return logarithmic ? std::log10(value) : value; };

    const size_t stride = std::max<size_t>(1, (data.size() + shownAtMost - 1) / shownAtMost);
    QVector<QPointF> costPoints;
    QVector<QPointF> bestPoints;
    for (size_t i = 0; i < data.size(); i += stride) {
        const double x = static_cast<double>(i + 1);
        if (drawable(data[i].first)) {
            costPoints.append(QPointF(x, height(data[i].first)));
        }
        if (drawable(data[i].second)) {
            bestPoints.append(QPointF(x, height(data[i].second)));
        }
    }
    costs->replace(costPoints);
    best->replace(bestPoints);

    evaluationScale =
        AxisTicks::linear(1.0, std::max(2.0, static_cast<double>(data.size())), ticksAtMost, 1.0);
    showTicks(evaluationAxis, evaluationScale, [](double value) { return value; });
    // Without data the ticks fall back to a plain range (0 to 1, or 1 to 10).
    costScale = logarithmic ? AxisTicks::logarithmic(lowestPositive, highest, ticksAtMost)
                            : AxisTicks::linear(lowest, highest, ticksAtMost);
    showTicks(costAxis, costScale, height);
}
