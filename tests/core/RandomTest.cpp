#include <gtest/gtest.h>

#include "core/Random.h"

// The first draws after seeding, computed independently from
// next = next * 1103515245 + 12345 (mod 2^32), draw = (next / 65536) mod 32768.
TEST(Random, SeededSequenceIsTheClassicFifteenBitGenerator) {
    Random::seed(1);
    EXPECT_EQ(Random::draw(), 16838);
    EXPECT_EQ(Random::draw(), 5758);
    EXPECT_EQ(Random::draw(), 10113);
    Random::seed(42);
    EXPECT_EQ(Random::draw(), 19081);
    EXPECT_EQ(Random::draw(), 17033);
    EXPECT_EQ(Random::draw(), 15269);
}

TEST(Random, DrawsStayWithinFifteenBits) {
    Random::seed(7);
    int lowest = Random::maxDraw;
    int highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int d = Random::draw();
        lowest = std::min(lowest, d);
        highest = std::max(highest, d);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, Random::maxDraw);
}

TEST(Random, IndexAndChanceUseOneDrawEach) {
    Random::seed(1);
    EXPECT_EQ(randomIndex(10), 16838 % 10);
    EXPECT_EQ(randomIndex(1000), 5758 % 1000);
    // 10113 <= 0.5 * 32767 = 16383.5, so chance(0.5) is true on the third draw.
    EXPECT_TRUE(chance(0.5f));
    Random::seed(1);
    EXPECT_FALSE(chance(0.5f));  // 16838 > 16383.5
    EXPECT_TRUE(chance(1.0f));
    EXPECT_TRUE(chance(2.0f));
}
