#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/CsvReader.h"
#include "tests/support/BatchRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;
const std::vector<std::string> recordings = {examples + "/corridor-crossing.ana",
                                             examples + "/bottleneck.ana",
                                             examples + "/crossing-flows.ana"};

// A calibration of a few dozen evaluations per fold.
std::vector<std::string> crossval(const std::string& list, const std::string& out,
                                  const std::string& metric = "Difference") {
    return {"crossval",        list,      "--model",         "RVO2", "--metric",        metric,
            "--algorithm",     "Genetic", "--algorithm-set", "N=6",  "--algorithm-set", "n=2",
            "--algorithm-set", "loops=2", "--seed",          "4",    "--out",           out};
}

std::string listOf(const std::vector<std::string>& files) {
    std::string text = "experiment,options\n";
    for (const std::string& file : files) {
        text += file + ",\n";
    }
    return text;
}

// The rows of a CSV file below its header.
std::vector<std::vector<std::string>> rowsOf(const std::string& path) {
    CsvReader reader(readFile(path));
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    reader.next(fields);
    while (reader.next(fields)) {
        rows.push_back(fields);
    }
    return rows;
}

// The score `evaluate` prints last for these arguments.
std::string evaluated(const ScratchFolder& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "evaluate");
    const BatchResult r = runBatch(folder, arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string last = lastLine(r.out);
    return last.substr(0, last.find('\t'));
}

// The numbers of a markdown table line after its first cell.
std::vector<double> cellsOf(const std::string& line) {
    std::vector<double> cells;
    std::istringstream parts(line.substr(line.find('|', 1) + 1));
    std::string cell;
    while (std::getline(parts, cell, '|')) {
        if (cell.find_first_not_of(' ') != std::string::npos) {
            cells.push_back(std::stod(cell));
        }
    }
    return cells;
}

}  // namespace

TEST(Crossval, EachHeldOutRecordingIsScoredAsEvaluateScoresIt) {
    ScratchFolder folder;
    const std::string list = folder.write("all.csv", listOf(recordings));
    const std::string out = folder.file("cv");
    std::vector<std::string> arguments = crossval(list, out);
    arguments.insert(arguments.end(), {"--jobs", "2"});
    const BatchResult run = runBatch(folder, arguments);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const auto rows = rowsOf(out + "/crossval.csv");
    ASSERT_EQ(rows.size(), 3u);
    for (size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(k);
        const std::vector<std::string>& row = rows[k];
        const std::string& heldOut = recordings[k];
        const std::string fitted = out + "/row-" + std::to_string(k + 1) + ".prm";
        EXPECT_EQ(row[0], heldOut);
        EXPECT_EQ(std::vector<std::string>(row.begin() + 1, row.begin() + 5),
                  (std::vector<std::string>{"RVO2", "Difference", "Genetic", "4"}));
        EXPECT_EQ(row[6], evaluated(folder, {heldOut, "--model", "RVO2", "--metric", "Difference",
                                             "--load-params", fitted}));
        EXPECT_EQ(row[7],
                  evaluated(folder, {heldOut, "--model", "RVO2", "--metric", "Difference"}));
        EXPECT_EQ(row[8], evaluated(folder, {heldOut, "--model", "Constant Velocity", "--metric",
                                             "Difference"}));
        // The training cost is the fitted values' mean score on the other two recordings.
        std::vector<std::string> training;
        for (size_t i = 0; i < recordings.size(); ++i) {
            if (i != k) {
                training.push_back(recordings[i]);
            }
        }
        EXPECT_EQ(readFile(out + "/fold-" + std::to_string(k + 1) + ".train.csv"),
                  listOf(training));
        training.insert(training.end(),
                        {"--model", "RVO2", "--metric", "Difference", "--load-params", fitted});
        const double trained = std::stod(evaluated(folder, training));
        EXPECT_NEAR(std::stod(row[5]), trained, 1e-5 * trained);
        EXPECT_EQ(row[11], "");  // no paired metric for Difference
    }
    // The paper's table: a line per held-out recording, then the mean of each column.
    std::istringstream md(readFile(out + "/crossval.md"));
    std::vector<std::vector<double>> lines;
    for (std::string line; std::getline(md, line);) {
        if (line.rfind("| ", 0) == 0 && line.find("Held-out") == std::string::npos) {
            lines.push_back(cellsOf(line));
        }
    }
    ASSERT_EQ(lines.size(), 4u);
    for (size_t column = 0; column < 4; ++column) {
        const double mean = (std::stod(rows[0][5 + column]) + std::stod(rows[1][5 + column]) +
                             std::stod(rows[2][5 + column])) /
                            3.0;
        EXPECT_NEAR(lines[3][column], mean, 1e-8 * mean) << column;
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(lines[k][column], std::stod(rows[k][5 + column]));
        }
    }

    // Run again, it finds every fold done and leaves the folder as it was.
    const auto written = std::filesystem::last_write_time(out + "/row-1.prm");
    const BatchResult again = runBatch(folder, arguments);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("nothing to run"), std::string::npos) << again.out;
    EXPECT_EQ(std::filesystem::last_write_time(out + "/row-1.prm"), written);
    EXPECT_EQ(rowsOf(out + "/crossval.csv"), rows);
}

TEST(Crossval, BadInputIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        std::string list;                ///< the list's text; empty: no list file
        std::vector<std::string> extra;  ///< more arguments
        std::string message;             ///< part of the message
        bool namesList;                  ///< the message names the list file
    };
    const std::string good = listOf({recordings[0], recordings[1]});
    const Case cases[] = {
        {"one recording",
         listOf({recordings[0]}),
         {},
         "lists one recording; crossval needs two",
         true},
        {"missing list", "", {}, "Cannot read the list of recordings", true},
        {"bad option",
         good + recordings[2] + ",--colour red\n",
         {},
         "line 4: the options column",
         true},
        {"empty recording", good + "empty.ana,\n", {}, "line 4: \"", true},
        {"missing recording", good + "none.ana,\n", {}, "line 4: ", true},
        {"unknown model", good, {"--model", "Nobody"}, "\"Nobody\"", false},
        {"pedestrian scope", good, {"--scope", "pedestrian"}, "--scope shared only", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        folder.write("empty.ana", "");
        const std::string list = folder.file("list.csv");
        if (!c.list.empty()) {
            folder.write("list.csv", c.list);
        }
        std::vector<std::string> arguments = crossval(list, folder.file("cv"));
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const BatchResult r = runBatch(folder, arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(list) != std::string::npos, c.namesList) << r.err;
        EXPECT_FALSE(std::filesystem::exists(folder.file("cv")));
    }
}

TEST(Crossval, OnAClusterTheFoldsAreArrayTasksAndCollectWritesTheTables) {
    ScratchFolder folder;
    const std::string list = folder.write("all.csv", listOf(recordings));
    const std::string out = folder.file("cv");
    const std::string bin = folder.file("bin");
    std::filesystem::create_directory(bin);
    folder.write("bin/scontrol", "#!/bin/sh\nexit 1\n");
    std::filesystem::permissions(bin + "/scontrol", std::filesystem::perms::owner_all);
    std::vector<std::string> arguments = crossval(list, out);
    arguments.push_back("--slurm");
    const BatchResult written = runBatch(folder, arguments, "PATH=" + quoted(bin) + ":$PATH ");
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.out.find("an array job of 3 tasks (rows 1-3)"), std::string::npos)
        << written.out;
    const std::string script = readFile(out + "/sweep.sbatch");
    EXPECT_NE(script.find(" sweep " + out + "/crossval-plan.csv --out " + out + " --row \"$row\""),
              std::string::npos)
        << script;
    // Until the tasks have run, collect says the tables are not there yet.
    const BatchResult early = runBatch(folder, {"collect", out});
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.out.find("crossval.csv not written: 0 of 3 folds done."), std::string::npos)
        << early.out;
    // Each task runs its row as the script does; then collect writes the tables.
    for (const char* row : {"1", "2", "3"}) {
        const BatchResult task =
            runBatch(folder, {"sweep", out + "/crossval-plan.csv", "--out", out, "--row", row});
        ASSERT_EQ(task.status, 0) << task.out << task.err;
    }
    const BatchResult collected = runBatch(folder, {"collect", out});
    EXPECT_EQ(collected.status, 0) << collected.out << collected.err;
    EXPECT_EQ(rowsOf(out + "/crossval.csv").size(), 3u);
    EXPECT_NE(collected.out.find("| Mean | "), std::string::npos) << collected.out;
}

TEST(Crossval, ByAverageDisplacementErrorEachHeldOutCellAlsoGivesTheFinalError) {
    ScratchFolder folder;
    const std::string ade = "Average Displacement Error";
    const std::string fde = "Final Displacement Error";
    if (runBatch(folder, {"list"}).out.find(ade) == std::string::npos) {
        GTEST_SKIP() << "no \"" << ade << "\" metric in this build";
    }
    const std::string list = folder.write("two.csv", listOf({recordings[0], recordings[2]}));
    const std::string out = folder.file("cv");
    const BatchResult run = runBatch(folder, crossval(list, out, ade));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const auto rows = rowsOf(out + "/crossval.csv");
    ASSERT_EQ(rows.size(), 2u);
    const std::string md = readFile(out + "/crossval.md");
    for (size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE(k);
        const std::vector<std::string>& row = rows[k];
        const std::string fitted = out + "/row-" + std::to_string(k + 1) + ".prm";
        EXPECT_EQ(row[11], fde);
        EXPECT_EQ(row[12], evaluated(folder, {row[0], "--model", "RVO2", "--metric", fde,
                                              "--load-params", fitted}));
        EXPECT_EQ(row[13], evaluated(folder, {row[0], "--model", "RVO2", "--metric", fde}));
        EXPECT_EQ(row[14],
                  evaluated(folder, {row[0], "--model", "Constant Velocity", "--metric", fde}));
        for (size_t column = 0; column < 3; ++column) {
            const std::string cell = " " + row[6 + column] + "/" + row[12 + column] + " |";
            EXPECT_NE(md.find(cell), std::string::npos) << cell << "\n" << md;
        }
    }
}

TEST(Crossval, AnObstacleFileNamedRelativeToAListGivenByARelativePathIsFoundByEveryFold) {
    ScratchFolder folder;
    const std::string walls = folder.write("walls.txt", "-5 -5 -5 20\n");
    std::string text = "experiment,options\n";
    for (const std::string& file : recordings) {
        text += file + ",--obstacles walls.txt\n";
    }
    folder.write("list.csv", text);
    const std::string relativeList = std::filesystem::relative(folder.file("list.csv")).string();
    ASSERT_NE(relativeList.front(), '/');
    const BatchResult r = runBatch(folder, crossval(relativeList, folder.file("cv")));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = rowsOf(folder.file("cv/fold-1.train.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "--obstacles " + std::filesystem::canonical(walls).string());
}
