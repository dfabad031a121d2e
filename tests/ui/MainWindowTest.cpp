#include <gtest/gtest.h>
#include <sched.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QtCharts/QChart>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "AnalysisTestSupport.h"
#include "GuiTestSupport.h"
#include "app/StandardComponents.h"
#include "calibration/Calibration.h"
#include "core/NumberText.h"
#include "core/UsableCores.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "metrics/Difference.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "models/Simulation.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "ui/AnalysisWindow.h"
#include "ui/CalibrationProgressDialog.h"
#include "ui/ConfigurationWindow.h"
#include "ui/CostChart.h"
#include "ui/CostChartWindow.h"
#include "ui/ImportDialog.h"
#include "ui/RunCaption.h"
#include "ui/ScorePartsWindow.h"
#include "ui/VestraWindow.h"
#include "view3d/Pane3D.h"

namespace {

const QString examples = QString(VESTRA_EXAMPLES_DIR);

// The application must exist before the first widget is built.
struct ApplicationFirst {
    ApplicationFirst() { testApplication(); }
};

struct Window : ApplicationFirst {
    Window() {
        registerStandardComponents(window);
        window.show();
    }
    template <class T>
    T* find(const char* name) {
        return window.findChild<T*>(name);
    }
    void press(const char* button) {
        QPushButton* b = find<QPushButton>(button);
        EXPECT_TRUE(b) << button;
        if (b) {
            QTest::mouseClick(b, Qt::LeftButton);
        }
    }
    VestraWindow window{nullptr};
};

// Runs a test in a scratch working directory, since "Stats" writes into it.
struct ScratchDirectory {
    ScratchDirectory() : previous(QDir::currentPath()) {
        path =
            QDir::tempPath() + "/vestra-gui-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(path);
        QDir::setCurrent(path);
    }
    ~ScratchDirectory() { QDir::setCurrent(previous); }
    QString previous;
    QString path;
};

}  // namespace

TEST(MainWindow, WidgetsCarryTheirNamesTextsAndGeometry) {
    Window w;
    EXPECT_EQ(w.window.windowTitle(), "Vestra");
    EXPECT_EQ(w.window.minimumSize(), w.window.maximumSize());
    EXPECT_EQ(w.window.width(), 1000);
    EXPECT_EQ(w.find<QLabel>("label_15")->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(w.window.objectName(), "VestraWindow");
    struct Expected {
        const char* name;
        const char* text;
        QRect geometry;
    };
    const Expected buttons[] = {
        {"pushButton", "Browse", {330, 36, 70, 26}},
        {"pushButton_2", "Configure", {415, 36, 70, 26}},
        {"pushButton_15", "Load", {415, 69, 70, 26}},
        {"pushButton_4", "Evaluate", {230, 169, 70, 26}},
        {"pushButton_7", "Calibrate", {230, 269, 70, 26}},
        {"pushButton_8", "Stats", {330, 269, 70, 26}},
        {"spreadButton", "Spread", {330, 203, 70, 26}},
        {"exportButton", "Export...", {400, 103, 85, 26}},
        {"analysisButton", "Analysis", {415, 136, 70, 26}},
        {"pushButton_9", "Play / Pause", {280, 380, 130, 20}},
        {"pushButton_14", "Reset Camera", {325, 460, 100, 20}},
    };
    for (const Expected& e : buttons) {
        auto* button = w.find<QPushButton>(e.name);
        ASSERT_TRUE(button) << e.name;
        EXPECT_EQ(button->text(), e.text);
        EXPECT_EQ(button->geometry(), e.geometry) << e.name;
    }
    EXPECT_EQ(w.find<QLabel>("label_9")->text(), "none");
    EXPECT_EQ(w.find<QLabel>("label_10")->text(), "none");
    EXPECT_TRUE(w.find<QCheckBox>("checkBox")->isChecked());
    EXPECT_FALSE(w.find<QCheckBox>("checkBox_2")->isChecked());
    EXPECT_TRUE(w.find<QLineEdit>("lineEdit")->isReadOnly());
    EXPECT_EQ(w.find<QComboBox>("comboBox")->currentText(), "Boids");
}

TEST(MainWindow, NoTwoControlsOfThePanelOverlap) {
    Window w;
    QList<QWidget*> controls;
    // Labels and lines are frames; the rest of the panel is controls.
    for (QWidget* child :
         w.find<QWidget>("widget")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<QFrame*>(child)) {
            controls << child;
        }
    }
    ASSERT_GT(controls.size(), 30);
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->objectName().toStdString() << " and "
                << controls[j]->objectName().toStdString();
        }
    }
}

TEST(MainWindow, ActionsWithoutDataShowTheirMessages) {
    Window w;
    MessageBoxCatcher catcher;
    w.press("pushButton_15");  // Load
    EXPECT_EQ(catcher.texts, QStringList({"No experiment loaded."}));
    catcher.texts.clear();
    for (const char* button :
         {"pushButton_4", "pushButton_7", "pushButton_2", "pushButton_8", "analysisButton"}) {
        w.press(button);
    }
    w.window.saveParams();
    w.window.loadParams();
    EXPECT_EQ(catcher.texts, QStringList({"No data.", "No data.", "No data.", "No data.",
                                          "No data.", "No data.", "No data."}));
    for (const QString& title : catcher.titles) {
        EXPECT_EQ(title, "Error");
    }
    EXPECT_EQ(w.find<QLabel>("label_9")->text(), "none");
}

TEST(MainWindow, RefusedAndUnknownFilesAreReportedAndKeepThePreviousExperiment) {
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    const Experiment* loaded = w.window.currentSession().experiment();

    ScratchDirectory scratch;
    QDir().mkpath(scratch.path + "/with.dot");
    const QString broken = scratch.path + "/with.dot/broken.ana";
    std::ofstream(broken.toStdString()) << "nped 2 nrow 3 center_1 0 0\n";
    EXPECT_FALSE(w.window.loadExperimentFile(broken));
    EXPECT_FALSE(w.window.loadExperimentFile(scratch.path + "/with.dot/notes.doc"));
    EXPECT_FALSE(w.window.loadExperimentFile(scratch.path + "/no-extension"));
    ASSERT_EQ(catcher.texts.size(), 3);
    EXPECT_TRUE(catcher.texts[0].contains("center_1")) << catcher.texts[0].toStdString();
    EXPECT_TRUE(catcher.texts[1].contains("*.ana"));
    EXPECT_EQ(w.window.currentSession().experiment(), loaded);
    EXPECT_EQ(w.find<QLineEdit>("lineEdit")->text(),
              QDir::toNativeSeparators(examples + "/crossing-flows.ana"));

    // A folder name with a dot does not stop a valid file from loading.
    QFile::copy(examples + "/crossing-flows.ana", scratch.path + "/with.dot/copy.ana");
    EXPECT_TRUE(w.window.loadExperimentFile(scratch.path + "/with.dot/copy.ana"));
    EXPECT_EQ(w.window.currentSession().experiment()->pedestrianCount, 8);
}

TEST(MainWindow, LoadEvaluateAndWriteStatistics) {
    ScratchDirectory scratch;
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/corridor-crossing.ana"));
    w.press("pushButton_15");  // Load
    ASSERT_TRUE(w.window.currentSession().record());
    ASSERT_TRUE(w.window.view3D());
    w.press("pushButton_4");  // Evaluate
    const QString score = w.find<QLabel>("label_9")->text();
    bool isNumber = false;
    const double value = score.toDouble(&isNumber);
    ASSERT_TRUE(isNumber) << score.toStdString();
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_EQ(score, QString::number(value, 'g', 6));
    EXPECT_FALSE(w.window.view3D()->busy);

    w.press("pushButton_8");  // Stats
    EXPECT_EQ(w.window.statusBar()->currentMessage(), "Wrote vestraWindowOut.sey (1203 lines)");
    QFile stats("vestraWindowOut.sey");
    ASSERT_TRUE(stats.open(QIODevice::ReadOnly));
    const QStringList lines = QString(stats.readAll()).split('\n', Qt::SkipEmptyParts);
    // 1 header, 2 obstacles, 12 pedestrians × 100 samples.
    EXPECT_EQ(lines.size(), 1 + 2 + 12 * 100);
    EXPECT_EQ(lines[0], "2 0.100000");
    EXPECT_TRUE(lines.last().startsWith("12 99 "));
    EXPECT_TRUE(lines.last().endsWith(" 175.0"));
    EXPECT_TRUE(catcher.texts.isEmpty());
}

TEST(MainWindow, ConfigurationDialogEditsTheComponentAndFollowsItsLifetime) {
    Window w;
    auto* algorithms = w.find<QComboBox>("comboBox_3");
    algorithms->setCurrentIndex(2);  // Genetic
    w.press("pushButton_6");
    std::vector<ConfigurationWindow*> open = w.window.openDialogs();
    ASSERT_EQ(open.size(), 1u);
    ConfigurationWindow* dialog = open[0];
    const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 6);
    EXPECT_EQ(edits[0]->text(), "100");
    EXPECT_EQ(edits[2]->text(), "0.6");
    EXPECT_EQ(edits[5]->text(), "30");
    edits[0]->setText("40");
    edits[1]->setText("0");  // n below 1 is brought back to 1
    edits[2]->setText("0.50");
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_EQ(w.window.currentSession().calibration()->getParameter("N"), "40");
    EXPECT_EQ(edits[1]->text(), "1");
    EXPECT_EQ(edits[2]->text(), "0.5");

    // Pressing "Configure" again raises the dialog with what was typed; once closed, the next
    // press opens a fresh one; picking another algorithm deletes it.
    edits[0]->setText("41");
    w.press("pushButton_6");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(edits[0]->text(), "41");
    EXPECT_EQ(w.window.openDialogs(), open);
    dialog->close();
    w.press("pushButton_6");
    ASSERT_EQ(w.window.openDialogs().size(), 1u);
    EXPECT_EQ(w.window.openDialogs()[0]->findChildren<QLineEdit*>()[0]->text(), "40");
    algorithms->setCurrentIndex(0);
    EXPECT_TRUE(w.window.openDialogs().empty());
}

TEST(MainWindow, PlaybackControlsDriveTheView) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    Pane3D* view = w.window.view3D();
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->isPlaying());
    w.press("pushButton_9");
    EXPECT_TRUE(view->isPlaying());
    w.press("pushButton_12");
    w.press("pushButton_12");
    w.press("pushButton_12");
    // 0.025 × 1.5³ = 0.084375.
    EXPECT_FLOAT_EQ(view->playbackSpeed(), 0.084375f);
    w.press("pushButton_13");
    EXPECT_FLOAT_EQ(view->playbackSpeed(), 0.025f);
    w.find<QSlider>("horizontalSlider")->setValue(99);
    EXPECT_FALSE(view->isPlaying());
    EXPECT_FLOAT_EQ(view->playbackTime(), view->playbackDuration());
    view->p_idle();
    EXPECT_FLOAT_EQ(view->displayPosition(), 1.0f);
    w.find<QCheckBox>("checkBox")->setChecked(false);
    w.find<QCheckBox>("checkBox_2")->setChecked(true);
    EXPECT_FALSE(view->showsExperiment());
    EXPECT_TRUE(view->showsLinks());
}

TEST(MainWindow, AnEmptySceneAndAFailedSaveAreHandled) {
    ScratchDirectory scratch;
    Window w;
    MessageBoxCatcher catcher;
    // No pedestrians and a single frame at time 0: nothing to draw and no duration.
    std::ofstream("empty.ana") << "nped 0\nnrow 1\ntime(s) 0\n";
    ASSERT_TRUE(w.window.loadExperimentFile(scratch.path + "/empty.ana"));
    w.press("pushButton_15");
    Pane3D* view = w.window.view3D();
    ASSERT_TRUE(view);
    w.press("pushButton_9");  // play
    for (int i = 0; i < 5; ++i) {
        view->updateGL();
        view->p_idle();
    }
    const float position = view->displayPosition();
    EXPECT_GE(position, 0.0f);
    EXPECT_LE(position, 1.0f);
    w.press("pushButton_4");  // an evaluation of nobody is not a number, shown as such
    EXPECT_EQ(w.find<QLabel>("label_9")->text().toLower().remove('-'), "nan");

    // The statistics target is a folder: the save fails and says so.
    QDir().mkpath("vestraWindowOut.sey");
    w.press("pushButton_8");
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_EQ(catcher.titles[0], "Error");
    EXPECT_TRUE(catcher.texts[0].contains("vestraWindowOut.sey")) << catcher.texts[0].toStdString();
}

TEST(MainWindow, EvaluateAndCalibrateAskForLoadUntilTheSelectionIsLoaded) {
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");  // Load
    EXPECT_EQ(w.find<QLabel>("loadedLabel")->text(), "Loaded: Boids on crossing-flows.ana");
    w.press("pushButton_4");  // Evaluate
    const QString boidsScore = w.find<QLabel>("label_9")->text();
    ASSERT_NE(boidsScore, "none");

    struct Case {
        const char* what;
        std::function<void()> change;
        const char* selected;
    };
    const Case cases[] = {
        {"another model", [&] { w.find<QComboBox>("comboBox")->setCurrentIndex(1); },
         "Helbing on crossing-flows.ana"},
        {"another experiment",
         [&] { ASSERT_TRUE(w.window.loadExperimentFile(examples + "/bottleneck.ana")); },
         "Helbing on bottleneck.ana"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        catcher.texts.clear();
        w.press("pushButton_4");  // Evaluate
        w.press("pushButton_7");  // Calibrate
        const QString expected = QString(c.selected) +
                                 " is selected, but Boids on crossing-flows.ana is loaded. Press "
                                 "\"Load\" to use the selection.";
        EXPECT_EQ(catcher.texts, QStringList({expected, expected}));
        EXPECT_EQ(w.find<QLabel>("label_9")->text(), boidsScore);
        EXPECT_EQ(w.find<QLabel>("label_10")->text(), "none");
    }

    w.press("pushButton_15");  // Load: the selection becomes the record, its scores start afresh
    EXPECT_EQ(w.find<QLabel>("loadedLabel")->text(), "Loaded: Helbing on bottleneck.ana");
    EXPECT_EQ(w.find<QLabel>("label_9")->text(), "none");
    catcher.texts.clear();
    w.press("pushButton_4");
    EXPECT_TRUE(catcher.texts.isEmpty());
    EXPECT_NE(w.find<QLabel>("label_9")->text(), "none");
}

TEST(MainWindow, AModelLoadedOnAnotherExperimentScoresAsAFreshOne) {
    // Boids is loaded with the walls of the bottleneck first, then with the corridor.
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/bottleneck.ana"));
    w.press("pushButton_15");
    const QString corridor = examples + "/corridor-crossing.ana";
    ASSERT_TRUE(w.window.loadExperimentFile(corridor));
    w.press("pushButton_15");
    w.press("pushButton_4");

    ParserANA parser;
    ASSERT_TRUE(parser.load(corridor.toStdString()));
    Experiment experiment(parser);
    SimulationGeneric<Dummy> reference;
    SimulationBoids fresh;
    Difference metric;
    Record record;
    record.build(&experiment, &reference, &fresh);
    record.rebuildIndex();
    EXPECT_EQ(w.find<QLabel>("label_9")->text(),
              QString::number(evaluateModel(record, reference, metric), 'g', 6));
}

TEST(MainWindow, ARefusedCalibrationShowsAnErrorAndKeepsTheParameters) {
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    w.find<QComboBox>("comboBox_3")->setCurrentIndex(2);  // Genetic
    w.window.currentSession().calibration()->setParameter("N", "2000000000");
    w.window.currentSession().calibration()->commitParameters();
    const std::vector<float> before = w.window.currentSession().model()->agentParameters();
    w.press("pushButton_7");  // Calibrate
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_EQ(catcher.titles[0], "Error");
    EXPECT_TRUE(catcher.texts[0].endsWith("Lower N.")) << catcher.texts[0].toStdString();
    EXPECT_EQ(w.find<QLabel>("label_10")->text(), "none");
    EXPECT_EQ(w.window.currentSession().model()->agentParameters(), before);
}

TEST(MainWindow, DialogsNameTheirComponentShowWholeTextsReportAndCloseWithTheWindow) {
    ScratchDirectory scratch;
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/corridor-crossing.ana"));
    w.press("pushButton_15");  // Load
    w.press("pushButton_3");   // the model's Configure
    w.press("pushButton_2");   // the record's Configure
    const std::vector<ConfigurationWindow*> open = w.window.openDialogs();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0]->windowTitle(), "Configure Boids");
    EXPECT_EQ(open[1]->windowTitle(), "Configure record");
    for (QLineEdit* edit : open[0]->findChildren<QLineEdit*>()) {
        EXPECT_EQ(edit->cursorPosition(), 0);
        EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()));
    }

    // A file name with an accent is saved, then loaded, under that name; both are reported.
    const QList<QLineEdit*> recordFields = open[1]->findChildren<QLineEdit*>();
    ASSERT_EQ(recordFields.size(), 2);
    const QString name = QString::fromUtf8("param\u00e9.prm");
    const std::pair<int, const char*> steps[] = {{0, "Saved"}, {1, "Loaded"}};
    for (const auto& [field, verb] : steps) {
        recordFields[field]->setText(name);
        QTest::mouseClick(open[1]->findChild<QPushButton*>(), Qt::LeftButton);
        EXPECT_EQ(w.window.statusBar()->currentMessage(),
                  QString(verb) + " 2 parameters for 12 pedestrians " +
                      (field == 0 ? "to " : "from ") + name);
    }
    EXPECT_TRUE(QFile::exists(name));

    w.window.close();
    EXPECT_TRUE(w.window.openDialogs().empty());
}

TEST(MainWindow, ControlsAndViewAgree) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    // "Load" unchecks Tails; the figures then draw none.
    w.find<QCheckBox>("checkBox_5")->setChecked(true);
    w.press("pushButton_15");
    EXPECT_FALSE(w.find<QCheckBox>("checkBox_5")->isChecked());
    EXPECT_FALSE(w.window.view3D()->drawsTails());

    // The slider follows playback without pausing it; let go where it is, it seeks there.
    Pane3D* view = w.window.view3D();
    auto* slider = w.find<QSlider>("horizontalSlider");
    view->setAnim(true);
    for (int i = 0; i < 40; ++i) {
        view->p_idle();
    }
    EXPECT_TRUE(view->isPlaying());
    EXPECT_EQ(slider->value(), qRound(view->playbackTime() / view->playbackDuration() * 99));
    EXPECT_GT(slider->value(), 0);
    slider->setSliderDown(true);
    slider->setSliderDown(false);
    EXPECT_FALSE(view->isPlaying());
    EXPECT_FLOAT_EQ(view->playbackTime(), slider->value() / 99.0f * view->playbackDuration());
}

TEST(MainWindow, TheCameraFramesASmallSceneByItsSize) {
    // A scene 1 m wide: half extent 0.5, camera at 0.5 / tan 30° = 0.8660254.
    ScratchDirectory scratch;
    Window w;
    std::ofstream("small.ana") << "nped 1\nnrow 2\ntime(s) 0 1\ncenter_1 0 0 1 0\n"
                                  "ori_center_1 0 0\nspd_center_1 1 1\n";
    ASSERT_TRUE(w.window.loadExperimentFile(scratch.path + "/small.ana"));
    w.press("pushButton_15");
    EXPECT_FLOAT_EQ(w.window.view3D()->cameraAltitude(), 0.8660254f);
}

TEST(MainWindow, ARecordingOpensThroughTheImportDialog) {
    Window w;
    const QString recording = examples + "/corridor-juelich.txt";
    ImportDialog import(w.window.components(), recording);
    // The file states 16 frames per second and centimetres.
    EXPECT_TRUE(import.summary().startsWith("9 pedestrians, 203 frames, 12.6 s; at most 8 present"))
        << import.summary().toStdString();
    // At 8 frames per second every frame lasts twice as long, and one more tracking gap is
    // longer than the 1 s that is filled in: it splits its walker in two.
    import.findChildren<QLineEdit*>()[0]->setText("8");
    import.refresh();
    EXPECT_TRUE(import.summary().startsWith("10 pedestrians, 203 frames, 25.2 s"))
        << import.summary().toStdString();
    import.findChildren<QLineEdit*>()[0]->setText("fast");
    import.refresh();
    EXPECT_EQ(import.summary(), "The frame rate is not a number: \"fast\".");
    EXPECT_FALSE(import.takeExperiment());

    // "Browse" on a recording: the dialog, opened as it is, gives the experiment.
    QTimer::singleShot(50, [] {
        if (auto* dialog = qobject_cast<ImportDialog*>(QApplication::activeModalWidget())) {
            dialog->accept();
        }
    });
    ASSERT_TRUE(w.window.openExperimentFile(recording));
    EXPECT_EQ(w.window.currentSession().experiment()->pedestrianCount, 9);
    EXPECT_EQ(w.find<QLineEdit>("lineEdit")->text(), QDir::toNativeSeparators(recording));
}

TEST(MainWindow, CalibrationsUseTheChosenThreadsWithTheSameResult) {
    Window w;
    auto* jobs = w.find<QSpinBox>("jobsBox");
    EXPECT_EQ(jobs->value(), usableCores());
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    QStringList scores;
    for (const int threads : {1, 2}) {
        w.press("pushButton_15");  // Load: the model's parameters start from their defaults
        jobs->setValue(threads);
        w.window.currentSession().calibration()->setSeed(7);
        w.press("pushButton_7");
        scores << w.find<QLabel>("label_10")->text();
    }
    EXPECT_EQ(scores[0], scores[1]);
    EXPECT_NE(scores[0], "none");
}

TEST(MainWindow, ThreadsStartAtOnePerCoreTheProgramMayRunOn) {
    // Restricted to the first of its CPUs, as taskset -c or a scheduler's allocation does, the
    // program offers one thread although the machine may have more.
    cpu_set_t original;
    ASSERT_EQ(sched_getaffinity(0, sizeof original, &original), 0);
    cpu_set_t first;
    CPU_ZERO(&first);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &original)) {
            CPU_SET(cpu, &first);
            break;
        }
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof first, &first), 0);
    int offered = 0;
    {
        Window w;
        offered = w.find<QSpinBox>("jobsBox")->value();
    }
    sched_setaffinity(0, sizeof original, &original);
    EXPECT_EQ(offered, 1);
}

TEST(MainWindow, ACalibrationShowsItsProgressAndCancelKeepsTheBestFound) {
    ScratchDirectory scratch;
    Window w;
    MessageBoxCatcher catcher;
    // Greedy on Vision and the bottleneck takes about ten seconds on one thread.
    w.find<QComboBox>("comboBox")->setCurrentIndex(3);
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/bottleneck.ana"));
    w.press("pushButton_15");
    w.find<QSpinBox>("jobsBox")->setValue(1);
    QStringList seen;
    int charted = 0;
    QTimer watch;
    watch.setInterval(300);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = w.window.findChild<CalibrationProgressDialog*>();
        if (!dialog) {
            return;
        }
        dialog->refresh();
        seen << dialog->figuresText();
        charted = dialog->chart().evaluations();
        if (seen.size() == 3) {
            dialog->findChild<QPushButton*>()->click();  // Cancel
        }
    });
    watch.start();
    w.press("pushButton_7");
    watch.stop();

    ASSERT_GE(seen.size(), 3);
    EXPECT_TRUE(seen[2].contains(" evaluations, best ")) << seen[2].toStdString();
    // Vision has 4 parameters for 10 pedestrians: 40 entries per pass.
    EXPECT_TRUE(seen[2].contains(QRegularExpression("; pass \\d+, entry \\d+ of 40$")))
        << seen[2].toStdString();
    EXPECT_NE(seen[0], seen[2]);
    EXPECT_GT(charted, 0);
    Calibration* calibration = w.window.currentSession().calibration();
    EXPECT_TRUE(calibration->cancelled());
    for (const ParameterEntry& entry : calibration->space.entries) {
        EXPECT_EQ(calibration->record->parameters().at(entry.row, entry.column), entry.best);
    }
    EXPECT_EQ(w.find<QLabel>("label_10")->text(), QString::number(calibration->cost, 'g', 6));
    EXPECT_TRUE(catcher.texts.isEmpty());

    // The chart of the run holds one point per evaluation, and is kept as PNG and CSV.
    ASSERT_TRUE(w.find<QPushButton>("chartButton")->isEnabled());
    CostChartWindow chart(w.window.lastCalibration(), RunCaption());
    EXPECT_EQ(chart.chart().evaluations(), static_cast<int>(calibration->evaluationCount()));
    QString error;
    ASSERT_TRUE(chart.saveData("trace.csv", error)) << error.toStdString();
    EXPECT_TRUE(chart.saveImage("cost.png"));
    QFile trace("trace.csv");
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString(trace.readAll()).count('\n'),
              static_cast<int>(calibration->evaluationCount()) + 1);
    EXPECT_FALSE(QImage("cost.png").isNull());
}

TEST(MainWindow, EvaluateShowsEachPedestriansPartAndABarPicksItInTheView) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    w.press("pushButton_4");  // Difference: a sum over pedestrians
    ScorePartsWindow* parts = w.window.scoreParts();
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->bars(), 8);
    emit parts->pedestrianPicked(3);
    EXPECT_EQ(w.window.view3D()->highlighted(), 3);
}

TEST(MainWindow, DialogsStayAboveTheWindowOpenApartAndSayWhenThereIsNothingToSet) {
    Window w;
    w.press("pushButton_5");  // the metric's Configure: Difference has no parameters
    w.press("pushButton_3");  // the model's Configure
    const std::vector<ConfigurationWindow*> open = w.window.openDialogs();
    ASSERT_EQ(open.size(), 2u);
    for (ConfigurationWindow* dialog : open) {
        ASSERT_TRUE(dialog->windowHandle());
        // Window managers keep a window above the one it is transient for.
        EXPECT_EQ(dialog->windowHandle()->transientParent(), w.window.windowHandle());
    }
    EXPECT_NE(open[0]->pos(), open[1]->pos());
    // Room for the title beside a window manager's buttons (about 120 px).
    EXPECT_GE(open[0]->width(),
              open[0]->fontMetrics().horizontalAdvance(open[0]->windowTitle()) + 120);
    QStringList texts;
    for (const QLabel* label : open[0]->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Difference has no parameters.")) << texts.join('|').toStdString();
}

TEST(MainWindow, TheScopeBoxChoosesSharedOrPerPedestrianValuesAndTheirFiles) {
    ScratchDirectory scratch;
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.find<QComboBox>("comboBox")->setCurrentIndex(2);  // RVO2
    w.press("pushButton_15");
    w.find<QComboBox>("scopeBox")->setCurrentIndex(1);
    w.window.currentSession().calibration()->setSeed(3);
    w.press("pushButton_7");
    const std::vector<float>& values = w.window.currentSession().model()->agentParameters();
    ASSERT_EQ(values.size(), 8u * 5u);
    for (size_t i = 5; i < values.size(); ++i) {
        EXPECT_EQ(values[i], values[i % 5]) << i;
    }
    w.window.saveParams();
    w.press("spreadButton");
    std::ifstream saved("params.prm");
    const std::string text((std::istreambuf_iterator<char>(saved)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("%scope\n    shared\n%model\n    RVO2\n"), std::string::npos) << text;
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_TRUE(catcher.texts[0].startsWith("Shared values have no spread"));

    // Per pedestrian again: the spread of the values, as a model parameter takes it.
    w.find<QComboBox>("scopeBox")->setCurrentIndex(0);
    w.press("pushButton_7");
    w.press("spreadButton");
    std::ifstream spread("distributions.txt");
    std::string line;
    std::vector<std::string> names;
    while (std::getline(spread, line)) {
        names.push_back(line.substr(0, line.find('=')));
        EXPECT_NE(line.find(" NORMAL "), std::string::npos) << line;
    }
    EXPECT_EQ(names, w.window.currentSession().model()->agentParameterNames());
    EXPECT_EQ(catcher.texts.size(), 1);
}

TEST(MainWindow, ExportWritesTheSimulatedCrowdAndTheMeasuredOneBesideIt) {
    ScratchDirectory scratch;
    Window w;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    EXPECT_FALSE(w.window.exportTrajectoriesTo(scratch.path + "/run.dat"));
    ASSERT_TRUE(w.window.exportTrajectoriesTo(scratch.path + "/run.csv"));
    const Simulation& model = *w.window.currentSession().model();
    const Experiment& experiment = *w.window.currentSession().experiment();
    // The second data line of each file: pedestrian 1 on frame 1, simulated and measured.
    const auto secondRow = [](const QString& path) {
        std::ifstream file(path.toStdString());
        std::string line;
        std::vector<std::string> rows;
        while (std::getline(file, line)) {
            if (!line.empty() && line[0] != '#') {
                rows.push_back(line);
            }
        }
        return rows.size() > 2 ? rows[2] : std::string();
    };
    const auto expected = [](float x, float y, float t) {
        return "1,1," + NumberText::format("%.9g", double{t}) + "," +
               NumberText::format("%.9g", double{x}) + "," + NumberText::format("%.9g", double{y});
    };
    EXPECT_EQ(
        secondRow(scratch.path + "/run.csv")
            .rfind(expected(model.recordedX()[0][1], model.recordedY()[0][1], experiment.times[1]),
                   0),
        0u);
    EXPECT_EQ(secondRow(scratch.path + "/run-measured.csv")
                  .rfind(expected(experiment.posX[1], experiment.posY[1], experiment.times[1]), 0),
              0u);
    EXPECT_EQ(catcher.texts, QStringList({"Trajectories are written as .txt, .csv or .ndjson."}));
}

TEST(MainWindow, APredictionSequencePlaysFromItsLastObservedFrame) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    auto* sequences = w.find<QSpinBox>("sequenceBox");
    EXPECT_FALSE(sequences->isEnabled());                 // Difference has no sequences
    w.find<QComboBox>("comboBox_2")->setCurrentIndex(5);  // Average Displacement Error
    const Experiment& experiment = *w.window.currentSession().experiment();
    ASSERT_TRUE(sequences->isEnabled());
    EXPECT_EQ(sequences->maximum(), experiment.frameCount - 20);
    sequences->setValue(3);
    // Observed frames 3 to 10; the prediction is recorded from frame 10 for 12 more frames.
    const Simulation& model = *w.window.currentSession().model();
    EXPECT_EQ(model.recordedFrom()[0], 10);
    EXPECT_EQ(model.recordedX()[0].size(), 13u);
    EXPECT_EQ(model.frameCount(), experiment.frameCount);
    EXPECT_EQ(w.find<QSlider>("horizontalSlider")->value(),
              static_cast<int>(std::lround(99.0 * 10 / (experiment.frameCount - 1))));
    EXPECT_TRUE(
        w.window.statusBar()->currentMessage().startsWith("Sequence 3: observed frames 3 to 10"));
    EXPECT_EQ(model.presentCount(), model.agentCount());
}

TEST(MainWindow, ThePartsOfAScoreGoOutOfDateWhenWhatTheyCameFromChanges) {
    ScratchDirectory scratch;
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    w.window.saveParams();  // the default parameters, loaded back below
    w.window.currentSession().calibration()->setSeed(7);
    struct Case {
        const char* what;
        std::function<void()> change;
        const char* says;
    };
    const Case cases[] = {
        {"a calibration", [&] { w.press("pushButton_7"); }, "parameters"},
        {"parameters loaded", [&] { w.window.loadParams(); }, "parameters"},
        {"another metric", [&] { w.find<QComboBox>("comboBox_2")->setCurrentIndex(2); }, "metric"},
        {"another experiment",
         [&] { ASSERT_TRUE(w.window.loadExperimentFile(examples + "/bottleneck.ana")); },
         "experiment"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.press("pushButton_4");  // Evaluate
        ScorePartsWindow* parts = w.window.scoreParts();
        ASSERT_TRUE(parts);
        EXPECT_FALSE(parts->isStale());
        c.change();
        EXPECT_TRUE(parts->isStale());
        EXPECT_TRUE(parts->notice().contains(c.says)) << parts->notice().toStdString();
    }
    // Load makes a record of another scene: the bars of the old one go.
    w.press("pushButton_15");
    EXPECT_EQ(w.window.scoreParts()->bars(), 0);
    w.window.close();
}

TEST(MainWindow, TheChartNamesItsRunAndASecondPressRaisesIt) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/crossing-flows.ana"));
    w.press("pushButton_15");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.press("pushButton_7");  // Greedy on Boids
    w.press("chartButton");
    w.press("chartButton");
    std::vector<CostChartWindow*> charts;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* chart = qobject_cast<CostChartWindow*>(window); chart && chart->isVisible()) {
            charts.push_back(chart);
        }
    }
    ASSERT_EQ(charts.size(), 1u);
    const QString title = charts[0]->windowTitle();
    const QString name = "Greedy calibrating Boids on crossing-flows.ana, ";
    ASSERT_TRUE(title.startsWith("Cost: " + name)) << title.toStdString();
    const QDateTime started = QDateTime::fromString(title.right(19), "yyyy-MM-dd hh:mm:ss");
    EXPECT_GE(started, before);
    EXPECT_LE(started, QDateTime::currentDateTime());
    EXPECT_EQ(charts[0]->chart().chart()->title(), title.mid(6));
    EXPECT_EQ(charts[0]->defaultFileName("png"),
              "Boids-Greedy-crossing-flows-" + started.toString("yyyyMMdd-hhmmss") + ".png");
    w.window.close();
}

TEST(MainWindow, ClosingTheWindowDuringACalibrationAsksWhetherToStopIt) {
    struct Case {
        QMessageBox::StandardButton answer;
        bool cancelled;
        bool open;
    };
    for (const Case c : {Case{QMessageBox::No, false, true}, Case{QMessageBox::Yes, true, false}}) {
        Window w;
        // Greedy on Vision and the bottleneck takes about ten seconds on one thread.
        w.find<QComboBox>("comboBox")->setCurrentIndex(3);
        ASSERT_TRUE(w.window.loadExperimentFile(examples + "/bottleneck.ana"));
        w.press("pushButton_15");
        w.find<QSpinBox>("jobsBox")->setValue(1);
        Calibration* calibration = w.window.currentSession().calibration();
        QStringList questions;
        QTimer answer;
        answer.setInterval(50);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                questions << box->text();
                box->button(c.answer)->click();
            }
        });
        answer.start();
        bool cancelledByAnswer = false;
        bool openAfterAnswer = false;
        QTimer::singleShot(500, [&] {
            // As the window manager's close button does: a window blocked by a modal dialog
            // would never see it.
            w.window.windowHandle()->close();
            cancelledByAnswer = calibration->cancelled();
            openAfterAnswer = w.window.isVisible();
            if (auto* progress = w.window.findChild<CalibrationProgressDialog*>()) {
                progress->cancel();
            }
        });
        w.press("pushButton_7");
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions[0].startsWith("A calibration is running.")) << c.answer;
        EXPECT_EQ(cancelledByAnswer, c.cancelled);
        EXPECT_EQ(openAfterAnswer, true);
        EXPECT_EQ(w.window.isVisible(), c.open);
        EXPECT_EQ(w.find<QLabel>("label_10")->text(), QString::number(calibration->cost, 'g', 6));
    }
}

TEST(MainWindow, AnalysisShowsTheMeasuredCrowdAndAfterEvaluateTheSimulatedOne) {
    Window w;
    ASSERT_TRUE(w.window.loadExperimentFile(examples + "/corridor-crossing.ana"));
    w.press("pushButton_15");  // Load
    w.press("analysisButton");
    AnalysisWindow* analysis = w.window.analysis();
    ASSERT_TRUE(analysis);
    EXPECT_TRUE(analysis->isVisible());
    const auto points = [analysis](AnalysisWindow::Chart which) {
        return seriesPoints(analysis->chart(which));
    };
    // Twelve pedestrians on all 100 frames. The first six walk the corridor from x < 1 to
    // x > 7, the others back, each along x one way (its first and last x are its extremes): six
    // crossings of x = 5 each way, staircases of 2 × 6 + 2 points.
    ASSERT_TRUE(analysis->setAreaText("2 0 8 0 8 3 2 3"));
    ASSERT_TRUE(analysis->setLineText("5 0 5 3"));
    settle(*analysis);
    EXPECT_EQ(points(AnalysisWindow::Chart::DensitySpeed), "measured 100");
    EXPECT_EQ(points(AnalysisWindow::Chart::Crossings),
              "measured, left to right 14; measured, right to left 14");
    EXPECT_EQ(w.window.view3D()->overlay().area.size(), 4u);
    EXPECT_EQ(w.window.view3D()->overlay().line.size(), 2u);

    w.press("pushButton_4");  // Evaluate: the simulated crowd joins
    settle(*analysis);
    EXPECT_TRUE(points(AnalysisWindow::Chart::DensityOverTime).endsWith("simulated, classic 100"));
    EXPECT_TRUE(points(AnalysisWindow::Chart::Crossings).contains("simulated, left to right"));
    ASSERT_TRUE(analysis->setLineText(""));  // no line, no N–t diagram
    settle(*analysis);
    EXPECT_FALSE(analysis->chart(AnalysisWindow::Chart::Crossings));

    w.press("pushButton_15");  // Load: a new record, not evaluated yet
    settle(*analysis);
    EXPECT_EQ(points(AnalysisWindow::Chart::DensitySpeed), "measured 100");
    EXPECT_EQ(w.window.view3D()->overlay().area.size(), 4u);
    analysis->close();
    EXPECT_EQ(w.window.view3D()->overlay(), GroundOverlay());
}
