#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CsvReader.h"
#include "app/SweepPlan.h"
#include "app/SweepResult.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += "[" + part + "]";
    }
    return text;
}

}  // namespace

TEST(CsvReader, ReadsQuotedFieldsCommentsAndBlankLines) {
    struct Case {
        const char* text;
        std::vector<std::string> records;  ///< each record's fields joined as [a][b]
        std::vector<int> lines;
        const char* error;  ///< empty: no error
        int errorLine;
    };
    const Case cases[] = {
        {"a,b\n1,2\n", {"[a][b]", "[1][2]"}, {1, 2}, "", 0},
        {"a, b ,c\r\n1,,3", {"[a][b][c]", "[1][][3]"}, {1, 2}, "", 0},
        {"# note\n\n  \na\n# more\n1\n", {"[a]", "[1]"}, {4, 6}, "", 0},
        {"\"x, y\",\"say \"\"hi\"\"\" ,z\n", {"[x, y][say \"hi\"][z]"}, {1}, "", 0},
        {"\"two\nlines\",b\nnext\n", {"[two\nlines][b]", "[next]"}, {1, 3}, "", 0},
        {"\"  kept  \",#not a comment\n", {"[  kept  ][#not a comment]"}, {1}, "", 0},
        {"\xEF\xBB\xBF"
         "a,b\n",
         {"[a][b]"},
         {1},
         "",
         0},
        {"a\n\"open,b\nc\n", {"[a]"}, {1}, "a quoted field is not closed", 2},
        {"a\n\"x\"y,b\n", {"[a]"}, {1}, "text after the closing quote of a field", 2},
        {"a\nx\"y\n", {"[a]"}, {1}, "a quote inside a field that does not start with one", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CsvReader reader(c.text);
        std::vector<std::string> records;
        std::vector<int> lines;
        std::vector<std::string> fields;
        while (reader.next(fields)) {
            records.push_back(joined(fields));
            lines.push_back(reader.line());
        }
        EXPECT_EQ(records, c.records);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(reader.error().rfind(c.error, 0), 0u) << reader.error();
        EXPECT_EQ(reader.error().empty(), std::string(c.error).empty());
        if (c.errorLine) {
            EXPECT_EQ(reader.line(), c.errorLine);
        }
    }
}

TEST(CsvReader, WrittenFieldsReadBackUnchanged) {
    const std::vector<std::string> values = {"plain",    "a,b",        "say \"hi\"",
                                             " padded ", "two\nlines", ""};
    std::string line;
    for (const std::string& value : values) {
        line += (line.empty() ? "" : ",") + csvField(value);
    }
    CsvReader reader(line + "\n");
    std::vector<std::string> fields;
    ASSERT_TRUE(reader.next(fields)) << reader.error();
    EXPECT_EQ(fields, values);
    EXPECT_EQ(csvField("plain"), "plain");
}

TEST(SweepPlan, ReadsColumnsInAnyOrderWithPathsFromThePlansFolder) {
    ScratchFolder folder;
    const std::string plan = folder.write(
        "plan.csv",
        "# two runs\n"
        "seed,algorithm_set,experiment,metric,model,algorithm,options,set\n"
        "\n"
        "7,N=6; n=2 ;,data/walk.txt,Difference,RVO2,Genetic,"
        "\"--format juelich --fps 16 --obstacles 'my walls.txt'\",\"Speed=1 2 UNIFORM\"\n"
        "8,,/abs/walk.ana,Path Length,Boids,Greedy,,\n");
    std::vector<std::string> problems;
    SweepPlan sweep;
    ASSERT_TRUE(sweep.read(plan, problems)) << joined(problems);
    ASSERT_EQ(sweep.rows.size(), 2u);
    const SweepRow& first = sweep.rows[0];
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.line, 4);
    EXPECT_EQ(first.experiment, "data/walk.txt");
    EXPECT_EQ(first.experimentPath, folder.file("data/walk.txt"));
    EXPECT_EQ(joined(first.readingArguments),
              "[--format][juelich][--fps][16][--obstacles][" + folder.file("my walls.txt") + "]");
    EXPECT_EQ(joined(first.calibrateArguments()),
              "[calibrate][" + folder.file("data/walk.txt") +
                  "][--format][juelich][--fps][16][--obstacles][" + folder.file("my walls.txt") +
                  "][--model][RVO2][--metric][Difference][--algorithm][Genetic][--seed][7]"
                  "[--set][Speed=1 2 UNIFORM][--algorithm-set][N=6][--algorithm-set][n=2]");
    const SweepRow& second = sweep.rows[1];
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(second.experimentPath, "/abs/walk.ana");
    EXPECT_EQ(second.metric, "Path Length");
    EXPECT_TRUE(second.readingArguments.empty());
    EXPECT_TRUE(second.settingArguments.empty());
}

TEST(SweepPlan, RefusesBadPlansNamingTheRowAndLine) {
    const std::string header = "experiment,model,metric,algorithm,seed";
    struct Case {
        std::string text;
        std::vector<std::string> problems;  ///< the start of each message after "PLAN"
        std::vector<bool> wellFormed;       ///< per row kept for further checks
    };
    const Case cases[] = {
        {"experiment,model,metric,algorithm,seed,colour\na,b,c,d,1,red\n",
         {" line 1: unknown column \"colour\"; the columns are experiment, model, metric, "
          "algorithm, seed, options, set, metric_set, algorithm_set, experiments, held_out, "
          "held_out_options."},
         {}},
        {"experiment,model,metric,algorithm\na,b,c,d\n",
         {": the header has no column \"seed\""},
         {}},
        {"# plan\nexperiment,model,model,metric,algorithm,seed\n",
         {" line 2: the column \"model\" appears twice."},
         {}},
        {"", {" has no header line."}, {}},
        {header + "\n# nothing yet\n", {" lists no runs"}, {}},
        {header + "\na,Boids,Difference,Greedy,1\n# skip\n\na,Boids,Difference,Greedy\n",
         {" row 2 (line 5): 4 fields, but the header names 5 columns."},
         {true, false}},
        {header + ",set\na,,Difference,Greedy,1,\nb,Boids,Difference,Greedy,2,Speed\n",
         {" row 1 (line 2): the model is empty.",
          " row 2 (line 3): set needs \"Name=text\" pairs separated by \";\", got \"Speed\"."},
         {false, false}},
        {header + ",options\na,Boids,Difference,Greedy,1,--obstacles 'walls\n",
         {" row 1 (line 2): the options have an unclosed '"},
         {false}},
        {"experiments,model,metric,algorithm,seed,experiment,options,held_out,held_out_options\n"
         "l.csv,Boids,Difference,Greedy,1,a.ana,,,\n"
         ",Boids,Difference,Greedy,1,,,,\n"
         "l.csv,Boids,Difference,Greedy,1,,--scope shared --stride 2,,\n"
         "l.csv,Boids,Difference,Greedy,1,,,,--stride 2\n",
         {" row 1 (line 2): a row names an experiment or a list of experiments, not both.",
          " row 2 (line 3): the experiment is empty.",
          " row 3 (line 4): a row over a list of experiments takes the reading options from the "
          "list; its options column takes only --scope, not \"--stride\".",
          " row 4 (line 5): held_out_options are the reading options of a held_out recording"},
         {false, false, false, false}},
        {header + "\na,Boids,Difference,Greedy,1\n\"b,Boids\n",
         {" line 3: a quoted field is not closed."},
         {true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScratchFolder folder;
        const std::string plan = folder.write("plan.csv", c.text);
        std::vector<std::string> problems;
        SweepPlan sweep;
        EXPECT_FALSE(sweep.read(plan, problems));
        ASSERT_EQ(problems.size(), c.problems.size()) << joined(problems);
        for (size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i].rfind(plan + c.problems[i], 0), 0u) << problems[i];
        }
        std::vector<bool> wellFormed;
        for (const SweepRow& row : sweep.rows) {
            wellFormed.push_back(row.wellFormed);
        }
        EXPECT_EQ(wellFormed, c.wellFormed);
    }
}

TEST(SweepPlan, AMissingPlanIsReported) {
    ScratchFolder folder;
    std::vector<std::string> problems;
    SweepPlan sweep;
    EXPECT_FALSE(sweep.read(folder.file("none.csv"), problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "Cannot read the plan \"" + folder.file("none.csv") + "\".");
}

TEST(SweepPlan, ARowMayCalibrateOverAListAndScoreAHeldOutRecording) {
    ScratchFolder folder;
    const std::string plan = folder.write(
        "plan.csv",
        "experiments,model,metric,algorithm,seed,options,held_out,held_out_options\n"
        "fold-1.csv,RVO2,Difference,Greedy,3,--scope shared,c.txt,--stride 2 --obstacles w.txt\n");
    std::vector<std::string> problems;
    SweepPlan sweep;
    ASSERT_TRUE(sweep.read(plan, problems)) << joined(problems);
    const SweepRow& row = sweep.rows.at(0);
    EXPECT_EQ(row.request.experimentList, folder.file("fold-1.csv"));
    EXPECT_EQ(row.request.scope, ParameterScope::shared);
    EXPECT_EQ(row.heldOutSource.file, folder.file("c.txt"));
    EXPECT_EQ(row.heldOutSource.reading.stride, 2);
    EXPECT_EQ(row.heldOutSource.reading.obstacles, folder.file("w.txt"));
    EXPECT_EQ(row.recordings(), "fold-1.csv");
    EXPECT_EQ(joined(row.calibrateArguments()),
              "[calibrate][--experiments][" + folder.file("fold-1.csv") +
                  "][--scope][shared][--model][RVO2][--metric][Difference][--algorithm][Greedy]"
                  "[--seed][3]");
}

TEST(SweepResult, HeldOutScoresReadBackAndOtherRowsKeepTheOlderForm) {
    ScratchFolder folder;
    SweepResult plain;
    plain.row = 2;
    plain.experiment = "a.ana";
    plain.status = "done";
    SweepResult held = plain;
    held.experiment.clear();
    held.experiments = "fold-2.csv";
    held.heldOut = "b.ana";
    held.heldOutScores = HeldOutScores{0.5, 0.75, 1.25};
    std::string error;
    ASSERT_TRUE(plain.write(folder.file("plain.csv"), error)) << error;
    ASSERT_TRUE(held.write(folder.file("held.csv"), error)) << error;
    // Results of rows without the new columns keep the seventeen fields older tools read.
    EXPECT_EQ(readFile(folder.file("plain.csv")).find("experiments"), std::string::npos);
    SweepResult read;
    ASSERT_TRUE(read.read(folder.file("held.csv"), error)) << error;
    EXPECT_EQ(read.experiments, "fold-2.csv");
    EXPECT_EQ(read.heldOut, "b.ana");
    ASSERT_TRUE(read.heldOutScores.has_value());
    EXPECT_EQ(read.heldOutScores->fitted, 0.5);
    EXPECT_EQ(read.heldOutScores->defaults, 0.75);
    EXPECT_EQ(read.heldOutScores->constantVelocity, 1.25);
    EXPECT_FALSE(read.heldOutPaired.has_value());
    ASSERT_TRUE(read.read(folder.file("plain.csv"), error)) << error;
    EXPECT_EQ(read.experiment, "a.ana");
    EXPECT_TRUE(read.experiments.empty());
    EXPECT_FALSE(read.heldOutScores.has_value());
}
