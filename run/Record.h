#pragma once

#include <string>

#include <vector>

#include "core/Configurable.h"
#include "core/ParameterScope.h"
#include "core/ParameterTable.h"

class AtomicFile;
class Experiment;
class Simulation;

/// Binds one experiment to one simulation at a time and drives runs of that simulation against
/// it (through RunProtocol): pedestrian i of the experiment is agent i of the simulation and row
/// i of its parameter matrix. Also reads and writes the parameter file and writes the statistics
/// file (ParameterFile, StatisticsFile).
class Record : public Configurable {
public:
    Record();
    ~Record() override = default;

    /// Saves or loads a parameter file when "Save parameters" / "Load parameters" were set to a
    /// non-empty name in the committed batch (saving first). Failures go to commitMessage(),
    /// what was done to commitNotice().
    void parametersCommitted() override;
    std::string commitMessage() const override { return commitError; }
    std::string commitNotice() const override { return commitReport; }

    /// Hands each agent its parameter row, then sets the initial state.
    virtual void reset();
    /// One run over the experiment: along its frame times, or through its waypoints.
    virtual void run();

    void setExperiment(const Experiment* bound) { experiment = bound; }
    const Experiment* boundExperiment() const { return experiment; }
    Simulation* boundSimulation() const { return simulation; }

    /// Binds the experiment, sets up the reference walker and then the model for it, and runs
    /// the model once, so that its trajectories exist: the record as the program's "Load"
    /// builds it. The record is left bound to the model.
    void build(const Experiment* bound, Simulation* reference, Simulation* model);
    /// Makes `bound` the record's simulation and takes its parameter matrix.
    void bindSimulation(Simulation* bound);
    /// Sets the bound simulation up for the bound experiment.
    void prepare();
    /// Counts the simulated pedestrians (all of them).
    void rebuildIndex() { simulatedCount = pedestrianCount; }
    /// One step with the experiment's first time difference.
    void stepOnce();

    /// Writes the parameter values of every simulated pedestrian ("%a" form), or in the shared
    /// scope the one value per parameter that all pedestrians hold, with the model's name. The
    /// previous file is replaced only when everything was written. False, with lastError(), on
    /// failure, and for the shared scope when the pedestrians' values differ.
    bool saveParameters(const std::string& fileName,
                        ParameterScope scope = ParameterScope::pedestrian);
    /// Writes the same file into `out` and finishes it without replacing the target, so that a
    /// program can replace it together with its other outputs, or not at all.
    bool writeParameters(AtomicFile& out, ParameterScope scope = ParameterScope::pedestrian);
    /// Reads a parameter file into the matrix and applies it: a per-pedestrian file of this
    /// recording's pedestrians, or a shared file of the bound model, whose values every
    /// pedestrian takes. A missing, unreadable, short or foreign file leaves the matrix unchanged
    /// and applies nothing. False, with lastError(), on failure.
    bool loadParameters(const std::string& fileName);
    /// The scope of the last file loaded or saved (pedestrian before any).
    ParameterScope lastFileScope() const { return fileScope; }
    /// The scope in which "Save parameters" saves (pedestrian unless set).
    void setSaveScope(ParameterScope scope) { saveScope = scope; }
    /// Writes the simulated trajectories of the last run (lengths × 100). Atomic like saving.
    bool writeStatistics(const std::string& fileName);
    /// Why the last file operation failed.
    const std::string& lastError() const { return error; }
    /// What the last successful file operation did ("Wrote stats.sey (2005 lines)").
    const std::string& lastNotice() const { return notice; }

    /// The bound model's parameter values by (pedestrian, parameter); an empty table without a
    /// model.
    ParameterTable parameters();

    int pedestrianCount = 0;
    int simulatedCount = 0;
    int frameCount = 0;
    int parameterCount = 0;
    float* parameterMatrix = nullptr;  ///< the bound simulation's agentParameters; not owned

private:
    /// "2 parameters for 12 pedestrians", or "2 parameters shared by 12 pedestrians".
    std::string parameterSummary() const;
    /// The one value per parameter that every pedestrian holds; false, with `error`, when their
    /// values differ.
    bool sharedValues(const std::string& path, std::vector<float>& values);
    /// Rows of the bound simulation's parameter matrix.
    int matrixRows() const;

    const Experiment* experiment = nullptr;
    Simulation* simulation = nullptr;
    std::vector<float> noParameters;  ///< what parameters() views without a model
    std::string saveFileName;
    std::string loadFileName;
    std::string error;
    std::string notice;
    std::string commitError;
    std::string commitReport;
    ParameterScope fileScope = ParameterScope::pedestrian;
    ParameterScope saveScope = ParameterScope::pedestrian;
};
