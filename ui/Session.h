#pragma once

#include <memory>

class Calibration;
class Experiment;
class Metric;
class Record;
class Simulation;

/// What the user works on: the selected experiment, model, metric and calibration algorithm,
/// and the record that "Load" builds from an experiment and a model, with its reference walker.
/// The record keeps the experiment and the model it was built on alive after others are
/// selected; they go when the record is discarded.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Makes `loaded` the selected experiment; the one it replaces lives on while the record
    /// uses it.
    void selectExperiment(std::shared_ptr<const Experiment> loaded);
    /// Makes `chosen` (or none) the selected model; the one it replaces lives on while the
    /// record uses it.
    void selectModel(std::unique_ptr<Simulation> chosen);
    /// Makes `chosen` the selected metric, deleting the previous one.
    void selectMetric(std::unique_ptr<Metric> chosen);
    /// Makes `chosen` the selected calibration algorithm, deleting the previous one.
    void selectCalibration(std::unique_ptr<Calibration> chosen);

    /// The selected experiment, or null.
    const Experiment* experiment() const { return selectedExperiment.get(); }
    /// The selected model, or null.
    Simulation* model() const { return selectedModel.get(); }
    /// The selected metric, or null.
    Metric* metric() const { return selectedMetric.get(); }
    /// The selected calibration algorithm, or null.
    Calibration* calibration() const { return selectedCalibration.get(); }

    /// Discards the record and builds one on the selected experiment and model (both must be
    /// selected), with a new reference walker, and runs the model once.
    Record& load();
    /// Deletes the record, its reference walker, and the experiment and model it kept alive.
    void discardRecord();
    /// The record, or null before the first load.
    Record* record() const;
    /// The reference walker built with the record, or null.
    Simulation* reference() const;
    /// True when a record exists and was built on the selected experiment and model.
    bool recordHoldsSelection() const;

private:
    /// The record with what it was built on, so that all of it goes at once.
    struct Loaded {
        std::shared_ptr<const Experiment> experiment;
        std::unique_ptr<Simulation> reference;
        /// The record's model once another is selected; until then the selection owns it.
        std::unique_ptr<Simulation> replacedModel;
        /// Declared last so that it goes first, before what it refers to.
        std::unique_ptr<Record> record;
    };

    std::shared_ptr<const Experiment> selectedExperiment;
    std::unique_ptr<Simulation> selectedModel;
    std::unique_ptr<Metric> selectedMetric;
    std::unique_ptr<Calibration> selectedCalibration;
    std::unique_ptr<Loaded> loaded;
};
