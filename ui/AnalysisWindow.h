#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/MeasurementArea.h"
#include "analysis/MeasurementLine.h"
#include "view3d/GroundOverlay.h"

namespace QtCharts {
class QChart;
class QChartView;
}  // namespace QtCharts

class CrowdFrames;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

/// The crowd measurements of the loaded experiment, measured against simulated: the
/// fundamental diagram, the density over time and, with a line, the N–t diagram, in a
/// measurement area and across a line that are typed as text or drawn on the ground of the 3D
/// view. Every change of the crowds, the area or the line measures again, on a worker thread.
class AnalysisWindow : public QWidget {
    Q_OBJECT

public:
    /// The charts the window shows.
    enum class Chart { DensitySpeed, DensityFlow, DensityOverTime, Crossings };

    explicit AnalysisWindow(QWidget* parent = nullptr);
    /// Waits for a measurement under way, which reads the crowds and the setup it was given.
    ~AnalysisWindow() override;

    /// The crowds to measure: the measured one (null for none) and the simulated one of the
    /// last evaluation (null before one).
    void setCrowds(std::shared_ptr<const CrowdFrames> measured,
                   std::shared_ptr<const CrowdFrames> simulated);
    /// Takes the measurement area from text "x1 y1 x2 y2 x3 y3 ..." (metres). False, with the
    /// reason in the window, when the text is no valid polygon: the previous area and its
    /// charts stay.
    bool setAreaText(const QString& text);
    /// Takes the measurement line from text "x1 y1 x2 y2" (metres), or none from blank text.
    /// False as setAreaText, the previous line staying.
    bool setLineText(const QString& text);

    /// The area in use, as it was given; empty before the first.
    QString areaText() const;
    /// The line in use, as it was given; empty for none.
    QString lineText() const;
    /// What the window says now: what it measured, that it measures, or why it refused input.
    QString message() const;
    /// True while a measurement runs on the worker thread.
    bool isMeasuring() const { return worker != nullptr; }
    /// The chart shown, or null when there is none: no area yet, a failed measurement, or no
    /// line for the crossings.
    QtCharts::QChart* chart(Chart which) const;
    /// What the 3D view draws on the ground: nothing while the window is hidden.
    GroundOverlay overlay() const;

public slots:
    /// Takes the next clicks on the ground as the corners of a new area.
    void startDrawingArea();
    /// Takes the next two clicks on the ground as the ends of a new line.
    void startDrawingLine();
    /// Adds a corner (metres) to the area or line being drawn; the second end of a line ends
    /// its drawing. Ignored when nothing is being drawn.
    void addGroundPoint(QPointF point);
    /// Closes the area being drawn and takes it; an area of fewer than three corners or a line
    /// of one end is given up, the previous one staying.
    void finishDrawing();

signals:
    /// The overlay has changed: another area or line, a corner drawn, the window shown or hidden.
    void overlayChanged();
    /// The charts show a new measurement, or the window says why it failed.
    void measurementShown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Drawing { Nothing, Area, Line };
    struct Outcome;

    /// Measures the crowds in the area and across the line on the worker thread, or once more
    /// after the measurement under way.
    void measure();
    /// Takes the worker's outcome into the charts, unless the setup changed meanwhile.
    void takeOutcome();
    void showOutcome(const Outcome& outcome);
    /// Shows `charts` in the views, in the order of Chart; null leaves a view empty.
    void showCharts(std::array<std::unique_ptr<QtCharts::QChart>, 4> charts);
    void say(const QString& text);
    void setDrawing(Drawing what);
    /// The corners drawn, as the text setAreaText and setLineText take (centimetres).
    static QString textOf(const std::vector<QPointF>& corners);

    std::shared_ptr<const CrowdFrames> measuredCrowd;
    std::shared_ptr<const CrowdFrames> simulatedCrowd;
    std::optional<MeasurementArea> area;
    std::optional<MeasurementLine> line;
    QString acceptedArea;  ///< the text of `area`
    QString acceptedLine;  ///< the text of `line`
    Drawing drawing = Drawing::Nothing;
    std::vector<QPointF> corners;  ///< clicked so far of what is being drawn

    std::unique_ptr<QThread> worker;
    std::shared_ptr<Outcome> pending;  ///< what the worker fills in
    bool measureAgain = false;         ///< the setup changed while the worker ran

    QLineEdit* areaEdit = nullptr;
    QLineEdit* lineEdit = nullptr;
    QPushButton* doneButton = nullptr;
    QLabel* messageLabel = nullptr;
    std::array<QtCharts::QChartView*, 4> views{};
    std::array<QtCharts::QChart*, 4> shown{};  ///< owned by the views; null for an empty view
};
