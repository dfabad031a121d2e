#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/TrajectoryBuilder.h"

namespace {

// A row: id, frame (or time), x, y; lines are numbered in the order the rows are given.
struct Row {
    std::int64_t id;
    double stamp;
    float x, y;
};

struct Built {
    bool ok = false;
    TrajectoryTable table;
    std::string error;
    std::vector<std::string> notes;

    // Positions of pedestrian p over its present frames.
    std::vector<float> xs(int p) const {
        const size_t first = static_cast<size_t>(table.sampleBase[p] + table.presentFirst[p]);
        const size_t n = static_cast<size_t>(table.presentLast[p] - table.presentFirst[p] + 1);
        return std::vector<float>(table.posX.begin() + first, table.posX.begin() + first + n);
    }
    std::vector<float> vxs(int p) const {
        const size_t first = static_cast<size_t>(table.sampleBase[p] + table.presentFirst[p]);
        const size_t n = static_cast<size_t>(table.presentLast[p] - table.presentFirst[p] + 1);
        return std::vector<float>(table.velX.begin() + first, table.velX.begin() + first + n);
    }
    bool noted(const std::string& fragment) const {
        for (const std::string& note : notes) {
            if (note.find(fragment) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

Built build(const std::vector<Row>& given, ReadingOptions options, RecordingFacts facts = {}) {
    std::vector<TrajectoryRow> rows;
    for (const Row& r : given) {
        TrajectoryRow row;
        row.id = r.id;
        row.stamp = r.stamp;
        row.x = r.x;
        row.y = r.y;
        row.line = static_cast<std::uint32_t>(rows.size() + 1);
        rows.push_back(row);
    }
    Built built;
    built.ok = TrajectoryBuilder(options, facts).build(rows, built.table, built.error, built.notes);
    return built;
}

ReadingOptions atFps(double fps) {
    ReadingOptions options;
    options.framesPerSecond = fps;
    return options;
}

void expectNear(const std::vector<float>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << "at " << i;
    }
}

}  // namespace

TEST(TrajectoryBuilder, VelocitiesAreCentralInsideAndOneSidedAtTheEnds) {
    // 10 frames per second: x = 0, 1, 3 at t = 0, 0.1, 0.2, so v = 1/0.1, 3/0.2, 2/0.1.
    const Built b = build({{1, 0, 0, 0}, {1, 1, 1, 0}, {1, 2, 3, 0}}, atFps(10));
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(b.table.frameCount, 3);
    expectNear(b.table.times, {0.0, 0.1, 0.2});
    expectNear(b.vxs(0), {10, 15, 20});
}

TEST(TrajectoryBuilder, LengthsAreConvertedByTheOptionsUnitBeforeTheFiles) {
    RecordingFacts facts;
    facts.metresPerUnit = 0.001;
    ReadingOptions options = atFps(10);
    options.metresPerUnit = 0.01;  // 100 cm and 300 cm, 0.1 s apart: 1 m, 3 m, 20 m/s
    const Built b = build({{1, 0, 100, 0}, {1, 1, 300, 0}}, options, facts);
    ASSERT_TRUE(b.ok) << b.error;
    expectNear(b.xs(0), {1, 3});
    expectNear(b.vxs(0), {20, 20});
    EXPECT_EQ(b.table.metresPerUnit, 0.01);
    const Built stated = build({{1, 0, 100, 0}, {1, 1, 300, 0}}, atFps(10), facts);
    expectNear(stated.xs(0), {0.1, 0.3});
}

TEST(TrajectoryBuilder, StrideAndWindowKeepTheirFrames) {
    std::vector<Row> rows;
    for (int k = 0; k <= 6; ++k) {
        rows.push_back({1, static_cast<double>(k), static_cast<float>(k), 0});
    }
    ReadingOptions options = atFps(10);
    options.stride = 2;  // frames 0, 2, 4, 6
    Built b = build(rows, options);
    ASSERT_TRUE(b.ok) << b.error;
    expectNear(b.table.times, {0, 0.2, 0.4, 0.6});
    expectNear(b.vxs(0), {10, 10, 10, 10});
    options.from = 0.1;  // frames 1, 3, 5: the window's first row starts the grid and the clock
    options.to = 0.5;
    b = build(rows, options);
    ASSERT_TRUE(b.ok) << b.error;
    expectNear(b.table.times, {0, 0.2, 0.4});
    expectNear(b.xs(0), {1, 3, 5});
}

TEST(TrajectoryBuilder, FramesStepByTheSmallestStepOfOnePedestrian) {
    // Steps of 10 at 25 frames per second; id 2's row at frame 35 is off the grid and dropped.
    const Built b = build(
        {{1, 0, 0, 0}, {1, 10, 1, 0}, {1, 20, 2, 0}, {2, 10, 5, 0}, {2, 20, 6, 0}, {2, 35, 9, 0}},
        atFps(25));
    ASSERT_TRUE(b.ok) << b.error;
    expectNear(b.table.times, {0, 0.4, 0.8});
    EXPECT_EQ(b.table.presentFirst, (std::vector<int>{0, 1}));
    EXPECT_EQ(b.table.presentLast, (std::vector<int>{2, 2}));
    expectNear(b.vxs(0), {2.5, 2.5, 2.5});  // 1 per 0.4 s
    EXPECT_TRUE(b.noted("Dropped 1 rows")) << testing::PrintToString(b.notes);
}

TEST(TrajectoryBuilder, ShortGapsAreFilledAndLongOnesStartANewPedestrian) {
    ReadingOptions options = atFps(10);
    options.maxGap = 0.3;
    // Id 1: frames 0 1 4 5, a gap of 0.3 s filled on the line from x 1 to 4.
    // Id 2: frames 0 1 6 7, a gap of 0.5 s: frames 6 and 7 become a pedestrian of their own.
    const Built b = build({{1, 0, 0, 0},
                           {1, 1, 1, 0},
                           {1, 4, 4, 0},
                           {1, 5, 5, 0},
                           {2, 0, 0, 1},
                           {2, 1, 1, 1},
                           {2, 6, 6, 1},
                           {2, 7, 7, 1}},
                          options);
    ASSERT_TRUE(b.ok) << b.error;
    ASSERT_EQ(b.table.pedestrianCount, 3);
    expectNear(b.xs(0), {0, 1, 2, 3, 4, 5});
    expectNear(b.xs(1), {0, 1});
    expectNear(b.xs(2), {6, 7});
    EXPECT_EQ(b.table.presentFirst, (std::vector<int>{0, 0, 6}));
    EXPECT_EQ(b.table.posX.size(), 10u);  // 6 + 2 + 2 samples present
    EXPECT_TRUE(b.noted("Filled tracking gaps of at most 0.3 s"));
    EXPECT_TRUE(b.noted("Split tracks at gaps longer than"));
}

TEST(TrajectoryBuilder, PedestriansAreNumberedByFirstFrameThenIdWhateverTheRowOrder) {
    const Built b = build({{5, 3, 50, 0},
                           {4, 1, 40, 0},
                           {9, 0, 90, 0},
                           {5, 2, 50, 0},
                           {4, 0, 40, 0},
                           {9, 1, 90, 0},
                           {7, 1, 70, 0},
                           {7, 2, 70, 0}},
                          atFps(1));
    ASSERT_TRUE(b.ok) << b.error;
    ASSERT_EQ(b.table.pedestrianCount, 4);
    // First frames: id 4 and 9 at 0, id 7 at 1, id 5 at 2.
    for (const auto& [p, x] :
         std::vector<std::pair<int, float>>{{0, 40}, {1, 90}, {2, 70}, {3, 50}}) {
        EXPECT_EQ(b.xs(p).front(), x) << p;
    }
    EXPECT_EQ(b.table.sampleBase, (std::vector<std::ptrdiff_t>{0, 2, 3, 4}));
}

TEST(TrajectoryBuilder, SingleRowsAreSkippedWithANoteAndTakeNoFrames) {
    const Built b = build({{1, 1, 0, 0}, {1, 2, 1, 0}, {2, 0, 5, 5}}, atFps(1));
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(b.table.pedestrianCount, 1);
    EXPECT_EQ(b.table.times, (std::vector<float>{0, 1}));  // frames 1 and 2, from the first
    EXPECT_TRUE(b.noted("Skipped pedestrians with a single row")) << b.notes.back();
    EXPECT_TRUE(b.noted("id 2 (line 3)"));
}

TEST(TrajectoryBuilder, RepeatedRowsAreToleratedAndContradictingOnesRefused) {
    EXPECT_TRUE(build({{1, 0, 0, 0}, {1, 1, 1, 0}, {1, 0, 0, 0}}, atFps(1)).ok);
    const Built b = build({{1, 0, 0, 0}, {1, 1, 1, 0}, {1, 0, 0.5f, 0}}, atFps(1));
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.error, "Lines 1 and 3 place pedestrian 1 at two different positions at frame 0.");
}

TEST(TrajectoryBuilder, TimeStampsNeedNoFrameRateAndTolerateRounding) {
    RecordingFacts facts;
    facts.stampsAreSeconds = true;
    // A 30 Hz recording written with four decimals: the span of 0.1 s holds three frames.
    const Built b = build({{1, 0, 0, 0}, {1, 0.0333, 1, 0}, {1, 0.0667, 2, 0}, {1, 0.1, 3, 0}},
                          ReadingOptions(), facts);
    ASSERT_TRUE(b.ok) << b.error;
    expectNear(b.table.times, {0, 1 / 30.0, 2 / 30.0, 0.1});
    expectNear(b.vxs(0), {30, 30, 30, 30});
}

TEST(TrajectoryBuilder, RefusalsSayWhatToDo) {
    ReadingOptions backwards = atFps(1);
    backwards.from = 2;
    backwards.to = 1;
    ReadingOptions noStride = atFps(1);
    noStride.stride = 0;
    ReadingOptions late = atFps(1);
    late.from = 100;
    const std::vector<Row> two = {{1, 0, 0, 0}, {1, 1, 1, 0}};
    struct Case {
        std::vector<Row> rows;
        ReadingOptions options;
        const char* fragment;
    } cases[] = {
        {two, ReadingOptions(), "give it with --fps"},
        {{{1, 0, 0, 0}, {1, 10, 1, 0}}, ReadingOptions(), "step by 10"},
        {two, backwards, "starts (2 s) after it ends (1 s)"},
        {two, noStride, "stride must be"},
        {two, late, "recording runs from 0 s to 1 s"},
        {{}, atFps(1), "no trajectory rows"},
        {{{1, 0, 0, 0}, {2, 1, 0, 0}}, atFps(1), "No pedestrian has rows on two frames"},
        {{{1, 0, 0, 0}, {1, 1, 0, 0}, {2, 4e12, 0, 0}, {2, 4e12 + 1, 0, 0}},
         atFps(1),
         "read fewer with --stride or a time window with --from/--to"},
        {{{1, 0, 0, 0}, {1, 1, 0, 0}, {2, 2e6, 0, 0}, {2, 2e6 + 1, 0, 0}},
         atFps(1),
         "spans 2000002 frames, but its pedestrians are present on only 4 samples"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment);
        const Built b = build(c.rows, c.options);
        EXPECT_FALSE(b.ok);
        EXPECT_NE(b.error.find(c.fragment), std::string::npos) << b.error;
        EXPECT_EQ(b.table.pedestrianCount, 0);
        EXPECT_TRUE(b.table.posX.empty());
    }
}

TEST(TrajectoryBuilder, AnImplausibleSpeedSuggestsTheUnit) {
    // 150 units per second: centimetres read as metres.
    const Built b = build({{1, 0, 0, 0}, {1, 1, 150, 0}}, atFps(1));
    ASSERT_TRUE(b.ok);
    EXPECT_TRUE(b.noted("median walking speed is 150 m/s")) << testing::PrintToString(b.notes);
    EXPECT_TRUE(b.noted("--unit"));
    EXPECT_FALSE(build({{1, 0, 0, 0}, {1, 1, 1.5, 0}}, atFps(1)).noted("--unit"));
}
