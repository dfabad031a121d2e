#include "analysis/LineCrossings.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/CrowdFrames.h"
#include "analysis/MeasurementLine.h"
#include "tests/analysis/CrowdTestScenes.h"

namespace {

// The line x = 0 from (0, −5) up to (0, 5): its left is x < 0. Frames are 0.25 s apart.
TEST(LineCrossings, CountsEachCrossingWithItsFrameAndDirection) {
    std::string error;
    const auto line = MeasurementLine::fromText("0 -5 0 5", error);
    CrowdTrack backAndForth{4, 10, {-0.5, 0.5, -0.5}, {0, 0, 0}};
    const CrowdFrames crowd = crowdOf({walker(0, 0, 12, -2, 0, 0.5, 0),     // x = 0 on 4: 5
                                       walker(1, 3, 10, -1.1, 2, 0.2, 0),   // −0.1 on 8: 9
                                       walker(2, 0, 16, 3, -1, -0.4, 0),    // 0.2 on 7: 8
                                       walker(3, 0, 10, -2, 7, 0.5, 0),     // beyond the end
                                       backAndForth,                        // 11 and 12
                                       walker(5, 0, 16, -3, -4, 0.25, 0)},  // x = 0 on 12: 13
                                      16, 0.25);
    const LineCrossings crossings(crowd, *line);
    struct Expected {
        int id, frame;
        CrossingDirection direction;
    };
    const Expected expected[] = {
        {0, 5, CrossingDirection::LeftToRight},  {2, 8, CrossingDirection::RightToLeft},
        {1, 9, CrossingDirection::LeftToRight},  {4, 11, CrossingDirection::LeftToRight},
        {4, 12, CrossingDirection::RightToLeft}, {5, 13, CrossingDirection::LeftToRight}};
    ASSERT_EQ(crossings.all().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(crossings.all()[i].id, expected[i].id) << i;
        EXPECT_EQ(crossings.all()[i].frame, expected[i].frame) << i;
        EXPECT_EQ(crossings.all()[i].time, 0.25 * expected[i].frame) << i;
        EXPECT_EQ(crossings.all()[i].direction, expected[i].direction) << i;
    }
    // Left to right: 4 crossings from 1.25 s to 3.25 s; right to left: 2 from 2 s to 3 s.
    EXPECT_DOUBLE_EQ(*crossings.flow(CrossingDirection::LeftToRight), 3 / 2.0);
    EXPECT_DOUBLE_EQ(*crossings.flow(CrossingDirection::RightToLeft), 1 / 1.0);
    EXPECT_FALSE(LineCrossings(crowdOf({backAndForth}, 16, 0.25), *line)
                     .flow(CrossingDirection::LeftToRight));
}

}  // namespace
