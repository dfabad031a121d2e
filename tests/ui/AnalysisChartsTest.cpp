#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <memory>
#include <string>

#include "AnalysisTestSupport.h"
#include "GuiTestSupport.h"
#include "analysis/CrowdAnalysis.h"
#include "ui/AnalysisCharts.h"
#include "ui/AnalysisImages.h"

using namespace QtCharts;

namespace {

// The walkers in a walkable area that is the measurement area, 4 m × 2.6 m = 10.4 m², so that
// every Voronoi cell lies inside it: the Voronoi density is the number present over 10.4 m², as
// the classic density is. Measured: 2 present, 3 on frames 5–15 (3 / 10.4 = 0.288/m², at most
// 0.26/(m·s) at 0.9 m/s); simulated: the outer two alone.
CrowdAnalysis analysed(bool withMiddle, bool withLine) {
    std::string error;
    AnalysisSetup setup{*MeasurementArea::fromText("0 0 4 0 4 2.6 0 2.6", error), std::nullopt, {}};
    setup.settings.walkable = setup.area;
    if (withLine) {
        setup.line = MeasurementLine::fromText("1 0 1 2.6", error);
    }
    const auto analysis = CrowdAnalysis::measure(threeWalkers(withMiddle), setup, error);
    EXPECT_TRUE(analysis) << error;
    return *analysis;
}

// An axis as "minimum maximum ticks label-format".
QString axisText(const QChart& chart, Qt::Orientation orientation) {
    const auto* axis = static_cast<QValueAxis*>(chart.axes(orientation).front());
    EXPECT_FALSE(axis->titleText().isEmpty());
    return QString("%1 %2 %3 %4")
        .arg(axis->min())
        .arg(axis->max())
        .arg(axis->tickCount())
        .arg(axis->labelFormat());
}

}  // namespace

TEST(AnalysisCharts, SeriesHoldAPointPerFrameOrCrossingOnRoundAxes) {
    testApplication();
    const CrowdAnalysis measured = analysed(true, true);
    const CrowdAnalysis simulated = analysed(false, true);
    struct Case {
        std::unique_ptr<QChart> (*make)(const ChartedCrowds&);
        bool withSimulated;
        const char* points;
        const char* x;
        const char* y;
    };
    // Densities up to 0.288: steps of 0.05 from 0 to 0.3 (0.02 would need 16 ticks). Speeds
    // 0.9: steps of 0.2 to 1. Time 0 to 2 s: steps of 0.5. Crossings: one each way, in whole
    // steps; a staircase of 2 points per crossing and one at each end.
    const Case cases[] = {
        {AnalysisCharts::densitySpeed, false, "measured 21", "0 0.3 7 %.2f", "0 1 6 %.1f"},
        {AnalysisCharts::densityFlow, true, "measured 21; simulated 21", "0 0.3 7 %.2f",
         "0 0.3 7 %.2f"},
        {AnalysisCharts::densityOverTime, true,
         "measured, Voronoi 21; measured, classic 21; simulated, Voronoi 21; simulated, classic 21",
         "0 2 5 %.1f", "0 0.3 7 %.2f"},
        {AnalysisCharts::crossingsOverTime, true,
         "measured, left to right 4; measured, right to left 4; simulated, left to right 4; "
         "simulated, right to left 4",
         "0 2 5 %.1f", "0 1 2 %.0f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points);
        const std::unique_ptr<QChart> chart =
            c.make(ChartedCrowds{&measured, c.withSimulated ? &simulated : nullptr});
        ASSERT_TRUE(chart);
        EXPECT_EQ(seriesPoints(chart.get()), c.points);
        EXPECT_EQ(axisText(*chart, Qt::Horizontal), c.x);
        EXPECT_EQ(axisText(*chart, Qt::Vertical), c.y);
    }
    const CrowdAnalysis withoutLine = analysed(true, false);
    EXPECT_FALSE(AnalysisCharts::crossingsOverTime(ChartedCrowds{&withoutLine, nullptr}));
}

namespace {

// True when the columns [from, to) of an image hold a pixel of the clear red of the measured
// crowd (red) or the clear blue of the simulated one.
bool holds(const QImage& image, int from, int to, bool red) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = from; x < to; ++x) {
            const QRgb p = image.pixel(x, y);
            if ((red ? qRed(p) : qBlue(p)) > 150 && (red ? qBlue(p) : qRed(p)) < 80 &&
                qGreen(p) < 80) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(AnalysisImages, PicturesShowMeasuredInRedAndSimulatedInBlue) {
    testApplication();
    const CrowdAnalysis measured = analysed(true, true);
    const CrowdAnalysis simulated = analysed(false, true);
    const CrowdAnalysis withoutLine = analysed(true, false);
    struct Case {
        const char* what;
        const CrowdAnalysis* measured;
        const CrowdAnalysis* simulated;
        bool crossings;
    };
    const Case cases[] = {
        {"measured and simulated", &measured, &simulated, true},
        {"measured alone, no line", &withoutLine, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        std::string error;
        ASSERT_TRUE(
            writeAnalysisImages(*c.measured, c.simulated, folder.path().toStdString(), error))
            << error;
        const QImage diagram(folder.filePath("fundamental_diagram.png"));
        ASSERT_EQ(diagram.size(), QSize(2000, 700));
        // Density and speed on the left, density and flow on the right: both hold both crowds.
        for (const auto& [from, to] : {std::pair{0, 1000}, std::pair{1000, 2000}}) {
            EXPECT_TRUE(holds(diagram, from, to, true)) << from;
            EXPECT_EQ(holds(diagram, from, to, false), c.simulated != nullptr) << from;
        }
        const QImage density(folder.filePath("density_time.png"));
        ASSERT_EQ(density.size(), QSize(1000, 700));
        EXPECT_TRUE(holds(density, 0, 1000, true));
        EXPECT_EQ(holds(density, 0, 1000, false), c.simulated != nullptr);
        EXPECT_EQ(QFile::exists(folder.filePath("nt.png")), c.crossings);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), c.crossings ? 3 : 2);
    }
}

TEST(AnalysisImages, AFolderThatCannotBeWrittenIsReported) {
    testApplication();
    const CrowdAnalysis measured = analysed(true, false);
    QTemporaryDir scratch;
    // A file where the folder should be refuses even the super-user.
    const QString folder = scratch.filePath("file");
    QFile(folder).open(QIODevice::WriteOnly);
    std::string error;
    EXPECT_FALSE(writeAnalysisImages(measured, nullptr, folder.toStdString(), error));
    EXPECT_NE(error.find(folder.toStdString() + "/fundamental_diagram.png"), std::string::npos)
        << error;
}

TEST(AnalysisImages, DrawOnTheOffscreenPlatform) {
    // This program again, on the platform of a program without a screen, with the image tests
    // alone; the variable keeps it from starting itself once more.
    if (qEnvironmentVariableIsSet("VESTRA_OFFSCREEN_CHILD")) {
        GTEST_SKIP() << "already on the offscreen platform";
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VESTRA_OFFSCREEN_CHILD", "1");
    environment.remove("DISPLAY");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=AnalysisImages.PicturesShowMeasuredInRedAndSimulatedInBlue"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
