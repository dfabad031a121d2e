#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/BatchRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;
const std::string corridor = examples + "/corridor-crossing.ana";
const std::string bottleneck = examples + "/bottleneck.ana";
const std::string crossing = examples + "/crossing-flows.ana";

std::vector<std::string> withRun(std::vector<std::string> arguments, const std::string& model) {
    for (const char* word : {"--model", model.c_str(), "--metric", "Difference"}) {
        arguments.push_back(word);
    }
    return arguments;
}

double scoreOf(const ScratchFolder& folder, std::vector<std::string> arguments) {
    const BatchResult r = runBatch(folder, arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    return std::stod(lastLine(r.out));
}

// The values of every "%parameter_k" section of a parameter file, in order.
std::vector<std::vector<double>> sectionsOf(const std::string& text) {
    std::vector<std::vector<double>> sections;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        if (word.rfind("%parameter_", 0) == 0) {
            sections.emplace_back();
        } else if (!sections.empty()) {
            sections.back().push_back(std::strtod(word.c_str(), nullptr));
        }
    }
    return sections;
}

}  // namespace

TEST(SeveralRecordings, EvaluatePrintsEachScoreThenTheirMean) {
    ScratchFolder folder;
    const double alone[] = {scoreOf(folder, withRun({"evaluate", corridor}, "RVO2")),
                            scoreOf(folder, withRun({"evaluate", bottleneck}, "RVO2"))};
    const BatchResult both = runBatch(folder, withRun({"evaluate", corridor, bottleneck}, "RVO2"));
    ASSERT_EQ(both.status, 0) << both.err;
    std::istringstream lines(both.out);
    std::string line;
    for (const std::string& file : {corridor, bottleneck}) {
        std::getline(lines, line);
        EXPECT_EQ(line.substr(line.find('\t') + 1), file);
    }
    EXPECT_NEAR(std::stod(lastLine(both.out)), (alone[0] + alone[1]) / 2.0, 1e-6);
    EXPECT_NE(lastLine(both.out).find("\tmean of 2 recordings"), std::string::npos);
}

TEST(SeveralRecordings, ASharedFitLoadsOntoAHeldOutRecordingAndScoresItsReportedCost) {
    ScratchFolder folder;
    const std::string shared = folder.file("shared.prm");
    // The list gives the second recording through its own row, as a study would.
    const std::string list = folder.write(
        "train.csv", "experiment,options\n" + corridor + ",\n\"" + bottleneck + "\",--stride 1\n");
    const BatchResult fit =
        runBatch(folder, withRun({"calibrate", "--experiments", list, "--algorithm", "Greedy",
                                  "--scope", "shared", "--seed", "5", "--save-params", shared},
                                 "RVO2"));
    ASSERT_EQ(fit.status, 0) << fit.err;
    EXPECT_NE(fit.out.find("start\tbest\trecording\n"), std::string::npos) << fit.out;
    // The shared file holds one value per parameter and loads onto any recording of the model.
    const auto sections = sectionsOf(readFile(shared));
    ASSERT_EQ(sections.size(), 5u);
    for (const auto& values : sections) {
        EXPECT_EQ(values.size(), 1u);
    }
    const double trained =
        (scoreOf(folder, withRun({"evaluate", corridor, "--load-params", shared}, "RVO2")) +
         scoreOf(folder, withRun({"evaluate", bottleneck, "--load-params", shared}, "RVO2"))) /
        2.0;
    const std::string cost = fit.out.substr(fit.out.find("%%cost\n") + 7);
    EXPECT_NEAR(std::stod(cost), trained, 1e-5 * trained);
    const double heldOut =
        scoreOf(folder, withRun({"evaluate", crossing, "--load-params", shared}, "RVO2"));
    EXPECT_TRUE(std::isfinite(heldOut));
}

TEST(SeveralRecordings, DistributionsDescribeTheCalibratedValuesAsSetTakesThem) {
    ScratchFolder folder;
    const std::string values = folder.file("values.prm");
    const std::string spread = folder.file("spread.txt");
    const BatchResult fit =
        runBatch(folder, withRun({"calibrate", crossing, "--algorithm", "Greedy", "--seed", "2",
                                  "--save-params", values, "--save-distributions", spread},
                                 "Helbing"));
    ASSERT_EQ(fit.status, 0) << fit.err;
    const auto sections = sectionsOf(readFile(values));
    std::istringstream lines(readFile(spread));
    std::string line;
    for (const std::string name : {"Radius", "Speed"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(std::getline(lines, line));
        ASSERT_EQ(line.substr(0, name.size() + 1), name + "=");
        std::istringstream text(line.substr(name.size() + 1));
        double min = 0, max = 0, mean = 0, deviation = 0;
        std::string kind;
        text >> min >> max >> kind >> mean >> deviation;
        const std::vector<double>& column = sections[name == "Speed"];
        double sum = 0, squares = 0, lowest = column[0], highest = column[0];
        for (const double v : column) {
            sum += v;
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        for (const double v : column) {
            squares += (v - sum / column.size()) * (v - sum / column.size());
        }
        EXPECT_EQ(kind, "NORMAL");
        EXPECT_NEAR(min, lowest, 1e-5);
        EXPECT_NEAR(max, highest, 1e-5);
        EXPECT_NEAR(mean, sum / column.size(), 1e-5);
        EXPECT_NEAR(deviation, std::sqrt(squares / column.size()), 1e-5);
    }
    // The text is what --set takes.
    ASSERT_TRUE(std::getline(std::istringstream(readFile(spread)), line));
    EXPECT_EQ(runBatch(folder, withRun({"evaluate", corridor, "--set", line}, "Helbing")).status,
              0);
}

TEST(SeveralRecordings, BadInputIsRefusedBeforeAnythingRunsAndNothingIsWritten) {
    ScratchFolder folder;
    const std::string out = folder.file("never.prm");
    const std::string perPedestrian = folder.file("crossing.prm");
    ASSERT_EQ(runBatch(folder, withRun({"calibrate", crossing, "--algorithm", "Greedy", "--seed",
                                        "1", "--save-params", perPedestrian},
                                       "RVO2"))
                  .status,
              0);
    const std::string rvo2Shared =
        folder.write("rvo2.prm",
                     "%scope shared\n%model RVO2\n%parameter_0 1\n%parameter_1 "
                     "15\n%parameter_2 0.3\n%parameter_3 2\n%parameter_4 2\n");
    const std::string missing =
        folder.write("missing.csv", "experiment\n" + corridor + "\nnot-there.ana\n");
    const std::string badOption =
        folder.write("option.csv", "experiment,options\n" + corridor + ",--fps -3\n");
    const std::string emptyRecording = folder.write("empty.csv", "experiment\nempty.ana\n");
    folder.write("empty.ana", "");
    const std::string noRows = folder.write("header.csv", "experiment,options\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::vector<std::string> greedy = {"--algorithm", "Greedy", "--save-params", out};
    const auto calibrate = [&](std::vector<std::string> front) {
        front.insert(front.begin(), "calibrate");
        front.insert(front.end(), greedy.begin(), greedy.end());
        return withRun(front, "RVO2");
    };
    const Case cases[] = {
        {withRun({"evaluate", crossing, "--load-params", rvo2Shared}, "Boids"), 1,
         "for the model \"RVO2\", not for \"Boids\""},
        {withRun({"evaluate", corridor, "--load-params", perPedestrian}, "RVO2"), 1,
         "but this recording has"},
        {calibrate({"--experiments", missing, "--scope", "shared"}), 1, missing + " line 3: "},
        {calibrate({"--experiments", badOption, "--scope", "shared"}), 2,
         badOption + " line 2: --fps needs"},
        {calibrate({"--experiments", emptyRecording, "--scope", "shared"}), 2,
         "empty.ana\" is empty"},
        {calibrate({"--experiments", noRows, "--scope", "shared"}), 2, "lists no recording"},
        {calibrate({corridor, bottleneck}), 2, "several recordings need --scope shared"},
        {calibrate({"--experiments",
                    folder.write("two.csv", "experiment\n" + corridor + "\n" + bottleneck + "\n")}),
         2, "several recordings need --scope shared"},
        {calibrate({corridor, "--experiments", missing, "--scope", "shared"}), 2,
         "either as files (FILE ...) or as a list"},
        {calibrate({corridor, "--scope", "shared", "--save-distributions", folder.file("d.txt")}),
         2, "--save-distributions describes the spread of per-pedestrian values"},
        {calibrate({corridor, "--scope", "everyone"}), 2, "--scope needs pedestrian or shared"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const BatchResult r = runBatch(folder, c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}
