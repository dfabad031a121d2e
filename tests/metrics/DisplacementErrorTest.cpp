#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "metrics/AverageDisplacementError.h"
#include "metrics/FinalDisplacementError.h"
#include "models/PedestrianV.h"
#include "models/SimulationConstantVelocity.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "run/SequencePrediction.h"
#include "tests/support/ExperimentTable.h"
#include "tests/support/RecordSetUp.h"

namespace {

// Five frames half a second apart. A walks east at 1 m/s and turns north on frame 2; B stands;
// C appears on frame 2; D walks south at 1 m/s and leaves after frame 3.
ExperimentTable turningWalkers() {
    ExperimentTable table;
    table.addPresence(0, {{0, 0}, {0.5f, 0}, {1, 0}, {1, 0.5f}, {1, 1}});
    table.addPresence(0, {{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}});
    table.addPresence(2, {{3, 0}, {3, 0.5f}, {3, 1}});
    table.addPresence(0, {{8, 2}, {8, 1.5f}, {8, 1}, {8, 0.5f}});
    table.times = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f};
    return table;
}

// Constant velocity, remembering the goal each agent was given.
class GoalLog : public SimulationConstantVelocity {
public:
    void createAgents() override {
        SimulationConstantVelocity::createAgents();
        goalX.assign(static_cast<std::size_t>(agentCount()), -1.0f);
        goalY = goalX;
    }
    void setGoal(int agent, float x, float y) override {
        goalX[agent] = x;
        goalY[agent] = y;
    }
    std::vector<float> goalX, goalY;
};

template <class Metric>
float score(const Experiment& experiment, Simulation& model, const std::string& observe,
            const std::string& predict) {
    Record record;
    bindAndPrepare(record, &experiment, &model);
    Metric metric;
    metric.setParameter("Observe", observe);
    metric.setParameter("Predict", predict);
    metric.commitParameters();
    record.reset();
    return metric.evaluate(&record);
}

}  // namespace

TEST(DisplacementError, ConstantVelocityScoresWhatTheProtocolGivesByHand) {
    // Worked out by hand (distances in metres). Observe 2, Predict 2: sequence 0 predicts frames
    // 2 and 3 from frame 1 and scores A (0 and √0.5), B (0, 0) and D (0, 0); sequence 1 predicts
    // 3 and 4 from frame 2 and scores A (√0.5 and √2) and B; C and D are simulated there but not
    // scored. Observe 3, Predict 2: one sequence, scoring A (√0.5, √2) and B.
    const double half = std::sqrt(0.5);
    const double two = std::sqrt(2.0);
    struct Case {
        const char* observe;
        const char* predict;
        double average;
        double final;
    };
    const Case cases[] = {
        {"2", "2", (half / 2 + (half + two) / 2) / 5, (half + two) / 5},
        {"3", "2", ((half + two) / 2) / 2, two / 2},
        {"2", "3", ((0 + half + two) / 3) / 2, two / 2},
    };
    const auto experiment = makeExperiment(turningWalkers());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.observe) + "+" + c.predict);
        SimulationConstantVelocity model;
        EXPECT_NEAR(score<AverageDisplacementError>(*experiment, model, c.observe, c.predict),
                    c.average, 1e-6);
        EXPECT_NEAR(score<FinalDisplacementError>(*experiment, model, c.observe, c.predict),
                    c.final, 1e-6);
        EXPECT_EQ(model.presentCount(), model.agentCount());
    }
}

TEST(DisplacementError, AGoalOnTheObservedHeadingOrAtTheRecordedEnd) {
    const auto experiment = makeExperiment(turningWalkers());
    struct Case {
        SequencePrediction::Goal goal;
        int sequence;
        std::vector<float> goalX, goalY;  // A, B, D (C is absent or at rest where it stands)
    };
    // Observe 2, Predict 2 (1 s ahead). Sequence 0: A at (0.5, 0) heading east at 1 m/s, D at
    // (8, 1.5) heading south; recorded ends of frame 3. Sequence 1: D's recorded end is its last
    // frame, 3.
    const Case cases[] = {
        {SequencePrediction::Goal::observed, 0, {1.5f, 5, 8}, {0, 5, 0.5f}},
        {SequencePrediction::Goal::recorded, 0, {1, 5, 8}, {0.5f, 5, 0.5f}},
        {SequencePrediction::Goal::recorded, 1, {1, 5, 8}, {1, 5, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sequence);
        GoalLog model;
        Record record;
        bindAndPrepare(record, experiment.get(), &model);
        const SequencePrediction protocol(*experiment, 2, 2, c.goal);
        EXPECT_EQ(protocol.place(model, c.sequence), c.sequence + 1);
        const int agents[] = {0, 1, 3};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(model.goalX[agents[i]], c.goalX[i], 1e-6) << agents[i];
            EXPECT_NEAR(model.goalY[agents[i]], c.goalY[i], 1e-6) << agents[i];
        }
        EXPECT_EQ(model.isPresent(2), c.sequence == 1);
    }
}

TEST(DisplacementError, SequencesOnSeveralThreadsScoreAsOnOneEvenWhenRunsDraw) {
    // Twelve walkers on a slow curve for sixty frames; Vision draws during its runs.
    ExperimentTable table;
    for (int p = 0; p < 12; ++p) {
        std::vector<std::pair<float, float>> walk;
        for (int k = 0; k < 60; ++k) {
            const float t = 0.4f * static_cast<float>(k);
            walk.emplace_back(static_cast<float>(p) + 1.2f * std::sin(0.05f * t + p),
                              1.2f * t + 0.3f * std::cos(0.1f * t * p));
        }
        table.addTrajectory(walk);
    }
    table.times.assign(60, 0.0f);
    for (int k = 0; k < 60; ++k) {
        table.times[k] = 0.4f * static_cast<float>(k);
    }
    const auto experiment = makeExperiment(table);
    std::vector<float> scores;
    for (const int threads : {1, 2, 3}) {
        SimulationGeneric<PedestrianV> model;
        Record record;
        bindAndPrepare(record, experiment.get(), &model);
        AverageDisplacementError metric;
        metric.shareRuns(threads,
                         [] { return std::make_unique<SimulationGeneric<PedestrianV>>(); });
        record.reset();
        scores.push_back(metric.evaluate(&record));
    }
    ASSERT_TRUE(std::isfinite(scores[0]));
    EXPECT_EQ(scores[1], scores[0]);
    EXPECT_EQ(scores[2], scores[0]);
}

TEST(DisplacementError, NoSequenceLongEnoughIsNotANumberAndSaysWhy) {
    const auto experiment = makeExperiment(turningWalkers());
    SimulationConstantVelocity model;
    Record record;
    bindAndPrepare(record, experiment.get(), &model);
    AverageDisplacementError metric;  // 8 + 12 frames: the recording has 5
    EXPECT_TRUE(std::isnan(metric.evaluate(&record)));
    EXPECT_NE(metric.problem().find("on all 20 frames"), std::string::npos) << metric.problem();
}
