#include "ui/VestraWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "analysis/CrowdFrames.h"
#include "calibration/Calibration.h"
#include "calibration/CalibrationProgress.h"
#include "calibration/CalibrationRun.h"
#include "calibration/ValueDistribution.h"
#include "core/AtomicFile.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/Parser.h"
#include "metrics/DisplacementError.h"
#include "metrics/Evaluation.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "run/Record.h"
#include "run/SequencePrediction.h"
#include "run/TrackExport.h"
#include "ui/AnalysisWindow.h"
#include "ui/CalibrationProgressDialog.h"
#include "ui/ConfigurationWindow.h"
#include "ui/CostChartWindow.h"
#include "ui/ImportDialog.h"
#include "ui/ScorePartsWindow.h"
#include "view3d/Pane3D.h"

namespace {

// Where the first parameter dialog opens, inside the main window (px): over the view, so that
// the control panel stays in sight. Each further open dialog stands a step down and right.
constexpr QPoint firstDialogCorner(520, 40);
constexpr int dialogStep = 30;

// Where "Spread" writes, in the working directory like the other files the window writes.
const char* const distributionsFile = "distributions.txt";

// A component's settings as one text, to tell whether any of them changed.
std::string settingsText(const Configurable& component) {
    std::string text = component.name;
    for (const std::string& name : component.parameterNames()) {
        text += "\n" + name + "=" + component.getParameter(name);
    }
    return text;
}

// Bit for bit, so that parameters that are not numbers compare equal to themselves.
bool sameValues(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

void VestraWindow::EvaluationThread::run() {
    try {
        result = evaluateModel(*record, *reference, *metric, &parts);
    } catch (const std::bad_alloc&) {
        failure = "The evaluation ran out of memory and was stopped.";
    }
}

void VestraWindow::CalibrationThread::run() {
    runCalibration(*record, *reference, *metric, *calibration, std::cout, jobs, instances);
    result = calibration->cost;
    failure = calibration->failure;
}

VestraWindow::VestraWindow(QApplication* app) : application(app) {
    ui.setupUi(this);
    connect(ui.pushButton, SIGNAL(released()), this, SLOT(loadExperiment()));
    connect(ui.pushButton_2, SIGNAL(released()), this, SLOT(configureRecord()));
    connect(ui.comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(loadSimulation(int)));
    connect(ui.pushButton_3, SIGNAL(released()), this, SLOT(configureSimulation()));
    connect(ui.pushButton_15, SIGNAL(released()), this, SLOT(loadRecord()));
    connect(ui.comboBox_2, SIGNAL(currentIndexChanged(int)), this, SLOT(setMetric(int)));
    connect(ui.pushButton_5, SIGNAL(released()), this, SLOT(configureEvaluation()));
    connect(ui.pushButton_4, SIGNAL(released()), this, SLOT(evaluate()));
    connect(ui.comboBox_3, SIGNAL(currentIndexChanged(int)), this, SLOT(setCalibration(int)));
    connect(ui.pushButton_6, SIGNAL(released()), this, SLOT(configureCalibration()));
    connect(ui.pushButton_7, SIGNAL(released()), this, SLOT(calibrate()));
    connect(ui.pushButton_8, SIGNAL(released()), this, SLOT(save()));
    connect(ui.horizontalSlider, SIGNAL(sliderReleased()), this, SLOT(seekToSlider()));
    connect(ui.chartButton, SIGNAL(released()), this, SLOT(showCostChart()));
    connect(ui.scopeBox, SIGNAL(currentIndexChanged(int)), this, SLOT(setScope(int)));
    connect(ui.spreadButton, SIGNAL(released()), this, SLOT(saveDistributions()));
    connect(ui.sequenceBox, SIGNAL(valueChanged(int)), this, SLOT(showSequence(int)));
    connect(ui.exportButton, SIGNAL(released()), this, SLOT(exportTrajectories()));
    connect(ui.analysisButton, SIGNAL(released()), this, SLOT(showAnalysis()));
    // The control panel and the view have fixed geometry; the status line sits below them.
    statusBar()->setSizeGripEnabled(false);
    setFixedSize(1000, 500 + statusBar()->sizeHint().height());
}

void VestraWindow::closeEvent(QCloseEvent* event) {
    if (running) {
        // The worker uses the components this window owns, so the window closes only once the
        // worker has ended; a calibration can be asked to end soon, keeping what it found.
        event->ignore();
        if (closeWhenDone) {
            return;
        }
        if (runningCalibration) {
            const QMessageBox::StandardButton answer = QMessageBox::question(
                this, "Quit",
                "A calibration is running. Stop it, keep the best values found so far, and quit?",
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes) {
                return;
            }
            if (runningCalibration) {
                runningCalibration->cancel();
            }
        }
        closeWhenDone = true;
        return;
    }
    for (Dialog& dialog : dialogs) {
        delete dialog.window.data();
    }
    dialogs.clear();
    delete partsWindow.data();
    for (const QPointer<CostChartWindow>& window : chartWindows) {
        delete window.data();
    }
    chartWindows.clear();
    QMainWindow::closeEvent(event);
}

void VestraWindow::tell(const std::string& notice) {
    statusBar()->showMessage(QString::fromUtf8(notice.c_str()));
}

void VestraWindow::followPlayback(int value) {
    if (ui.horizontalSlider->isSliderDown()) {
        return;
    }
    const QSignalBlocker quiet(ui.horizontalSlider);
    ui.horizontalSlider->setValue(value);
}

void VestraWindow::seekToSlider() {
    if (view) {
        view->setTimePosition(ui.horizontalSlider->value());
    }
}

VestraWindow::~VestraWindow() {
    for (Dialog& dialog : dialogs) {
        delete dialog.window.data();
    }
    // Before the view and this window's members go: hiding it reports to both.
    delete analysisWindow.data();
    delete view;
    view = nullptr;
    discardRecord();
}

void VestraWindow::appendItem(QComboBox* box, const std::string& text) {
    box->insertItem(box->count(), QIcon(), QString::fromLatin1(text.c_str()), QVariant());
}

void VestraWindow::showError(const QString& text) {
    QMessageBox::critical(this, "Error", text, QMessageBox::Ok);
}

std::vector<ConfigurationWindow*> VestraWindow::openDialogs() const {
    std::vector<ConfigurationWindow*> open;
    for (const Dialog& dialog : dialogs) {
        if (dialog.window) {
            open.push_back(dialog.window.data());
        }
    }
    return open;
}

void VestraWindow::loadExperiment() {
    // The current experiment stays until another one has been read successfully, so a refused
    // file leaves the previous experiment usable.
    QStringList patterns;
    for (const std::string& extension : registry.parsers.names) {
        const QString pattern = "*." + QString::fromLatin1(extension.c_str());
        if (!patterns.contains(pattern)) {
            patterns << pattern;
        }
    }
    const QString filter = "Files ( " + patterns.join(' ') + ")";
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), QString(), filter,
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return;
    }
    openExperimentFile(path);
}

bool VestraWindow::openExperimentFile(const QString& path) {
    const int reader = registry.parserIndexForPath(path.toUtf8().toStdString());
    if (reader < 0 || registry.parserFormats[static_cast<size_t>(reader)] == "ana") {
        return loadExperimentFile(path);
    }
    // A recording has options to choose (frame rate, unit, window) before it is an experiment.
    ImportDialog import(registry, path, this);
    if (import.exec() != QDialog::Accepted) {
        return false;
    }
    std::unique_ptr<Experiment> loaded = import.takeExperiment();
    return loaded && adoptExperiment(std::move(loaded), path);
}

bool VestraWindow::loadExperimentFile(const QString& path) {
    std::string error;
    std::unique_ptr<Experiment> loaded =
        ::loadExperimentFile(registry, path.toUtf8().toStdString(), error);
    if (!loaded) {
        showError(QString::fromUtf8(error.c_str()));
        return false;
    }
    return adoptExperiment(std::move(loaded), path);
}

bool VestraWindow::adoptExperiment(std::unique_ptr<Experiment> loaded, const QString& path) {
    session.selectExperiment(std::move(loaded));
    // The field names the experiment that is loaded, so a refused file does not replace it.
    experimentPath = QDir::toNativeSeparators(path);
    ui.lineEdit->setText(experimentPath);
    checkScoreParts();
    return true;
}

void VestraWindow::loadSimulation(int s_index) {
    closeDialogsOf(session.model());
    session.selectModel(s_index >= 0 ? registry.simulations.create(s_index) : nullptr);
    checkScoreParts();
}

void VestraWindow::setMetric(int index) {
    closeDialogsOf(session.metric());
    session.selectMetric(registry.metrics.create(index));
    // What a metric reports of itself (Vorticity's "save") goes to the console.
    session.metric()->setConsole(&std::cout);
    checkScoreParts();
    updateSequenceBox();
}

void VestraWindow::setCalibration(int index) {
    closeDialogsOf(session.calibration());
    session.selectCalibration(registry.calibrations.create(index));
    session.calibration()->setConsole(std::cout);
}

void VestraWindow::discardRecord() {
    const Record* const record = session.record();
    if (!record) {
        return;
    }
    closeDialogsOf(record);
    // The record is bound to the model except while a worker runs, and no worker runs here.
    const Simulation* const recordModel = record->boundSimulation();
    if (recordModel != session.model() && recordModel != session.reference()) {
        closeDialogsOf(recordModel);
    }
    session.discardRecord();
}

void VestraWindow::loadRecord() {
    if (!session.experiment()) {
        showError("No experiment loaded.");
    }
    if (!session.model()) {
        showError("No model selected.");
    }
    if (!session.experiment() || !session.model()) {
        return;
    }
    if (view) {
        ui.horizontalLayout->removeWidget(view);
        view->hide();
        delete view;
        view = nullptr;
    }
    discardRecord();
    measuredCrowd.reset();
    evaluatedCrowd.reset();
    Record& record = session.load();
    record.setSaveScope(selectedScope());
    recordPath = experimentPath;
    ui.loadedLabel->setText(QString("Loaded: %1 on %2")
                                .arg(QString::fromLatin1(session.model()->name.c_str()),
                                     QFileInfo(recordPath).fileName()));
    ui.loadedLabel->setToolTip(recordPath);
    // Scores of the previous record belong to another set-up.
    ui.label_9->setText("none");
    ui.label_10->setText("none");
    if (partsWindow) {
        partsWindow->clear("Load has made a new record. Press \"Evaluate\" for its parts.");
    }
    view = new Pane3D(this, &record);
    ui.horizontalLayout->addWidget(view);
    view->show();

    ui.checkBox->setChecked(true);
    ui.checkBox_2->setChecked(false);
    ui.checkBox_3->setChecked(true);
    ui.checkBox_4->setChecked(false);
    ui.checkBox_5->setChecked(false);
    ui.checkBox_6->setChecked(false);
    ui.horizontalSlider->setValue(0);
    connectControls();
    // The boxes were set before the view was connected; the view must show what they say.
    view->setShowExp(ui.checkBox->checkState());
    view->setShowRec(ui.checkBox_2->checkState());
    view->setShowSim(ui.checkBox_3->checkState());
    view->setColor(ui.checkBox_4->checkState());
    view->setTail(ui.checkBox_5->checkState());
    view->setPath(ui.checkBox_6->checkState());
    updateSequenceBox();
    linkAnalysisView();
    feedAnalysis();
}

void VestraWindow::connectControls() {
    connect(ui.checkBox, SIGNAL(stateChanged(int)), view, SLOT(setShowExp(int)));
    connect(ui.checkBox_2, SIGNAL(stateChanged(int)), view, SLOT(setShowRec(int)));
    connect(ui.checkBox_3, SIGNAL(stateChanged(int)), view, SLOT(setShowSim(int)));
    connect(ui.checkBox_4, SIGNAL(stateChanged(int)), view, SLOT(setColor(int)));
    connect(ui.checkBox_5, SIGNAL(stateChanged(int)), view, SLOT(setTail(int)));
    connect(ui.checkBox_6, SIGNAL(stateChanged(int)), view, SLOT(setPath(int)));
    connect(ui.horizontalSlider, SIGNAL(valueChanged(int)), view, SLOT(setTimePosition(int)));
    connect(ui.pushButton_9, SIGNAL(released()), view, SLOT(setAnim()));
    connect(ui.pushButton_10, SIGNAL(released()), view, SLOT(resetAnim()));
    connect(ui.pushButton_11, SIGNAL(released()), view, SLOT(speedDown()));
    connect(ui.pushButton_12, SIGNAL(released()), view, SLOT(speedUp()));
    connect(ui.pushButton_13, SIGNAL(released()), view, SLOT(speedOneOne()));
    connect(ui.pushButton_14, SIGNAL(released()), view, SLOT(resetCamera()));
    connect(view, SIGNAL(timePositionChanged(int)), this, SLOT(followPlayback(int)));
}

void VestraWindow::configure(QPointer<ConfigurationWindow>& last, Configurable* component,
                             const QString& subject) {
    // A second press brings the open dialog to the front, with what has been typed into it.
    if (last && last->isVisible()) {
        last->raise();
        last->activateWindow();
        return;
    }
    // A dialog that was closed is done with: a new one shows the values the component has now.
    delete last.data();
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [](const Dialog& dialog) { return !dialog.window; }),
                  dialogs.end());
    if (!component) {
        return;
    }
    // The main window as parent keeps the dialog above it when the main window is clicked.
    auto* dialog = new ConfigurationWindow(this);
    dialog->setConfigurable(component, subject);
    connect(dialog, &ConfigurationWindow::committed, statusBar(),
            [this](const QString& notice) { statusBar()->showMessage(notice); });
    connect(dialog, &ConfigurationWindow::updated, this, &VestraWindow::checkScoreParts);
    connect(dialog, &ConfigurationWindow::updated, this, &VestraWindow::updateSequenceBox);
    placeDialog(dialog);
    last = dialog;
    dialogs.push_back(Dialog{dialog, component});
    dialog->show();
}

void VestraWindow::placeDialog(QWidget* dialog) const {
    for (int step = 0;; ++step) {
        const QPoint corner =
            mapToGlobal(firstDialogCorner + QPoint(step * dialogStep, step * dialogStep));
        const bool taken = std::any_of(dialogs.begin(), dialogs.end(), [&](const Dialog& d) {
            return d.window && d.window->isVisible() && d.window->pos() == corner;
        });
        if (!taken) {
            dialog->move(corner);
            return;
        }
    }
}

void VestraWindow::closeDialogsOf(const Configurable* component) {
    if (!component) {
        return;
    }
    for (Dialog& dialog : dialogs) {
        if (dialog.component == component && dialog.window) {
            delete dialog.window.data();
        }
    }
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [](const Dialog& dialog) { return !dialog.window; }),
                  dialogs.end());
}

void VestraWindow::setDialogsEnabled(bool enabled) {
    for (Dialog& dialog : dialogs) {
        if (dialog.window) {
            dialog.window->setEnabled(enabled);
        }
    }
}

void VestraWindow::configureSimulation() {
    configure(simulationDialog, session.model());
}
void VestraWindow::configureEvaluation() {
    configure(metricDialog, session.metric());
}
void VestraWindow::configureCalibration() {
    configure(calibrationDialog, session.calibration());
}

void VestraWindow::configureRecord() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    configure(recordDialog, session.record(), "record");
}

void VestraWindow::runWorker(QThread& worker, QDialog& busy) {
    view->pause();
    session.record()->rebuildIndex();
    // The parameter dialogs would otherwise let this thread write into components the worker
    // is using.
    setDialogsEnabled(false);
    // The controls are disabled instead of blocked by a modal dialog: Qt drops a request to
    // close a window that a modal dialog blocks, and closing the window must reach a run.
    busy.setWindowModality(Qt::NonModal);
    centralWidget()->setEnabled(false);
    running = true;
    busy.show();
    worker.start(QThread::InheritPriority);
    // The user interface is served every few milliseconds; in between this thread sleeps, so
    // that the worker threads have every core.
    while (!worker.wait(15)) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    running = false;
    busy.hide();
    centralWidget()->setEnabled(true);
    setDialogsEnabled(true);
}

bool VestraWindow::recordHoldsSelection() {
    if (session.recordHoldsSelection()) {
        return true;
    }
    const Simulation* const loadedModel = session.record()->boundSimulation();
    const auto describe = [](const Simulation* model, const QString& path) {
        return QString("%1 on %2")
            .arg(model ? QString::fromLatin1(model->name.c_str()) : "nothing",
                 QFileInfo(path).fileName());
    };
    showError(
        QString("%1 is selected, but %2 is loaded. Press \"Load\" to use the selection.")
            .arg(describe(session.model(), experimentPath), describe(loadedModel, recordPath)));
    return false;
}

void VestraWindow::evaluate() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    if (!recordHoldsSelection()) {
        return;
    }
    Simulation& model = *session.model();
    if (!model.setStepThreads(ui.jobsBox->value())) {
        showError(
            QString::fromStdString("The evaluation did not start. " + model.stepThreadsFailure()));
        return;
    }
    // A metric made of independent runs shares them among the threads.
    const EvaluationPool::Factory instances =
        EvaluationPool::sameAs(registry, *session.model(), *session.metric());
    session.metric()->shareRuns(ui.jobsBox->value(), [instances] { return instances().model; });
    EvaluationThread worker(session.record(), session.reference(), session.metric());
    QProgressDialog busy("Evaluating...", QString(), 0, 0, this);
    busy.setCancelButton(nullptr);
    busy.setValue(0);
    runWorker(worker, busy);
    if (worker.failure.empty()) {
        const Record& record = *session.record();
        evaluatedCrowd = std::make_shared<const CrowdFrames>(
            CrowdFrames::simulated(*record.boundSimulation(), *record.boundExperiment()));
    }
    view->rebuild();
    if (!worker.failure.empty()) {
        showError(QString::fromStdString(worker.failure));
    } else {
        feedAnalysis();
        ui.label_9->setText(QString::number(worker.result, 'g', 6));
        if (!worker.parts.empty()) {
            showScoreParts(worker.parts);
        } else if (partsWindow) {
            partsWindow->clear(QString::fromUtf8(session.metric()->name.c_str()) +
                               " is not a sum over pedestrians: its score has no parts.");
        }
    }
    closeIfAsked();
}

void VestraWindow::closeIfAsked() {
    if (closeWhenDone) {
        closeWhenDone = false;
        close();
    }
}

VestraWindow::PartsBasis VestraWindow::currentBasis() const {
    PartsBasis basis;
    basis.experiment = session.experiment();
    basis.model = session.model();
    if (session.metric()) {
        basis.metric = settingsText(*session.metric());
    }
    if (session.model()) {
        basis.modelSettings = settingsText(*session.model());
        basis.parameters = session.model()->agentParameters();
    }
    return basis;
}

void VestraWindow::checkScoreParts() {
    if (!partsWindow || partsWindow->bars() == 0 || partsWindow->isStale()) {
        return;
    }
    const PartsBasis now = currentBasis();
    QString change;
    if (now.experiment != partsBasis.experiment) {
        change = "another experiment has been opened";
    } else if (now.model != partsBasis.model) {
        change = "another model has been chosen";
    } else if (now.metric != partsBasis.metric) {
        change = "the metric or its settings have changed";
    } else if (now.modelSettings != partsBasis.modelSettings) {
        change = "the model's settings have changed";
    } else if (!sameValues(now.parameters, partsBasis.parameters)) {
        change = "the pedestrians' parameters have changed";
    }
    if (!change.isEmpty()) {
        partsWindow->markStale("Out of date: " + change +
                               " since this score. Press \"Evaluate\" for the current parts.");
    }
}

void VestraWindow::showScoreParts(const std::vector<float>& parts) {
    if (!partsWindow) {
        partsWindow = new ScorePartsWindow;
        partsWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(partsWindow.data(), &ScorePartsWindow::pedestrianPicked, this,
                [this](int pedestrian) {
                    if (view) {
                        view->setHighlight(pedestrian);
                    }
                });
    }
    partsWindow->showParts(parts, QString::fromUtf8(session.metric()->name.c_str()));
    partsBasis = currentBasis();
    partsWindow->show();
}

void VestraWindow::showCostChart() {
    if (!lastRun) {
        showError("No calibration has run yet.");
        return;
    }
    chartWindows.erase(std::remove_if(chartWindows.begin(), chartWindows.end(),
                                      [](const QPointer<CostChartWindow>& w) { return !w; }),
                       chartWindows.end());
    for (const QPointer<CostChartWindow>& open : chartWindows) {
        if (open->shownRun() == lastRun.get()) {
            open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto* window = new CostChartWindow(lastRun, lastRunCaption);
    chartWindows.push_back(window);
    window->show();
}

void VestraWindow::showAnalysis() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    if (!analysisWindow) {
        analysisWindow = new AnalysisWindow(this);
        connect(analysisWindow.data(), &AnalysisWindow::overlayChanged, this,
                &VestraWindow::showOverlay);
        linkAnalysisView();
        // Beside this window, or else below it, where the screen has room: drawing on the
        // ground needs the view in sight.
        const QRect screenArea = screen()->availableGeometry();
        for (const QPoint& corner : {frameGeometry().topRight() + QPoint(1, 0),
                                     frameGeometry().bottomLeft() + QPoint(0, 1)}) {
            if (screenArea.contains(QRect(corner, analysisWindow->size()))) {
                analysisWindow->move(corner);
                break;
            }
        }
    }
    feedAnalysis();
    analysisWindow->show();
    analysisWindow->raise();
    analysisWindow->activateWindow();
}

AnalysisWindow* VestraWindow::analysis() const {
    return analysisWindow.data();
}

void VestraWindow::feedAnalysis() {
    if (!analysisWindow || !session.record()) {
        return;
    }
    if (!measuredCrowd) {
        measuredCrowd = std::make_shared<const CrowdFrames>(
            CrowdFrames::measured(*session.record()->boundExperiment()));
    }
    analysisWindow->setCrowds(measuredCrowd, evaluatedCrowd);
}

void VestraWindow::linkAnalysisView() {
    if (!analysisWindow || !view) {
        return;
    }
    connect(view, &Pane3D::groundClicked, analysisWindow.data(), &AnalysisWindow::addGroundPoint);
    connect(view, &Pane3D::groundDoubleClicked, analysisWindow.data(),
            &AnalysisWindow::finishDrawing);
    showOverlay();
}

void VestraWindow::showOverlay() {
    if (view) {
        view->setOverlay(analysisWindow ? analysisWindow->overlay() : GroundOverlay());
    }
}

void VestraWindow::calibrate() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    if (!recordHoldsSelection()) {
        return;
    }
    Calibration& calibration = *session.calibration();
    calibration.scope = selectedScope();
    CalibrationThread worker(session.record(), session.reference(), session.metric(), &calibration);
    worker.jobs = ui.jobsBox->value();
    worker.instances = EvaluationPool::sameAs(registry, *session.model(), *session.metric());
    auto progress = std::make_shared<CalibrationProgress>();
    const RunCaption caption(QString::fromUtf8(session.model()->name.c_str()),
                             QString::fromUtf8(calibration.name.c_str()), recordPath,
                             QDateTime::currentDateTime());
    calibration.clearCancel();
    progress->attach(calibration);
    CalibrationProgressDialog busy(calibration, *progress, this);
    runningCalibration = &busy;
    runWorker(worker, busy);
    runningCalibration = nullptr;
    calibration.onEvaluation = nullptr;
    calibration.onPosition = nullptr;
    view->rebuild();
    if (!worker.failure.empty()) {
        showError(QString::fromStdString(worker.failure));
    } else {
        // A cancelled run ended like a finished one; its score is shown the same way.
        lastRun = progress;
        lastRunCaption = caption;
        ui.chartButton->setEnabled(true);
        ui.label_10->setText(QString::number(worker.result, 'g', 6));
        checkScoreParts();
    }
    closeIfAsked();
}

void VestraWindow::save() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    report(session.record()->writeStatistics("vestraWindowOut.sey"));
}

void VestraWindow::saveParams() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    report(session.record()->saveParameters("params.prm", selectedScope()));
}

void VestraWindow::loadParams() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    report(session.record()->loadParameters("params.prm"));
    checkScoreParts();
}

void VestraWindow::exportTrajectories() {
    if (!session.record()) {
        showError("No data.");
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("Export trajectories"), QString(),
                                                      "Trajectories (*.txt *.csv *.ndjson)",
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) {
        exportTrajectoriesTo(path);
    }
}

bool VestraWindow::exportTrajectoriesTo(const QString& path) {
    Record* const record = session.record();
    TrackFile::Format format;
    if (!record || !TrackFile::formatOf(path.toUtf8().toStdString(), format)) {
        showError(record ? "Trajectories are written as .txt, .csv or .ndjson." : "No data.");
        return false;
    }
    const QFileInfo file(path);
    const QString measuredPath =
        file.dir().filePath(file.completeBaseName() + "-measured." + file.suffix());
    const Experiment& experiment = *record->boundExperiment();
    TrackSet simulated = TrackExport::simulated(*record->boundSimulation(), experiment);
    simulated.about = {"simulated by Vestra: model " + session.model()->name + " over " +
                       recordPath.toUtf8().toStdString()};
    TrackSet measured = TrackExport::measured(experiment);
    measured.about = {"measured trajectories of " + recordPath.toUtf8().toStdString()};
    std::string error;
    if (!TrackFile::write(simulated, format, path.toUtf8().toStdString(), error) ||
        !TrackFile::write(measured, format, measuredPath.toUtf8().toStdString(), error)) {
        showError(QString::fromUtf8(error.c_str()));
        return false;
    }
    tell("Exported the simulated trajectories to " + path.toUtf8().toStdString() +
         " and the measured ones to " + measuredPath.toUtf8().toStdString());
    return true;
}

void VestraWindow::updateSequenceBox() {
    const auto* prediction = dynamic_cast<const DisplacementError*>(session.metric());
    const Record* const record = session.record();
    const int count =
        prediction && record && record->boundExperiment() && prediction->commitMessage().empty()
            ? prediction->protocolFor(*record->boundExperiment()).sequenceCount()
            : 0;
    const QSignalBlocker quiet(ui.sequenceBox);
    ui.sequenceBox->setRange(0, std::max(count - 1, 0));
    ui.sequenceBox->setEnabled(count > 0);
}

void VestraWindow::showSequence(int sequence) {
    const auto* prediction = dynamic_cast<const DisplacementError*>(session.metric());
    Record* const record = session.record();
    if (!prediction || !record || !view || !recordHoldsSelection()) {
        return;
    }
    const Experiment& experiment = *record->boundExperiment();
    const SequencePrediction protocol = prediction->protocolFor(experiment);
    if (sequence >= protocol.sequenceCount()) {
        return;
    }
    record->reset();
    const int last = protocol.record(*record->boundSimulation(), sequence);
    view->rebuild();
    const int frames = std::max(experiment.frameCount - 1, 1);
    ui.horizontalSlider->setValue(static_cast<int>(std::lround(99.0 * last / frames)));
    tell("Sequence " + std::to_string(sequence) + ": observed frames " + std::to_string(sequence) +
         " to " + std::to_string(last) + ", predicted from frame " + std::to_string(last + 1) +
         " (blue) against the measured (red)");
}

ParameterScope VestraWindow::selectedScope() const {
    return ui.scopeBox->currentIndex() == 1 ? ParameterScope::shared : ParameterScope::pedestrian;
}

void VestraWindow::setScope(int) {
    if (session.record()) {
        session.record()->setSaveScope(selectedScope());
    }
    // Each scope preselects the algorithm that suits it: on average CMA-ES's runs ended
    // nearest the lowest cost over the shared problems of the README's comparison, and never far
    // from it; per pedestrian stays with Greedy, which gives a first fit soonest.
    const int preselected =
        ui.comboBox_3->findText(selectedScope() == ParameterScope::shared ? "CMA-ES" : "Greedy");
    if (preselected >= 0) {
        ui.comboBox_3->setCurrentIndex(preselected);
    }
}

void VestraWindow::saveDistributions() {
    Record* const record = session.record();
    if (!record) {
        showError("No data.");
        return;
    }
    const Simulation& model = *record->boundSimulation();
    if (selectedScope() == ParameterScope::shared) {
        showError(
            "Shared values have no spread: every pedestrian holds the same. Choose \"Per "
            "pedestrian\" for the spread of a per-pedestrian calibration.");
        return;
    }
    if (model.agentParameterNames().empty()) {
        showError(QString("The model \"%1\" has no agent parameters that a distribution could "
                          "set.")
                      .arg(QString::fromUtf8(model.name.c_str())));
        return;
    }
    std::string error;
    if (!AtomicFile::replaceWith(
            distributionsFile,
            ValueDistribution::describe(model.agentParameterNames(), record->parameters(),
                                        record->simulatedCount),
            error)) {
        showError(QString::fromUtf8(error.c_str()));
        return;
    }
    tell("Saved the spread of " + std::to_string(model.agentParameterCount()) +
         " parameters over " + std::to_string(record->simulatedCount) + " pedestrians to " +
         distributionsFile);
}

void VestraWindow::report(bool succeeded) {
    if (succeeded) {
        tell(session.record()->lastNotice());
    } else {
        showError(QString::fromUtf8(session.record()->lastError().c_str()));
    }
}
