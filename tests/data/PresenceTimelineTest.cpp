#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/Experiment.h"
#include "data/PresenceTimeline.h"
#include "tests/support/ExperimentTable.h"

namespace {

std::vector<int> members(PresenceTimeline::Group group) {
    return std::vector<int>(group.begin(), group.end());
}

}  // namespace

TEST(PresenceTimeline, GroupsThePedestriansByTheFrameTheyEnterAndLeave) {
    // Windows (first, last): 0 (2, 4), 1 (0, 1), 2 (2, 2), 3 (0, 5) over frames 0 to 4, so
    // pedestrian 3 leaves after the last frame and belongs to no frame's leavers.
    ExperimentTable table;
    for (const auto& window : std::vector<std::pair<int, int>>{{2, 4}, {0, 1}, {2, 2}, {0, 5}}) {
        table.addPresence(window.first, std::vector<std::pair<float, float>>(
                                            window.second - window.first + 1, {0.0f, 0.0f}));
    }
    table.frameCount = 5;
    const auto experiment = makeExperiment(table);
    const PresenceTimeline timeline(*experiment, 4);
    const std::vector<std::vector<int>> entering = {{1, 3}, {}, {0, 2}, {}, {}};
    const std::vector<std::vector<int>> leaving = {{}, {1}, {2}, {}, {0}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(members(timeline.entering(k)), entering[k]) << "frame " << k;
        EXPECT_EQ(members(timeline.leaving(k)), leaving[k]) << "frame " << k;
    }
    EXPECT_EQ(timeline.byEntry(), (std::vector<int>{1, 3, 0, 2}));
    EXPECT_TRUE(members(timeline.entering(5)).empty());
    EXPECT_TRUE(members(timeline.leaving(-1)).empty());
    // Only the first two pedestrians asked for.
    EXPECT_EQ(PresenceTimeline(*experiment, 2).byEntry(), (std::vector<int>{1, 0}));
}
