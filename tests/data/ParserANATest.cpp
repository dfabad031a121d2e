#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/Experiment.h"
#include "data/ExperimentData.h"
#include "data/ParserANA.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Helpers

// A complete file of two pedestrians, two frames and one obstacle, one key per line. Each test
// of a bad file changes exactly one line of it.
struct AnaFile {
    std::string nped = "nped 2";
    std::string nobs = "nobs 1";
    std::string nrow = "nrow 2";
    std::string center1 = "center_1 0 0 1 1";
    std::string center2 = "center_2 5 5 4 4";
    std::string ori1 = "ori_center_1 0 0";
    std::string ori2 = "ori_center_2 3.1415927 3.1415927";
    std::string spd1 = "spd_center_1 1 1";
    std::string spd2 = "spd_center_2 1 1";
    std::string time = "time(s) 0 0.1";
    std::string obstacles = "obstacles 0 -1 10 -1";

    std::string text() const {
        std::string out;
        for (const std::string* line : {&nped, &nobs, &nrow, &center1, &center2, &ori1, &ori2,
                                        &spd1, &spd2, &time, &obstacles}) {
            out += *line + "\n";
        }
        return out;
    }
};

// True when `key` occurs in `message` as a whole word, so that "center_1" is not found inside
// "ori_center_1" or "center_12".
bool namesKey(const std::string& message, const std::string& key) {
    const auto isKeyChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '(' || c == ')';
    };
    for (size_t at = message.find(key); at != std::string::npos; at = message.find(key, at + 1)) {
        const bool startsWord = at == 0 || !isKeyChar(message[at - 1]);
        const size_t end = at + key.size();
        const bool endsWord = end == message.size() || !isKeyChar(message[end]);
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

testing::AssertionResult mentions(const std::string& message, const std::string& key,
                                  const std::string& problem) {
    if (!namesKey(message, key)) {
        return testing::AssertionFailure() << "\"" << message << "\" does not name " << key;
    }
    if (message.find(problem) == std::string::npos) {
        return testing::AssertionFailure() << "\"" << message << "\" does not say " << problem;
    }
    return testing::AssertionSuccess();
}

void expectEmpty(const Experiment& experiment) {
    EXPECT_EQ(experiment.pedestrianCount, 0);
    EXPECT_EQ(experiment.obstacles.size(), 0u);
    EXPECT_EQ(experiment.frameCount, 0);
    EXPECT_TRUE(experiment.posX.empty());
    EXPECT_TRUE(experiment.posY.empty());
    EXPECT_TRUE(experiment.velX.empty());
    EXPECT_TRUE(experiment.velY.empty());
    EXPECT_TRUE(experiment.times.empty());
    EXPECT_TRUE(experiment.obstacles.empty());
    EXPECT_TRUE(experiment.timeDriven);
    EXPECT_TRUE(experiment.waypointCount.empty());
}

void expectConsistentSizes(const Experiment& experiment) {
    const size_t samples = static_cast<size_t>(experiment.pedestrianCount) *
                           static_cast<size_t>(experiment.frameCount);
    EXPECT_EQ(experiment.posX.size(), samples);
    EXPECT_EQ(experiment.posY.size(), samples);
    EXPECT_EQ(experiment.velX.size(), samples);
    EXPECT_EQ(experiment.velY.size(), samples);
    EXPECT_EQ(experiment.times.size(), static_cast<size_t>(experiment.frameCount));
    // An ANA file is always time-driven and has no waypoints.
    EXPECT_TRUE(experiment.timeDriven);
    EXPECT_TRUE(experiment.waypointCount.empty());
    EXPECT_TRUE(experiment.waypointX.empty());
    EXPECT_TRUE(experiment.waypointY.empty());
    EXPECT_TRUE(experiment.waypointRadius.empty());
}

// A file under the test temporary directory, removed when the test ends.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& content) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = std::string("vestra_") + info->test_suite_name() + "_" + info->name();
        for (char& c : stem) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        // The process id keeps concurrent runs of the same test from sharing a file.
        path = testing::TempDir() + stem + "_" + std::to_string(::getpid()) + ".ana";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    ~TemporaryFile() { std::remove(path.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::string path;
};

// ---------------------------------------------------------------------------------------------
// Accepted files

TEST(ParserANA, ReadsAMinimalFile) {
    ParserANA parser;
    EXPECT_EQ(parser.extension(), "ana");
    ASSERT_TRUE(
        parser.loadText("nped 1 nrow 2 center_1 0 0 1 1 ori_center_1 0 0 "
                        "spd_center_1 2 2 time(s) 0 0.1"))
        << parser.errorMessage();
    EXPECT_TRUE(parser.errorMessage().empty());
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 1);
    EXPECT_EQ(experiment.frameCount, 2);
    EXPECT_EQ(experiment.obstacles.size(), 0u);
    expectConsistentSizes(experiment);
    EXPECT_EQ(experiment.posX, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(experiment.posY, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(experiment.velX, (std::vector<float>{2.0f, 2.0f}));
    EXPECT_EQ(experiment.velY, (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(experiment.times, (std::vector<float>{0.0f, 0.1f}));
}

TEST(ParserANA, ArraysArePedestrianMajor) {
    // Every position value is 100 p + 10 k + (1 for x, 2 for y) for pedestrian number p
    // and frame k, so a misplaced sample shows at once.
    ParserANA parser;
    ASSERT_TRUE(
        parser.loadText("nped 3\nnrow 4\n"
                        "center_1 101 102 111 112 121 122 131 132\n"
                        "center_2 201 202 211 212 221 222 231 232\n"
                        "center_3 301 302 311 312 321 322 331 332\n"
                        "ori_center_1 0 0 0 0\nori_center_2 0 0 0 0\nori_center_3 0 0 0 0\n"
                        "spd_center_1 1 2 3 4\nspd_center_2 5 6 7 8\n"
                        "spd_center_3 9 10 11 12\n"
                        "time(s) 0 0.5 1 1.5\n"))
        << parser.errorMessage();
    Experiment experiment(parser);
    ASSERT_EQ(experiment.pedestrianCount, 3);
    ASSERT_EQ(experiment.frameCount, 4);
    expectConsistentSizes(experiment);
    for (int p = 0; p < 3; ++p) {
        for (int k = 0; k < 4; ++k) {
            const size_t i = static_cast<size_t>(p * 4 + k);
            EXPECT_EQ(experiment.sampleIndex(p, k), p * 4 + k);
            EXPECT_EQ(experiment.posX[i], static_cast<float>(100 * (p + 1) + 10 * k + 1));
            EXPECT_EQ(experiment.posY[i], static_cast<float>(100 * (p + 1) + 10 * k + 2));
            EXPECT_EQ(experiment.velX[i], static_cast<float>(4 * p + k + 1));
            EXPECT_EQ(experiment.velY[i], 0.0f);
        }
    }
    // Pedestrian 1's trajectory is the contiguous slice 4 to 7.
    EXPECT_EQ(std::vector<float>(experiment.posX.begin() + 4, experiment.posX.begin() + 8),
              (std::vector<float>{201.0f, 211.0f, 221.0f, 231.0f}));
    EXPECT_EQ(experiment.times, (std::vector<float>{0.0f, 0.5f, 1.0f, 1.5f}));
}

TEST(ParserANA, VelocityIsSpeedAlongTheDirection) {
    struct Case {
        const char* theta;
        const char* speed;
        float vx, vy;
    };
    // float(cos θ) × s and float(sin θ) × s in float32, computed with python3 struct packing.
    const Case cases[] = {
        {"0", "2", 2.0f, 0.0f},
        {"0.5", "1.5", 1.31637383f, 0.719138324f},
        {"-2", "0.75", -0.312110126f, -0.68197304f},
        {"3", "1.25", -1.23749065f, 0.176400006f},
        {"0.5", "0", 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("theta ") + c.theta + ", speed " + c.speed);
        ParserANA parser;
        // The positions contradict the velocity on purpose: it is never a position difference.
        ASSERT_TRUE(parser.loadText(std::string("nped 1 nrow 1 center_1 7 -7 ori_center_1 ") +
                                    c.theta + " spd_center_1 " + c.speed + " time(s) 0"))
            << parser.errorMessage();
        Experiment experiment(parser);
        EXPECT_EQ(experiment.velX[0], c.vx);
        EXPECT_EQ(experiment.velY[0], c.vy);
    }
}

TEST(ParserANA, QuarterTurnPointsAlongY) {
    ParserANA parser;
    ASSERT_TRUE(
        parser.loadText("nped 1 nrow 1 center_1 0 0 ori_center_1 1.5707963 "
                        "spd_center_1 2 time(s) 0"));
    Experiment experiment(parser);
    EXPECT_NEAR(experiment.velX[0], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(experiment.velY[0], 2.0f);
}

TEST(ParserANA, ObstaclesAreIgnoredWithoutNobs) {
    AnaFile file;
    file.nobs = "";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.obstacles.size(), 0u);
    expectConsistentSizes(experiment);
    EXPECT_TRUE(experiment.obstacles.empty());
}

TEST(ParserANA, ZeroObstaclesNeedNoObstacleKey) {
    AnaFile file;
    file.nobs = "nobs 0";
    file.obstacles = "";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.obstacles.size(), 0u);
    expectConsistentSizes(experiment);
}

TEST(ParserANA, ObstacleValuesAreX1Y1X2Y2PerSegment) {
    AnaFile file;
    file.nobs = "nobs 2";
    file.obstacles = "obstacles 1 2 3 4 -5 -6 -7 -8 99 99";  // the last two are surplus
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    ASSERT_EQ(experiment.obstacles.size(), 2u);
    expectConsistentSizes(experiment);
    EXPECT_EQ(experiment.obstacles,
              (std::vector<Segment>{{1.0f, 2.0f, 3.0f, 4.0f}, {-5.0f, -6.0f, -7.0f, -8.0f}}));
}

TEST(ParserANA, CommentsHideTheRestOfTheirLine) {
    AnaFile file;
    file.center1 = "# nped 5 center_1 9 9 9 9\ncenter_1 0 0 #1 1 nrow 7\n1 1";
    file.time = "time(s) 0 #0.5\n 0.1 # trailing";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);
    EXPECT_EQ(experiment.frameCount, 2);
    EXPECT_EQ(experiment.posX[0], 0.0f);
    EXPECT_EQ(experiment.posX[1], 1.0f);
    EXPECT_EQ(experiment.posY[1], 1.0f);
    EXPECT_EQ(experiment.times, (std::vector<float>{0.0f, 0.1f}));
}

TEST(ParserANA, HashInsideATokenIsPartOfAValue) {
    AnaFile file;
    file.center1 = "center_1 1.0#x 2 3#4 #5 6\n 7";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.posX[0], 1.0f);
    EXPECT_EQ(experiment.posY[0], 2.0f);
    EXPECT_EQ(experiment.posX[1], 3.0f);
    EXPECT_EQ(experiment.posY[1], 7.0f);
}

TEST(ParserANA, ValuesMayBeSplitOverLinesAndAnyWhiteSpace) {
    ParserANA oneLine;
    ASSERT_TRUE(oneLine.loadText(AnaFile().text()));
    const Experiment expected(oneLine);

    AnaFile file;
    file.center1 = "center_1\n0\n\n0\t1\r\n1";
    file.center2 = "center_2 \t 5\v5\f4 \n\n\n 4";
    file.time = "time(s)\n\t0\n\t0.1";
    ParserANA split;
    ASSERT_TRUE(split.loadText(file.text())) << split.errorMessage();
    const Experiment experiment(split);
    EXPECT_EQ(experiment.posX, expected.posX);
    EXPECT_EQ(experiment.posY, expected.posY);
    EXPECT_EQ(experiment.velX, expected.velX);
    EXPECT_EQ(experiment.velY, expected.velY);
    EXPECT_EQ(experiment.times, expected.times);
}

TEST(ParserANA, WindowsLineEndsReadTheSame) {
    // Keys and values each on their own line, so that every key and value is followed by CR LF.
    AnaFile file;
    file.center1 = "center_1\n0\n0\n1\n1";
    file.time = "time(s)\n0\n0.1";
    std::string crlf;
    for (char c : file.text()) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    // A comment line ending in CR LF must not swallow the next line.
    crlf = "# exported on another system\r\n" + crlf;
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(crlf)) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);
    EXPECT_EQ(experiment.obstacles.size(), 1u);
    EXPECT_EQ(experiment.posX, (std::vector<float>{0.0f, 1.0f, 5.0f, 4.0f}));
    EXPECT_EQ(experiment.times, (std::vector<float>{0.0f, 0.1f}));
    EXPECT_EQ(experiment.obstacles, (std::vector<Segment>{{0.0f, -1.0f, 10.0f, -1.0f}}));
}

TEST(ParserANA, LoneCarriageReturnDoesNotEndAComment) {
    // Only a line feed ends a line; a CR is white space between tokens but the comment goes on.
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(AnaFile().text() + "# note\rnped 9\n")) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);

    ParserANA separated;
    ASSERT_TRUE(
        separated.loadText("nped\r1\rnrow\r1\rcenter_1\r2\r3\rori_center_1\r0\r"
                           "spd_center_1\r1\rtime(s)\r0"))
        << separated.errorMessage();
    Experiment single(separated);
    EXPECT_EQ(single.posX, std::vector<float>{2.0f});
    EXPECT_EQ(single.posY, std::vector<float>{3.0f});
}

TEST(ParserANA, NegativeValuesAreValuesAndLetterTokensAreKeys) {
    AnaFile file;
    file.nrow = "nrow 1";
    file.center1 = "center_1 -0.5 +2.5 e5 8 9";  // e5 is a key; 8 and 9 belong to it
    file.center2 = "center_2 .25 -.75";
    file.ori1 = "ori_center_1 0";
    file.ori2 = "ori_center_2 0";
    file.spd1 = "spd_center_1 -1.5";
    file.spd2 = "spd_center_2 1";
    file.time = "time(s) 0";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.posX, (std::vector<float>{-0.5f, 0.25f}));
    EXPECT_EQ(experiment.posY, (std::vector<float>{2.5f, -0.75f}));
    EXPECT_EQ(experiment.velX[0], -1.5f);
}

TEST(ParserANA, KeyStartsWithAnyByteAboveLessThan) {
    // "=", "?", "[" and "_" start keys, so center_1 keeps only its first two values; "<" itself
    // and bytes of 0x80 or more are values (converting to 0).
    const char* const keyTokens[] = {"=3", "?3", "[3", "_3", "nan", "inf", "~3"};
    for (const char* keyToken : keyTokens) {
        SCOPED_TRACE(keyToken);
        AnaFile file;
        file.nrow = "nrow 1";
        file.center1 = std::string("center_1 1 2 ") + keyToken + " 8 9";
        file.center2 = "center_2 <4 \xC3\xA9";
        file.ori1 = "ori_center_1 0";
        file.ori2 = "ori_center_2 0";
        file.spd1 = "spd_center_1 1";
        file.spd2 = "spd_center_2 1";
        file.time = "time(s) 0";
        ParserANA parser;
        ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
        Experiment experiment(parser);
        EXPECT_EQ(experiment.posX, (std::vector<float>{1.0f, 0.0f}));
        EXPECT_EQ(experiment.posY, (std::vector<float>{2.0f, 0.0f}));

        // With two frames the same center_1 is one value pair short.
        file.nrow = "nrow 2";
        file.center2 = "center_2 0 0 0 0";
        file.ori1 = "ori_center_1 0 0";
        file.ori2 = "ori_center_2 0 0";
        file.spd1 = "spd_center_1 1 1";
        file.spd2 = "spd_center_2 1 1";
        file.time = "time(s) 0 1";
        ParserANA shortParser;
        EXPECT_FALSE(shortParser.loadText(file.text()));
        EXPECT_TRUE(namesKey(shortParser.errorMessage(), "center_1")) << shortParser.errorMessage();
    }
}

TEST(ParserANA, NonNumericValuesConvertToZero) {
    AnaFile file;
    file.center1 = "center_1 (x -x + 3abc";
    file.time = "time(s) . -0.";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.posX[0], 0.0f);
    EXPECT_EQ(experiment.posY[0], 0.0f);
    EXPECT_EQ(experiment.posX[1], 0.0f);
    EXPECT_EQ(experiment.posY[1], 3.0f);
    EXPECT_EQ(experiment.times[0], 0.0f);
    EXPECT_EQ(experiment.times[1], 0.0f);
}

TEST(ParserANA, CountsReadTheLeadingIntegerOfTheirValue) {
    AnaFile file;
    file.nped = "nped 2.9";
    file.nrow = "nrow +2xyz";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);
    EXPECT_EQ(experiment.frameCount, 2);
}

TEST(ParserANA, RepeatedKeyStartsItsValuesAnew) {
    AnaFile file;
    file.center1 = "center_1 9 9 9 9 9 9";
    file.time = "time(s) 0 0.1 center_1 0 0 1 1";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(file.text())) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.posX[0], 0.0f);
    EXPECT_EQ(experiment.posX[1], 1.0f);

    // The earlier, complete list is dropped, so a short repetition makes the file incomplete.
    AnaFile shortened;
    shortened.time = "time(s) 0 0.1 center_1 0 0 1";
    ParserANA shortParser;
    EXPECT_FALSE(shortParser.loadText(shortened.text()));
    EXPECT_TRUE(namesKey(shortParser.errorMessage(), "center_1")) << shortParser.errorMessage();
}

TEST(ParserANA, ValuesBeforeTheFirstKeyAndUnknownKeysAreIgnored) {
    const std::string text =
        "1 2 3 -4 (5\n" + AnaFile().text() + "center_3 1 1 1 1\ncenter_01 7 7 7 7\nframerate 25\n";
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(text)) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);
    EXPECT_EQ(experiment.posX, (std::vector<float>{0.0f, 1.0f, 5.0f, 4.0f}));
}

TEST(ParserANA, KeysMayComeInAnyOrder) {
    const AnaFile file;
    const std::string reversed = file.obstacles + "\n" + file.time + "\n" + file.spd2 + "\n" +
                                 file.spd1 + "\n" + file.ori2 + "\n" + file.ori1 + "\n" +
                                 file.center2 + "\n" + file.center1 + "\n" + file.nrow + "\n" +
                                 file.nobs + "\n" + file.nped + "\n";
    ParserANA inOrder;
    ParserANA backwards;
    ASSERT_TRUE(inOrder.loadText(file.text()));
    ASSERT_TRUE(backwards.loadText(reversed)) << backwards.errorMessage();
    const Experiment a(inOrder);
    const Experiment b(backwards);
    EXPECT_EQ(a.posX, b.posX);
    EXPECT_EQ(a.posY, b.posY);
    EXPECT_EQ(a.velX, b.velX);
    EXPECT_EQ(a.velY, b.velY);
    EXPECT_EQ(a.times, b.times);
    EXPECT_EQ(a.obstacles, b.obstacles);
}

TEST(ParserANA, NoPedestriansAndNoFramesIsAnEmptyExperiment) {
    ParserANA parser;
    ASSERT_TRUE(parser.loadText("nped 0 nrow 0 time(s)")) << parser.errorMessage();
    Experiment experiment(parser);
    expectEmpty(experiment);
}

// ---------------------------------------------------------------------------------------------
// Rejected texts: load fails, the message names the key and the problem, and an experiment
// built from the parser is empty.

struct Rejection {
    const char* name;
    void (*edit)(AnaFile&);
    const char* key;
    const char* problem;
};

void PrintTo(const Rejection& r, std::ostream* out) {
    *out << r.name;
}

class RejectedText : public testing::TestWithParam<Rejection> {};

TEST_P(RejectedText, IsRefusedWithAMessageAndBuildsNothing) {
    AnaFile file;
    GetParam().edit(file);
    ParserANA parser;
    EXPECT_FALSE(parser.loadText(file.text()));
    EXPECT_TRUE(mentions(parser.errorMessage(), GetParam().key, GetParam().problem));
    Experiment experiment(parser);
    expectEmpty(experiment);
}

const Rejection rejections[] = {
    {"MissingNped", [](AnaFile& f) { f.nped = ""; }, "nped", "missing"},
    {"NpedWithoutValue", [](AnaFile& f) { f.nped = "nped"; }, "nped", "no value"},
    {"NpedHiddenByComment", [](AnaFile& f) { f.nped = "# nped 2"; }, "nped", "missing"},
    {"MissingNrow", [](AnaFile& f) { f.nrow = ""; }, "nrow", "missing"},
    {"NrowWithoutValue", [](AnaFile& f) { f.nrow = "nrow #2"; }, "nrow", "no value"},
    {"NobsWithoutValue", [](AnaFile& f) { f.nobs = "nobs"; }, "nobs", "no value"},
    {"MissingCenterOfFirstPedestrian", [](AnaFile& f) { f.center1 = ""; }, "center_1", "missing"},
    {"MissingCenterOfLastPedestrian", [](AnaFile& f) { f.center2 = ""; }, "center_2", "missing"},
    {"ZeroPaddedCenterKey", [](AnaFile& f) { f.center1 = "center_01 0 0 1 1"; }, "center_1",
     "missing"},
    {"CenterKeyNumberedFromZero",
     [](AnaFile& f) {
         f.center1 = "center_0 0 0 1 1";
         f.center2 = "center_1 5 5 4 4";
     },
     "center_2", "missing"},
    {"MissingOriCenter", [](AnaFile& f) { f.ori1 = ""; }, "ori_center_1", "missing"},
    {"MissingSpdCenter", [](AnaFile& f) { f.spd2 = ""; }, "spd_center_2", "missing"},
    {"MissingTimes", [](AnaFile& f) { f.time = ""; }, "time(s)", "missing"},
    {"MissingObstaclesWithNobs", [](AnaFile& f) { f.obstacles = ""; }, "obstacles", "missing"},
    {"TooFewCenterValues", [](AnaFile& f) { f.center2 = "center_2 5 5 4"; }, "center_2",
     "required"},
    {"TooFewOriCenterValues", [](AnaFile& f) { f.ori2 = "ori_center_2 3.1415927"; }, "ori_center_2",
     "required"},
    {"TooFewSpdCenterValues", [](AnaFile& f) { f.spd1 = "spd_center_1 1"; }, "spd_center_1",
     "required"},
    {"TooFewTimes", [](AnaFile& f) { f.time = "time(s) 0"; }, "time(s)", "required"},
    {"TooFewObstacleValues", [](AnaFile& f) { f.obstacles = "obstacles 0 -1 10"; }, "obstacles",
     "required"},
    {"TooFewObstacleValuesForTwoSegments",
     [](AnaFile& f) {
         f.nobs = "nobs 2";
         f.obstacles = "obstacles 0 -1 10 -1 5 5 5";
     },
     "obstacles", "required"},
    {"NegativeNped", [](AnaFile& f) { f.nped = "nped -1"; }, "nped", "negative"},
    {"NegativeNrow", [](AnaFile& f) { f.nrow = "nrow -3"; }, "nrow", "negative"},
    {"NegativeNobs", [](AnaFile& f) { f.nobs = "nobs -2"; }, "nobs", "negative"},
    {"NpedBeyondIntRange", [](AnaFile& f) { f.nped = "nped 99999999999"; }, "nped", "too large"},
    {"NpedJustBeyondIntRange", [](AnaFile& f) { f.nped = "nped 2147483648"; }, "nped", "too large"},
    {"NrowBeyondIntRange", [](AnaFile& f) { f.nrow = "nrow 99999999999"; }, "nrow", "too large"},
    {"NobsBeyondLongRange", [](AnaFile& f) { f.nobs = "nobs 999999999999999999999999"; }, "nobs",
     "too large"},
    {"NpedFarBelowIntRange", [](AnaFile& f) { f.nped = "nped -999999999999999999999999"; }, "nped",
     "negative"},
    {"HugeNped", [](AnaFile& f) { f.nped = "nped 2000000000"; }, "center_3", "missing"},
    {"HugeNrow", [](AnaFile& f) { f.nrow = "nrow 2000000000"; }, "center_1", "required"},
    {"HugeNobs", [](AnaFile& f) { f.nobs = "nobs 2000000000"; }, "obstacles", "required"},
};

INSTANTIATE_TEST_SUITE_P(ParserANA, RejectedText, testing::ValuesIn(rejections),
                         [](const testing::TestParamInfo<Rejection>& info) {
                             return std::string(info.param.name);
                         });

TEST(ParserANA, HugeCountsInATinyFileAreRefusedAtOnce) {
    // About 100 bytes claiming two billion pedestrians or frames: the check must stop at the
    // first missing key instead of walking or allocating for the claimed size.
    const std::string texts[] = {
        "nped 2000000000\nnrow 2000000000\ncenter_1 0 0\nori_center_1 0\nspd_center_1 1\n"
        "time(s) 0\n",
        "nped 2000000000\nnrow 1\ncenter_1 0 0\nori_center_1 0\nspd_center_1 1\ntime(s) 0\n",
        "nped 1\nnrow 2000000000\ncenter_1 0 0\nori_center_1 0\nspd_center_1 1\ntime(s) 0\n",
        "nped 0\nnrow 2000000000\ntime(s) 0\n",
        "nped 1\nnobs 2000000000\nnrow 1\ncenter_1 0 0\nori_center_1 0\nspd_center_1 1\n"
        "time(s) 0\nobstacles 0 0 1 1\n",
    };
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ASSERT_LT(text.size(), 130u);
        ParserANA parser;
        EXPECT_FALSE(parser.loadText(text));
        EXPECT_FALSE(parser.errorMessage().empty());
        Experiment experiment(parser);
        expectEmpty(experiment);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ParserANA, EveryTruncationIsRefusedOrComplete) {
    // Cutting a file anywhere either drops required values (refused, nothing built) or only
    // shortens the last number (accepted with consistent arrays).
    const std::string full = AnaFile().text();
    int refused = 0;
    for (size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE(testing::Message() << "first " << length << " bytes");
        ParserANA parser;
        const bool accepted = parser.loadText(full.substr(0, length));
        Experiment experiment(parser);
        if (accepted) {
            EXPECT_TRUE(parser.errorMessage().empty());
            expectConsistentSizes(experiment);
        } else {
            ++refused;
            EXPECT_FALSE(parser.errorMessage().empty());
            expectEmpty(experiment);
        }
    }
    // Only dropping the final line break or the final "1" of "-1" keeps four obstacle values.
    EXPECT_EQ(refused, static_cast<int>(full.size()) - 2);
}

TEST(ParserANA, OfSeveralBadObstacleValuesTheFirstCornerByCornerIsNamed) {
    // Every x1 (values 1 and 5) passes; y1 of the second segment (value 6) is read, and refused,
    // before x2 of the first (value 3).
    AnaFile file;
    file.nobs = "nobs 2";
    file.obstacles = "obstacles 0 0 5e6 0 0 2e6 0 0";
    ParserANA parser;
    EXPECT_FALSE(parser.loadText(file.text()));
    EXPECT_NE(parser.errorMessage().find("\"2e6\" (value 6)"), std::string::npos)
        << parser.errorMessage();
}

TEST(ParserANA, FailedLoadForgetsAnEarlierGoodFile) {
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(AnaFile().text()));
    AnaFile broken;
    broken.time = "time(s) 0";
    EXPECT_FALSE(parser.loadText(broken.text()));
    Experiment experiment(parser);
    expectEmpty(experiment);
}

// Fills the waypoint fields that an ANA reader never sets.
void setWaypointFields(ExperimentData& data) {
    data.timeDriven = false;
    data.waypointCount = {2};
    data.waypointRadius = {{1.0f}};
    data.waypointX = {{2.0f}};
    data.waypointY = {{3.0f}};
}

TEST(ParserANA, FailedParserLeavesTheTargetArraysUntouched) {
    ParserANA parser;
    ASSERT_FALSE(parser.loadText("nped 1 nrow 1"));
    ExperimentData data;
    data.pedestrianCount = 7;
    data.frameCount = 9;
    data.posX = {1.0f};
    data.posY = {2.0f};
    data.velX = {3.0f};
    data.velY = {4.0f};
    data.times = {5.0f};
    data.obstacles = {{6.0f, 7.0f, 8.0f, 9.0f}};
    setWaypointFields(data);
    parser.fill(data);
    EXPECT_EQ(data.pedestrianCount, 7);
    EXPECT_EQ(data.frameCount, 9);
    EXPECT_EQ(data.posX, std::vector<float>{1.0f});
    EXPECT_EQ(data.posY, std::vector<float>{2.0f});
    EXPECT_EQ(data.velX, std::vector<float>{3.0f});
    EXPECT_EQ(data.velY, std::vector<float>{4.0f});
    EXPECT_EQ(data.times, std::vector<float>{5.0f});
    EXPECT_EQ(data.obstacles, (std::vector<Segment>{{6.0f, 7.0f, 8.0f, 9.0f}}));
    EXPECT_FALSE(data.timeDriven);
    EXPECT_EQ(data.waypointCount, std::vector<int>{2});
}

TEST(ParserANA, GoodParserLeavesModeAndWaypointsAlone) {
    ParserANA parser;
    ASSERT_TRUE(parser.loadText(AnaFile().text()));
    ExperimentData data;
    setWaypointFields(data);
    parser.fill(data);
    EXPECT_EQ(data.pedestrianCount, 2);
    EXPECT_FALSE(data.timeDriven);
    EXPECT_EQ(data.waypointCount, std::vector<int>{2});
    EXPECT_EQ(data.waypointX, (std::vector<std::vector<float>>{{2.0f}}));
}

// ---------------------------------------------------------------------------------------------
// Files

TEST(ParserANAFile, ReadsTheSameAsText) {
    const std::string content = AnaFile().text();
    TemporaryFile file(content);
    ParserANA fromFile;
    ParserANA fromText;
    ASSERT_TRUE(fromFile.load(file.path)) << fromFile.errorMessage();
    ASSERT_TRUE(fromText.loadText(content));
    const Experiment a(fromFile);
    const Experiment b(fromText);
    EXPECT_EQ(a.pedestrianCount, 2);
    EXPECT_EQ(a.obstacles.size(), 1u);
    EXPECT_EQ(a.frameCount, 2);
    expectConsistentSizes(a);
    EXPECT_EQ(a.posX, b.posX);
    EXPECT_EQ(a.posY, b.posY);
    EXPECT_EQ(a.velX, b.velX);
    EXPECT_EQ(a.velY, b.velY);
    EXPECT_EQ(a.times, b.times);
    EXPECT_EQ(a.obstacles, b.obstacles);
}

TEST(ParserANAFile, CarriageReturnsAreNotTranslatedAway) {
    std::string crlf;
    for (char c : AnaFile().text()) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    TemporaryFile file(crlf);
    ParserANA parser;
    ASSERT_TRUE(parser.load(file.path)) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.times, (std::vector<float>{0.0f, 0.1f}));
    EXPECT_EQ(experiment.obstacles, (std::vector<Segment>{{0.0f, -1.0f, 10.0f, -1.0f}}));
}

TEST(ParserANAFile, MissingFileIsReportedWithItsPath) {
    const std::string path = testing::TempDir() + "vestra_no_such_file_7f3a.ana";
    std::remove(path.c_str());
    ParserANA parser;
    EXPECT_FALSE(parser.load(path));
    EXPECT_NE(parser.errorMessage().find(path), std::string::npos) << parser.errorMessage();
    Experiment experiment(parser);
    expectEmpty(experiment);
}

TEST(ParserANAFile, DirectoryIsRefused) {
    const std::string path = testing::TempDir();
    ParserANA parser;
    EXPECT_FALSE(parser.load(path));
    EXPECT_NE(parser.errorMessage().find(path), std::string::npos) << parser.errorMessage();
    Experiment experiment(parser);
    expectEmpty(experiment);
}

TEST(ParserANAFile, EmptyFileLacksEveryKey) {
    TemporaryFile file("");
    ParserANA parser;
    EXPECT_FALSE(parser.load(file.path));
    EXPECT_TRUE(mentions(parser.errorMessage(), "nped", "missing"));
    EXPECT_NE(parser.errorMessage().find(file.path), std::string::npos);
    Experiment experiment(parser);
    expectEmpty(experiment);
}

TEST(ParserANAFile, TruncatedFileIsRefused) {
    const std::string content = AnaFile().text();
    // Cut after the first frame time: "time(s) 0".
    TemporaryFile file(content.substr(0, content.find("time(s)") + 9));
    ParserANA parser;
    EXPECT_FALSE(parser.load(file.path));
    EXPECT_TRUE(mentions(parser.errorMessage(), "time(s)", "required")) << parser.errorMessage();
    Experiment experiment(parser);
    expectEmpty(experiment);
}

TEST(ParserANAFile, BinaryGarbageIsRefused) {
    // A deterministic byte soup with NULs, control bytes and high bytes.
    std::string garbage;
    unsigned state = 12345u;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>((state >> 16) & 0xFF);
    }
    garbage[10] = '\0';
    TemporaryFile file(garbage);
    ParserANA parser;
    EXPECT_FALSE(parser.load(file.path));
    EXPECT_FALSE(parser.errorMessage().empty());
    Experiment experiment(parser);
    expectEmpty(experiment);
}

TEST(ParserANAFile, NulBytesDoNotEndTheFile) {
    using namespace std::string_literals;
    // A NUL is an ordinary byte inside a token: it neither ends the file nor separates tokens,
    // and a value converts up to it.
    AnaFile ana;
    ana.center1 = "center_1 0 0 1\0z 1"s;
    const std::string content = "head\0er 1 2\n"s + ana.text();
    TemporaryFile file(content);
    ParserANA parser;
    ASSERT_TRUE(parser.load(file.path)) << parser.errorMessage();
    Experiment experiment(parser);
    EXPECT_EQ(experiment.pedestrianCount, 2);
    EXPECT_EQ(experiment.posX[1], 1.0f);
    EXPECT_EQ(experiment.posY[1], 1.0f);
}

}  // namespace
