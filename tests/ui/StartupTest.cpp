#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>

#include "app/StandardComponents.h"
#include "calibration/Calibration.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "ui/VestraWindow.h"

namespace {

QApplication& application() {
    return *static_cast<QApplication*>(qApp);
}

// Counts live instances so the tests can see which selection created or deleted a component.
template <int Tag>
struct CountedModel : Simulation {
    static int alive;
    CountedModel() {
        name = "Model " + std::to_string(Tag);
        ++alive;
    }
    ~CountedModel() override { --alive; }
    void createAgents() override {}
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int, float, float) override {}
    void setVelocity(int, float, float) override {}
    void setGoal(int, float, float) override {}
    void step(float) override {}
};
template <int Tag>
int CountedModel<Tag>::alive = 0;

struct FirstMetric : virtual Metric {
    FirstMetric() { name = "First metric"; }
    float evaluate(Record*) override { return 0.0f; }
};
struct SecondMetric : virtual Metric {
    SecondMetric() { name = "Second metric"; }
    float evaluate(Record*) override { return 1.0f; }
};
struct OnlyCalibration : virtual Calibration {
    OnlyCalibration() { name = "Only calibration"; }
    void calibrate() override {}
};

QStringList items(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    return texts;
}

}  // namespace

TEST(Startup, RegistrationFillsTheBoxesInOrderAndCreatesTheFirstItems) {
    application();
    VestraWindow window(nullptr);
    window.addSimulation<CountedModel<1>>();
    window.addSimulation<CountedModel<2>>();
    window.addMetric<FirstMetric>();
    window.addMetric<SecondMetric>();
    window.addCalibration<OnlyCalibration>();

    const auto* models = window.findChild<QComboBox*>("comboBox");
    const auto* metrics = window.findChild<QComboBox*>("comboBox_2");
    const auto* algorithms = window.findChild<QComboBox*>("comboBox_3");
    ASSERT_TRUE(models && metrics && algorithms);
    EXPECT_EQ(items(models), QStringList({"Model 1", "Model 2"}));
    EXPECT_EQ(items(metrics), QStringList({"First metric", "Second metric"}));
    EXPECT_EQ(items(algorithms), QStringList({"Only calibration"}));
    EXPECT_EQ(models->currentIndex(), 0);
    EXPECT_EQ(metrics->currentIndex(), 0);

    // The temporaries made to read the names are gone; exactly the first model is alive.
    EXPECT_EQ(CountedModel<1>::alive, 1);
    EXPECT_EQ(CountedModel<2>::alive, 0);
    EXPECT_EQ(window.currentSession().model()->name, "Model 1");
    EXPECT_EQ(window.currentSession().metric()->name, "First metric");
    EXPECT_EQ(window.currentSession().calibration()->name, "Only calibration");
}

TEST(Startup, SelectingAnotherItemReplacesTheComponent) {
    application();
    {
        VestraWindow window(nullptr);
        window.addSimulation<CountedModel<3>>();
        window.addSimulation<CountedModel<4>>();
        auto* models = window.findChild<QComboBox*>("comboBox");
        models->setCurrentIndex(1);
        EXPECT_EQ(CountedModel<3>::alive, 0);
        EXPECT_EQ(CountedModel<4>::alive, 1);
        // Choosing the current item again signals nothing and keeps the instance.
        const Simulation* before = window.currentSession().model();
        models->setCurrentIndex(1);
        EXPECT_EQ(window.currentSession().model(), before);
    }
    EXPECT_EQ(CountedModel<4>::alive, 0);
}

TEST(Startup, StandardRegistrationKnowsTheAnaParserFirst) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    ASSERT_EQ(registry.parsers.names.size(), 5u);
    EXPECT_EQ(registry.parsers.names[0], "ana");
    EXPECT_EQ(registry.parserFormats[0], "ana");
    auto parser = registry.parsers.create(0);
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->extension(), "ana");
}

TEST(Startup, ParserIsChosenByTheFileNamesOwnExtension) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    EXPECT_EQ(registry.parserIndexForPath("/data/run.v2/walk.ana"), 0);
    EXPECT_EQ(registry.parserIndexForPath("walk.ana"), 0);
    EXPECT_EQ(registry.parserIndexForPath("/data/run.ana/walk"), -1);
    EXPECT_EQ(registry.parserIndexForPath("/data/walk.txt"), 1);  // the first .txt reader
    EXPECT_EQ(registry.parserIndexForPath("/data/walk.doc"), -1);
    EXPECT_EQ(registry.parserIndexForPath("no-extension"), -1);
    EXPECT_EQ(registry.parserIndexForPath("walk.ANA"), -1);
}

TEST(Startup, TheStandardComponentsAppearInTheirFixedOrder) {
    application();
    VestraWindow window(nullptr);
    registerStandardComponents(window);
    EXPECT_EQ(items(window.findChild<QComboBox*>("comboBox")),
              QStringList({"Boids", "Helbing", "RVO2", "Vision", "Constant Velocity"}));
    EXPECT_EQ(items(window.findChild<QComboBox*>("comboBox_2")),
              QStringList({"Difference", "Inter-pedestrian distance", "Path Length",
                           "Progressive Difference", "Vorticity", "Average Displacement Error",
                           "Final Displacement Error", "Fundamental Diagram"}));
    EXPECT_EQ(items(window.findChild<QComboBox*>("comboBox_3")),
              QStringList({"Greedy", "Simulated Annealing", "Genetic", "GeneticGreedy",
                           "GeneticAnnealing", "CMA-ES", "BOBYQA", "Nelder-Mead"}));
    EXPECT_EQ(window.currentSession().model()->name, "Boids");
    EXPECT_EQ(window.currentSession().metric()->name, "Difference");
    EXPECT_EQ(window.currentSession().calibration()->name, "Greedy");
}
