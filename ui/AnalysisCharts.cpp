#include "ui/AnalysisCharts.h"

#include <QFont>
#include <QGraphicsScene>
#include <QPainter>
#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/CrowdAnalysis.h"

using namespace QtCharts;

namespace {

// Labelled ticks per axis at the most: few enough that the labels of a 300 px axis never touch.
constexpr int ticksAtMost = 7;
// Scatter points (px): a single frame stays visible, and a few thousand frames still show
// their spread instead of one blot.
constexpr qreal pointSize = 6.0;
// Line widths (px): the classic density and the second direction are drawn thinner, so that
// the main curve stays on top where they meet.
constexpr qreal mainWidth = 2.0;
constexpr qreal secondWidth = 1.5;
// Chart titles are this much larger than Qt's default.
constexpr qreal titleScale = 1.25;
// How far towards white the second curve of a crowd is drawn (0: the crowd's colour).
constexpr double lighterShare = 0.45;

const QString densityTitle = QString::fromUtf8("Voronoi density (1/m²)");
const QString timeTitle = "time (s)";

// An axis from one multiple of a round step (1, 2 or 5 × 10^k) to another.
struct RoundRange {
    double minimum = 0.0;
    double maximum = 1.0;
    int ticks = 2;
    int decimals = 0;  ///< those the step needs, so that labels read 0.5, 1.0, 1.5
};

// The coarsest-looking range: the smallest round step no finer than `finest` whose multiples
// enclose [low, high] with at most ticksAtMost ticks.
RoundRange roundRange(double low, double high, double finest) {
    if (!(high > low)) {
        high = low + 1.0;
    }
    // Quotients within this of a whole number count as whole, so that data ending on a tick
    // do not gain another one.
    constexpr double slack = 1e-9;
    for (int exponent = static_cast<int>(std::floor(std::log10((high - low) / ticksAtMost)));;
         ++exponent) {
        for (const int multiple : {1, 2, 5}) {
            const double step = multiple * std::pow(10.0, exponent);
            if (step < finest) {
                continue;
            }
            const double first = std::floor(low / step + slack);
            const double last = std::ceil(high / step - slack);
            if (last - first + 1 <= ticksAtMost) {
                return {first * step, last * step, static_cast<int>(last - first) + 1,
                        std::max(0, -exponent)};
            }
        }
    }
}

void showRange(QValueAxis* axis, const RoundRange& range) {
    axis->setRange(range.minimum, range.maximum);
    axis->setTickCount(range.ticks);
    axis->setMinorTickCount(0);
    axis->setLabelFormat(QString("%.%1f").arg(range.decimals));
}

// A chart with its title, the legend on top and two value axes titled with their units. A key
// to the line styles goes in small print under the title, so that the legend names the crowds
// alone and fits a narrow chart.
std::unique_ptr<QChart> emptyChart(const QString& title, const QString& xTitle,
                                   const QString& yTitle, const QString& key = QString()) {
    auto chart = std::make_unique<QChart>();
    chart->setTitle(key.isEmpty() ? title
                                  : "<p align=\"center\">" + title +
                                        "<br><span style=\"font-weight:normal\"><small>" + key +
                                        "</small></span></p>");
    // The title names the chart in a picture far from the program: it should stand out.
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * titleScale);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->setAlignment(Qt::AlignTop);
    const std::pair<const QString*, Qt::Alignment> axes[] = {{&xTitle, Qt::AlignBottom},
                                                             {&yTitle, Qt::AlignLeft}};
    for (const auto& [axisTitle, side] : axes) {
        auto* axis = new QValueAxis;
        axis->setTitleText(*axisTitle);
        chart->addAxis(axis, side);
    }
    return chart;
}

void addSeries(QChart& chart, QXYSeries* series) {
    chart.addSeries(series);
    for (QAbstractAxis* axis : chart.axes()) {
        series->attachAxis(axis);
    }
}

void addPoints(QChart& chart, const QString& name, const QColor& colour,
               const QVector<QPointF>& points) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setColor(colour);
    series->setBorderColor(colour);
    series->setMarkerSize(pointSize);
    series->replace(points);
    addSeries(chart, series);
}

// `legend` labels the line in the legend; empty, the line has no entry there.
void addLine(QChart& chart, const QString& name, const QPen& pen, const QVector<QPointF>& points,
             const QString& legend) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(pen);
    series->replace(points);
    addSeries(chart, series);
    for (QLegendMarker* marker : chart.legend()->markers(series)) {
        marker->setLabel(legend);
        marker->setVisible(!legend.isEmpty());
    }
}

QColor lighter(const QColor& colour) {
    const auto towardsWhite = [](int channel) {
        return static_cast<int>(std::lround(channel + (255 - channel) * lighterShare));
    };
    return QColor(towardsWhite(colour.red()), towardsWhite(colour.green()),
                  towardsWhite(colour.blue()));
}

QPen pen(const QColor& colour, qreal width, Qt::PenStyle style) {
    QPen drawn(colour, width, style);
    drawn.setCapStyle(Qt::FlatCap);
    return drawn;
}

// Fits both axes to every point of every series. Quantities start from zero, so that their
// size can be read off; time starts where the recording does.
void fitAxes(QChart& chart, bool xFromZero, double finestY) {
    double lowX = std::numeric_limits<double>::infinity();
    double highX = -lowX;
    double highY = 0.0;
    for (QAbstractSeries* series : chart.series()) {
        for (const QPointF& point : static_cast<QXYSeries*>(series)->pointsVector()) {
            if (std::isfinite(point.x()) && std::isfinite(point.y())) {
                lowX = std::min(lowX, point.x());
                highX = std::max(highX, point.x());
                highY = std::max(highY, point.y());
            }
        }
    }
    if (!(highX >= lowX)) {
        lowX = highX = 0.0;
    }
    showRange(static_cast<QValueAxis*>(chart.axes(Qt::Horizontal).front()),
              roundRange(xFromZero ? std::min(0.0, lowX) : lowX, highX, 0.0));
    showRange(static_cast<QValueAxis*>(chart.axes(Qt::Vertical).front()),
              roundRange(0.0, highY, finestY));
}

struct Charted {
    const CrowdAnalysis* analysis;
    QString name;
    QColor colour;
};

// The crowds to draw, measured first, so that the simulated one is drawn over it.
std::vector<Charted> chartedOf(const ChartedCrowds& crowds) {
    std::vector<Charted> charted{{crowds.measured, "measured", AnalysisCharts::measuredColour}};
    if (crowds.simulated) {
        charted.push_back({crowds.simulated, "simulated", AnalysisCharts::simulatedColour});
    }
    return charted;
}

template <class Value>
std::unique_ptr<QChart> fundamentalDiagram(const ChartedCrowds& crowds, const QString& title,
                                           const QString& yTitle, Value value) {
    auto chart = emptyChart(title, densityTitle, yTitle);
    for (const Charted& crowd : chartedOf(crowds)) {
        QVector<QPointF> points;
        for (const DiagramPoint& point : crowd.analysis->densitySpeed().fundamentalDiagram()) {
            points.append(QPointF(point.density, value(point)));
        }
        addPoints(*chart, crowd.name, crowd.colour, points);
    }
    fitAxes(*chart, true, 0.0);
    return chart;
}

// The staircase of the N–t diagram: the count rises by one at each crossing, from zero at the
// first frame to the total at the last.
QVector<QPointF> staircase(const std::vector<LineCrossing>& crossings, double start, double end) {
    QVector<QPointF> steps{QPointF(start, 0.0)};
    for (size_t i = 0; i < crossings.size(); ++i) {
        steps.append(QPointF(crossings[i].time, static_cast<double>(i)));
        steps.append(QPointF(crossings[i].time, static_cast<double>(i + 1)));
    }
    steps.append(QPointF(end, static_cast<double>(crossings.size())));
    return steps;
}

}  // namespace

namespace AnalysisCharts {

std::unique_ptr<QChart> densitySpeed(const ChartedCrowds& crowds) {
    return fundamentalDiagram(crowds, "Fundamental diagram: density and speed",
                              "Voronoi speed (m/s)",
                              [](const DiagramPoint& point) { return point.speed; });
}

std::unique_ptr<QChart> densityFlow(const ChartedCrowds& crowds) {
    return fundamentalDiagram(crowds, "Fundamental diagram: density and flow",
                              QString::fromUtf8("specific flow (1/(m·s))"),
                              [](const DiagramPoint& point) { return point.flow; });
}

std::unique_ptr<QChart> densityOverTime(const ChartedCrowds& crowds) {
    auto chart = emptyChart("Density over time", timeTitle, QString::fromUtf8("density (1/m²)"),
                            "solid: Voronoi density, dashed: classic density");
    for (const Charted& crowd : chartedOf(crowds)) {
        QVector<QPointF> voronoi;
        QVector<QPointF> classic;
        for (const FrameDensitySpeed& frame : crowd.analysis->densitySpeed().frames()) {
            voronoi.append(QPointF(frame.time, frame.voronoiDensity));
            classic.append(QPointF(frame.time, frame.classicDensity));
        }
        addLine(*chart, crowd.name + ", classic",
                pen(lighter(crowd.colour), secondWidth, Qt::DashLine), classic, QString());
        addLine(*chart, crowd.name + ", Voronoi", pen(crowd.colour, mainWidth, Qt::SolidLine),
                voronoi, crowd.name);
    }
    fitAxes(*chart, false, 0.0);
    return chart;
}

std::unique_ptr<QChart> crossingsOverTime(const ChartedCrowds& crowds) {
    if (!crowds.measured->crossings()) {
        return nullptr;
    }
    auto chart = emptyChart(QString::fromUtf8("N–t diagram: crossings of the line"), timeTitle,
                            "crossings", "solid: left to right, dashed: right to left");
    const std::pair<CrossingDirection, const char*> directions[] = {
        {CrossingDirection::LeftToRight, ", left to right"},
        {CrossingDirection::RightToLeft, ", right to left"}};
    for (const Charted& crowd : chartedOf(crowds)) {
        const std::vector<FrameDensitySpeed>& frames = crowd.analysis->densitySpeed().frames();
        if (!crowd.analysis->crossings() || frames.empty()) {
            continue;
        }
        for (const auto& [direction, name] : directions) {
            const bool first = direction == CrossingDirection::LeftToRight;
            addLine(*chart, crowd.name + name,
                    pen(crowd.colour, first ? mainWidth : secondWidth,
                        first ? Qt::SolidLine : Qt::DashLine),
                    staircase(crowd.analysis->crossings()->inDirection(direction),
                              frames.front().time, frames.back().time),
                    first ? crowd.name : QString());
        }
    }
    // Counts are whole: no tick between 0 and 1.
    fitAxes(*chart, false, 1.0);
    return chart;
}

QImage drawSideBySide(std::vector<std::unique_ptr<QChart>> charts, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (charts.empty()) {
        return image;
    }
    QGraphicsScene scene;
    const qreal width = static_cast<qreal>(size.width()) / static_cast<qreal>(charts.size());
    for (size_t i = 0; i < charts.size(); ++i) {
        QChart* chart = charts[i].release();
        scene.addItem(chart);
        chart->setGeometry(QRectF(static_cast<qreal>(i) * width, 0.0, width, size.height()));
    }
    const QRectF whole(QPointF(0.0, 0.0), QSizeF(size));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, whole, whole);
    return image;
}

}  // namespace AnalysisCharts
