#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CalibrationFixture.h"
#include "calibration/CalibrationRun.h"
#include "calibration/EvaluationPool.h"
#include "calibration/Genetic.h"
#include "calibration/GeneticAnnealing.h"
#include "calibration/GeneticGreedy.h"
#include "calibration/Greedy.h"
#include "tests/support/RefusingLaunch.h"

namespace {

template <class Algorithm>
std::function<std::unique_ptr<Calibration>()> withPopulation(int N) {
    return [N] {
        auto algorithm = std::make_unique<Algorithm>();
        algorithm->N = N;
        algorithm->n = 1;
        algorithm->loops = 1;
        return algorithm;
    };
}

std::unique_ptr<Calibration> greedy() {
    return std::make_unique<Greedy>();
}

// The worker threads a calibration of three walkers builds for `jobs`: each worker makes its own
// model and metric, once.
int workersFor(const std::function<std::unique_ptr<Calibration>()>& make, int jobs) {
    SpeedScene scene({0.8f, 1.2f, 1.6f});
    SpeedModel reference;
    const std::unique_ptr<Calibration> algorithm = make();
    algorithm->setSeed(3);
    std::ostringstream console;
    std::ostringstream report;
    algorithm->setConsole(console);
    int made = 0;
    const auto instances = [&made] {
        ++made;
        return EvaluationPool::Instances{std::make_unique<SpeedModel>(),
                                         std::make_unique<Difference>()};
    };
    EXPECT_TRUE(
        runCalibration(scene.record, reference, scene.metric, *algorithm, report, jobs, instances))
        << algorithm->failure;
    return made;
}

}  // namespace

TEST(PoolThreads, AreNoMoreThanTheAlgorithmEvaluatesAtOnce) {
    // Greedy tries an entry's 20 samples at once; a Genetic generation evaluates at most its N
    // genomes; the greedy hybrid runs both stages on one pool. A pool never has fewer than 2
    // threads, nor more than 256.
    const struct {
        const char* name;
        std::function<std::unique_ptr<Calibration>()> make;
        int jobs;
        int expected;
    } cases[] = {
        {"Greedy", greedy, 3, 3},
        {"Greedy", greedy, 50, 20},
        {"Genetic N=10", withPopulation<Genetic>(10), 50, 10},
        {"Genetic N=1", withPopulation<Genetic>(1), 4, 2},
        {"Genetic N=300", withPopulation<Genetic>(300), 1000, 256},
        {"GeneticGreedy N=30", withPopulation<GeneticGreedy>(30), 50, 30},
        {"GeneticGreedy N=5", withPopulation<GeneticGreedy>(5), 50, 20},
        {"GeneticAnnealing N=5", withPopulation<GeneticAnnealing>(5), 50, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.jobs) + " jobs");
        EXPECT_EQ(workersFor(c.make, c.jobs), c.expected);
    }
}

TEST(PoolThreads, ARefusedThreadIsReportedAndTheOthersEnd) {
    SpeedScene scene({0.8f, 1.2f});
    const auto instances = [] {
        return EvaluationPool::Instances{std::make_unique<SpeedModel>(),
                                         std::make_unique<Difference>()};
    };
    const EvaluationPool pool(4, instances, *scene.experiment, refusingFrom(3));
    EXPECT_EQ(pool.failure(),
              "Only 3 of 4 worker threads could be started: the system refused another (a limit "
              "on threads or processes, such as ulimit -u, or on memory for their stacks is "
              "reached). Ask for fewer threads.");
}
