#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QtCharts/QChart>
#include <QtCharts/QXYSeries>
#include <map>
#include <memory>

#include "AnalysisTestCrowd.h"
#include "GuiTestSupport.h"
#include "ui/AnalysisWindow.h"

using namespace QtCharts;

namespace {

// Inside the walkers' walkable area (their extent, 0 to 2 by 1 to 2, grown by 1 m): somebody's
// cell reaches it on each of the 21 frames, all of which have speeds.
const QString area = "0 0.5 2 0.5 2 2.5 0 2.5";

struct Window {
    Window() {
        testApplication();
        window.setCrowds(measured, nullptr);
        window.show();
    }
    // Returns once the charts show the last change.
    void settle() {
        if (window.isMeasuring()) {
            QSignalSpy shown(&window, &AnalysisWindow::measurementShown);
            ASSERT_TRUE(shown.wait(20000));
        }
    }
    // Points of each series of a chart; empty when the chart is not shown.
    std::map<QString, int> points(AnalysisWindow::Chart which) {
        std::map<QString, int> counts;
        if (QChart* chart = window.chart(which)) {
            for (QAbstractSeries* series : chart->series()) {
                counts[series->name()] = static_cast<QXYSeries*>(series)->count();
            }
        }
        return counts;
    }
    std::shared_ptr<const CrowdFrames> measured =
        std::make_shared<const CrowdFrames>(threeWalkers(true));
    AnalysisWindow window;
};

}  // namespace

TEST(AnalysisWindow, ChartsFollowTheAreaTheLineAndTheSimulatedCrowd) {
    Window w;
    EXPECT_FALSE(w.window.chart(AnalysisWindow::Chart::DensitySpeed));
    ASSERT_TRUE(w.window.setAreaText(area));
    w.settle();
    using Points = std::map<QString, int>;
    EXPECT_EQ(w.points(AnalysisWindow::Chart::DensitySpeed), (Points{{"measured", 21}}));
    EXPECT_FALSE(w.window.chart(AnalysisWindow::Chart::Crossings));
    EXPECT_TRUE(w.window.message().startsWith("Measured crowd: 21 frames, 21 of them"))
        << w.window.message().toStdString();

    // One crossing each way: a staircase of 4 points (both ends and the two corners of a step).
    ASSERT_TRUE(w.window.setLineText("1 0 1 3"));
    w.window.setCrowds(w.measured, std::make_shared<const CrowdFrames>(threeWalkers(false)));
    w.settle();
    EXPECT_EQ(w.points(AnalysisWindow::Chart::DensityFlow),
              (Points{{"measured", 21}, {"simulated", 21}}));
    EXPECT_EQ(w.points(AnalysisWindow::Chart::Crossings),
              (Points{{"measured, left to right", 4},
                      {"measured, right to left", 4},
                      {"simulated, left to right", 4},
                      {"simulated, right to left", 4}}));

    ASSERT_TRUE(w.window.setLineText(" "));
    w.settle();
    EXPECT_FALSE(w.window.chart(AnalysisWindow::Chart::Crossings));
    EXPECT_EQ(w.window.overlay().area.size(), 4u);
    EXPECT_TRUE(w.window.overlay().line.empty());
}

TEST(AnalysisWindow, BadTextIsRefusedWithItsReasonAndChangesNothing) {
    Window w;
    ASSERT_TRUE(w.window.setAreaText(area));
    ASSERT_TRUE(w.window.setLineText("1 0 1 3"));
    w.settle();
    QChart* const diagram = w.window.chart(AnalysisWindow::Chart::DensitySpeed);
    ASSERT_TRUE(diagram);
    struct Case {
        bool isArea;
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {true, "1 2 3 4", "at least three corners"},
        {true, "0 0 2 2 2 0 0 2", "is refused"},  // its edges cross
        {true, "0 0 1 one 2 0", "written as numbers"},
        {false, "1 1 1 1", "zero length"},
        {false, "0 0 1", "four numbers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_FALSE(c.isArea ? w.window.setAreaText(c.text) : w.window.setLineText(c.text));
        EXPECT_FALSE(w.window.isMeasuring());
        EXPECT_TRUE(w.window.message().contains(c.reason)) << w.window.message().toStdString();
        EXPECT_TRUE(w.window.message().contains(c.isArea ? "The previous area stays"
                                                         : "The previous line stays"));
        EXPECT_EQ(w.window.areaText(), area);
        EXPECT_EQ(w.window.lineText(), "1 0 1 3");
        EXPECT_EQ(w.window.chart(AnalysisWindow::Chart::DensitySpeed), diagram);
    }
}

TEST(AnalysisWindow, ClickedCornersBecomeTheAreaAndTwoClicksTheLine) {
    Window w;
    QSignalSpy changes(&w.window, &AnalysisWindow::overlayChanged);
    w.window.startDrawingArea();
    for (const QPointF& corner : {QPointF(0, 0.5), QPointF(2, 0.5), QPointF(1, 2.504)}) {
        w.window.addGroundPoint(corner);
    }
    EXPECT_TRUE(w.window.overlay().picking);
    EXPECT_FALSE(w.window.overlay().areaClosed);
    EXPECT_EQ(w.window.overlay().area.size(), 3u);
    w.window.finishDrawing();
    // Drawn corners are kept to the centimetre.
    EXPECT_EQ(w.window.areaText(), "0.00 0.50 2.00 0.50 1.00 2.50");
    EXPECT_TRUE(w.window.overlay().areaClosed);

    // Two corners make no area: the previous one stays.
    w.window.startDrawingArea();
    w.window.addGroundPoint(QPointF(0, 1));
    w.window.addGroundPoint(QPointF(1, 1));
    w.window.finishDrawing();
    EXPECT_EQ(w.window.areaText(), "0.00 0.50 2.00 0.50 1.00 2.50");
    EXPECT_TRUE(w.window.message().contains("at least three corners"));

    w.window.startDrawingLine();
    w.window.addGroundPoint(QPointF(1, 0.25));
    EXPECT_EQ(w.window.overlay().line.size(), 1u);
    w.window.addGroundPoint(QPointF(1, 2.75));
    EXPECT_EQ(w.window.lineText(), "1.00 0.25 1.00 2.75");
    EXPECT_FALSE(w.window.overlay().picking);
    // Clicks when nothing is being drawn change nothing.
    w.window.addGroundPoint(QPointF(3, 3));
    EXPECT_EQ(w.window.overlay().line.size(), 2u);
    w.settle();
    EXPECT_TRUE(w.window.chart(AnalysisWindow::Chart::Crossings));
    EXPECT_GT(changes.size(), 0);

    // Hidden, the window draws nothing on the view.
    w.window.hide();
    EXPECT_EQ(w.window.overlay(), GroundOverlay());
}
