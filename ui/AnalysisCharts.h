#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <memory>
#include <vector>

namespace QtCharts {
class QChart;
}  // namespace QtCharts

class CrowdAnalysis;

/// The two analyses a chart compares: the measured crowd's and, once a model has run over the
/// experiment, the simulated crowd's.
struct ChartedCrowds {
    const CrowdAnalysis* measured = nullptr;   ///< never null
    const CrowdAnalysis* simulated = nullptr;  ///< null before a simulation
};

/// Charts of crowd analyses, the measured crowd in red against the simulated one in blue, with
/// titled axes in their units, round ticks and a legend that names each series. Every chart is
/// new and belongs to the caller until it is handed to a QChartView (setChart) or drawn into an
/// image (drawSideBySide). None uses OpenGL, so that they draw on any platform, "offscreen"
/// included.
namespace AnalysisCharts {

/// The measured crowd's colour, the red of measured pedestrians in the 3D view.
inline constexpr QColor measuredColour(200, 0, 0);
/// The simulated crowd's colour, the blue of simulated pedestrians in the 3D view.
inline constexpr QColor simulatedColour(0, 0, 200);

/// The fundamental diagram: Voronoi density (1/m²) against Voronoi speed (m/s), one point per
/// frame of the diagram.
std::unique_ptr<QtCharts::QChart> densitySpeed(const ChartedCrowds& crowds);
/// The fundamental diagram as Voronoi density (1/m²) against specific flow (1/(m·s)).
std::unique_ptr<QtCharts::QChart> densityFlow(const ChartedCrowds& crowds);
/// Voronoi density (solid) and classic density (dashed, lighter) in 1/m² against time in
/// seconds, one point per frame; the legend names the crowds by their Voronoi lines and the
/// title says which line is which.
std::unique_ptr<QtCharts::QChart> densityOverTime(const ChartedCrowds& crowds);
/// The N–t diagram: the cumulative number of crossings of the line against time in seconds,
/// left to right solid and right to left dashed (the legend names the crowds by the first, the
/// title says which is which); null when the measured analysis has no line.
std::unique_ptr<QtCharts::QChart> crossingsOverTime(const ChartedCrowds& crowds);

/// Draws `charts` side by side, each as wide as `size` divided among them, on white into an
/// image of `size`. Takes no event loop and no window, so that a program without a screen can
/// write pictures.
QImage drawSideBySide(std::vector<std::unique_ptr<QtCharts::QChart>> charts, const QSize& size);

}  // namespace AnalysisCharts
