#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/NumberText.h"
#include "data/CommentStatements.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
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

// A walk of two pedestrians at 16 frames per second, as juelich rows "id frame x y" with frame
// numbers from `offset`.
std::string walk(std::int64_t offset) {
    std::string text = "# framerate: 16 fps\n";
    for (int id = 1; id <= 2; ++id) {
        for (int frame = 0; frame < 40; ++frame) {
            text += std::to_string(id) + " " + std::to_string(offset + frame + id) + " " +
                    std::to_string(0.08 * frame + id) + " " + std::to_string(0.5 * id) + "\n";
        }
    }
    return text;
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
    EXPECT_EQ(e.times, (std::vector<float>{0.0f, 0.25f, 0.5f}));  // from t = 0.5 s
    EXPECT_EQ(track(e, 0), "1,1 1,1.5 1,2");                      // "al" fills its gap of 0.5 s
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
         "Line 1: the track has no key \"y\""},
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

TEST(RecordingReaders, AClockThatStartedLongAgoReadsAsOneThatStartsNow) {
    // Frame numbers and times count from the first frame, so a float never has to hold 2^40 or
    // a Unix time: the experiment is the same bit for bit whatever the offset.
    const Read plain = read("juelich", walk(0));
    ASSERT_TRUE(plain.ok) << plain.error;
    ASSERT_EQ(plain.experiment->times[1], 0.0625f);
    const auto csvFrom = [](double start) {
        std::string text = "t,id,x,y\n";
        for (int frame = 0; frame < 40; ++frame) {
            text += NumberText::format("%.6f,7,%g,0\n", start + frame / 16.0, 0.08 * frame);
        }
        return text;
    };
    const Read csvPlain = read("csv", csvFrom(0));
    ASSERT_TRUE(csvPlain.ok) << csvPlain.error;
    struct Case {
        const char* name;
        Read read;
        const Read& expected;
    } cases[] = {
        {"frames from 1e6", read("juelich", walk(1000000)), plain},
        {"frames from 2^40", read("juelich", walk(std::int64_t{1} << 40)), plain},
        {"Unix times", read("csv", csvFrom(1.7e9)), csvPlain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.read.ok) << c.read.error;
        EXPECT_EQ(c.read.experiment->times, c.expected.experiment->times);
        EXPECT_EQ(c.read.experiment->posX, c.expected.experiment->posX);
        EXPECT_EQ(c.read.experiment->velX, c.expected.experiment->velX);
    }
    ParserANA late;
    ASSERT_TRUE(
        late.loadText("nped 1 nrow 3 time(s) 1700000000 1700000000.1 1700000000.2 "
                      "center_1 0 0 1 0 2 0 ori_center_1 0 0 0 spd_center_1 1 1 1"));
    const std::vector<float> expected = {0.0f, static_cast<float>(1700000000.1 - 1.7e9),
                                         static_cast<float>(1700000000.2 - 1.7e9)};
    EXPECT_EQ(Experiment(late).times, expected);
}

TEST(RecordingReaders, ValuesNoRecordingHoldsAreRefusedWithTheirLine) {
    struct Case {
        const char* format;
        std::string text;
        const char* message;
        double fps = 16;
    } cases[] = {
        {"juelich", "1 0 0 0\n1 1 1e30 0\n",
         "Line 2: the position (1e+30, 0) lies farther than 1e6 m"},
        {"juelich", "# x/cm\n1 0 0 0\n1 1 2e8 0\n", "Line 3: the position (2e+08, 0)"},
        {"juelich", "# framerate: -16\n1 0 0 0\n1 1 1 0\n",
         "Line 1: the comment states the frame rate \"-16\"", 0},
        {"juelich", "# framerate: 16.5.3\n1 0 0 0\n1 1 1 0\n",
         "frame rate \"16.5.3\", which is not a number from 0.001", 0},
        {"juelich", "1 0 0 0\n1 1 1 0\n", "The frame rate must lie from 0.001 to 1e6", 1e-40},
        {"csv", "t,id,x,y\n0,1,0,0\n1e-9,1,0,0\n", "The frames are 1e-09 s apart"},
        {"eth", "0 1 0 0\n1 1 2 0\n", "a pedestrian moves at 2e+06 m/s", 1e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Read r = read(c.format, c.text, c.fps);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error;
    }
    const char* const anaCases[][2] = {
        {"nped 1 nrow 2 time(s) 0 1\ncenter_1 0 0\n 1e30 0 ori_center_1 0 0 spd_center_1 1 1",
         "Line 3: the key \"center_1\" holds \"1e30\" (value 3), beyond 1e6 m"},
        {"nped 1 nrow 1 time(s) 0 center_1 0 -nan ori_center_1 0 spd_center_1 1",
         "Line 1: the key \"center_1\" holds \"-nan\" (value 2), which is not a finite number."},
        {"nped 1 nrow 1 time(s) 0 center_1 0 0 ori_center_1 0 spd_center_1 -1e7",
         "\"spd_center_1\" holds \"-1e7\" (value 1), beyond 1e6 m/s"},
        {"nped 1 nrow 2 time(s) 5 4 center_1 0 0 0 0 ori_center_1 0 0 spd_center_1 1 1",
         "steps from 5 s to 4 s at frame 1"},
    };
    for (const auto& [text, message] : anaCases) {
        SCOPED_TRACE(text);
        ParserANA parser;
        EXPECT_FALSE(parser.loadText(text));
        EXPECT_NE(parser.errorMessage().find(message), std::string::npos) << parser.errorMessage();
        EXPECT_EQ(Experiment(parser).pedestrianCount, 0);
    }
}

TEST(CommentStatements, AFrameRateIsReadWhole) {
    const std::pair<const char*, double> cases[] = {
        {" framerate: 2.5e1", 25},            // not 2.5
        {" 25fps, recorded 2013-04-12", 25},  // the number beside the word, not the date
        {" camera v1.2, fps 30", 30},
    };
    for (const auto& [comment, fps] : cases) {
        SCOPED_TRACE(comment);
        CommentStatements statements;
        statements.read(comment, 1);
        double read = 0;
        std::string error;
        ASSERT_TRUE(statements.framesPerSecond(read, error)) << error;
        EXPECT_EQ(read, fps);
    }
}

TEST(RecordingReaders, HarmlessVariantsOfAFileReadAsTheFileItself) {
    const std::string text = walk(0);
    const Read plain = read("juelich", text);
    ASSERT_TRUE(plain.ok) << plain.error;
    const auto utf16 = [&](bool bigEndian) {
        std::string encoded = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : text) {
            encoded += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        }
        return encoded;
    };
    std::string oldMac = text;
    std::replace(oldMac.begin(), oldMac.end(), '\n', '\r');
    const std::pair<const char*, std::string> variants[] = {
        {"UTF-16 little endian", utf16(false)},
        {"UTF-16 big endian", utf16(true)},
        {"carriage returns alone", oldMac},
    };
    for (const auto& [name, variant] : variants) {
        SCOPED_TRACE(name);
        const Read r = read("juelich", variant);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.experiment->posX, plain.experiment->posX);
        EXPECT_EQ(r.experiment->times, plain.experiment->times);
    }
    // Keys that prediction tools add to a track are skipped, whatever they hold.
    const Read predicted = read("trajnet",
                                "{\"track\": {\"f\": 0, \"p\": 1, \"x\": 1, \"y\": 2, "
                                "\"prediction_number\": 0}}\n"
                                "{\"track\": {\"s\": {\"a\": [1, \"}\"]}, \"f\": 10, \"p\": 1, "
                                "\"x\": 2, \"y\": 2}}\n",
                                25);
    ASSERT_TRUE(predicted.ok) << predicted.error;
    EXPECT_EQ(track(*predicted.experiment, 0), "1,2 2,2");
}

TEST(RecordingReaders, UnreadableEncodingsAndBinaryBytesAreNamedNotEchoed) {
    const std::pair<std::string, const char*> cases[] = {
        {std::string("1\0 \0", 4) + std::string(40, '\0'),
         "looks like UTF-16 text without a byte order mark"},
        {std::string("\xFF\xFE\0\0", 4) + "1", "UTF-32"},
        {std::string("\xFF\xFE", 2) + std::string("\x00\xDC", 2), "UTF-16 text"},
        {"1 0 \x01\xFF\xC3\xA9 0\n", "the x \"\\x01\\xFF\xC3\xA9\" is not a finite number"},
    };
    for (const auto& [text, message] : cases) {
        const Read r = read("juelich", text, 16);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    }
}

TEST(RecordingReaders, StreetSceneRowsReadByExtensionAreRefusedNamingTheirFormat) {
    // Read as "id frame x y", the generated street scene's frames become hundreds of
    // pedestrians that jump metres between their rows.
    const std::string street = readFile(std::string(VESTRA_EXAMPLES_DIR) + "/street-eth.txt");
    const Read guessed = read("juelich", street, 25);
    EXPECT_FALSE(guessed.ok);
    EXPECT_NE(guessed.error.find("Read it with --format eth"), std::string::npos) << guessed.error;
    ReadingOptions chosen;
    chosen.format = "juelich";
    chosen.framesPerSecond = 25;
    ParserJuelich asChosen;
    asChosen.setReadingOptions(chosen);
    EXPECT_TRUE(asChosen.loadText(street)) << asChosen.errorMessage();
    const Read lab =
        read("juelich", readFile(std::string(VESTRA_EXAMPLES_DIR) + "/corridor-juelich.txt"));
    EXPECT_TRUE(lab.ok) << lab.error;
}
