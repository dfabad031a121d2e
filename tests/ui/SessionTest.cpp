#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "ui/Session.h"

namespace {

std::shared_ptr<const Experiment> readExample(const std::string& name) {
    ParserANA parser;
    EXPECT_TRUE(parser.load(std::string(VESTRA_EXAMPLES_DIR) + "/" + name));
    return std::make_shared<const Experiment>(parser);
}

// Counts live instances, to see which models the session keeps.
struct CountedWalker : SimulationGeneric<Dummy> {
    static int alive;
    CountedWalker() { ++alive; }
    ~CountedWalker() override { --alive; }
};
int CountedWalker::alive = 0;

}  // namespace

TEST(Session, TheRecordKeepsItsExperimentAndModelUntilItIsDiscarded) {
    Session session;
    std::shared_ptr<const Experiment> first = readExample("crossing-flows.ana");
    const std::weak_ptr<const Experiment> firstAlive = first;
    session.selectExperiment(std::move(first));
    session.selectModel(std::make_unique<CountedWalker>());
    const Simulation* const firstModel = session.model();
    const Record& record = session.load();

    session.selectExperiment(readExample("bottleneck.ana"));
    session.selectModel(std::make_unique<CountedWalker>());
    EXPECT_FALSE(session.recordHoldsSelection());
    ASSERT_FALSE(firstAlive.expired());
    EXPECT_EQ(record.boundExperiment(), firstAlive.lock().get());
    EXPECT_EQ(record.boundSimulation(), firstModel);
    EXPECT_EQ(CountedWalker::alive, 2);
    // A model that no record uses goes as soon as another is selected.
    session.selectModel(std::make_unique<CountedWalker>());
    EXPECT_EQ(CountedWalker::alive, 2);

    session.discardRecord();
    EXPECT_TRUE(firstAlive.expired());
    EXPECT_EQ(CountedWalker::alive, 1);
}
