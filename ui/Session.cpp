#include "ui/Session.h"

#include <cassert>
#include <utility>

#include "calibration/Calibration.h"
#include "data/Experiment.h"
#include "metrics/Metric.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"

Session::Session() = default;

Session::~Session() = default;

void Session::selectExperiment(std::shared_ptr<const Experiment> loaded) {
    selectedExperiment = std::move(loaded);
}

void Session::selectModel(std::unique_ptr<Simulation> chosen) {
    // What the record is bound to is what must outlive the selection: a worker that stopped
    // early may have left it bound to the reference walker, and then the model may go.
    if (selectedModel && loaded && loaded->record->boundSimulation() == selectedModel.get()) {
        assert(!loaded->replacedModel);
        loaded->replacedModel = std::move(selectedModel);
    }
    selectedModel = std::move(chosen);
}

void Session::selectMetric(std::unique_ptr<Metric> chosen) {
    selectedMetric = std::move(chosen);
}

void Session::selectCalibration(std::unique_ptr<Calibration> chosen) {
    selectedCalibration = std::move(chosen);
}

Record& Session::load() {
    assert(selectedExperiment && selectedModel);
    discardRecord();
    auto next = std::make_unique<Loaded>();
    next->experiment = selectedExperiment;
    next->reference = std::make_unique<SimulationGeneric<Dummy>>();
    next->record = std::make_unique<Record>();
    next->record->build(next->experiment.get(), next->reference.get(), selectedModel.get());
    loaded = std::move(next);
    return *loaded->record;
}

void Session::discardRecord() {
    loaded.reset();
}

Record* Session::record() const {
    return loaded ? loaded->record.get() : nullptr;
}

Simulation* Session::reference() const {
    return loaded ? loaded->reference.get() : nullptr;
}

bool Session::recordHoldsSelection() const {
    return loaded && loaded->record->boundExperiment() == selectedExperiment.get() &&
           loaded->record->boundSimulation() == selectedModel.get();
}
