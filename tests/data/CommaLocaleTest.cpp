#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calibration/Genetic.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "models/Dummy.h"
#include "models/SimulationBoids.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/RecordSetUp.h"
#include "tests/support/ScratchFolder.h"

namespace {

// One pedestrian over three frames and one wall; every number has a fractional part.
const char* const scene =
    "nped 1\nnobs 1\nnrow 3\n"
    "time(s) 0 0.5 1.25\n"
    "center_1 0.5 1.5 0.75 2.25 1 3\n"
    "ori_center_1 0 0 0\n"
    "spd_center_1 0.5 0.5 0.5\n"
    "obstacles 0.25 0 0.25 1.5\n";

// Files and texts are read and written with "." while the process runs in a locale whose decimal
// point is a comma.
class CommaLocaleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(locale.active)
            << "no comma-decimal locale; tools/install-deps.sh generates de_DE.UTF-8";
        // The C library itself now misreads decimals, so the checks below mean something.
        ASSERT_EQ(std::atof("0.5"), 0.0);
        ParserANA parser;
        ASSERT_TRUE(parser.loadText(scene));
        experiment = std::make_unique<Experiment>(parser);
    }

    CommaLocale locale;
    ScratchFolder folder;
    std::unique_ptr<Experiment> experiment;
};

TEST_F(CommaLocaleTest, AnaValuesKeepTheirFractions) {
    EXPECT_EQ(experiment->times, (std::vector<float>{0.0f, 0.5f, 1.25f}));
    EXPECT_EQ(experiment->posX, (std::vector<float>{0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(experiment->posY, (std::vector<float>{1.5f, 2.25f, 3.0f}));
    EXPECT_EQ(experiment->velX[0], 0.5f);
    EXPECT_EQ(experiment->obstacles[0].x1, 0.25f);
    EXPECT_EQ(experiment->obstacles[0].y2, 1.5f);
}

TEST_F(CommaLocaleTest, ParameterTextsParseAndPrintWithAPoint) {
    SimulationBoids model;
    ASSERT_TRUE(model.setParameter("Speed", "0.3 0.9 NORMAL 0.6 0.1"));
    const PDF& speed = model.parameterDistributions()[1];
    EXPECT_EQ(speed.min, 0.3f);
    EXPECT_EQ(speed.max, 0.9f);
    EXPECT_EQ(speed.kind, PDF::NORMAL);
    EXPECT_EQ(speed.mean, 0.6f);
    EXPECT_EQ(speed.deviation, 0.1f);
    EXPECT_EQ(model.getParameter("Speed"), "0.3 0.9 NORMAL 0.6 0.1");

    Genetic genetic;
    ASSERT_TRUE(genetic.setParameter("a", "0.25"));
    EXPECT_EQ(genetic.a, 0.25f);
    EXPECT_EQ(genetic.getParameter("a"), "0.25");
    EXPECT_TRUE(genetic.acceptsParameterText("a", "0.25"));
    EXPECT_FALSE(genetic.acceptsParameterText("a", "0,25"));
}

TEST_F(CommaLocaleTest, ParameterFileBytesAndRoundTrip) {
    SimulationBoids model;
    Record record;
    bindAndPrepare(record, experiment.get(), &model);
    // 0.1f is 0x1.99999a × 2^-4 (24-bit mantissa rounded up); 0.5 is 2^-1.
    record.parameterMatrix[0] = 0.1f;
    record.parameterMatrix[1] = 0.5f;
    const std::string path = folder.file("comma.prm");
    ASSERT_TRUE(record.saveParameters(path)) << record.lastError();
    EXPECT_EQ(readFile(path),
              "#--PARAMETERS--\n\n%parameter_0\n    0x1.99999ap-4\n%parameter_1\n    0x1p-1\n");

    record.parameterMatrix[0] = 7.0f;
    record.parameterMatrix[1] = 7.0f;
    ASSERT_TRUE(record.loadParameters(path)) << record.lastError();
    EXPECT_EQ(record.parameterMatrix[0], 0.1f);
    EXPECT_EQ(record.parameterMatrix[1], 0.5f);

    const std::string decimal = folder.write("decimal.prm", "%parameter_0 0.75 %parameter_1 1.25");
    ASSERT_TRUE(record.loadParameters(decimal)) << record.lastError();
    EXPECT_EQ(record.parameterMatrix[0], 0.75f);
    EXPECT_EQ(record.parameterMatrix[1], 1.25f);
}

TEST_F(CommaLocaleTest, StatisticsFileBytes) {
    SimulationGeneric<Dummy> walker;
    Record record;
    bindAndPrepare(record, experiment.get(), &walker);
    record.run();
    const std::string path = folder.file("stats.sey");
    ASSERT_TRUE(record.writeStatistics(path)) << record.lastError();
    const std::string text = readFile(path);
    // Header (one wall, second frame time), the wall × 100, the first simulated sample × 100.
    EXPECT_EQ(text.rfind("1 0.500000\n"
                         "25.000000 0.000000 25.000000 150.000000\n"
                         "1 0 50.000000 150.000000 175.0\n",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.find(','), std::string::npos) << text;
}

}  // namespace
