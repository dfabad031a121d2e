#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "run/Record.h"
#include "tests/support/RecordSetUp.h"

namespace {

class ShippedExample : public testing::TestWithParam<const char*> {};

}  // namespace

// Load, set up the reference walker and every registered model, run, and score each model with
// every registered metric, headless, the way the desktop program evaluates.
TEST_P(ShippedExample, EveryModelScoresFiniteWithEveryMetric) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::string error;
    const std::string path = std::string(VESTRA_EXAMPLES_DIR) + "/" + GetParam();
    const std::unique_ptr<Experiment> experiment = loadExperimentFile(registry, path, error);
    ASSERT_TRUE(experiment) << error;
    ASSERT_GT(experiment->pedestrianCount, 0);

    for (size_t m = 0; m < registry.simulations.names.size(); ++m) {
        SCOPED_TRACE(registry.simulations.names[m]);
        Random::seed(17);
        SimulationGeneric<Dummy> reference;
        const std::unique_ptr<Simulation> model = registry.simulations.create(static_cast<int>(m));
        Record record;
        record.build(experiment.get(), &reference, model.get());
        EXPECT_EQ(model->frameCount(), experiment->frameCount);
        record.rebuildIndex();
        for (size_t k = 0; k < registry.metrics.names.size(); ++k) {
            const std::unique_ptr<Metric> metric = registry.metrics.create(static_cast<int>(k));
            const float score = evaluateModel(record, reference, *metric);
            EXPECT_TRUE(std::isfinite(score)) << registry.metrics.names[k] << " gave " << score;
            EXPECT_GE(score, 0.0f) << registry.metrics.names[k];
            EXPECT_EQ(record.boundSimulation(), model.get());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ShippedExample,
                         testing::Values("corridor-crossing.ana", "bottleneck.ana",
                                         "crossing-flows.ana"));

TEST(Evaluation, RepeatedEvaluationsGiveTheSameScore) {
    // Every evaluation resets the record first, so nothing of one run leaks into the next.
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::string error;
    const auto experiment = loadExperimentFile(
        registry, std::string(VESTRA_EXAMPLES_DIR) + "/crossing-flows.ana", error);
    ASSERT_TRUE(experiment) << error;
    SimulationGeneric<Dummy> reference;
    SimulationGeneric<Dummy> model;
    Record record;
    bindAndPrepare(record, experiment.get(), &reference);
    record.bindSimulation(&model);
    record.prepare();
    record.rebuildIndex();
    const auto metric = registry.metrics.create("Difference");
    ASSERT_TRUE(metric);
    const float first = evaluateModel(record, reference, *metric);
    const float second = evaluateModel(record, reference, *metric);
    EXPECT_EQ(first, second);
    EXPECT_GT(first, 0.0f);
}

TEST(Evaluation, AModelScoresTheSameWhateverExperimentItWasSetUpForBefore) {
    // The window keeps one model object across "Load"s; the walls of an earlier experiment
    // must not stay in its scene.
    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::string error;
    const std::string folder = std::string(VESTRA_EXAMPLES_DIR) + "/";
    const auto walled = loadExperimentFile(registry, folder + "bottleneck.ana", error);
    const auto corridor = loadExperimentFile(registry, folder + "corridor-crossing.ana", error);
    ASSERT_TRUE(walled && corridor) << error;
    for (const char* name : {"Boids", "Helbing", "RVO2"}) {
        SCOPED_TRACE(name);
        const auto metric = registry.metrics.create("Difference");
        const auto fresh = registry.simulations.create(name);
        const auto reused = registry.simulations.create(name);
        SimulationGeneric<Dummy> reference;
        Record before;
        before.build(walled.get(), &reference, reused.get());
        Record after;
        after.build(corridor.get(), &reference, reused.get());
        after.rebuildIndex();
        Record clean;
        clean.build(corridor.get(), &reference, fresh.get());
        clean.rebuildIndex();
        EXPECT_EQ(evaluateModel(after, reference, *metric),
                  evaluateModel(clean, reference, *metric));
    }
}
