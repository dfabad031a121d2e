#include "ui/AnalysisWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <string>
#include <utility>

#include "analysis/CrowdAnalysis.h"
#include "analysis/CrowdFrames.h"
#include "ui/AnalysisCharts.h"

using namespace QtCharts;

namespace {

// Decimals of a drawn corner in metres: a centimetre is finer than a click on the ground of
// any scene that the view frames.
constexpr int drawnDecimals = 2;

QString refusal(const char* what, const std::string& error, bool previous) {
    return QString("The %1 is not taken: %2.%3")
        .arg(what, QString::fromUtf8(error.c_str()),
             previous ? QString(" The previous %1 stays.").arg(what) : QString());
}

}  // namespace

/// What the worker thread leaves for the window: each crowd's analysis, or why it failed.
struct AnalysisWindow::Outcome {
    std::optional<CrowdAnalysis> measured;
    std::optional<CrowdAnalysis> simulated;
    std::string measuredError;
    std::string simulatedError;
};

AnalysisWindow::AnalysisWindow(QWidget* parent) : QWidget(parent) {
    // A window of its own, kept above the main window and deleted with it.
    setWindowFlag(Qt::Window);
    setWindowTitle("Analysis");
    auto* layout = new QVBoxLayout(this);
    auto* inputs = new QGridLayout;
    areaEdit = new QLineEdit;
    areaEdit->setPlaceholderText("x1 y1 x2 y2 x3 y3 ... (metres)");
    areaEdit->setToolTip(
        "The measurement area of the densities and speeds: its corners in order, as x and y in "
        "metres");
    lineEdit = new QLineEdit;
    lineEdit->setPlaceholderText("x1 y1 x2 y2 (metres, optional)");
    lineEdit->setToolTip(
        "The measurement line of the N-t diagram: crossings from its left to its right, looking "
        "from the first end to the second, count as left to right");
    auto* drawArea = new QPushButton("Draw area");
    auto* drawLine = new QPushButton("Draw line");
    doneButton = new QPushButton("Done");
    doneButton->setEnabled(false);
    inputs->addWidget(new QLabel("Area:"), 0, 0);
    inputs->addWidget(areaEdit, 0, 1);
    inputs->addWidget(drawArea, 0, 2);
    inputs->addWidget(doneButton, 0, 3);
    inputs->addWidget(new QLabel("Line:"), 1, 0);
    inputs->addWidget(lineEdit, 1, 1);
    inputs->addWidget(drawLine, 1, 2);
    layout->addLayout(inputs);
    messageLabel = new QLabel;
    messageLabel->setWordWrap(true);
    layout->addWidget(messageLabel);
    auto* charts = new QGridLayout;
    for (size_t i = 0; i < views.size(); ++i) {
        views[i] = new QChartView;
        views[i]->setRenderHint(QPainter::Antialiasing);
        views[i]->setMinimumSize(440, 300);
        charts->addWidget(views[i], static_cast<int>(i) / 2, static_cast<int>(i) % 2);
    }
    layout->addLayout(charts, 1);
    resize(1100, 840);

    // Editing ends on Return and when the field loses focus; only a changed text measures.
    connect(areaEdit, &QLineEdit::editingFinished, this, [this] {
        if (areaEdit->text().simplified() != acceptedArea) {
            setAreaText(areaEdit->text());
        }
    });
    connect(lineEdit, &QLineEdit::editingFinished, this, [this] {
        if (lineEdit->text().simplified() != acceptedLine) {
            setLineText(lineEdit->text());
        }
    });
    connect(drawArea, &QPushButton::clicked, this, &AnalysisWindow::startDrawingArea);
    connect(drawLine, &QPushButton::clicked, this, &AnalysisWindow::startDrawingLine);
    connect(doneButton, &QPushButton::clicked, this, &AnalysisWindow::finishDrawing);
    showCharts({});
    measure();
}

AnalysisWindow::~AnalysisWindow() {
    // The base class hides the window as it is destroyed, which takes the focus from a field and
    // would end its editing in a window that is no longer there.
    areaEdit->disconnect(this);
    lineEdit->disconnect(this);
    if (worker) {
        worker->wait();
    }
}

void AnalysisWindow::setCrowds(std::shared_ptr<const CrowdFrames> measured,
                               std::shared_ptr<const CrowdFrames> simulated) {
    if (measured == measuredCrowd && simulated == simulatedCrowd) {
        return;
    }
    measuredCrowd = std::move(measured);
    simulatedCrowd = std::move(simulated);
    measure();
}

bool AnalysisWindow::setAreaText(const QString& text) {
    const QString given = text.simplified();
    if (area && given == acceptedArea) {
        return true;
    }
    std::string error;
    std::optional<MeasurementArea> parsed = MeasurementArea::fromText(given.toStdString(), error);
    if (!parsed) {
        say(refusal("area", error, area.has_value()));
        return false;
    }
    area = std::move(parsed);
    acceptedArea = given;
    areaEdit->setText(given);
    emit overlayChanged();
    measure();
    return true;
}

bool AnalysisWindow::setLineText(const QString& text) {
    const QString given = text.simplified();
    if (given == acceptedLine) {
        return true;
    }
    std::optional<MeasurementLine> parsed;
    if (!given.isEmpty()) {
        std::string error;
        parsed = MeasurementLine::fromText(given.toStdString(), error);
        if (!parsed) {
            say(refusal("line", error, line.has_value()));
            return false;
        }
    }
    line = std::move(parsed);
    acceptedLine = given;
    lineEdit->setText(given);
    emit overlayChanged();
    measure();
    return true;
}

QString AnalysisWindow::areaText() const {
    return acceptedArea;
}

QString AnalysisWindow::lineText() const {
    return acceptedLine;
}

QString AnalysisWindow::message() const {
    return messageLabel->text();
}

QChart* AnalysisWindow::chart(Chart which) const {
    return shown[static_cast<size_t>(which)];
}

GroundOverlay AnalysisWindow::overlay() const {
    GroundOverlay ground;
    if (!isVisible()) {
        return ground;
    }
    ground.picking = drawing != Drawing::Nothing;
    if (drawing == Drawing::Area) {
        ground.area = corners;
        ground.areaClosed = false;
    } else if (area) {
        const auto& ring = area->polygon().outer();
        // The ring is closed: its last point repeats the first.
        for (size_t i = 0; i + 1 < ring.size(); ++i) {
            ground.area.emplace_back(ring[i].x(), ring[i].y());
        }
    }
    if (drawing == Drawing::Line) {
        ground.line = corners;
    } else if (line) {
        ground.line = {QPointF(line->first().x(), line->first().y()),
                       QPointF(line->second().x(), line->second().y())};
    }
    return ground;
}

void AnalysisWindow::startDrawingArea() {
    setDrawing(Drawing::Area);
    say("Click the corners of the area on the ground of the 3D view; a double click or "
        "\"Done\" closes it.");
}

void AnalysisWindow::startDrawingLine() {
    setDrawing(Drawing::Line);
    say("Click the first end of the line on the ground of the 3D view, then the second. "
        "Looking from the first end to the second, crossings from left to right count as left "
        "to right.");
}

void AnalysisWindow::addGroundPoint(QPointF point) {
    if (drawing == Drawing::Nothing) {
        return;
    }
    corners.push_back(point);
    if (drawing == Drawing::Line && corners.size() == 2) {
        finishDrawing();
        return;
    }
    emit overlayChanged();
}

void AnalysisWindow::finishDrawing() {
    const Drawing drawn = drawing;
    const QString text = textOf(corners);
    const size_t count = corners.size();
    setDrawing(Drawing::Nothing);
    if (drawn == Drawing::Area) {
        if (count < 3) {
            say(refusal("area", "an area needs at least three corners", area.has_value()));
        } else {
            setAreaText(text);
        }
    } else if (drawn == Drawing::Line) {
        if (count < 2) {
            say(refusal("line", "a line needs two ends", line.has_value()));
        } else {
            setLineText(text);
        }
    }
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit overlayChanged();
}

void AnalysisWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Clicks on the view go back to being clicks once nobody sees what they would draw.
    drawing = Drawing::Nothing;
    corners.clear();
    doneButton->setEnabled(false);
    emit overlayChanged();
}

void AnalysisWindow::measure() {
    if (worker) {
        measureAgain = true;
        return;
    }
    if (!measuredCrowd || !area) {
        showCharts({});
        say(measuredCrowd ? "Type a measurement area, or draw it on the ground of the 3D view."
                          : "No experiment is loaded.");
        emit measurementShown();
        return;
    }
    // A measurement takes about 30 ms per frame of 300 pedestrians, so that of a long recording
    // runs on a thread of its own while the window and the 3D view stay responsive. It reads
    // its own copy of the setup and shares the crowds, which nothing changes once made.
    pending = std::make_shared<Outcome>();
    worker.reset(QThread::create([outcome = pending, setup = AnalysisSetup{*area, line, {}},
                                  measured = measuredCrowd, simulated = simulatedCrowd]() mutable {
        // Both crowds are cut into cells within the measured crowd's walkable area, as the
        // batch tool's analyse cuts them, so that a model's figures do not move the measured
        // ones; a simulated crowd that a model led out of the area is a result, not an error.
        setup.settings.walkable =
            DensitySpeed::walkableFor(*measured, setup.settings, outcome->measuredError);
        if (!setup.settings.walkable) {
            return;
        }
        outcome->measured = CrowdAnalysis::measure(*measured, setup, outcome->measuredError);
        if (simulated) {
            setup.settings.needsSomebodyInside = false;
            outcome->simulated = CrowdAnalysis::measure(*simulated, setup, outcome->simulatedError);
        }
    }));
    connect(worker.get(), &QThread::finished, this, &AnalysisWindow::takeOutcome);
    setCursor(Qt::BusyCursor);
    say("Measuring...");
    worker->start();
}

void AnalysisWindow::takeOutcome() {
    // finished() comes from the worker just before it ends; wait() returns once it has.
    worker->wait();
    worker.reset();
    unsetCursor();
    const std::shared_ptr<const Outcome> outcome = std::move(pending);
    if (measureAgain) {
        measureAgain = false;
        measure();
        return;
    }
    showOutcome(*outcome);
    emit measurementShown();
}

void AnalysisWindow::showOutcome(const Outcome& outcome) {
    if (!outcome.measured) {
        showCharts({});
        say("The measured crowd cannot be measured here: " +
            QString::fromUtf8(outcome.measuredError.c_str()) + ".");
        return;
    }
    const ChartedCrowds crowds{&*outcome.measured,
                               outcome.simulated ? &*outcome.simulated : nullptr};
    showCharts({AnalysisCharts::densitySpeed(crowds), AnalysisCharts::densityFlow(crowds),
                AnalysisCharts::densityOverTime(crowds),
                AnalysisCharts::crossingsOverTime(crowds)});
    const auto diagramPoints = [](const CrowdAnalysis& analysis) {
        return static_cast<int>(analysis.densitySpeed().fundamentalDiagram().size());
    };
    QString text = QString("Measured crowd: %1 frames, %2 of them in the fundamental diagram.")
                       .arg(outcome.measured->densitySpeed().frames().size())
                       .arg(diagramPoints(*outcome.measured));
    if (outcome.simulated) {
        text += QString(" Simulated crowd: %1 frames in the diagram.")
                    .arg(diagramPoints(*outcome.simulated));
    } else if (simulatedCrowd) {
        text += " The simulated crowd cannot be measured here: " +
                QString::fromUtf8(outcome.simulatedError.c_str()) + ".";
    } else {
        text += " \"Evaluate\" in the main window adds the simulated crowd.";
    }
    say(text);
}

void AnalysisWindow::showCharts(std::array<std::unique_ptr<QChart>, 4> charts) {
    for (size_t i = 0; i < views.size(); ++i) {
        // A view owns the chart it is given but hands back the one it had, which goes here.
        QChart* const previous = views[i]->chart();
        shown[i] = charts[i].get();
        views[i]->setChart(charts[i] ? charts[i].release() : new QChart);
        delete previous;
    }
    const size_t crossings = static_cast<size_t>(Chart::Crossings);
    views[crossings]->setVisible(shown[crossings] != nullptr);
}

void AnalysisWindow::say(const QString& text) {
    messageLabel->setText(text);
}

void AnalysisWindow::setDrawing(Drawing what) {
    drawing = what;
    corners.clear();
    doneButton->setEnabled(what != Drawing::Nothing);
    emit overlayChanged();
}

QString AnalysisWindow::textOf(const std::vector<QPointF>& points) {
    QStringList numbers;
    for (const QPointF& point : points) {
        numbers << QString::number(point.x(), 'f', drawnDecimals)
                << QString::number(point.y(), 'f', drawnDecimals);
    }
    return numbers.join(' ');
}
