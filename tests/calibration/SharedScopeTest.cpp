#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CalibrationFixture.h"
#include "calibration/CalibrationRun.h"
#include "calibration/CmaEs.h"
#include "calibration/EvaluationPool.h"
#include "calibration/Genetic.h"
#include "calibration/Greedy.h"
#include "calibration/ParameterSpace.h"
#include "calibration/ValueDistribution.h"
#include "core/Random.h"

namespace {

// Two recordings (walkers at 0.8 and 1.2 m/s; one at 1.6 m/s), each with a model of its own.
template <class Model>
struct TwoRecordings {
    TwoRecordings() {
        for (SpeedScene* scene : {&slow, &fast}) {
            scene->record.bindSimulation(&models[scene == &fast]);
            scene->record.prepare();
            scene->record.rebuildIndex();
        }
    }
    std::vector<CalibratedRecording> recordings() {
        return {{&slow.record, &references[0]}, {&fast.record, &references[1]}};
    }
    SpeedScene slow{{0.8f, 1.2f}};
    SpeedScene fast{{1.6f}, 5};
    Model models[2];
    SpeedModel references[2];
};

struct Result {
    std::vector<float> values[2];
    std::vector<float> costs;
    std::vector<float> start;
    std::vector<float> best;
    std::string report;
    bool operator==(const Result& o) const {
        return values[0] == o.values[0] && values[1] == o.values[1] && costs == o.costs &&
               start == o.start && best == o.best && report == o.report;
    }
};

template <class Model, class Algorithm>
Result calibrateBoth(int jobs, ParameterScope scope = ParameterScope::shared) {
    TwoRecordings<Model> both;
    Algorithm algorithm;
    algorithm.scope = scope;
    std::ostringstream console;
    Result result;
    const auto instances = prepareRun<Model>(algorithm, 4, console, result.costs, 8);
    std::ostringstream report;
    const bool completed =
        runCalibration(both.recordings(), both.slow.metric, algorithm, report, jobs, instances);
    EXPECT_EQ(completed, scope == ParameterScope::shared) << algorithm.failure;
    result.values[0] = both.models[0].agentParameters();
    result.values[1] = both.models[1].agentParameters();
    result.start = algorithm.startScores();
    result.best = algorithm.bestScores();
    result.report = console.str() + report.str() + algorithm.failure;
    return result;
}

}  // namespace

TEST(SharedScope, OneValuePerParameterGoesToEveryPedestrianAndTheReport) {
    SpeedScene scene({0.8f, 1.2f, 1.6f});
    Greedy greedy;
    greedy.setSeed(2);
    greedy.scope = ParameterScope::shared;
    greedy.setRecord(&scene.record);
    greedy.setMetric(&scene.metric);
    ASSERT_EQ(greedy.space.size(), 1u);
    greedy.calibrate();

    const float shared = greedy.space.entries[0].best;
    EXPECT_EQ(scene.model.agentParameters(), (std::vector<float>{shared, shared, shared}));
    EXPECT_LT(greedy.cost, 1.0f);
    EXPECT_EQ(greedy.cost, scene.evaluate());
    std::ostringstream report;
    greedy.report(report);
    std::ostringstream expected;
    expected << "\n#--BEST PARAMETERS--\n\n%%cost\n"
             << greedy.cost << "\n%%parameter_0\n    " << shared << "\n";
    EXPECT_EQ(report.str(), expected.str());
}

TEST(SeveralRecordings, CostIsTheMeanOfTheScoresEachRecordingHasAlone) {
    TwoRecordings<SpeedModel> both;
    const float slowAtStart = both.slow.evaluate();
    const float fastAtStart = both.fast.evaluate();
    Greedy greedy;
    greedy.setSeed(3);
    greedy.scope = ParameterScope::shared;
    std::ostringstream report;
    ASSERT_TRUE(runCalibration(both.recordings(), both.slow.metric, greedy, report));

    EXPECT_EQ(greedy.startScores(), (std::vector<float>{slowAtStart, fastAtStart}));
    // The best values stand in both recordings, and each scores there what it scores alone.
    EXPECT_EQ(both.models[0].agentParameters()[0], both.models[1].agentParameters()[0]);
    const std::vector<float> best = {both.slow.evaluate(), both.fast.evaluate()};
    EXPECT_EQ(greedy.bestScores(), best);
    EXPECT_EQ(greedy.cost, static_cast<float>((double{best[0]} + double{best[1]}) / 2.0));
    EXPECT_LT(greedy.cost, (slowAtStart + fastAtStart) / 2.0f);
}

TEST(SeveralRecordings, EveryJobCountGivesTheSameResultEvenWhenRunsDraw) {
    const Result greedy = calibrateBoth<JitteryModel, Greedy>(1);
    const Result genetic = calibrateBoth<JitteryModel, Genetic>(1);
    const Result cma = calibrateBoth<JitteryModel, CmaEs>(1);
    for (const int jobs : {2, 3}) {
        SCOPED_TRACE(jobs);
        EXPECT_EQ((calibrateBoth<JitteryModel, Greedy>(jobs)), greedy);
        EXPECT_EQ((calibrateBoth<JitteryModel, Genetic>(jobs)), genetic);
        EXPECT_EQ((calibrateBoth<JitteryModel, CmaEs>(jobs)), cma);
    }
}

TEST(SeveralRecordings, APerPedestrianSearchIsRefusedAndTheValuesStay) {
    const Result refused = calibrateBoth<SpeedModel, Greedy>(2, ParameterScope::pedestrian);
    EXPECT_NE(refused.report.find("several recordings searches values shared by all"),
              std::string::npos)
        << refused.report;
    EXPECT_EQ(refused.values[0], (std::vector<float>{0.5f, 0.5f}));
    EXPECT_EQ(refused.values[1], (std::vector<float>{0.5f}));
    EXPECT_TRUE(refused.costs.empty());
}

TEST(ValueDistribution, MinMaxMeanAndPopulationDeviationOfAColumn) {
    std::vector<float> values = {1.0f, 10.0f, 2.0f, 20.0f, 3.0f, 30.0f, 6.0f, 40.0f};
    const ParameterTable table(values, 2);
    const PDF first = ValueDistribution::of(table, 0, 4);
    EXPECT_EQ(first.min, 1.0f);
    EXPECT_EQ(first.max, 6.0f);
    EXPECT_EQ(first.kind, PDF::NORMAL);
    EXPECT_EQ(first.mean, 3.0f);
    // sqrt(((1-3)² + (2-3)² + 0 + (6-3)²) / 4) = sqrt(3.5)
    EXPECT_FLOAT_EQ(first.deviation, 1.8708287f);
    // Three rows only: 10, 20, 30.
    const PDF second = ValueDistribution::of(table, 1, 3);
    EXPECT_EQ(second.max, 30.0f);
    EXPECT_EQ(second.mean, 20.0f);
    EXPECT_FLOAT_EQ(second.deviation, 8.1649658f);
}
