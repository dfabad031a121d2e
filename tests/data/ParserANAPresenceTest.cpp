#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Experiment.h"
#include "data/ParserANA.h"

namespace {

// Two pedestrians over three frames; the padding values of absent frames stay in the file.
const std::string twoPedestrians =
    "nped 2 nrow 3 time(s) 0 0.1 0.2\n"
    "center_1 0 0 1 0 2 0\nori_center_1 0 0 0\nspd_center_1 1 1 1\n"
    "center_2 9 9 5 5 6 5\nori_center_2 0 0 0\nspd_center_2 0 1 1\n";

}  // namespace

TEST(ParserANAPresence, PresentKeysLimitAPedestrianToTheirFrames) {
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(twoPedestrians + "present_2 1 2\n")) << parser.errorMessage();
    const Experiment experiment(parser);
    EXPECT_EQ(experiment.presentFirst, (std::vector<int>{0, 1}));
    EXPECT_EQ(experiment.presentLast, (std::vector<int>{2, 2}));
    EXPECT_EQ(experiment.sampleBase, (std::vector<std::ptrdiff_t>{0, 3}));  // plain layout
    EXPECT_TRUE(experiment.hasPartialPresence());
    EXPECT_EQ(experiment.posX[static_cast<size_t>(experiment.sampleIndex(1, 1))], 5.0f);
}

TEST(ParserANAPresence, FilesWithoutPresentKeysAreUnchanged) {
    ParserANA plain;
    ParserANA keyed;
    ASSERT_TRUE(plain.loadText(twoPedestrians));
    // A key for a pedestrian beyond nped is ignored like any unused key.
    ASSERT_TRUE(keyed.loadText(twoPedestrians + "present_3 0 0\n"));
    const Experiment a(plain);
    const Experiment b(keyed);
    EXPECT_FALSE(a.hasPartialPresence() || b.hasPartialPresence());
    EXPECT_EQ(a.presentLast, (std::vector<int>{2, 2}));
    EXPECT_EQ(a.posX, b.posX);
    EXPECT_EQ(a.velX, b.velX);
    EXPECT_EQ(a.sampleBase, b.sampleBase);
}

TEST(ParserANAPresence, BadPresentKeysAreRefused) {
    struct Case {
        const char* key;
        const char* message;
    } cases[] = {
        {"present_1 0", "The key \"present_1\" holds 1 values, but 2 are required"},
        {"present_1 0 2e1", "The key \"present_1\" holds \"2e1\", which is not a frame index."},
        {"present_1 0 1.5", "holds \"1.5\""},
        {"present_2 2 1",
         "gives frames 2 to 1, but they must satisfy 0 <= first <= last < nrow (3)."},
        {"present_2 -1 1", "gives frames -1 to 1"},
        {"present_2 0 3", "gives frames 0 to 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ParserANA parser;
        EXPECT_FALSE(parser.loadText(twoPedestrians + c.key + "\n"));
        EXPECT_NE(parser.errorMessage().find(c.message), std::string::npos)
            << parser.errorMessage();
        const Experiment experiment(parser);
        EXPECT_EQ(experiment.pedestrianCount, 0);
        EXPECT_TRUE(experiment.presentFirst.empty());
    }
}
