#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <QtCharts/QXYSeries>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "AnalysisTestCrowd.h"
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

struct Axis {
    double minimum;
    double maximum;
    int ticks;
    const char* format;
};

void expectAxis(QChart& chart, Qt::Orientation orientation, const Axis& expected) {
    auto* axis = static_cast<QValueAxis*>(chart.axes(orientation).front());
    EXPECT_NEAR(axis->min(), expected.minimum, 1e-12);
    EXPECT_NEAR(axis->max(), expected.maximum, 1e-12);
    EXPECT_EQ(axis->tickCount(), expected.ticks);
    EXPECT_EQ(axis->labelFormat(), expected.format);
    EXPECT_FALSE(axis->titleText().isEmpty());
}

std::map<QString, int> pointsPerSeries(QChart& chart) {
    std::map<QString, int> points;
    for (QAbstractSeries* series : chart.series()) {
        points[series->name()] = static_cast<QXYSeries*>(series)->count();
    }
    return points;
}

}  // namespace

TEST(AnalysisCharts, SeriesHoldAPointPerFrameOrCrossingOnRoundAxes) {
    testApplication();
    const CrowdAnalysis measured = analysed(true, true);
    const CrowdAnalysis simulated = analysed(false, true);
    using Make = std::function<std::unique_ptr<QChart>(const ChartedCrowds&)>;
    struct Case {
        const char* chart;
        Make make;
        bool withSimulated;
        std::map<QString, int> points;
        Axis x, y;
    };
    // Densities up to 0.288: steps of 0.05 from 0 to 0.30 (0.02 would need 16 ticks). Speeds
    // 0.9: steps of 0.2 to 1.0. Time 0 to 2 s: steps of 0.5. Crossings: one each way, in
    // whole steps; a staircase of 2 points per crossing and one at each end.
    const Case cases[] = {
        {"density and speed",
         AnalysisCharts::densitySpeed,
         false,
         {{"measured", 21}},
         {0, 0.3, 7, "%.2f"},
         {0, 1.0, 6, "%.1f"}},
        {"density and flow",
         AnalysisCharts::densityFlow,
         true,
         {{"measured", 21}, {"simulated", 21}},
         {0, 0.3, 7, "%.2f"},
         {0, 0.3, 7, "%.2f"}},
        {"density over time",
         AnalysisCharts::densityOverTime,
         true,
         {{"measured, Voronoi", 21},
          {"measured, classic", 21},
          {"simulated, Voronoi", 21},
          {"simulated, classic", 21}},
         {0, 2.0, 5, "%.1f"},
         {0, 0.3, 7, "%.2f"}},
        {"crossings over time",
         AnalysisCharts::crossingsOverTime,
         true,
         {{"measured, left to right", 4},
          {"measured, right to left", 4},
          {"simulated, left to right", 4},
          {"simulated, right to left", 4}},
         {0, 2.0, 5, "%.1f"},
         {0, 1, 2, "%.0f"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chart);
        const std::unique_ptr<QChart> chart =
            c.make(ChartedCrowds{&measured, c.withSimulated ? &simulated : nullptr});
        ASSERT_TRUE(chart);
        EXPECT_EQ(pointsPerSeries(*chart), c.points);
        expectAxis(*chart, Qt::Horizontal, c.x);
        expectAxis(*chart, Qt::Vertical, c.y);
    }
    const CrowdAnalysis withoutLine = analysed(true, false);
    EXPECT_FALSE(AnalysisCharts::crossingsOverTime(ChartedCrowds{&withoutLine, nullptr}));
}

namespace {

bool isRed(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 80 && qBlue(p) < 80;
}
bool isBlue(QRgb p) {
    return qBlue(p) > 150 && qRed(p) < 80 && qGreen(p) < 80;
}

// Pixels of a colour in the columns [from, to) of an image.
int countPixels(const QImage& image, int from, int to, bool (*colour)(QRgb)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = from; x < to; ++x) {
            count += colour(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
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
            EXPECT_GT(countPixels(diagram, from, to, isRed), 0) << from;
            EXPECT_EQ(countPixels(diagram, from, to, isBlue) > 0, c.simulated != nullptr) << from;
        }
        const QImage density(folder.filePath("density_time.png"));
        ASSERT_EQ(density.size(), QSize(1000, 700));
        EXPECT_GT(countPixels(density, 0, 1000, isRed), 0);
        EXPECT_EQ(countPixels(density, 0, 1000, isBlue) > 0, c.simulated != nullptr);
        EXPECT_EQ(QFile::exists(folder.filePath("nt.png")), c.crossings);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), c.crossings ? 3 : 2);
    }
    // Kept to look at when VESTRA_SCREENSHOT_DIR names a folder.
    const QByteArray screenshots = qgetenv("VESTRA_SCREENSHOT_DIR");
    std::string error;
    if (!screenshots.isEmpty()) {
        EXPECT_TRUE(writeAnalysisImages(measured, &simulated, screenshots.toStdString(), error));
    }
}

TEST(AnalysisImages, AFolderThatCannotBeWrittenIsReported) {
    testApplication();
    const CrowdAnalysis measured = analysed(true, false);
    QTemporaryDir scratch;
    // A file where the folder should be, and a folder where a picture should be: both refuse
    // even the super-user.
    QFile(scratch.filePath("file")).open(QIODevice::WriteOnly);
    QDir(scratch.path()).mkpath("taken/density_time.png");
    struct Case {
        QString folder;
        QString named;
    };
    const Case cases[] = {
        {scratch.filePath("file"), scratch.filePath("file") + "/fundamental_diagram.png"},
        {scratch.filePath("taken"), scratch.filePath("taken") + "/density_time.png"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(writeAnalysisImages(measured, nullptr, c.folder.toStdString(), error));
        EXPECT_NE(error.find(c.named.toStdString()), std::string::npos) << error;
    }
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
    environment.remove("VESTRA_SCREENSHOT_DIR");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=AnalysisImages.PicturesShowMeasuredInRedAndSimulatedInBlue"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
