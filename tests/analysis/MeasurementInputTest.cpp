#include <gtest/gtest.h>

#include <string>

#include "analysis/CrowdFrames.h"
#include "analysis/DensitySpeed.h"
#include "analysis/MeasurementArea.h"
#include "analysis/MeasurementLine.h"
#include "tests/analysis/CrowdTestScenes.h"

namespace {

struct BadText {
    const char* text;
    bool isLine;
    const char* message;
};

void PrintTo(const BadText& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class RefusedText : public testing::TestWithParam<BadText> {};

TEST_P(RefusedText, SaysWhy) {
    std::string error;
    const bool built = GetParam().isLine
                           ? MeasurementLine::fromText(GetParam().text, error).has_value()
                           : MeasurementArea::fromText(GetParam().text, error).has_value();
    EXPECT_FALSE(built);
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Shapes, RefusedText,
                         testing::Values(BadText{"0 0 1 1", false, "at least three corners, not 2"},
                                         BadText{"0 0 2 2 2 0 0 2", false, "not simple"},
                                         BadText{"0 0 2 0 1 1 1 -1", false, "not simple"},
                                         BadText{"0 0 1 1 2 2", false, "encloses no area"},
                                         BadText{"0 0 1 0 1", false, "5 numbers"},
                                         BadText{"0 0 1 0 1 x", false, "\"x\" is not a number"},
                                         BadText{"1 2 1 2", true, "zero length"},
                                         BadText{"1 2 3", true, "four numbers"}));

struct BadMeasurement {
    const char* area;
    int cutoffSides;
    const char* message;
};

class RefusedMeasurement : public testing::TestWithParam<BadMeasurement> {};

// One pedestrian walks from (0, 0) to (2, 0): the walkable area is [−1, 3] × [−1, 1].
TEST_P(RefusedMeasurement, SaysWhy) {
    std::string error;
    const auto measured = MeasurementArea::fromText(GetParam().area, error);
    ASSERT_TRUE(measured) << error;
    DensitySpeedSettings settings;
    settings.voronoi.cutoffRadius = 1;
    settings.voronoi.cutoffSides = GetParam().cutoffSides;
    DensitySpeed measurement;
    EXPECT_FALSE(measurement.measure(crowdOf({walker(0, 0, 3, 0, 0, 1, 0)}, 3, 1), *measured,
                                     settings, error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Areas, RefusedMeasurement,
    testing::Values(BadMeasurement{"0 0 4 0 4 1", 12, "does not lie inside the walkable area"},
                    BadMeasurement{"0.5 0.5 0.9 0.5 0.9 0.9", 12, "nobody is inside"},
                    BadMeasurement{"0 -1 1 -1 1 1", 2, "at least 3 sides, not 2"}));

}  // namespace
