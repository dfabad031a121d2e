#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/BatchComponents.h"
#include "app/commands/ExperimentInput.h"
#include "calibration/CalibrationRun.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

class Experiment;
struct CalibrateRequest;
struct EvaluateRequest;

/// An evaluate or calibrate command up to its run, with the checks of both in their order: the
/// list of recordings, formats, component names and settings (before any file is read, so that a
/// typo is reported at once), outputs, every experiment read, and a record of each built as the
/// desktop program's "Load" builds it, with the parameter file loaded and the threads counted.
/// The first recording runs the model the request names; each further one a model of its own
/// with the same settings.
class PreparedRun {
public:
    /// One recording: its experiment, the model and reference walker set up for it, and the
    /// record binding them.
    struct Recording {
        std::string file;
        /// Shared, so that a program that keeps its recordings in memory can run them.
        std::shared_ptr<const Experiment> experiment;
        std::unique_ptr<Simulation> ownModel;  ///< null for the first, which runs model()
        SimulationGeneric<Dummy> reference;
        Record record;
    };

    /// Messages go to `err`.
    explicit PreparedRun(std::ostream& err);
    ~PreparedRun();
    PreparedRun(const PreparedRun&) = delete;
    PreparedRun& operator=(const PreparedRun&) = delete;

    /// Prepares an evaluation: ExitStatus::success, or the status after saying why not.
    int prepare(const EvaluateRequest& request);
    /// Prepares a calibration, with its algorithm and its output files checked.
    int prepare(const CalibrateRequest& request);

    /// The registry the components came from, to make more of them for worker threads.
    const ComponentRegistry& registry() const { return input.registry(); }
    Simulation& model() { return *components.model; }
    Metric& metric() { return *components.metric; }
    /// The algorithm; only after preparing a calibration.
    Calibration& calibration() { return *components.calibration; }
    /// The first recording's reference walker and record.
    Simulation& reference() { return recordings.front()->reference; }
    Record& record() { return recordings.front()->record; }
    /// Every recording, in the order given.
    const std::vector<std::unique_ptr<Recording>>& all() const { return recordings; }
    /// The records with their reference walkers, as a calibration over them takes them.
    std::vector<CalibratedRecording> calibrated() const;
    /// Threads to run with, one per usable core when the request said 0.
    int jobs() const { return threads; }

    /// Builds the record of every recording (its experiment set) as the desktop program's "Load"
    /// builds it, the first running `model` and each further one a model of its own from
    /// `instances`, then loads the parameter file `loadParams` when one is named. False, with
    /// the record's `error`, when the file does not load.
    static bool buildRecords(const std::vector<std::unique_ptr<Recording>>& recordings,
                             Simulation& model, const EvaluationPool::Factory& instances,
                             const std::string& loadParams, std::string& error);

private:
    int prepareWith(const EvaluateRequest& request, const CalibrateRequest* calibration);
    /// The recordings the request names, from the command line or its list.
    int listSources(const EvaluateRequest& request, std::vector<ExperimentSource>& sources) const;
    bool chooseComponents(const EvaluateRequest& request, const CalibrateRequest* calibration);
    /// What the calibration asks that its recordings and model cannot give.
    bool checkCalibration(const CalibrateRequest& request, std::size_t recordingCount) const;
    int readExperiments(const std::vector<ExperimentSource>& sources);
    int setUpRecords(const EvaluateRequest& request);

    ExperimentInput input;
    std::ostream& err;
    BatchComponents components;
    std::vector<std::unique_ptr<Recording>> recordings;
    int threads = 1;
};
