#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/CommentStatements.h"
#include "data/Experiment.h"
#include "data/ParserCsv.h"
#include "data/ParserEth.h"
#include "data/ParserJuelich.h"
#include "data/ParserTrajnet.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::unique_ptr<RecordingParser> reader(const std::string& format) {
    if (format == "juelich") {
        return std::make_unique<ParserJuelich>();
    }
    if (format == "eth") {
        return std::make_unique<ParserEth>();
    }
    if (format == "csv") {
        return std::make_unique<ParserCsv>();
    }
    return std::make_unique<ParserTrajnet>();
}

struct Read {
    bool ok = false;
    std::string error;
    std::vector<std::string> notes;
    std::unique_ptr<Experiment> experiment;
};

Read read(const std::string& format, const std::string& text, double fps = 0.0) {
    ReadingOptions options;
    options.framesPerSecond = fps;
    const auto parser = reader(format);
    parser->setReadingOptions(options);
    Read result;
    result.ok = parser->loadText(text);
    result.error = parser->errorMessage();
    result.notes = parser->notes();
    result.experiment = std::make_unique<Experiment>(*parser);
    return result;
}

// Positions of pedestrian p over its present frames, "x,y x,y ...".
std::string track(const Experiment& e, int p) {
    std::string text;
    for (int k = e.presentFirst[p]; k <= e.presentLast[p]; ++k) {
        const auto i = static_cast<size_t>(e.sampleIndex(p, k));
        text += (text.empty() ? "" : " ") + testing::PrintToString(e.posX[i]) + "," +
                testing::PrintToString(e.posY[i]);
    }
    return text;
}

}  // namespace

TEST(CommentStatements, FrameRateAndUnitInFreeWords) {
    struct Case {
        const char* comment;
        double fps, metres;
    } cases[] = {
        {" framerate: 16 fps", 16, 0},      {" FPS 25", 25, 0},
        {" recorded at 12.5 fps", 12.5, 0}, {" id frame x/cm y/cm z/cm", 0, 0.01},
        {" all lengths in m", 0, 1},        {" positions [mm]", 0, 0.001},
        {" x y in centimetres", 0, 0.01},   {" camera 2, model x5", 0, 0},
        {" 5 m wide corridor", 0, 0},       {" PeTrack 0.8, frame rate 16", 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comment);
        CommentStatements statements;
        statements.read(c.comment, 1);
        double fps = -1, metres = -1;
        std::string error;
        ASSERT_TRUE(statements.framesPerSecond(fps, error) &&
                    statements.metresPerUnit(metres, error));
        EXPECT_EQ(fps, c.fps);
        EXPECT_EQ(metres, c.metres);
    }
}

TEST(RecordingReaders, JuelichReadsTheFrameRateAndUnitOfItsComments) {
    // Ids 1 and 2 over frames 0..2 at 16 fps in cm; id 2 enters at frame 1. Row order is free.
    const Read r = read("juelich",
                        "# framerate: 16 fps\n# id frame x/cm y/cm z/cm\n"
                        "1 0 100 200 175\n2 1 0 0 170\r\n1 1 116 200 175\n"
                        "\n# a comment between rows\n1 2 132 200 175\n2 2 16 0 170\n");
    ASSERT_TRUE(r.ok) << r.error;
    const Experiment& e = *r.experiment;
    EXPECT_EQ(e.frameCount, 3);
    EXPECT_EQ(e.times, (std::vector<float>{0.0f, 0.0625f, 0.125f}));
    EXPECT_EQ(track(e, 0), "1,2 1.16,2 1.32,2");
    EXPECT_EQ(track(e, 1), "0,0 0.16,0");
    EXPECT_FLOAT_EQ(e.velX[static_cast<size_t>(e.sampleIndex(0, 1))], 2.56f);  // 0.16 m per 1/16 s
    EXPECT_TRUE(e.hasPartialPresence());
    EXPECT_EQ(e.posX.size(), 5u);
}

TEST(RecordingReaders, EightColumnRowsAreTheEthFormInBothColumnReaders) {
    const std::string text =
        "0 1 1.5 9 2.5 0 0 0\n10 1 2.5 9 3.5 0 0 0\n"
        "7.8000000e+02 2.0000000e+00 1 0 1 0 0 0\n7.9000000e+02 2.0000000e+00 2 0 1 0 0 0\n";
    for (const char* format : {"juelich", "eth"}) {
        SCOPED_TRACE(format);
        const Read r = read(format, text, 25);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(track(*r.experiment, 0), "1.5,2.5 2.5,3.5");
        EXPECT_EQ(r.experiment->frameCount, 80);  // frames 0 to 790 in steps of 10
        EXPECT_EQ(r.notes.front(), "The rows have eight columns: read as frame id x z y vx vz vy.");
    }
}

TEST(RecordingReaders, EthNeedsTheFrameRateAndHintsAtIt) {
    const std::string text = "0\t1\t1.0\t2.0\n10\t1\t1.4\t2.0\n";
    const Read refused = read("eth", text);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("step by 10"), std::string::npos) << refused.error;
    EXPECT_NE(refused.error.find("--fps 25"), std::string::npos);
    const Read r = read("eth", text, 25);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.experiment->times, (std::vector<float>{0.0f, 0.4f}));
    EXPECT_FLOAT_EQ(r.experiment->velX[0], 1.0f);  // 0.4 m in 0.4 s
}

TEST(RecordingReaders, CsvFindsItsColumnsByName) {
    const Read r = read("csv",
                        "\xEF\xBB\xBF# recorded at 10 fps\n"
                        " \"Frame\" , note,Y [cm], ID ,X [cm]\n"
                        "0,\"a, b\",0,7,100\n1,,0,7,110\n0,x,50,\"3\",0\n1,x,50,3,10\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(track(*r.experiment, 0), "0,0.5 0.1,0.5");  // id 3 before id 7
    EXPECT_EQ(track(*r.experiment, 1), "1,0 1.1,0");
    EXPECT_EQ(r.notes, (std::vector<std::string>{
                           "Read with 10 frames per second and lengths in centimetres, as the file "
                           "states."}));
}

TEST(RecordingReaders, CsvTimeColumnAndTextIds) {
    const Read r = read("csv", "t,id,x,y\n0.5,bob,0,0\n0.5,al,1,1\n0.75,bob,1,0\n1,al,1,2\n");
    ASSERT_TRUE(r.ok) << r.error;
    const Experiment& e = *r.experiment;
    EXPECT_EQ(e.times, (std::vector<float>{0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(track(e, 0), "1,1 1,1.5 1,2");  // "al" fills its gap of 0.5 s
    EXPECT_EQ(track(e, 1), "0,0 1,0");
}

TEST(RecordingReaders, TrajnetReadsTracksAndSkipsScenes) {
    const Read r = read(
        "trajnet",
        "{\"scene\": {\"id\": 0, \"p\": 1, \"s\": 0, \"e\": 10, \"fps\": 2.5, \"tag\": [2, []]}}\n"
        "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 1.5, \"y\": -2}}\n"
        "{\"track\":{\"y\":-2,\"x\":2.5E0,\"p\":1,\"f\":10}}\n",
        25);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(track(*r.experiment, 0), "1.5,-2 2.5,-2");
}

TEST(RecordingReaders, BadInputIsRefusedWithItsLine) {
    struct Case {
        const char* format;
        const char* text;
        const char* message;
        double fps = 16;
    } cases[] = {
        {"juelich", "1 0 0 0\n1 1 0\n",
         "Line 2: 3 columns, but the rows of this file are id frame x y [z]."},
        {"juelich", "1 0 0 0 0 0\n", "Line 1: 6 columns"},
        {"juelich", "1.5 0 0 0\n", "Line 1: the id \"1.5\" is not a whole number."},
        {"juelich", "1 0 nan 0\n", "Line 1: the x \"nan\" is not a finite number."},
        {"juelich", "1 0 0 1e39\n", "Line 1: the y \"1e39\" is not a finite number."},
        {"juelich", "# fps 10\n# fps 25\n1 0 0 0\n1 1 0 0\n", "two frame rates: 10", 0},
        {"juelich", "# x/cm\n# x in mm\n1 0 0 0\n1 1 0 0\n", "on line 1 and"},
        {"eth", "0 1 0 0\n0 1 0 0 0 0 0 0\n", "Line 2: 8 columns"},
        {"eth", "0 x 0 0\n", "Line 1: the id \"x\""},
        {"csv", "", "no header row"},
        {"csv", "id,frame,x\n", "Line 1: the header row does not name the column \"y\""},
        {"csv", "id,t,x,y,X\n", "names the column \"x\" twice (columns 3 and 5)"},
        {"csv", "id,frame,x,y\n1,0,0\n", "Line 2: 3 fields"},
        {"csv", "id,frame,x,y\n,0,0,0\n", "Line 2: the id is empty."},
        {"csv", "id,frame,x,y\n\"1,0,0,0\n", "Line 2: the quote that opens field 1"},
        {"csv", "id,frame,x,y\n\"1\"x,0,0,0\n", "text after its closing quote"},
        {"trajnet", "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 1}}\n",
         "Line 1: column 34: expected \",\""},
        {"trajnet", "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 1, \"x\": 2}}\n", "each of the keys"},
        {"trajnet", "{\"track\": {\"f\": 0, \"p\": 1.5, \"x\": 1, \"y\": 2}}\n", "the id \"1.5\""},
        {"trajnet", "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 01, \"y\": 2}}\n",
         "a number for \"x\""},
        {"trajnet", "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 1, \"y\": 2}} x\n",
         "the end of the line"},
        {"trajnet", "{\"person\": 1}\n", "expected \"track\" or \"scene\""},
        {"trajnet", "{\"scene\": {\"id\": [[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]}}\n",
         "scene object"},
        {"trajnet", "# comment\n", "Line 1: column 1: expected \"{\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + ": " + c.text);
        const Read r = read(c.format, c.text, c.fps);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
        EXPECT_EQ(r.experiment->pedestrianCount, 0);
        EXPECT_TRUE(r.experiment->posX.empty() && r.experiment->presentFirst.empty());
    }
}

TEST(RecordingReaders, FilesAreReadAsTheirTextAndMissingOnesNamed) {
    ScratchFolder folder;
    const std::string path = folder.write("walk.txt", "# fps 2\n1 0 0 0\n1 1 1 0\n");
    ParserJuelich parser;
    ASSERT_TRUE(parser.load(path)) << parser.errorMessage();
    EXPECT_EQ(Experiment(parser).times, (std::vector<float>{0.0f, 0.5f}));
    ParserJuelich missing;
    EXPECT_FALSE(missing.load(folder.file("none.txt")));
    EXPECT_NE(missing.errorMessage().find("none.txt"), std::string::npos);
    ParserJuelich bad;
    EXPECT_FALSE(bad.load(folder.write("bad.txt", "1 0 x 0\n")));
    EXPECT_EQ(bad.errorMessage(),
              "\"" + folder.file("bad.txt") + "\": Line 1: the x \"x\" is not a finite number.");
}
