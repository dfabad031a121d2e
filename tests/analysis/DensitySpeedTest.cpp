#include "analysis/DensitySpeed.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/CrowdFrames.h"
#include "tests/analysis/CrowdTestScenes.h"

namespace {

MeasurementArea area(const std::string& text) {
    std::string error;
    const auto parsed = MeasurementArea::fromText(text, error);
    EXPECT_TRUE(parsed) << error;
    return *parsed;
}

struct LatticeCase {
    const char* area;
    int insideAtStart;  // lattice points i·0.8 inside, counted by hand
};

class MovingLattice : public testing::TestWithParam<LatticeCase> {};

// A 7 × 7 lattice of spacing s = 0.8 m moving 0.5 m/s (0.03, 0.04 per 0.1 s frame). Every area
// lies within the square cells of the inner points on all eleven frames, so Σ |Vi ∩ A| / |Vi|
// is |A| / s²: Voronoi density 1/s² = 1.5625/m², Voronoi speed 0.5 m/s, specific flow
// 0.78125/(m·s), to the precision of Boost.Geometry's cuts.
TEST_P(MovingLattice, DensityAndSpeedAreExact) {
    const double s = 0.8;
    std::vector<CrowdTrack> tracks;
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 7; ++j) {
            tracks.push_back(walker(7 * i + j, 0, 11, i * s, j * s, 0.03, 0.04));
        }
    }
    const CrowdFrames crowd = crowdOf(tracks, 11, 0.1);
    const MeasurementArea measured = area(GetParam().area);
    DensitySpeed measurement;
    std::string error;
    ASSERT_TRUE(measurement.measure(crowd, measured, {}, error)) << error;
    ASSERT_EQ(measurement.frames().size(), 11u);
    EXPECT_EQ(measurement.frames()[0].inside, GetParam().insideAtStart);
    EXPECT_NEAR(measurement.frames()[0].classicDensity, GetParam().insideAtStart / measured.area(),
                1e-12);
    for (const DiagramPoint& point : measurement.fundamentalDiagram()) {
        EXPECT_NEAR(point.density, 1 / (s * s), geometryPrecision) << "frame " << point.frame;
        EXPECT_NEAR(point.speed, 0.5, geometryPrecision) << "frame " << point.frame;
        EXPECT_NEAR(point.flow, 0.5 / (s * s), geometryPrecision) << "frame " << point.frame;
    }
    EXPECT_EQ(measurement.fundamentalDiagram().size(), 11u);
}

// [1.2, 3.6]²: points 1.6, 2.4, 3.2 on each axis, 9. The triangle (1, 1), (4, 1), (2, 4) holds
// the points with x ≥ 1 + (y − 1)/3 and 3x + 2y ≤ 14: on y = 1.6, x = 1.6, 2.4, 3.2 (x ≤ 3.6);
// on y = 2.4, x = 1.6, 2.4 (x ≤ 3.07); on y = 3.2, x = 2.4 (1.73 ≤ x ≤ 2.53); 6.
INSTANTIATE_TEST_SUITE_P(Areas, MovingLattice,
                         testing::Values(LatticeCase{"1.2 1.2 3.6 1.2 3.6 3.6 1.2 3.6", 9},
                                         LatticeCase{"1 1 4 1 2 4", 6}));

TEST(DensitySpeed, APedestrianWithoutSpeedMovesAtTheOthersMean) {
    // The area is the whole walkable area, so the two cells fill it: density 2 / 8. Pedestrian
    // 1 is seen on frame 0 only; the other walks at 0.5 m/s, and so does the frame.
    DensitySpeedSettings settings;
    settings.walkable = area("-1 -1 3 -1 3 1 -1 1");
    const CrowdFrames crowd =
        crowdOf({walker(0, 0, 3, 0, -0.5, 0, 0.05), walker(1, 0, 1, 2, 0, 0, 0)}, 3, 0.1);
    DensitySpeed measurement;
    std::string error;
    ASSERT_TRUE(measurement.measure(crowd, *settings.walkable, settings, error)) << error;
    EXPECT_NEAR(measurement.frames()[0].voronoiDensity, 0.25, geometryPrecision);
    EXPECT_NEAR(measurement.frames()[0].voronoiSpeed, 0.5, geometryPrecision);
}

}  // namespace
