#include "ui/CostChart.h"

#include <QCheckBox>

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

// Points drawn at the most, about one per pixel of the chart; beyond, every k-th evaluation
// stands for its neighbours.
constexpr int shownAtMost = 600;

}  // namespace

CostChart::CostChart(QWidget* parent)
    : QChartView(parent),
      costs(new QScatterSeries),
      best(new QLineSeries),
      evaluationAxis(new QValueAxis),
      linearAxis(new QValueAxis),
      logAxis(new QLogValueAxis) {
    costs->setName("cost");
    costs->setMarkerSize(3);
    costs->setColor(QColor(150, 150, 150));
    costs->setBorderColor(QColor(150, 150, 150));
    best->setName("best so far");
    best->setColor(QColor(0, 0, 190));
    auto* chart = new QChart;
    chart->addSeries(costs);
    chart->addSeries(best);
    evaluationAxis->setTitleText("evaluation");
    evaluationAxis->setLabelFormat("%d");
    linearAxis->setTitleText("cost");
    logAxis->setTitleText("cost");
    logAxis->setLabelFormat("%g");
    chart->addAxis(evaluationAxis, Qt::AlignBottom);
    chart->addAxis(linearAxis, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(costs), static_cast<QAbstractSeries*>(best)}) {
        series->attachAxis(evaluationAxis);
        series->attachAxis(linearAxis);
    }
    chart->legend()->setAlignment(Qt::AlignTop);
    setChart(chart);
    setMinimumSize(480, 300);
}

void CostChart::addRows(const std::vector<std::pair<float, float>>& rows) {
    if (rows.empty()) {
        return;
    }
    data.insert(data.end(), rows.begin(), rows.end());
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
    QAbstractAxis* from = logarithmic ? static_cast<QAbstractAxis*>(linearAxis) : logAxis;
    QAbstractAxis* to = logarithmic ? static_cast<QAbstractAxis*>(logAxis) : linearAxis;
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(costs), static_cast<QAbstractSeries*>(best)}) {
        series->detachAxis(from);
    }
    chart()->removeAxis(from);
    chart()->addAxis(to, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(costs), static_cast<QAbstractSeries*>(best)}) {
        series->attachAxis(to);
    }
    redraw();
}

int CostChart::pointsShown() const {
    return costs->count();
}

void CostChart::redraw() {
    const size_t stride = std::max<size_t>(1, (data.size() + shownAtMost - 1) / shownAtMost);
    QVector<QPointF> costPoints;
    QVector<QPointF> bestPoints;
    float low = INFINITY;
    float high = -INFINITY;
    for (size_t i = 0; i < data.size(); i += stride) {
        // Costs that are not numbers (or not positive, on a logarithmic axis) cannot be drawn.
        const auto drawable = [this](float value) {
            return std::isfinite(value) && (!logarithmic || value > 0.0f);
        };
        const double x = static_cast<double>(i + 1);
        if (drawable(data[i].first)) {
            costPoints.append(QPointF(x, data[i].first));
            low = std::min(low, data[i].first);
            high = std::max(high, data[i].first);
        }
        if (drawable(data[i].second)) {
            bestPoints.append(QPointF(x, data[i].second));
        }
    }
    costs->replace(costPoints);
    best->replace(bestPoints);
    evaluationAxis->setRange(1, std::max<double>(2.0, static_cast<double>(data.size())));
    if (low <= high) {
        const float margin = low == high ? std::max(std::fabs(low) * 0.1f, 1e-6f) : 0.0f;
        if (logarithmic) {
            logAxis->setRange(low * 0.9, high * 1.1);
        } else {
            linearAxis->setRange(std::min(0.0f, low - margin), high + margin);
        }
    }
}
