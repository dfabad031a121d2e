#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <vector>

#include "GuiTestSupport.h"
#include "app/StandardComponents.h"
#include "ui/AnalysisWindow.h"
#include "ui/VestraWindow.h"
#include "view3d/AccumulationArithmetic.h"
#include "view3d/Character.h"
#include "view3d/Pane3D.h"

namespace {

int nonWhitePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 200 || qGreen(p) < 200 || qBlue(p) < 200) {
                ++count;
            }
        }
    }
    return count;
}

// Pixels that are clearly the blue of a simulated figure.
int bluePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qBlue(p) > 150 && qRed(p) < 80) {
                ++count;
            }
        }
    }
    return count;
}

struct LoadedWindow {
    explicit LoadedWindow(const char* example, const char* model = "Boids") {
        testApplication();
        window = std::make_unique<VestraWindow>(nullptr);
        registerStandardComponents(*window);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        auto* models = window->findChild<QComboBox*>("comboBox");
        models->setCurrentIndex(models->findText(model));
        window->loadExperimentFile(QString(VESTRA_EXAMPLES_DIR) + "/" + example);
        window->loadRecord();
        view = window->view3D();
        if (view) {
            view->setFrameCapture(true);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(view));
        }
    }
    // Paints and advances as one timer tick does.
    void tick() {
        QApplication::processEvents();
        view->updateGL();
        view->p_idle();
    }
    std::unique_ptr<VestraWindow> window;
    Pane3D* view = nullptr;
};

// Saves the window with its GL view when VESTRA_SCREENSHOT_DIR names a folder.
void saveScreenshot(VestraWindow& window, Pane3D& view, const char* name) {
    const QByteArray folder = qgetenv("VESTRA_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QImage image = window.grab().toImage();
    QPainter painter(&image);
    painter.drawImage(view.mapTo(&window, QPoint(0, 0)), view.capturedFrame());
    painter.end();
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

}  // namespace

TEST(AccumulationArithmetic, ClearAccumulateAndReturnLikeTheHardwareBuffer) {
    AccumulationArithmetic acc;
    acc.resize(2);
    const float black[4] = {0, 0, 0, 1};
    acc.clear(black);
    const float frame1[8] = {0.25f, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const float frame2[8] = {0.5f, 0.75f, 0.5f, 1.0f, 0.1f, 0.2f, 0.3f, 0.4f};
    acc.accumulate(frame1, 1.0f);
    acc.accumulate(frame2, 0.5f);
    // (0, 0, 0, 1) + frame1 + 0.5 × frame2, then returned with factor 1 and clamped to [0, 1].
    float colour[8];
    acc.returnTo(colour, 1.0f);
    const float expected[8] = {0.5f, 0.875f, 1.0f, 1.0f, 0.05f, 0.1f, 0.15f, 1.0f};
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(colour[i], expected[i]) << i;
    }
    acc.returnTo(colour, 0.5f);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);  // 0.5 × (0 + 0.25 + 0.5 × 0.5)
    const float white[4] = {1, 1, 1, 1};
    acc.clear(white);
    acc.returnTo(colour, 1.0f);
    EXPECT_FLOAT_EQ(colour[5], 1.0f);
}

TEST(Character, HeadingTailAndHistory) {
    Character figure;
    figure.reset(2.0f, 3.0f);
    ASSERT_EQ(figure.xHistoryEntries().size(), 15u);
    EXPECT_EQ(figure.xHistoryEntries().front(), 2.0f);
    figure.setPosition(4.0f, 5.0f);
    EXPECT_EQ(figure.xHistoryEntries().size(), 15u);
    EXPECT_EQ(figure.xHistoryEntries().back(), 4.0f);
    EXPECT_EQ(figure.zHistoryEntries().front(), 3.0f);
    figure.setHeading(0.0f, 1.0f);
    EXPECT_NEAR(figure.getHeading(), -M_PI / 2, 1e-6);
    figure.setHeading(0.0f, -1.0f);
    EXPECT_NEAR(figure.getHeading(), M_PI / 2, 1e-6);
    figure.setHeading(1e-8f, 0.0f);
    EXPECT_EQ(figure.getHeading(), 0.0f);
}

TEST(View, VisibilityFlagsChangeThePaintedFrame) {
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    // Halfway through, simulated and measured walkers stand apart.
    w.view->setTimePosition(50);
    w.tick();
    w.tick();
    const QImage both = w.view->capturedFrame();
    EXPECT_GT(bluePixels(both), 0);
    w.window->findChild<QCheckBox*>("checkBox_3")->setChecked(false);  // Sim.
    w.tick();
    EXPECT_EQ(bluePixels(w.view->capturedFrame()), 0);
}

TEST(View, PathsLeaveTrailsOfTheMovingFigures) {
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    w.window->findChild<QCheckBox*>("checkBox_2")->setChecked(false);
    // On a loaded machine the first frames may be captured before the view has drawn; the
    // figures stand still until the animation starts, so any drawn frame will do.
    int singleFrame = 0;
    for (int i = 0; i < 20 && singleFrame == 0; ++i) {
        w.tick();
        singleFrame = nonWhitePixels(w.view->capturedFrame());
    }
    ASSERT_GT(singleFrame, 0);
    w.window->findChild<QCheckBox*>("checkBox_6")->setChecked(true);  // Paths
    w.view->speedUp();
    w.view->speedUp();
    w.view->setAnim(true);
    for (int i = 0; i < 60; ++i) {
        w.tick();
    }
    const QImage trails = w.view->capturedFrame();
    // The figures have moved across the scene and every place they passed stays drawn.
    EXPECT_GT(nonWhitePixels(trails), singleFrame * 2);
    saveScreenshot(*w.window, *w.view, "trails.png");
    // Reset clears the accumulated image.
    w.view->resetAnim();
    w.window->findChild<QCheckBox*>("checkBox_6")->setChecked(false);
    w.view->setAnim(false);
    w.tick();

    EXPECT_LT(nonWhitePixels(w.view->capturedFrame()), singleFrame * 2);
}

TEST(View, ScreenshotsAfterLoadAndEvaluate) {
    LoadedWindow w("bottleneck.ana", "Helbing");
    ASSERT_TRUE(w.view);
    w.view->setTimePosition(40);
    w.tick();
    saveScreenshot(*w.window, *w.view, "after-load.png");
    QTest::mouseClick(w.window->findChild<QPushButton*>("pushButton_4"), Qt::LeftButton);
    w.window->findChild<QCheckBox*>("checkBox_5")->setChecked(true);  // Tails
    w.window->findChild<QCheckBox*>("checkBox_6")->setChecked(true);  // Paths
    w.view->resetAnim();
    w.view->speedUp();
    w.view->speedUp();
    w.view->speedUp();
    w.view->setAnim(true);
    for (int i = 0; i < 80; ++i) {
        w.tick();
    }
    saveScreenshot(*w.window, *w.view, "after-evaluate.png");
    w.window->findChild<QCheckBox*>("checkBox_5")->setChecked(false);
    EXPECT_FALSE(w.view->drawsTails());
}

namespace {

// Columns of one row that are the grey of the grid.
std::vector<int> greyColumns(const QImage& image, int y) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (qAbs(qRed(p) - 128) < 40 && qAbs(qGreen(p) - qRed(p)) < 10 &&
            qAbs(qBlue(p) - qRed(p)) < 10) {
            columns.push_back(x);
        }
    }
    return columns;
}

}  // namespace

TEST(View, ResetWithPathsOnReturnsToTheBackgroundAndGrid) {
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    w.tick();
    const QRgb background = w.view->capturedFrame().pixel(2, 2);
    const std::vector<int> gridRow = greyColumns(w.view->capturedFrame(), 2);
    w.window->findChild<QCheckBox*>("checkBox_6")->setChecked(true);  // Paths
    w.view->setAnim(true);
    for (int i = 0; i < 20; ++i) {
        w.tick();
    }
    w.window->findChild<QPushButton*>("pushButton_10")->click();  // Reset
    for (int i = 0; i < 3; ++i) {
        w.tick();
    }
    EXPECT_EQ(w.view->capturedFrame().pixel(2, 2), background);
    EXPECT_EQ(greyColumns(w.view->capturedFrame(), 2), gridRow);
}

TEST(View, AJumpInTimeDrawsNoTailsBackToTheOldPlace) {
    // After a jump, the frame with tails on is the frame with tails off: every tail starts at
    // the figure's new place.
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    auto* tails = w.window->findChild<QCheckBox*>("checkBox_5");
    tails->setChecked(false);
    w.view->setTimePosition(80);
    w.tick();
    const QImage withoutTails = w.view->capturedFrame();
    w.view->setTimePosition(0);
    w.tick();
    tails->setChecked(true);
    w.view->setTimePosition(80);
    w.tick();
    EXPECT_EQ(w.view->capturedFrame(), withoutTails);
}

TEST(View, PanningWithPathsOnMovesTheWholePicture) {
    // After a pan, the accumulated picture shows the grid where the camera now puts it, the same
    // as a frame without paths, not the old picture under the new one.
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    auto* paths = w.window->findChild<QCheckBox*>("checkBox_6");
    paths->setChecked(true);
    for (int i = 0; i < 4; ++i) {
        w.tick();
    }
    const float camera = w.view->cameraPositionX();
    QTest::mousePress(w.view, Qt::RightButton, {}, QPoint(250, 250));
    QMouseEvent drag(QEvent::MouseMove, QPoint(283, 250), Qt::NoButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w.view, &drag);
    QTest::mouseRelease(w.view, Qt::RightButton, {}, QPoint(283, 250));
    ASSERT_NE(w.view->cameraPositionX(), camera);
    for (int i = 0; i < 4; ++i) {
        w.tick();
    }
    const std::vector<int> withPaths = greyColumns(w.view->capturedFrame(), 2);
    paths->setChecked(false);
    w.tick();
    EXPECT_EQ(withPaths, greyColumns(w.view->capturedFrame(), 2));
}

TEST(View, OnlyThePedestriansPresentAtTheShownTimeAreDrawn) {
    // Presence in frames: 21-90, 21-99, 27-111, 20-94, 27-112, 48-123 of 124. Slider v shows
    // frame trunc(123 × v / 99): 0 → nobody yet; 41 → frame 50, all six; 81 → frame 100, three.
    LoadedWindow w("corridor-presence.ana");
    ASSERT_TRUE(w.view);
    for (const auto& [slider, present] : {std::pair{0, 0}, std::pair{41, 6}, std::pair{81, 3}}) {
        w.view->setTimePosition(slider);
        w.tick();
        EXPECT_EQ(w.view->figuresShown(), 2 * present) << "slider " << slider;
    }
}

namespace {

// True when the green of the measurement area is within 3 pixels of `pixel`.
bool greenNear(const QImage& image, const QPoint& pixel) {
    for (int y = pixel.y() - 3; y <= pixel.y() + 3; ++y) {
        for (int x = pixel.x() - 3; x <= pixel.x() + 3; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qGreen(p) > 100 && qRed(p) < 80 && qBlue(p) < 80) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(View, AnAreaClickedOnTheGroundIsDrawnWhereItWasClicked) {
    LoadedWindow w("crossing-flows.ana");
    ASSERT_TRUE(w.view);
    w.window->showAnalysis();
    AnalysisWindow* analysis = w.window->analysis();
    // Out of the view's way: what GL reads back where another window covers it is undefined.
    analysis->move(0, w.window->frameGeometry().bottom() + 40);
    analysis->startDrawingArea();
    EXPECT_EQ(w.view->cursor().shape(), Qt::CrossCursor);
    const QPoint clicks[] = {{100, 120}, {400, 150}, {230, 400}};
    for (const QPoint& click : clicks) {
        QTest::mouseClick(w.view, Qt::LeftButton, {}, click);
    }
    analysis->finishDrawing();
    w.tick();
    w.tick();
    const QImage frame = w.view->capturedFrame();
    for (const QPoint& click : clicks) {
        EXPECT_TRUE(greenNear(frame, click)) << click.x() << ", " << click.y();
    }
    EXPECT_FALSE(greenNear(frame, QPoint(243, 223)));  // inside the triangle, off its edges
    saveScreenshot(*w.window, *w.view, "analysis-overlay.png");
}
