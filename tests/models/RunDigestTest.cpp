// Whole runs of every model, reduced to digests of every recorded bit. The expected digests
// were taken from the engines as they stood before they were made faster: a change of any
// neighbour, of the order of equally near ones or of a single float operation shows here.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "run/Record.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "tests/support/RunDigest.h"

namespace {

// The reference walker is not in the registry; it goes by this name here.
const std::string reference = "reference";

std::unique_ptr<Simulation> createModel(const ComponentRegistry& registry,
                                        const std::string& name) {
    if (name == reference) {
        return std::make_unique<SimulationGeneric<Dummy>>();
    }
    return registry.simulations.create(name);
}

struct ExampleRun {
    const char* example;
    const char* model;
    bool drawn;            ///< parameters drawn from their distributions rather than the defaults
    std::uint64_t digest;  ///< of the recorded trajectories and the Difference score
};

const ExampleRun exampleRuns[] = {
    {"bottleneck.ana", "Boids", false, 0x55e7deea74047b60ull},
    {"bottleneck.ana", "Helbing", false, 0x4c9abd4b48a64347ull},
    {"bottleneck.ana", "RVO2", false, 0x1f12e7f2a3a63525ull},
    {"bottleneck.ana", "Vision", false, 0x8403e5b9ddaa32e2ull},
    {"bottleneck.ana", "reference", false, 0x1740940df12c6df7ull},
    {"corridor-crossing.ana", "Boids", false, 0x9ffa5cd6658ae332ull},
    {"corridor-crossing.ana", "Helbing", false, 0x2b07f1f1bce3f1d3ull},
    {"corridor-crossing.ana", "RVO2", false, 0xe78f68af46f3dc4dull},
    {"corridor-crossing.ana", "Vision", false, 0x5db63122453d8fceull},
    {"corridor-crossing.ana", "reference", false, 0xc4e757eb9177b6aeull},
    {"corridor-presence.ana", "Boids", false, 0xecbf9b67364a5b30ull},
    {"corridor-presence.ana", "Helbing", false, 0x437c49596687483bull},
    {"corridor-presence.ana", "RVO2", false, 0x7b639868240ece83ull},
    {"corridor-presence.ana", "Vision", false, 0xf39d103179e6b61cull},
    {"corridor-presence.ana", "reference", false, 0x8332d51cd291e46eull},
    {"crossing-flows.ana", "Boids", false, 0x633e28419d3a6e77ull},
    {"crossing-flows.ana", "Helbing", false, 0x538dc77897e2e047ull},
    {"crossing-flows.ana", "RVO2", false, 0x437553369b40813dull},
    {"crossing-flows.ana", "Vision", false, 0xab379dc915552c80ull},
    {"crossing-flows.ana", "reference", false, 0xa2f4fb62c393bceeull},
    {"bottleneck.ana", "Boids", true, 0xaffcc940bb9cfcf3ull},
    {"bottleneck.ana", "Helbing", true, 0x907bf1fb6300af91ull},
    {"bottleneck.ana", "RVO2", true, 0x2b92d1d1b452d6eull},
    {"bottleneck.ana", "Vision", true, 0x653b142cd86f1b98ull},
    {"corridor-crossing.ana", "Boids", true, 0x242939dfd7418f4dull},
    {"corridor-crossing.ana", "Helbing", true, 0xc9ce53eaab35d421ull},
    {"corridor-crossing.ana", "RVO2", true, 0x338db1bde07844afull},
    {"corridor-crossing.ana", "Vision", true, 0x9cde274c14a31701ull},
    {"corridor-presence.ana", "Boids", true, 0x62cb5537678d3d78ull},
    {"corridor-presence.ana", "Helbing", true, 0x2c0cb778700ca29full},
    {"corridor-presence.ana", "RVO2", true, 0x831fd0b60ac9821bull},
    {"corridor-presence.ana", "Vision", true, 0xd8b3c8cc491b88e4ull},
    {"crossing-flows.ana", "Boids", true, 0x6b33c9efb249c3a3ull},
    {"crossing-flows.ana", "Helbing", true, 0x2a9368b663bba616ull},
    {"crossing-flows.ana", "RVO2", true, 0xaa28228e64a8bd99ull},
    {"crossing-flows.ana", "Vision", true, 0x3808550c94dbc5d6ull},
};

struct CrowdRun {
    const char* model;
    int agents;
    bool drawn;            ///< parameters drawn from their distributions rather than the defaults
    std::uint64_t digest;  ///< of the state after each of 20 steps
};

const CrowdRun crowdRuns[] = {
    {"Boids", 1200, false, 0xf7f4b466ccc28795ull},
    {"Helbing", 1200, false, 0x94e65d2b7c1257acull},
    {"RVO2", 1200, false, 0xe8788cf1ff6fc1f5ull},
    {"Vision", 300, false, 0x50ef04078d2218a9ull},
    {"reference", 300, false, 0x59b96e4177bfbc90ull},
    {"Boids", 1200, true, 0xf7b2075147e43a3aull},
    {"Helbing", 1200, true, 0xbf2e12c52d157375ull},
    {"RVO2", 1200, true, 0xb264d344c3fe8b6bull},
    {"Vision", 300, true, 0x4907157dcd055329ull},
};

}  // namespace

TEST(RunDigest, EveryModelOnEveryShippedExampleRecordsTheSameBits) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    for (const ExampleRun& run : exampleRuns) {
        SCOPED_TRACE(std::string(run.example) + " " + run.model);
        std::string error;
        const auto experiment = loadExperimentFile(
            registry, std::string(VESTRA_EXAMPLES_DIR) + "/" + run.example, error);
        ASSERT_TRUE(experiment) << error;
        const auto model = createModel(registry, run.model);
        const auto metric = registry.metrics.create("Difference");
        ASSERT_TRUE(model && metric);
        Random::seed(29);
        SimulationGeneric<Dummy> walker;
        Record record;
        record.build(experiment.get(), &walker, model.get());
        record.rebuildIndex();
        if (run.drawn) {
            drawParameters(*model);
        }
        const float score = evaluateModel(record, walker, *metric);
        RunDigest digest;
        digest.addRecords(*model);
        digest.add(score);
        EXPECT_EQ(digest.value(), run.digest) << std::hex << "0x" << digest.value();
    }
}

TEST(RunDigest, EveryModelInALargeCrowdStepsToTheSameBits) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    for (const CrowdRun& run : crowdRuns) {
        SCOPED_TRACE(std::string(run.model) + " " + std::to_string(run.agents));
        const auto model = createModel(registry, run.model);
        ASSERT_TRUE(model);
        Random::seed(31);
        placeGridCrowd(*model, run.agents, run.drawn);
        const std::uint64_t actual = digestOfSteps(*model, 20);
        EXPECT_EQ(actual, run.digest) << std::hex << "0x" << actual;
    }
}
