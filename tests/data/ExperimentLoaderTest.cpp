#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/ReadingOptions.h"
#include "tests/support/ScratchFolder.h"

namespace {

// Four rows at 10 frames per second: "frame id x y" read as juelich puts ids 0 and 10 on
// frames 1 and 2, each with two rows.
const char* const columns = "0 1 0 0\n0 2 0 0\n10 1 1 0\n10 2 1 0\n";

struct Loaded {
    std::unique_ptr<Experiment> experiment;
    std::string error;
    std::vector<std::string> notes;
};

Loaded load(const std::string& path, const ReadingOptions& options) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    Loaded loaded;
    loaded.experiment = loadExperimentFile(registry, path, options, loaded.error, &loaded.notes);
    return loaded;
}

ReadingOptions format(const char* name, double fps = 10) {
    ReadingOptions options;
    options.format = name;
    options.framesPerSecond = fps;
    return options;
}

}  // namespace

TEST(ExperimentLoader, ReadersAreRegisteredAfterAnaWithTheirFormatNames) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    EXPECT_EQ(registry.parserFormats,
              (std::vector<std::string>{"ana", "juelich", "eth", "csv", "trajnet"}));
    EXPECT_EQ(registry.parsers.names,
              (std::vector<std::string>{"ana", "txt", "txt", "csv", "ndjson"}));
    EXPECT_EQ(registry.parserIndexForPath("walk.txt"), 1);
    EXPECT_EQ(registry.parserIndexForFormat("eth"), 2);
    EXPECT_EQ(registry.parserIndexForFormat("ETH"), -1);
}

TEST(ExperimentLoader, TxtIsJuelichUnlessAFormatIsNamed) {
    ScratchFolder folder;
    const std::string path = folder.write("scene.txt", columns);
    ReadingOptions options;
    options.framesPerSecond = 10;
    const Loaded asJuelich = load(path, options);
    ASSERT_TRUE(asJuelich.experiment) << asJuelich.error;
    EXPECT_EQ(asJuelich.experiment->frameCount, 2);  // frames 1 and 2
    const Loaded asEth = load(path, format("eth"));
    ASSERT_TRUE(asEth.experiment) << asEth.error;
    EXPECT_EQ(asEth.experiment->frameCount, 2);  // frames 0 and 10, step 10
    EXPECT_EQ(asEth.experiment->times, (std::vector<float>{0.0f, 1.0f}));
}

TEST(ExperimentLoader, UnknownFormatsAndExtensionsListTheKnownOnes) {
    EXPECT_EQ(load("walk.txt", format("vicon")).error,
              "Unknown format \"vicon\": the formats are ana, juelich, eth, csv, trajnet.");
    EXPECT_EQ(load("walk.doc", ReadingOptions()).error,
              "No reader for \"walk.doc\": experiment files are *.ana, *.txt, *.csv, *.ndjson.");
}

TEST(ExperimentLoader, ObstaclesAreAddedInTheRecordingsUnit) {
    ScratchFolder folder;
    const std::string path = folder.write("walk.txt", "# x/cm\n1 0 0 0\n1 1 100 0\n");
    ReadingOptions options = format("juelich");
    options.obstacles = folder.write("walls.txt", "# walls\n0 -50 500 -50\n\n0 50 500 50 # top\n");
    const Loaded loaded = load(path, options);
    ASSERT_TRUE(loaded.experiment) << loaded.error;
    const Experiment& e = *loaded.experiment;
    EXPECT_EQ(e.obstacles,
              (std::vector<Segment>{{0.0f, -0.5f, 5.0f, -0.5f}, {0.0f, 0.5f, 5.0f, 0.5f}}));
    EXPECT_EQ(loaded.notes.back(), "Added 2 obstacle segments from \"" + options.obstacles + "\".");

    const std::string ana = std::string(VESTRA_EXAMPLES_DIR) + "/bottleneck.ana";
    ReadingOptions anaOptions;
    anaOptions.obstacles = options.obstacles;
    const Loaded walled = load(ana, anaOptions);
    ASSERT_TRUE(walled.experiment) << walled.error;
    const Loaded plain = load(ana, ReadingOptions());
    EXPECT_EQ(walled.experiment->obstacles.size(), plain.experiment->obstacles.size() + 2);
    EXPECT_EQ(walled.experiment->obstacles.back().x2, 500.0f);  // ANA lengths are taken as given
}

TEST(ExperimentLoader, AnObstacleFilesSegmentsFollowTheRecordingsOwnInFileOrder) {
    ScratchFolder folder;
    ReadingOptions options;
    options.obstacles = folder.write("walls.txt", "1 2 3 4\n-5 -6 -7 -8\n");
    const std::string ana = std::string(VESTRA_EXAMPLES_DIR) + "/bottleneck.ana";
    const Loaded walled = load(ana, options);
    const Loaded plain = load(ana, ReadingOptions());
    ASSERT_TRUE(walled.experiment && plain.experiment) << walled.error << plain.error;
    std::vector<Segment> expected = plain.experiment->obstacles;
    ASSERT_EQ(expected.size(), 4u);  // the file's "nobs 4"
    expected.push_back({1.0f, 2.0f, 3.0f, 4.0f});
    expected.push_back({-5.0f, -6.0f, -7.0f, -8.0f});
    EXPECT_EQ(walled.experiment->obstacles, expected);
}

TEST(ExperimentLoader, BadObstacleFilesAreRefusedWithTheirLine) {
    ScratchFolder folder;
    const std::string path = folder.write("walk.txt", "1 0 0 0\n1 1 1 0\n");
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"0 0 1 1\n0 0 1\n", "Line 2: 3 values, but an obstacle segment is x1 y1 x2 y2."},
             {"0 0 1 x\n", "Line 1: \"x\" is not a finite number."},
             {"0 0 1 inf\n", "Line 1: \"inf\" is not a finite number."},
             {"0 0 2e6 0\n",
              "Line 1: \"2e+06\" lies farther than 1e6 m from the origin, which no scene of "
              "pedestrians holds."}}) {
        ReadingOptions options = format("juelich");
        options.obstacles = folder.write("walls.txt", text);
        const Loaded loaded = load(path, options);
        EXPECT_FALSE(loaded.experiment);
        EXPECT_EQ(loaded.error, "\"" + options.obstacles + "\": " + message);
    }
}

TEST(ExperimentLoader, FilesTooLargeToReadAreRefusedNamingTheirKind) {
    ScratchFolder folder;
    const auto huge = [&](const std::string& name) {
        const std::string path = folder.write(name, "");
        std::filesystem::resize_file(path, (std::uintmax_t{1} << 30) + 1);  // sparse: no disk
        return path;
    };
    EXPECT_NE(load(huge("big.ana"), {}).error.find("more than an ANA file may hold"),
              std::string::npos);
    EXPECT_NE(load(huge("big.txt"), {}).error.find("more than a recording may hold"),
              std::string::npos);
    ReadingOptions options = format("juelich");
    options.obstacles = huge("walls.txt");
    EXPECT_NE(load(folder.write("walk.txt", "1 0 0 0\n1 1 1 0\n"), options)
                  .error.find("more than an obstacle file may hold"),
              std::string::npos);
}

TEST(ExperimentLoader, NotesReachTheCaller) {
    ScratchFolder folder;
    ReadingOptions options;
    options.framesPerSecond = 1;
    const Loaded loaded =
        load(folder.write("few.csv", "id,frame,x,y\n1,0,0,0\n1,1,1,0\n2,0,0,0\n"), options);
    ASSERT_TRUE(loaded.experiment) << loaded.error;
    ASSERT_EQ(loaded.notes.size(), 1u);
    EXPECT_EQ(loaded.notes[0],
              "Skipped pedestrians with a single row, which have no velocity: id 2 (line 4).");

    options.stride = 2;
    const Loaded ana = load(std::string(VESTRA_EXAMPLES_DIR) + "/bottleneck.ana", options);
    ASSERT_TRUE(ana.experiment);
    EXPECT_EQ(ana.notes, (std::vector<std::string>{"ANA files state their own frame times and "
                                                   "lengths, so --fps, --stride did not change "
                                                   "them."}));
}

TEST(ExperimentLoader, ShippedRecordingsLoadWithPedestriansComingAndGoing) {
    struct Case {
        const char* file;
        const char* format;
        double fps;
        int pedestrians;
        const char* note;
    } cases[] = {
        // Eight walkers, one split in two by its two-second gap.
        {"corridor-juelich.txt", "", 0, 9,
         "Filled tracking gaps of at most 1 s (--max-gap) by linear interpolation: 1."},
        {"street-eth.txt", "eth", 25, 7,
         "Filled tracking gaps of at most 1 s (--max-gap) by linear interpolation: 1."},
        {"plaza-csv.csv", "", 0, 6, nullptr},
        {"crossing-trajnet.ndjson", "", 25, 5, nullptr},
        {"corridor-presence.ana", "", 0, 6, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ReadingOptions options = format(c.format, c.fps);
        const Loaded loaded = load(std::string(VESTRA_EXAMPLES_DIR) + "/" + c.file, options);
        ASSERT_TRUE(loaded.experiment) << loaded.error;
        EXPECT_EQ(loaded.experiment->pedestrianCount, c.pedestrians);
        EXPECT_TRUE(loaded.experiment->hasPartialPresence());
        if (c.note) {
            const std::string all = testing::PrintToString(loaded.notes);
            EXPECT_NE(all.find(c.note), std::string::npos) << all;
        }
    }
}
