#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/NumberText.h"
#include "core/Random.h"
#include "data/AnaWriter.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "data/PolarVelocity.h"
#include "tests/support/ScratchFolder.h"

namespace {

float randomIn(float low, float high) {
    return low + (high - low) * static_cast<float>(Random::draw()) / Random::maxDraw;
}

}  // namespace

TEST(PolarVelocity, ADirectionAndSpeedAreFoundForEveryVelocity) {
    // Most velocities give back their pair exactly; near the axes the direction's last bits
    // are lost in the cosine and sine, and the velocity comes back to within two units in the
    // last places of its larger component.
    Random::seed(11);
    for (int i = 0; i < 2000; ++i) {
        float vx = 0.0f;
        float vy = 0.0f;
        PolarVelocity::toVelocity(randomIn(-3.2f, 3.2f), randomIn(0.0f, 3.0f), vx, vy);
        float theta = 0.0f;
        float speed = 0.0f;
        PolarVelocity::fromVelocity(vx, vy, theta, speed);
        float x = 0.0f;
        float y = 0.0f;
        PolarVelocity::toVelocity(theta, speed, x, y);
        const float size = std::max(std::fabs(vx), std::fabs(vy));
        const float unit = std::nextafter(size, 2 * size) - size;
        ASSERT_LE(std::fabs(x - vx), 2 * unit) << i;
        ASSERT_LE(std::fabs(y - vy), 2 * unit) << i;
    }
}

TEST(AnaWriter, AWrittenExperimentReadsBackBitForBit) {
    // Directions with every bit used, small ones among them, as a recording's velocities have.
    Random::seed(5);
    std::string text =
        "nped 3\nnobs 1\nnrow 6\ntime(s) 0 0.04 0.08 0.12 0.16 0.2\n"
        "obstacles 0.1 -0.333333343 7.25 1e-07\n";
    for (int p = 1; p <= 3; ++p) {
        std::string center, direction, speed;
        for (int k = 0; k < 6; ++k) {
            center += NumberText::format(" %.9g %.9g", randomIn(-50, 50), randomIn(-50, 50));
            const float theta = randomIn(-3.2f, 3.2f) * (k % 2 ? 1e-4f : 1.0f);
            direction += NumberText::format(" %.9g", theta);
            speed += NumberText::format(" %.9g", randomIn(0, 2));
        }
        text += NumberText::format("center_%d%s\nori_center_%d%s\nspd_center_%d%s\n", p,
                                   center.c_str(), p, direction.c_str(), p, speed.c_str());
    }
    ParserANA source;
    ASSERT_TRUE(source.loadText(text)) << source.errorMessage();
    const Experiment written(source);

    ScratchFolder folder;
    std::string error;
    ASSERT_TRUE(writeAna(written, folder.file("out.ana"), error)) << error;
    ParserANA parser;
    ASSERT_TRUE(parser.load(folder.file("out.ana"))) << parser.errorMessage();
    const Experiment read(parser);
    EXPECT_EQ(read.pedestrianCount, 3);
    EXPECT_EQ(read.posX, written.posX);
    EXPECT_EQ(read.posY, written.posY);
    EXPECT_EQ(read.velX, written.velX);
    EXPECT_EQ(read.velY, written.velY);
    EXPECT_EQ(read.times, written.times);
    EXPECT_EQ(read.obstacles, written.obstacles);
}

TEST(AnaWriter, KnowsTheSizeOfAFileBeforeWritingIt) {
    // The padded layout repeats values outside each presence; the size is counted without
    // writing them, and must come out as the bytes written.
    for (const char* name : {"corridor-presence.ana", "bottleneck.ana"}) {
        SCOPED_TRACE(name);
        ParserANA source;
        ASSERT_TRUE(source.load(std::string(VESTRA_EXAMPLES_DIR) + "/" + name));
        const Experiment experiment(source);
        ScratchFolder folder;
        std::string error;
        ASSERT_TRUE(writeAna(experiment, folder.file("out.ana"), error)) << error;
        EXPECT_EQ(readFile(folder.file("out.ana")).size(), anaFileSize(experiment));
    }
}
