#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "calibration/ComponentRegistry.h"
#include "calibration/EvaluationPool.h"
#include "core/ParameterScope.h"
#include "ui/RunCaption.h"
#include "ui/ScorePartsWindow.h"
#include "ui/Session.h"
#include "ui/VestraWindowUi.h"

class AnalysisWindow;
class CalibrationProgress;
class CalibrationProgressDialog;
class ConfigurationWindow;
class CostChartWindow;

class Configurable;
class CrowdFrames;
class Experiment;
class Pane3D;
class QApplication;
class QComboBox;
class Record;

/// The main window. Owns the registry of component factories, the session (what the user has
/// selected and the record built from it) and the 3D view of the record.
class VestraWindow : public QMainWindow {
    Q_OBJECT

public:
    using SimWrapperBase = ComponentFactory<Simulation>;
    using ParserWrapperBase = ComponentFactory<Parser>;
    using MetricWrapperBase = ComponentFactory<Metric>;
    using CalibrationWrapperBase = ComponentFactory<Calibration>;
    template <class T>
    using SimWrapper = ComponentFactoryOf<Simulation, T>;
    template <class T>
    using ParserWrapper = ComponentFactoryOf<Parser, T>;
    template <class T>
    using MetricWrapper = ComponentFactoryOf<Metric, T>;
    template <class T>
    using CalibrationWrapper = ComponentFactoryOf<Calibration, T>;

    /// Scores the model on a worker thread.
    class EvaluationThread : public QThread {
    public:
        EvaluationThread(Record* r, Simulation* ref, Metric* m)
            : record(r), reference(ref), metric(m) {}
        void run() override;
        Record* record;
        Simulation* reference;
        Metric* metric;
        float result = 0.0f;
        std::string failure;       ///< why the evaluation stopped; empty when it completed
        std::vector<float> parts;  ///< each pedestrian's part of the score, when it has parts
    };

    /// Calibrates the model on a worker thread.
    class CalibrationThread : public QThread {
    public:
        CalibrationThread(Record* r, Simulation* ref, Metric* m, Calibration* c)
            : record(r), reference(ref), metric(m), calibration(c) {}
        void run() override;
        Record* record;
        Simulation* reference;
        Metric* metric;
        Calibration* calibration;
        int jobs = 1;  ///< threads that evaluate at once
        EvaluationPool::Factory instances;
        float result = 0.0f;
        std::string failure;  ///< why the calibration was refused or stopped
    };

    explicit VestraWindow(QApplication* application);
    ~VestraWindow() override;

    // Registration: the factory is stored before the combo item is added, because adding the
    // first item selects it and the slot at once creates a component through that factory.
    template <class T>
    void addSimulation() {
        appendItem(ui.comboBox, registry.addSimulation<T>());
    }
    template <class T>
    void addParser() {
        registry.addParser<T>();
    }
    template <class T>
    void addMetric() {
        appendItem(ui.comboBox_2, registry.addMetric<T>());
    }
    template <class T>
    void addCalibration() {
        appendItem(ui.comboBox_3, registry.addCalibration<T>());
    }

    /// Opens an experiment file as "Browse" does after its dialog: an ANA file at once, a
    /// recording of another format through the import dialog (modal).
    bool openExperimentFile(const QString& path);
    /// Reads an experiment file with the default options of its reader. A file that no reader
    /// reads, or that its reader refuses, is reported and leaves the current experiment.
    bool loadExperimentFile(const QString& path);

    const ComponentRegistry& components() const { return registry; }
    /// The selected components and the record, for inspection.
    const Session& currentSession() const { return session; }
    Pane3D* view3D() const { return view; }
    /// The dialogs open on components, for inspection.
    std::vector<ConfigurationWindow*> openDialogs() const;
    /// The window of each pedestrian's part of the last score, or null.
    ScorePartsWindow* scoreParts() const { return partsWindow.data(); }
    /// The window of the crowd measurements, or null before "Analysis".
    AnalysisWindow* analysis() const;
    /// What the last calibration went through, for its chart; null before the first.
    std::shared_ptr<const CalibrationProgress> lastCalibration() const { return lastRun; }

public slots:
    void loadExperiment();
    void loadSimulation(int s_index);
    void loadRecord();
    void setMetric(int index);
    void setCalibration(int index);
    void evaluate();
    void configureSimulation();
    void configureEvaluation();
    void configureCalibration();
    void configureRecord();
    void calibrate();
    void save();
    void saveParams();
    void loadParams();
    /// Writes the spread of the calibrated per-pedestrian values into distributions.txt.
    void saveDistributions();
    /// Asks where, then exports the trajectories there.
    void exportTrajectories();
    /// Writes the record's simulated trajectories to `path` (.txt, .csv or .ndjson) and the
    /// measured ones beside it, with "-measured" before the extension; false after saying why.
    bool exportTrajectoriesTo(const QString& path);
    /// Opens the crowd measurements of the record, or raises their window.
    void showAnalysis();
    /// Takes the scope chosen for calibrations and for saving parameters, and preselects its
    /// algorithm: CMA-ES for shared values, Greedy per pedestrian.
    void setScope(int index);
    /// Runs prediction sequence `sequence` of the selected prediction metric on the loaded
    /// model and shows it from its last observed frame.
    void showSequence(int sequence);

protected:
    /// Closing the main window closes every parameter dialog too, so the program ends. While a
    /// calibration runs it first asks whether to stop the run (which then ends as "Cancel" ends
    /// it) and closes when the run has ended; during an evaluation it closes when that ends.
    void closeEvent(QCloseEvent* event) override;

private slots:
    /// Opens the cost curve of the last calibration again.
    void showCostChart();
    /// Moves the slider along with playback without seeking the view again.
    void followPlayback(int value);
    /// Seeks to the slider's value when it is let go, even if the value did not change.
    void seekToSlider();
    /// Shows the analysis window's area and line in the view.
    void showOverlay();

private:
    struct Dialog {
        QPointer<ConfigurationWindow> window;
        Configurable* component;
    };
    /// What the score whose parts are shown was computed from, to tell when it no longer holds.
    struct PartsBasis {
        const Experiment* experiment = nullptr;
        const Simulation* model = nullptr;
        std::string metric;         ///< its name and settings
        std::string modelSettings;  ///< the model's settings as text
        std::vector<float> parameters;
    };

    static void appendItem(QComboBox* box, const std::string& text);
    /// The scope the scope box shows.
    ParameterScope selectedScope() const;
    /// Offers the sequences of the selected metric over the loaded experiment, when it is a
    /// prediction metric with usable settings.
    void updateSequenceBox();
    /// Makes a read experiment the current one, shown with its path.
    bool adoptExperiment(std::unique_ptr<Experiment> loaded, const QString& path);
    void showError(const QString& text);
    void discardRecord();
    void connectControls();
    /// Opens the dialog of a component kind, or raises it when it is open.
    void configure(QPointer<ConfigurationWindow>& last, Configurable* component,
                   const QString& subject = QString());
    /// Puts a new dialog over the view, where no open dialog stands.
    void placeDialog(QWidget* dialog) const;
    /// Reports what an action did in the status line, without interrupting.
    void tell(const std::string& notice);
    /// The status line after a record file operation, or its "Error" box.
    void report(bool succeeded);
    /// Deletes every dialog bound to a component that is about to go.
    void closeDialogsOf(const Configurable* component);
    void setDialogsEnabled(bool enabled);
    /// True when a record exists and holds the selected model and experiment; otherwise says
    /// what is selected and what is loaded, and that "Load" brings them together.
    bool recordHoldsSelection();
    /// Shows the modal busy dialog and processes events until the worker has finished.
    void runWorker(QThread& worker, QDialog& busy);
    /// The window of each pedestrian's part of the score, opened or refreshed.
    void showScoreParts(const std::vector<float>& parts);
    PartsBasis currentBasis() const;
    /// Marks the parts of the score out of date when what they were computed from has changed.
    void checkScoreParts();
    /// Closes the window when that was asked for while a run went on.
    void closeIfAsked();
    /// Hands the analysis window the record's measured crowd and the last evaluated one.
    void feedAnalysis();
    /// Joins the analysis window and the view: clicks on the ground draw, the overlay shows.
    void linkAnalysisView();

    Ui_VestraWindow ui;
    ComponentRegistry registry;
    QApplication* application = nullptr;
    Pane3D* view = nullptr;
    Session session;
    QString experimentPath;  ///< file of the current experiment
    QString recordPath;      ///< file of the record's experiment
    QPointer<ConfigurationWindow> simulationDialog;
    QPointer<ConfigurationWindow> metricDialog;
    QPointer<ConfigurationWindow> calibrationDialog;
    QPointer<ConfigurationWindow> recordDialog;
    std::vector<Dialog> dialogs;
    std::shared_ptr<const CalibrationProgress> lastRun;  ///< the last calibration, for its chart
    RunCaption lastRunCaption;                           ///< what the last calibration was
    QPointer<ScorePartsWindow> partsWindow;
    PartsBasis partsBasis;  ///< of the parts shown
    std::vector<QPointer<CostChartWindow>> chartWindows;
    QPointer<AnalysisWindow> analysisWindow;
    /// The record's experiment as a crowd, made when the analysis first needs it.
    std::shared_ptr<const CrowdFrames> measuredCrowd;
    /// The simulated crowd of the last evaluation of the record: kept from then on, since a
    /// calibration or a prediction sequence rewrites the model's trajectories.
    std::shared_ptr<const CrowdFrames> evaluatedCrowd;
    bool running = false;        ///< a worker runs
    bool closeWhenDone = false;  ///< close the window when the worker has ended
    QPointer<CalibrationProgressDialog> runningCalibration;
};
