#pragma once

#include <iosfwd>
#include <memory>

#include "app/BatchComponents.h"
#include "app/commands/ExperimentInput.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

class Experiment;
struct CalibrateRequest;
struct EvaluateRequest;

/// An evaluate or calibrate command up to its run, with the checks of both in their order:
/// format, component names and settings (before the file is read, so that a typo is reported at
/// once), outputs, the experiment read, and the record built as the desktop program's "Load"
/// builds it, with the parameter file loaded and the threads counted.
class PreparedRun {
public:
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
    Simulation& reference() { return referenceWalker; }
    Record& record() { return boundRecord; }
    /// Threads to run with, one per usable core when the request said 0.
    int jobs() const { return threads; }

private:
    int prepareWith(const EvaluateRequest& request, const CalibrateRequest* calibration);
    bool chooseComponents(const EvaluateRequest& request, const CalibrateRequest* calibration);
    int buildRecord(const EvaluateRequest& request);

    ExperimentInput input;
    std::ostream& err;
    BatchComponents components;
    std::unique_ptr<Experiment> experiment;
    SimulationGeneric<Dummy> referenceWalker;
    Record boundRecord;
    int threads = 1;
};
