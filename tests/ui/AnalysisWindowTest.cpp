#include <gtest/gtest.h>

#include <memory>

#include "AnalysisTestSupport.h"
#include "GuiTestSupport.h"
#include "ui/AnalysisWindow.h"

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
    std::shared_ptr<const CrowdFrames> measured =
        std::make_shared<const CrowdFrames>(threeWalkers(true));
    AnalysisWindow window;
};

}  // namespace

TEST(AnalysisWindow, BadTextIsRefusedWithItsReasonAndChangesNothing) {
    Window w;
    ASSERT_TRUE(w.window.setAreaText(area));
    ASSERT_TRUE(w.window.setLineText("1 0 1 3"));
    settle(w.window);
    QtCharts::QChart* const diagram = w.window.chart(AnalysisWindow::Chart::DensitySpeed);
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
    w.window.startDrawingArea();
    for (const QPointF& corner : {QPointF(0, 0.5), QPointF(2, 0.5), QPointF(1, 2.504)}) {
        w.window.addGroundPoint(corner);
    }
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
    // Hidden, the window draws nothing on the view.
    w.window.hide();
    EXPECT_EQ(w.window.overlay(), GroundOverlay());
}
