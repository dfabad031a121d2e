#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "CalibrationFixture.h"
#include "calibration/Bobyqa.h"
#include "calibration/CalibrationRun.h"
#include "calibration/CmaEs.h"
#include "calibration/EvaluationPool.h"
#include "calibration/Genetic.h"
#include "calibration/GeneticAnnealing.h"
#include "calibration/GeneticGreedy.h"
#include "calibration/Greedy.h"
#include "calibration/NelderMead.h"
#include "calibration/SimulatedAnnealing.h"
#include "core/Random.h"

namespace {

template <class Algorithm>
struct CalibrationRun {
    explicit CalibrationRun(std::vector<float> speeds, unsigned seed = 7)
        : scene(std::move(speeds)) {
        algorithm.setConsole(console);
        algorithm.verbose = true;
        algorithm.setSeed(seed);
        algorithm.setRecord(&scene.record);
        algorithm.setMetric(&scene.metric);
    }
    SpeedScene scene;
    Algorithm algorithm;
    std::ostringstream console;
};

// Every algorithm's contract after calibrate(): the matrix holds every entry's best value, and
// the cost is the metric's value of a fresh run with them.
template <class Algorithm>
void expectFinishedContract(CalibrationRun<Algorithm>& run) {
    for (const ParameterEntry& entry : run.algorithm.space.entries) {
        EXPECT_EQ(run.scene.record.parameters().at(entry.row, entry.column), entry.best);
    }
    EXPECT_EQ(run.algorithm.cost, run.scene.evaluate());
}

// 0 / 0 prints as "-nan" or "nan" depending on the platform's sign of the quiet NaN.
std::string withoutNanSign(std::string text) {
    for (size_t at = text.find("-nan"); at != std::string::npos; at = text.find("-nan")) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace

TEST(Calibration, EntriesAreParameterMajorPointersIntoTheMatrix) {
    SpeedScene scene({1.0f, 1.2f, 0.8f, 1.1f, 0.9f, 1.3f});
    Greedy greedy;
    EXPECT_EQ(greedy.cost, -1.0f);
    // Add two more parameters so that entry 2 × P + 5 is row 5, column 2.
    scene.model.addAgentParameter("Second", 0.25f, PDF(0, 1, PDF::UNIFORM, 0, 0));
    scene.model.addAgentParameter("Third", 0.75f, PDF(0, 1, PDF::NORMAL, 0.5f, 0.1f));
    scene.record.prepare();
    greedy.setRecord(&scene.record);
    const int P = 6;
    ASSERT_EQ(greedy.space.entries.size(), 3u * P);
    EXPECT_EQ(greedy.count, 3);
    EXPECT_EQ(greedy.space.entries[2 * P + 5].row, 5);
    EXPECT_EQ(greedy.space.entries[2 * P + 5].column, 2);
    EXPECT_EQ(greedy.space.entries[2 * P + 5].best, 0.75f);
    EXPECT_EQ(greedy.space.entries[2 * P + 5].samples, 20);
    EXPECT_EQ(greedy.space.entries[2 * P + 5].distribution.kind, PDF::NORMAL);
    EXPECT_EQ(greedy.space.entries[P].best, 0.25f);
}

TEST(Calibration, ReportForOneParameterAndTwoPedestrians) {
    SpeedScene scene({1.0f, 1.0f});
    Greedy greedy;
    greedy.setRecord(&scene.record);
    greedy.space.entries[0].best = 1.5f;
    greedy.space.entries[1].best = 0.333333343f;
    greedy.cost = 0.012345678f;
    std::ostringstream report;
    greedy.report(report);
    EXPECT_EQ(report.str(),
              "\n#--BEST PARAMETERS--\n\n"
              "%%cost\n0.0123457\n"
              "%%parameter_0\n"
              "    1.5\n"
              "    0.333333\n");
}

TEST(Calibration, ReportWithoutPedestriansListsOnlyTheHeaders) {
    SpeedScene scene({});
    Greedy greedy;
    greedy.setRecord(&scene.record);
    greedy.cost = 2.0f;
    std::ostringstream report;
    greedy.report(report);
    EXPECT_EQ(report.str(), "\n#--BEST PARAMETERS--\n\n%%cost\n2\n%%parameter_0\n");
}

TEST(Greedy, ImprovesWritesBackAndKeepsTheContract) {
    CalibrationRun<Greedy> run({1.0f, 1.4f});
    const float initial = run.scene.evaluate();
    run.algorithm.calibrate();
    EXPECT_LT(run.algorithm.cost, initial);
    expectFinishedContract(run);
    // The walkers move at 1.0 and 1.4 m/s; the search comes close to both.
    EXPECT_NEAR(run.scene.record.parameters().at(0, 0), 1.0f, 0.1f);
    EXPECT_NEAR(run.scene.record.parameters().at(1, 0), 1.4f, 0.1f);
}

TEST(Greedy, ConsoleShowsTheBannerCostsAndProgressCounter) {
    CalibrationRun<Greedy> run({1.0f});
    run.algorithm.calibrate();
    const std::string text = run.console.str();
    EXPECT_EQ(text.rfind("\n--CALIBRATING--\n\nCost: ", 0), 0u);
    EXPECT_NE(text.find("\r    Parameter: 1 / 1\n"), std::string::npos);
}

TEST(Greedy, WithoutEntriesEvaluatesTwiceAndStops) {
    CalibrationRun<Greedy> run({});
    int evaluations = 0;
    run.algorithm.onEvaluation = [&](float) { ++evaluations; };
    run.algorithm.calibrate();
    // Initial evaluation and one pass's fresh evaluation; the empty pass prints an empty line.
    EXPECT_EQ(evaluations, 2);
    EXPECT_TRUE(std::isnan(run.algorithm.cost));  // no pedestrians: 0 / 0
    EXPECT_EQ(withoutNanSign(run.console.str()), "\n--CALIBRATING--\n\nCost: nan\n\n");
}

TEST(Greedy, StopsAfterAPassWithoutImprovement) {
    CalibrationRun<Greedy> run({1.0f});
    // A range of width zero always draws the value already held: nothing can improve.
    run.algorithm.space.entries[0].distribution = PDF(0.5f, 0.5f, PDF::UNIFORM, 0, 0);
    int evaluations = 0;
    run.algorithm.onEvaluation = [&](float) { ++evaluations; };
    run.algorithm.calibrate();
    EXPECT_EQ(evaluations, 1 + 20 + 1);  // initial, one pass of 20 trials, fresh evaluation
    EXPECT_EQ(run.scene.record.parameters().at(0, 0), 0.5f);
}

TEST(Calibration, SameSeedGivesTheSameOutputByteForByte) {
    auto output = [](auto algorithm) {
        CalibrationRun<decltype(algorithm)> run({0.9f, 1.3f, 1.1f}, 123);
        run.algorithm.calibrate();
        std::ostringstream report;
        run.algorithm.report(report);
        return run.console.str() + report.str();
    };
    EXPECT_EQ(output(Greedy()), output(Greedy()));
    EXPECT_EQ(output(CmaEs()), output(CmaEs()));
}

TEST(SimulatedAnnealing, AcceptanceFollowsTheRelativeWorsening) {
    Random::seed(1);  // first draws 16838, 5758, ...: r = 0.016838, 0.005758
    EXPECT_TRUE(SimulatedAnnealing::accepts(1.0f, 0.5f, 1.0f));  // better: no draw
    // 5 % worse at T = 1: p = exp(-0.05 / 0.0525) = 0.386 > r.
    EXPECT_TRUE(SimulatedAnnealing::accepts(1.0f, 1.05f, 1.0f));
    // Twice as bad at T = 0.05: p = exp(-1 / 0.005) is about 1e-87 < r = 0.005758.
    EXPECT_FALSE(SimulatedAnnealing::accepts(1.0f, 2.0f, 0.05f));
    // A NaN trial and a tie at zero (0 / 0 in the exponent) are never accepted.
    EXPECT_FALSE(SimulatedAnnealing::accepts(1.0f, std::nanf(""), 1.0f));
    EXPECT_FALSE(SimulatedAnnealing::accepts(0.0f, 0.0f, 1.0f));
    // A drop to zero is better and accepted by the first test.
    EXPECT_TRUE(SimulatedAnnealing::accepts(0.5f, 0.0f, 1.0f));
}

TEST(SimulatedAnnealing, ImprovesAndKeepsTheSnapshotOfTheBest) {
    CalibrationRun<SimulatedAnnealing> run({1.2f, 0.8f});
    run.algorithm.K = 3;
    const float initial = run.scene.evaluate();
    run.algorithm.calibrate();
    EXPECT_LT(run.algorithm.cost, initial);
    expectFinishedContract(run);
}

TEST(SimulatedAnnealing, KBelowOneIsClampedOnCommit) {
    SimulatedAnnealing annealing;
    annealing.setParameter("K", "0");
    annealing.commitParameters();
    EXPECT_EQ(annealing.getParameter("K"), "1");
    annealing.setParameter("K", "-5");
    annealing.commitParameters();
    EXPECT_EQ(annealing.K, 1);
}

TEST(SimulatedAnnealing, WithoutEntriesEndsAfterKPasses) {
    CalibrationRun<SimulatedAnnealing> run({});
    run.algorithm.K = 3;
    run.algorithm.calibrate();
    // K cost lines of the unchanged cost.
    EXPECT_EQ(withoutNanSign(run.console.str()),
              "\n--CALIBRATING--\n\nCost: nan\nCost: nan\nCost: nan\n");
}

TEST(Genetic, ParametersAndClamps) {
    Genetic genetic;
    EXPECT_EQ(genetic.parameterNames(),
              (std::vector<std::string>{"N", "n", "a", "b", "c", "loops"}));
    EXPECT_EQ(genetic.getParameter("N"), "100");
    EXPECT_EQ(genetic.getParameter("n"), "20");
    EXPECT_EQ(genetic.getParameter("a"), "0.6");
    EXPECT_EQ(genetic.getParameter("loops"), "30");
    genetic.setParameter("N", "0");
    genetic.setParameter("n", "0");
    genetic.setParameter("loops", "-1");
    genetic.commitParameters();
    EXPECT_EQ(genetic.N, 1);
    EXPECT_EQ(genetic.n, 1);
    EXPECT_EQ(genetic.loops, 1);
    genetic.setParameter("N", "10");
    genetic.setParameter("n", "50");
    genetic.commitParameters();
    EXPECT_EQ(genetic.n, 10);
}

TEST(Genetic, RankingOfTiesFollowsThePartitionNotTheIndex) {
    // Worked by hand: pivot 3 swaps positions 0 and 3, the left part [3, 1] swaps once more.
    std::vector<int> order = {0, 1, 2, 3};
    Genetic::rankSort(order, {3.0f, 1.0f, 3.0f, 1.0f}, 0, 3);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 2, 0}));  // a stable sort gives 1, 3, 0, 2
    std::vector<int> sorted = {0, 1, 2, 3, 4, 5};
    Genetic::rankSort(sorted, {5.0f, 4.0f, 3.0f, 2.0f, 1.0f, 0.0f}, 0, 5);
    EXPECT_EQ(sorted, (std::vector<int>{5, 4, 3, 2, 1, 0}));
}

TEST(Genetic, ElitismNeverLosesTheStartingValues) {
    CalibrationRun<Genetic> run({1.0f, 1.5f});
    run.algorithm.N = 12;
    run.algorithm.n = 3;
    run.algorithm.loops = 3;
    const float initial = run.scene.evaluate();
    run.algorithm.calibrate();
    EXPECT_LE(run.algorithm.cost, initial);
    expectFinishedContract(run);
}

TEST(Genetic, NotANumberCostsRankLastAndTheRunStillEnds) {
    // A metric that cannot score any run: every genome costs 1e9, the best never changes.
    struct Unscorable : Difference {
        float evaluate(Record* record) override {
            Difference::evaluate(record);
            return std::nanf("");
        }
    };
    SpeedScene scene({1.0f});
    Unscorable metric;
    Genetic genetic;
    genetic.N = 4;
    genetic.n = 2;
    genetic.loops = 2;
    genetic.setSeed(3);
    genetic.setRecord(&scene.record);
    genetic.setMetric(&metric);
    int evaluations = 0;
    genetic.onEvaluation = [&](float) { ++evaluations; };
    genetic.calibrate();
    EXPECT_TRUE(std::isnan(genetic.cost));
    // Initial, 4 in generation 1, 2 rebuilt in generation 2, final. Generation 1 compares 1e9
    // with the NaN initial cost, which is no change (the difference is not greater than 0), so
    // generation 2 already reaches two generations without change.
    EXPECT_EQ(evaluations, 1 + 4 + 2 + 1);
}

TEST(Hybrids, ShareOneParameterListAndRunBothPhases) {
    GeneticGreedy geneticGreedy;
    EXPECT_EQ(geneticGreedy.name, "GeneticGreedy");
    EXPECT_EQ(geneticGreedy.parameterNames(),
              (std::vector<std::string>{"N", "n", "a", "b", "c", "loops"}));
    GeneticAnnealing geneticAnnealing;
    EXPECT_EQ(geneticAnnealing.name, "GeneticAnnealing");
    EXPECT_EQ(geneticAnnealing.parameterNames(),
              (std::vector<std::string>{"N", "n", "a", "b", "c", "loops", "K"}));
    geneticAnnealing.setParameter("K", "0");
    geneticAnnealing.setParameter("n", "0");
    geneticAnnealing.commitParameters();
    EXPECT_EQ(geneticAnnealing.K, 1);
    EXPECT_EQ(geneticAnnealing.n, 1);

    CalibrationRun<GeneticGreedy> run({1.1f});
    run.algorithm.N = 6;
    run.algorithm.n = 2;
    run.algorithm.loops = 2;
    run.algorithm.calibrate();
    const std::string text = run.console.str();
    const size_t first = text.find("--CALIBRATING--");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find("--CALIBRATING--", first + 1), std::string::npos);
    EXPECT_NE(text.find("\r    Parameter: 1 / 1"), std::string::npos);  // the greedy phase
    expectFinishedContract(run);
}

namespace {

// What calibrations leave on three walkers: console, every evaluation's cost, report, values.
struct Trail {
    std::string console;
    std::vector<float> costs;
    std::string report;
    std::vector<float> values;
    bool operator==(const Trail& o) const {
        return console == o.console && costs == o.costs && report == o.report && values == o.values;
    }
};

// Binds each algorithm in turn to one record and runs it, seeded alike, from what the one
// before left.
Trail trailOf(std::initializer_list<Calibration*> algorithms) {
    SpeedScene scene({0.8f, 1.2f, 1.6f});
    Trail trail;
    std::ostringstream console;
    for (Calibration* algorithm : algorithms) {
        algorithm->setConsole(console);
        algorithm->verbose = true;
        algorithm->setSeed(5);
        algorithm->setRecord(&scene.record);
        algorithm->setMetric(&scene.metric);
        algorithm->onEvaluation = [&trail](float cost) { trail.costs.push_back(cost); };
        algorithm->calibrate();
        std::ostringstream report;
        algorithm->report(report);
        trail.report = report.str();
    }
    trail.console = console.str();
    trail.values = scene.record.parameters().values();
    return trail;
}

template <class Algorithm>
Algorithm& smallPopulation(Algorithm& genetic) {
    genetic.N = 6;
    genetic.n = 2;
    genetic.loops = 2;
    return genetic;
}

}  // namespace

TEST(Hybrids, AreTheGeneticAlgorithmThenTheOtherOnItsResult) {
    // The second stage reseeds the generator, draws in its own order and starts from the values
    // and best values that the genetic stage left, as the algorithm alone does when bound anew.
    GeneticGreedy geneticGreedy;
    Genetic genetic;
    Greedy greedy;
    const Trail greedyHybrid = trailOf({&smallPopulation(geneticGreedy)});
    EXPECT_EQ(greedyHybrid, trailOf({&smallPopulation(genetic), &greedy}));
    EXPECT_EQ(geneticGreedy.evaluationCount(), greedyHybrid.costs.size());

    GeneticAnnealing geneticAnnealing;
    geneticAnnealing.K = 2;
    Genetic first;
    SimulatedAnnealing annealing;
    annealing.K = 2;
    EXPECT_EQ(trailOf({&smallPopulation(geneticAnnealing)}),
              trailOf({&smallPopulation(first), &annealing}));
}

TEST(Genetic, APopulationBeyondTheMachinesMemoryIsRefusedBeforeItStarts) {
    // Alone and as the first stage of a hybrid: nothing evaluated, printed or changed.
    struct Case {
        const char* what;
        std::unique_ptr<Genetic> algorithm;
    };
    Case cases[] = {{"Genetic", std::make_unique<Genetic>()},
                    {"GeneticGreedy", std::make_unique<GeneticGreedy>()}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpeedScene scene(std::vector<float>(20, 1.0f));
        scene.record.parameterMatrix[0] = 0.25f;
        std::ostringstream console;
        Genetic& genetic = *c.algorithm;
        genetic.setConsole(console);
        genetic.verbose = true;
        genetic.setRecord(&scene.record);
        genetic.setMetric(&scene.metric);
        genetic.N = 2000000000;
        int evaluations = 0;
        genetic.onEvaluation = [&](float) { ++evaluations; };
        genetic.calibrate();
        // 2e9 × (20 genes × 4 + cost 4 + rank 4 + flag 1 bytes) = 178 GB.
        EXPECT_NE(genetic.failure.find("N = 2000000000 genomes of 20 values need 178.0 GB"),
                  std::string::npos)
            << genetic.failure;
        EXPECT_EQ(evaluations, 0);
        EXPECT_TRUE(console.str().empty()) << console.str();
        EXPECT_EQ(scene.record.parameterMatrix[0], 0.25f);
        EXPECT_TRUE(std::isnan(genetic.cost));
    }
}

TEST(CalibrationRun, MemoryRunningOutIsReportedAndTheStartingValuesReturn) {
    // The metric's third run fails to get memory, in the middle of the search.
    struct Exhausting : Difference {
        int runs = 0;
        float evaluate(Record* record) override {
            if (++runs == 3) {
                throw std::bad_alloc();
            }
            return Difference::evaluate(record);
        }
    };
    SpeedScene scene({1.0f, 1.5f});
    scene.record.parameterMatrix[1] = 0.75f;
    SpeedModel reference;
    Exhausting metric;
    Greedy greedy;
    greedy.setSeed(5);
    std::ostringstream console;
    greedy.setConsole(console);
    std::ostringstream report;
    EXPECT_FALSE(runCalibration(scene.record, reference, metric, greedy, report));
    EXPECT_EQ(greedy.failure, "The calibration ran out of memory and was stopped.");
    EXPECT_EQ(scene.record.parameterMatrix[0], 0.5f);
    EXPECT_EQ(scene.record.parameterMatrix[1], 0.75f);
    EXPECT_TRUE(report.str().empty());
    EXPECT_TRUE(std::isnan(greedy.cost));
}

// ---------------------------------------------------------------------------------------------
// Evaluations at once

namespace {

struct Outcome {
    std::vector<float> matrix;
    std::vector<float> costs;  ///< every evaluation, in order
    std::string report;
    bool operator==(const Outcome& o) const {
        return matrix == o.matrix && costs == o.costs && report == o.report;
    }
};

template <class Model, class Algorithm>
Outcome calibrateWith(int jobs) {
    SpeedScene scene({0.8f, 1.2f, 1.6f});
    Model model;
    scene.record.bindSimulation(&model);
    scene.record.prepare();
    scene.record.rebuildIndex();
    SpeedModel reference;
    Algorithm algorithm;
    std::ostringstream console;
    std::ostringstream report;
    Outcome outcome;
    const auto instances = prepareRun<Model>(algorithm, 9, console, outcome.costs, 10);
    EXPECT_TRUE(
        runCalibration(scene.record, reference, scene.metric, algorithm, report, jobs, instances));
    outcome.matrix = model.agentParameters();
    outcome.report = console.str() + report.str();
    return outcome;
}

}  // namespace

TEST(EvaluationsAtOnce, ModelsWithoutRandomRunsGiveTheSameResultForEveryThreadCount) {
    for (const int jobs : {2, 3}) {
        SCOPED_TRACE(jobs);
        EXPECT_EQ((calibrateWith<SpeedModel, Greedy>(jobs)),
                  (calibrateWith<SpeedModel, Greedy>(1)));
        EXPECT_EQ((calibrateWith<SpeedModel, Genetic>(jobs)),
                  (calibrateWith<SpeedModel, Genetic>(1)));
        EXPECT_EQ((calibrateWith<SpeedModel, GeneticGreedy>(jobs)),
                  (calibrateWith<SpeedModel, GeneticGreedy>(1)));
        EXPECT_EQ((calibrateWith<SpeedModel, CmaEs>(jobs)), (calibrateWith<SpeedModel, CmaEs>(1)));
        EXPECT_EQ((calibrateWith<SpeedModel, Bobyqa>(jobs)),
                  (calibrateWith<SpeedModel, Bobyqa>(1)));
    }
}

TEST(EvaluationsAtOnce, RandomRunsDrawFromOneStreamPerEvaluation) {
    // With workers every evaluation has its own stream, so 2 and 3 threads agree, and repeat;
    // one thread keeps the single sequence, which the runs' draws interleave with.
    const Outcome two = calibrateWith<JitteryModel, Greedy>(2);
    EXPECT_EQ((calibrateWith<JitteryModel, Greedy>(3)), two);
    EXPECT_EQ((calibrateWith<JitteryModel, Greedy>(2)), two);
    EXPECT_FALSE((calibrateWith<JitteryModel, Greedy>(1)) == two);
    EXPECT_EQ((calibrateWith<JitteryModel, CmaEs>(3)), (calibrateWith<JitteryModel, CmaEs>(2)));
}

namespace {

// The worker threads a calibration of three walkers starts for `jobs`: each makes its model once.
template <class Algorithm>
int workersFor(int jobs, int population = 10) {
    SpeedScene scene({0.8f, 1.2f, 1.6f});
    SpeedModel reference;
    Algorithm algorithm;
    if constexpr (std::is_base_of_v<Genetic, Algorithm>) {
        algorithm.N = population;
        algorithm.n = 1;
        algorithm.loops = 1;
    }
    std::ostringstream console;
    std::ostringstream report;
    algorithm.setConsole(console);
    int made = 0;
    const auto instances = [&made] {
        ++made;
        return EvaluationPool::Instances{std::make_unique<SpeedModel>(),
                                         std::make_unique<Difference>()};
    };
    EXPECT_TRUE(
        runCalibration(scene.record, reference, scene.metric, algorithm, report, jobs, instances));
    return made;
}

}  // namespace

TEST(EvaluationsAtOnce, ThreadsAreNoMoreThanTheAlgorithmKeepsBusy) {
    // Greedy tries an entry's 20 samples at once, a Genetic generation at most its N genomes,
    // the greedy hybrid either; never fewer than 2 threads (one stream per evaluation) nor more
    // than 256.
    EXPECT_EQ(workersFor<Greedy>(3), 3);
    EXPECT_EQ(workersFor<Greedy>(50), 20);
    EXPECT_EQ(workersFor<Genetic>(50, 10), 10);
    EXPECT_EQ(workersFor<Genetic>(4, 1), 2);
    EXPECT_EQ(workersFor<Genetic>(1000, 300), 256);
    EXPECT_EQ(workersFor<GeneticGreedy>(50, 5), 20);
    EXPECT_EQ(workersFor<GeneticAnnealing>(50, 5), 5);
}

TEST(RandomStreams, EveryThreadHasItsOwnSequence) {
    Random::seed(4);
    const int first = Random::draw();
    Random::seed(4);
    int other = -1;
    std::thread([&other] { other = Random::draw(); }).join();  // starts from seed 1
    EXPECT_EQ(Random::draw(), first);
    Random::seed(1);
    EXPECT_EQ(Random::draw(), other);
}

// ---------------------------------------------------------------------------------------------
// Cancelling

namespace {

// Asks for the cancel itself after a number of evaluations (on whichever thread makes them), as
// a user pressing "Cancel" between two of them would.
struct Cancelling : Difference {
    Cancelling(Calibration& c, std::atomic<int>& left) : calibration(c), left(left) {}
    float evaluate(Record* record) override {
        if (--left == 0) {
            calibration.requestCancel();
        }
        return Difference::evaluate(record);
    }
    Calibration& calibration;
    std::atomic<int>& left;
};

}  // namespace

TEST(Cancel, ARunStoppedMidwayEndsLikeAFinishedOneWithTheBestFound) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Calibration>()> make;
        int cancelAfter;
        int jobs;
    };
    const auto genetic = [] {
        auto g = std::make_unique<Genetic>();
        g->N = 8;
        g->n = 2;
        return std::unique_ptr<Calibration>(std::move(g));
    };
    const Case cases[] = {
        {"Greedy", [] { return std::make_unique<Greedy>(); }, 30, 1},
        {"Greedy with workers", [] { return std::make_unique<Greedy>(); }, 30, 2},
        {"Simulated Annealing", [] { return std::make_unique<SimulatedAnnealing>(); }, 30, 1},
        {"Genetic in its first generation", genetic, 3, 1},
        {"Genetic with workers", genetic, 20, 2},
        {"GeneticGreedy", [] { return std::make_unique<GeneticGreedy>(); }, 50, 1},
        {"CMA-ES", [] { return std::make_unique<CmaEs>(); }, 30, 1},
        {"CMA-ES with workers", [] { return std::make_unique<CmaEs>(); }, 30, 2},
        {"BOBYQA", [] { return std::make_unique<Bobyqa>(); }, 10, 1},
        {"Nelder-Mead", [] { return std::make_unique<NelderMead>(); }, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SpeedScene scene({0.8f, 1.2f, 1.6f});
        const float initial = scene.evaluate();
        SpeedModel reference;
        std::unique_ptr<Calibration> algorithm = c.make();
        std::atomic<int> left(c.cancelAfter + 1);  // the reference walker's run comes first
        Cancelling metric(*algorithm, left);
        algorithm->setSeed(2);
        std::ostringstream console;
        std::ostringstream report;
        algorithm->setConsole(console);
        const auto instances = [&] {
            return EvaluationPool::Instances{std::make_unique<SpeedModel>(),
                                             std::make_unique<Cancelling>(*algorithm, left)};
        };
        ASSERT_TRUE(
            runCalibration(scene.record, reference, metric, *algorithm, report, c.jobs, instances));
        // No trial starts after the request; the ones running finish, then one last evaluation.
        EXPECT_LE(algorithm->evaluationCount(), static_cast<unsigned long long>(c.cancelAfter) + 3);
        EXPECT_EQ(report.str().rfind("\n# Cancelled after ", 0), 0u) << report.str();
        for (const ParameterEntry& entry : algorithm->space.entries) {
            EXPECT_EQ(scene.record.parameters().at(entry.row, entry.column), entry.best);
        }
        Difference fresh;
        scene.record.reset();
        EXPECT_EQ(algorithm->cost, fresh.evaluate(&scene.record));
        EXPECT_LE(algorithm->cost, initial);
    }
}
