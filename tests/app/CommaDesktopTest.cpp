#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <clocale>
#include <memory>
#include <string>

#include "app/StandardComponents.h"
#include "app/Vestra.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "metrics/Difference.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/PinLoadedLibraries.h"
#include "ui/VestraWindow.h"

// The desktop program started on a German desktop: the application object is created exactly
// as the program creates it, under LANG=de_DE.UTF-8.
namespace {

Vestra* program = nullptr;

// Difference of Boids on the example, computed by the library alone in the "C" locale.
float scoreInCLocale(const std::string& path) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    ParserANA parser;
    EXPECT_TRUE(parser.load(path));
    Experiment experiment(parser);
    SimulationGeneric<Dummy> reference;
    SimulationBoids model;
    Difference metric;
    Record record;
    record.build(&experiment, &reference, &model);
    record.rebuildIndex();
    const float score = evaluateModel(record, reference, metric);
    std::setlocale(LC_ALL, previous.c_str());
    return score;
}

}  // namespace

TEST(CommaDesktop, NumbersStayInTheCLocaleAndTheScoreMatches) {
    // The user's locale is in force for everything but numbers.
    const std::string ctype = std::setlocale(LC_CTYPE, nullptr);
    EXPECT_EQ(ctype.rfind("de_DE", 0), 0u) << ctype;
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

    const std::string path = std::string(VESTRA_EXAMPLES_DIR) + "/crossing-flows.ana";
    VestraWindow& window = program->window();
    ASSERT_TRUE(window.loadExperimentFile(QString::fromStdString(path)));
    EXPECT_EQ(window.currentSession().experiment()->times[1], 0.1f);
    QTest::mouseClick(window.findChild<QPushButton*>("pushButton_15"), Qt::LeftButton);  // Load
    QTest::mouseClick(window.findChild<QPushButton*>("pushButton_4"), Qt::LeftButton);   // Evaluate
    EXPECT_EQ(window.findChild<QLabel*>("label_9")->text(),
              QString::number(scoreInCLocale(path), 'g', 6));
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--gtest_list_tests") {
            testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    }
    setenv("LANG", "de_DE.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_NUMERIC");
    int result = 0;
    {
        auto vestra = std::make_unique<Vestra>(argc, argv);
        registerStandardComponents(vestra->window());
        vestra->window().show();
        program = vestra.get();
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
        program = nullptr;
        // Before the application unloads its plugins.
        pinLoadedLibraries();
    }
    return result;
}
