#include <gtest/gtest.h>

#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <utility>
#include <vector>

#include "GuiTestSupport.h"
#include "calibration/CalibrationProgress.h"
#include "calibration/Greedy.h"
#include "ui/AxisTicks.h"
#include "ui/CalibrationProgressDialog.h"
#include "ui/CostChart.h"
#include "ui/ScorePartsBars.h"
#include "ui/ScorePartsWindow.h"

namespace {

struct TicksCase {
    double low;
    double high;
    double finest;
    QStringList labels;
};

void expectTicks(const AxisTicks& ticks, const TicksCase& c) {
    EXPECT_EQ(ticks.labels, c.labels) << c.low << " to " << c.high;
    ASSERT_EQ(ticks.values.size(), static_cast<size_t>(c.labels.size()));
    for (size_t i = 0; i < ticks.values.size(); ++i) {
        EXPECT_DOUBLE_EQ(ticks.values[i], c.labels[static_cast<int>(i)].toDouble());
    }
    EXPECT_LE(ticks.minimum, c.low);
    EXPECT_GE(ticks.maximum, c.high);
}

}  // namespace

TEST(AxisTicks, LinearTicksAreRoundAndEncloseTheData) {
    const TicksCase cases[] = {
        // A fall of 5.3e-5: (span / 6 ticks) 8.8e-6 rounds up to steps of 1e-5.
        {0.105781,
         0.105834,
         0,
         {"0.10578", "0.10579", "0.10580", "0.10581", "0.10582", "0.10583", "0.10584"}},
        // 2.3 / 6 = 0.38 rounds up to 0.5.
        {0.0, 2.3, 0, {"0.0", "0.5", "1.0", "1.5", "2.0", "2.5"}},
        // 1.2 / 6 = 0.2 would need 8 ticks from 1.0 to 2.4; 0.25 needs 7.
        {1.1, 2.3, 0, {"1.00", "1.25", "1.50", "1.75", "2.00", "2.25", "2.50"}},
        // Evaluation counts: 3827 / 6 = 638 rounds up to 1000.
        {1, 3828, 1, {"0", "1000", "2000", "3000", "4000"}},
        // Whole evaluations only: 3 / 6 = 0.5 is raised to 1.
        {1, 4, 1, {"1", "2", "3", "4"}},
        // One value: ± 5 % around 0.5, steps of 0.01.
        {0.5, 0.5, 0, {"0.47", "0.48", "0.49", "0.50", "0.51", "0.52", "0.53"}},
    };
    for (const TicksCase& c : cases) {
        expectTicks(AxisTicks::linear(c.low, c.high, 7, c.finest), c);
    }
}

TEST(AxisTicks, LogarithmicTicksAreLabelledEvenInsideOneDecade) {
    const TicksCase cases[] = {
        // 1.1 to 3.5 holds no power of ten and only the 2 of 1-2-5: round linear steps, as on
        // a linear axis (2.4 / 6 = 0.4 rounds up to 0.5).
        {1.1, 3.5, 0, {"1.0", "1.5", "2.0", "2.5", "3.0", "3.5"}},
        {0.105781,
         0.105834,
         0,
         {"0.10578", "0.10579", "0.10580", "0.10581", "0.10582", "0.10583", "0.10584"}},
        // Steps of 0.2 (0.75 / 6 rounded up) would start the axis at 0: the ticks inside the
        // range with its room (0.137 to 0.984) remain.
        {0.15, 0.9, 0, {"0.2", "0.4", "0.6", "0.8"}},
        {0.5, 3.19, 0, {"0.5", "1", "2"}},
        {0.001, 10, 0, {"0.001", "0.01", "0.1", "1", "10"}},
        // Thirteen decades: every second power.
        {1e-9, 1e3, 0, {"1e-08", "1e-06", "0.0001", "0.01", "1", "100"}},
    };
    for (const TicksCase& c : cases) {
        const AxisTicks ticks = AxisTicks::logarithmic(c.low, c.high, 7);
        EXPECT_EQ(ticks.labels, c.labels) << c.low << " to " << c.high;
        EXPECT_LE(ticks.minimum, c.low);
        EXPECT_GE(ticks.maximum, c.high);
    }
}

TEST(CostChart, AxesFitEveryEvaluationAndShowTheirRoundTicks) {
    testApplication();
    CostChart chart;
    // 1200 evaluations are thinned to every second one; the lowest cost, 0.25, is evaluation 2.
    std::vector<std::pair<float, float>> rows(1200, {1.5f, 0.25f});
    rows[0] = {1.5f, 1.5f};
    rows[1] = {0.25f, 0.25f};
    chart.addRows(rows);
    EXPECT_EQ(chart.pointsShown(), 600);
    EXPECT_EQ(chart.costAxisLabels(),
              QStringList({"0.25", "0.50", "0.75", "1.00", "1.25", "1.50"}));
    // 1199 / 6 = 200.
    EXPECT_EQ(chart.evaluationTicks().labels,
              QStringList({"0", "200", "400", "600", "800", "1000", "1200"}));
    // 0.25 to 1.5 holds one power of ten and two of 1-2-5, too few: linear steps of 0.25.
    chart.setLogarithmic(true);
    EXPECT_EQ(chart.costAxisLabels(),
              QStringList({"0.25", "0.50", "0.75", "1.00", "1.25", "1.50"}));
}

TEST(CalibrationProgressDialog, KeepsItsWidthWhileTheFiguresGrow) {
    testApplication();
    Greedy calibration;
    CalibrationProgress progress;
    progress.attach(calibration);
    CalibrationProgressDialog dialog(calibration, progress, nullptr);
    dialog.show();
    dialog.refresh();
    QApplication::processEvents();
    const int width = dialog.width();
    for (int i = 0; i < 123456; ++i) {
        calibration.onEvaluation(1.0f / static_cast<float>(i + 1));
    }
    calibration.onPosition(
        "generation 12345, 29 of 30 without change, the population of 4000 "
        "genomes evaluated on 64 threads");
    dialog.refresh();
    QApplication::processEvents();
    EXPECT_TRUE(dialog.figuresText().startsWith("123456 evaluations, best 8.10005e-06"));
    EXPECT_EQ(dialog.width(), width);
}

TEST(ScorePartsWindow, HundredsOfPartsAreSortedScrolledAndTellTheirPedestrian) {
    testApplication();
    ScorePartsWindow window;
    // Pedestrian i + 1 has part (37 i mod 500) / 1000. The largest, 0.499, has 37 i ≡ 499
    // (mod 500): i = 27 (999 = 500 + 499), pedestrian 28.
    std::vector<float> parts;
    for (int i = 0; i < 500; ++i) {
        parts.push_back(static_cast<float>(i * 37 % 500) / 1000.0f);
    }
    window.showParts(parts, "Difference");
    window.show();
    QApplication::processEvents();
    ScorePartsBars& bars = window.partsBars();
    EXPECT_EQ(window.bars(), 500);
    EXPECT_GE(bars.rowCentre(1).y() - bars.rowCentre(0).y(), bars.fontMetrics().height());
    EXPECT_GT(window.findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(bars.toolTipAt(bars.rowCentre(0)), "Pedestrian 28: 0.499, rank 1 of 500");
    // The smallest, 0, is pedestrian 1.
    EXPECT_EQ(bars.toolTipAt(bars.rowCentre(499)), "Pedestrian 1: 0, rank 500 of 500");
    QSignalSpy picked(&window, &ScorePartsWindow::pedestrianPicked);
    QTest::mouseClick(&bars, Qt::LeftButton, {}, bars.rowCentre(0));
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(picked[0][0].toInt(), 27);
}
