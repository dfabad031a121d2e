#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/NumberText.h"
#include "tests/support/BatchRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

// A 5 × 5 lattice of pedestrians 1 m apart, centred on the origin, walking in +x at 1 m/s: eight
// frames a second, 0.125 m a frame, frames 0 to 8. Its inner cells are squares of 1 m², so the
// Voronoi density of any area inside them is 1/m² and the speed 1 m/s, whatever the frame.
std::string latticeRecording(const ScratchFolder& folder) {
    std::string text = "# framerate: 8\n";
    int id = 0;
    for (int column = -2; column <= 2; ++column) {
        for (int row = -2; row <= 2; ++row) {
            ++id;
            for (int k = 0; k <= 8; ++k) {
                text += NumberText::format("%d %d %.3f %d 0\n", id, k, column + 0.125 * k, row);
            }
        }
    }
    return folder.write("lattice.txt", text);
}

std::vector<std::vector<std::string>> csvRows(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, ',');) {
            cells.push_back(cell);
        }
        rows.push_back(cells);
    }
    return rows;
}

const std::string square = "-0.5 -0.5 0.5 -0.5 0.5 0.5 -0.5 0.5";  // 1 m² at the centre
const std::string lineAt = "0.3 -3 0.3 3";                         // crossed by one column

}  // namespace

TEST(Analyse, ALatticeWalkingAcrossTheAreaHasItsHandComputedMeasurements) {
    ScratchFolder folder;
    const std::string out = folder.file("analysis");
    const BatchResult result =
        runBatch(folder, {"analyse", latticeRecording(folder), "--unit", "m", "--area", square,
                          "--line", lineAt, "--model", "Constant Velocity", "-o", out});
    ASSERT_EQ(result.status, 0) << result.err;

    const auto rows = csvRows(out + "/density_speed.csv");
    ASSERT_EQ(rows.size(), 10u);  // the header and frames 0 to 8
    EXPECT_EQ(rows[0][2], "measured_classic_density");
    EXPECT_EQ(rows[0][6], "simulated_classic_density");
    for (int k = 0; k <= 8; ++k) {
        SCOPED_TRACE(k);
        const std::vector<std::string>& row = rows[static_cast<size_t>(k) + 1];
        ASSERT_EQ(row.size(), 10u);
        EXPECT_NEAR(std::stod(row[1]), k / 8.0, 1e-6);
        // The centre column walks from x = 0 to 1; on frame 4 it is on the area's right edge as
        // the column behind is on its left edge, both inside.
        EXPECT_EQ(std::stod(row[2]), k == 4 ? 2.0 : 1.0);
        // Measured, then simulated: a constant-velocity crowd walks as the lattice does.
        for (const size_t first : {size_t{3}, size_t{7}}) {
            EXPECT_NEAR(std::stod(row[first]), 1.0, 1e-6);      // Voronoi density
            EXPECT_NEAR(std::stod(row[first + 1]), 1.0, 1e-6);  // Voronoi speed
            EXPECT_NEAR(std::stod(row[first + 2]), 1.0, 1e-6);  // specific flow
        }
    }
    // The five pedestrians of the centre column cross x = 0.3 on frame 3 (at x = 0.375), from the
    // line's left (−x, looking from its first point up +y) to its right; nobody else does.
    const auto crossings = csvRows(out + "/crossings.csv");
    ASSERT_EQ(crossings.size(), 11u);
    for (size_t n = 1; n <= 5; ++n) {
        EXPECT_EQ(crossings[n][0], "measured");
        EXPECT_EQ(crossings[n][2], "3");
        EXPECT_EQ(crossings[n][4], "left_to_right");
        EXPECT_EQ(crossings[n][5], std::to_string(n));
    }
    const std::string summary = readFile(out + "/summary.txt");
    EXPECT_EQ(result.out, summary);
    EXPECT_NE(summary.find("measured crossings_left_to_right 5\n"), std::string::npos);
    // All five cross on one frame, so no flow between a first and a last crossing exists.
    EXPECT_NE(summary.find("measured flow_left_to_right nan\n"), std::string::npos);
    EXPECT_NE(summary.find("measured mean_classic_density 1.11111111\n"), std::string::npos);
#ifdef VESTRA_BATCH_DRAWS_PICTURES
    for (const char* picture : {"fundamental_diagram.png", "density_time.png", "nt.png"}) {
        EXPECT_GT(std::filesystem::file_size(out + "/" + picture), 1000u) << picture;
    }
#endif
}

TEST(Analyse, BadInputIsRefusedWithoutWritingAnything) {
    ScratchFolder folder;
    const std::string recording = latticeRecording(folder);
    const std::string occupied = folder.file("occupied");
    std::filesystem::create_directory(occupied);
    folder.write("occupied/notes.txt", "mine");
    struct Case {
        std::vector<std::string> options;
        std::string target;
        int status;
        std::string says;
    };
    const std::string out = folder.file("out");
    const std::vector<Case> cases = {
        {{"--area", "0 0 1 0"}, out, 2, "three corners"},
        {{"--area", "0 0 1 1 1 0 0 1"}, out, 2, "cross"},
        {{"--area", square, "--line", "1 1 1 1"}, out, 2, "--line"},
        {{"--area", square, "--walkable", "0 0 3 0 3 3"}, out, 2, "does not lie inside"},
        // The default walkable area is the lattice's box grown by 1 m.
        {{"--area", "10 10 11 10 11 11"}, out, 1, "does not lie inside"},
        {{"--area", "-2.9 -2.9 -2.6 -2.9 -2.6 -2.6"}, out, 1, "nobody is inside"},
        {{"--area", square, "--cutoff", "-1"}, out, 2, "--cutoff"},
        {{"--area", square}, occupied, 2, "notes.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1]);
        std::vector<std::string> arguments = {"analyse", recording, "--unit", "m", "-o", c.target};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const BatchResult result = runBatch(folder, arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(readFile(occupied + "/notes.txt"), "mine");
    // Nothing is left beside the targets either.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file(""))) {
        entries += entry.path().filename().string()[0] == '.' ? 100 : 1;
    }
    EXPECT_EQ(entries, 4);  // the recording, occupied/, and the captured stdout and stderr
}

TEST(Analyse, AnEarlierResultFolderIsReplacedWhole) {
    ScratchFolder folder;
    const std::string recording = latticeRecording(folder);
    const std::string out = folder.file("analysis");
    ASSERT_EQ(runBatch(folder, {"analyse", recording, "--unit", "m", "--area", square, "--line",
                                lineAt, "-o", out})
                  .status,
              0);
    ASSERT_TRUE(std::filesystem::exists(out + "/crossings.csv"));
    // Without a line the new results have no crossings, and the old table does not linger.
    const BatchResult again =
        runBatch(folder, {"analyse", recording, "--unit", "m", "--area", square, "-o", out});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(std::filesystem::exists(out + "/crossings.csv"));
    EXPECT_TRUE(std::filesystem::exists(out + "/density_speed.csv"));
}
