#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/PDF.h"
#include "data/Experiment.h"
#include "models/Dummy.h"
#include "models/Simulation.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/ExperimentTable.h"

#include "tests/support/RecordSetUp.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> folderListing(const fs::path& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t bits(float value) {
    std::uint32_t out;
    std::memcpy(&out, &value, sizeof out);
    return out;
}

std::vector<std::uint32_t> bitsOf(const float* values, int count) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(bits(values[i]));
    }
    return out;
}

// Walks like a Dummy but has two agent parameters and remembers what it was handed.
class TwoParameterWalker : public Dummy {
public:
    static void registerParameters(std::vector<float>& defaults, std::vector<PDF>& distributions) {
        defaults.push_back(0.5f);
        distributions.push_back(PDF(0.0f, 1.0f, PDF::UNIFORM, 0.0f, 0.0f));
        defaults.push_back(1.5f);
        distributions.push_back(PDF(1.0f, 2.0f, PDF::NORMAL, 1.5f, 0.25f));
    }
    void addObstacle(float, float, float, float) override { ++obstaclesSeen; }
    void setGoal(float x, float y) override {
        goalX = x;
        goalY = y;
        Dummy::setGoal(x, y);
    }

    int obstaclesSeen = 0;
    float goalX = std::numeric_limits<float>::quiet_NaN();
    float goalY = std::numeric_limits<float>::quiet_NaN();
};

// Counts applyParameters, so a test can tell whether a load handed values to the agents.
class CountingSimulation : public SimulationGeneric<TwoParameterWalker> {
public:
    void applyParameters() override {
        ++applyCount;
        SimulationGeneric<TwoParameterWalker>::applyParameters();
    }
    int applyCount = 0;
};

// Three pedestrians over four frames, each walking up the y axis from (i, 0) to (i, 2), with a
// distinct first velocity, and two obstacle segments.
ExperimentTable threeWalkers() {
    ExperimentTable table;
    for (int i = 0; i < 3; ++i) {
        const float x = static_cast<float>(i);
        table.addTrajectory({{x, 0.0f}, {x, 0.5f}, {x, 1.0f}, {x, 2.0f}});
        table.velX[i * 4] = static_cast<float>(i + 1);
        table.velY[i * 4] = -static_cast<float>(i + 1);
    }
    table.times = {0.0f, 0.5f, 1.0f, 1.5f};
    table.obstacles.push_back({0.0f, -1.0f, 5.0f, -1.0f});
    table.obstacles.push_back({5.0f, -1.0f, 5.0f, 4.0f});
    return table;
}

class RecordTest : public testing::Test {
protected:
    void SetUp() override {
        simulation.name = "Walker";
        experiment = makeExperiment(threeWalkers());
        bindAndPrepare(record, experiment.get(), &simulation);
    }

    // Gives every matrix entry a value of its own: row a, parameter k holds a + k / 4.
    void fillMatrix() {
        for (int a = 0; a < 3; ++a) {
            for (int k = 0; k < 2; ++k) {
                record.parameterMatrix[a * 2 + k] = static_cast<float>(a) + 0.25f * k;
            }
        }
    }

    std::vector<std::uint32_t> matrixBits() const {
        return bitsOf(simulation.agentParameters().data(),
                      static_cast<int>(simulation.agentParameters().size()));
    }

    std::vector<std::uint32_t> agentParameterBits() const {
        std::vector<std::uint32_t> out;
        for (int a = 0; a < simulation.agentCount(); ++a) {
            for (float value : simulation.pedestrian(a).parameters) {
                out.push_back(bits(value));
            }
        }
        return out;
    }

    ScratchFolder folder;
    std::unique_ptr<Experiment> experiment;
    CountingSimulation simulation;
    Record record;
};

// ---------------------------------------------------------------------------------------------
// Set-up

TEST_F(RecordTest, PrepareGivesOneAgentPerPedestrian) {
    EXPECT_EQ(record.pedestrianCount, 3);
    EXPECT_EQ(record.simulatedCount, 3);
    EXPECT_EQ(record.frameCount, 4);
    EXPECT_EQ(simulation.agentCount(), 3);
    EXPECT_EQ(record.parameterCount, 2);
    ASSERT_EQ(simulation.agentParameters().size(), 6u);
    EXPECT_EQ(record.parameterMatrix, simulation.agentParameters().data());
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(record.parameterMatrix[a * 2], 0.5f) << "row " << a;
        EXPECT_EQ(record.parameterMatrix[a * 2 + 1], 1.5f) << "row " << a;
    }
}

TEST_F(RecordTest, PrepareStartsEachAgentAtItsPedestriansFirstSampleHeadingForTheLast) {
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("agent " + std::to_string(i));
        const TwoParameterWalker& agent = simulation.pedestrian(i);
        EXPECT_EQ(agent.getX(), static_cast<float>(i));
        EXPECT_EQ(agent.getY(), 0.0f);
        EXPECT_EQ(agent.getVX(), static_cast<float>(i + 1));
        EXPECT_EQ(agent.getVY(), -static_cast<float>(i + 1));
        EXPECT_EQ(agent.goalX, static_cast<float>(i));
        EXPECT_EQ(agent.goalY, 2.0f);
    }
}

TEST_F(RecordTest, RowIOfTheMatrixReachesAgentI) {
    fillMatrix();
    record.reset();
    for (int a = 0; a < 3; ++a) {
        ASSERT_EQ(simulation.pedestrian(a).parameters.size(), 2u);
        EXPECT_EQ(simulation.pedestrian(a).parameters[0], static_cast<float>(a));
        EXPECT_EQ(simulation.pedestrian(a).parameters[1], static_cast<float>(a) + 0.25f);
    }
}

TEST_F(RecordTest, ObstaclesAreHandedOverOnce) {
    record.prepare();
    record.prepare();
    ASSERT_EQ(simulation.obstacles().size(), 2u);
    EXPECT_EQ(simulation.obstacles()[1].x1, 5.0f);
    EXPECT_EQ(simulation.obstacles()[1].y2, 4.0f);
    // Fresh agents of the last set-up each received the scene exactly once.
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(simulation.pedestrian(a).obstaclesSeen, 2) << "agent " << a;
    }
}

TEST_F(RecordTest, PrepareLeavesExactlyTheBoundExperimentsScene) {
    using Segments = std::vector<std::vector<float>>;
    struct Case {
        const char* what;
        Segments segments;
    };
    const Case cases[] = {
        {"same count, other walls", {{1, 1, 2, 2}, {3, 3, 4, 4}}},
        {"the same walls in the other order", {{5, -1, 5, 4}, {0, -1, 5, -1}}},
        {"no walls", {}},
        {"more walls", {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExperimentTable table = threeWalkers();
        table.obstacles.clear();
        for (const std::vector<float>& s : c.segments) {
            table.obstacles.push_back({s[0], s[1], s[2], s[3]});
        }
        const auto other = makeExperiment(table);
        record.setExperiment(other.get());
        record.prepare();
        Segments held;
        for (const Segment& o : simulation.obstacles()) {
            held.push_back({o.x1, o.y1, o.x2, o.y2});
        }
        EXPECT_EQ(held, c.segments);
        EXPECT_EQ(simulation.pedestrian(0).obstaclesSeen, static_cast<int>(c.segments.size()));
    }
}

TEST_F(RecordTest, SecondSimulationGetsItsOwnCopyOfTheScene) {
    CountingSimulation other;
    record.bindSimulation(&other);
    record.prepare();
    EXPECT_EQ(other.obstacles().size(), 2u);
    EXPECT_EQ(simulation.obstacles().size(), 2u);
    EXPECT_EQ(other.pedestrian(0).obstaclesSeen, 2);
}

TEST_F(RecordTest, ResetHandsOverParametersAndRestoresTheStart) {
    record.run();
    const int before = simulation.applyCount;
    fillMatrix();
    record.reset();
    EXPECT_EQ(simulation.applyCount, before + 1);
    EXPECT_EQ(simulation.pedestrian(2).getX(), 2.0f);
    EXPECT_EQ(simulation.pedestrian(2).getY(), 0.0f);
    EXPECT_EQ(simulation.pedestrian(2).parameters[1], 2.25f);
}

// ---------------------------------------------------------------------------------------------
// Parameter file through the record's own parameters

TEST_F(RecordTest, CommittingBothNamesEmptyDoesNothing) {
    fillMatrix();
    const auto before = matrixBits();
    const int applied = simulation.applyCount;
    const auto workingFolder = folderListing(fs::current_path());
    ASSERT_TRUE(record.setParameter("Save parameters", ""));
    ASSERT_TRUE(record.setParameter("Load parameters", ""));
    ASSERT_TRUE(record.isParameterSet("Save parameters"));
    record.commitParameters();
    EXPECT_EQ(matrixBits(), before);
    EXPECT_EQ(simulation.applyCount, applied);
    EXPECT_TRUE(record.lastError().empty());
    EXPECT_EQ(folderListing(fs::current_path()), workingFolder);
}

TEST_F(RecordTest, SaveThenLoadRestoresEveryValueBitForBit) {
    // Values whose decimal forms would lose bits: a fraction with no short decimal, negative
    // zero, the smallest subnormal, the largest finite magnitude, a repeating fraction and an
    // infinity.
    const float values[6] = {0.1f,     -0.0f,       std::numeric_limits<float>::denorm_min(),
                             -FLT_MAX, 1.0f / 3.0f, std::numeric_limits<float>::infinity()};
    std::memcpy(record.parameterMatrix, values, sizeof values);
    const auto saved = matrixBits();
    const std::string path = folder.file("round trip.prm");

    ASSERT_TRUE(record.setParameter("Save parameters", path));
    record.commitParameters();
    EXPECT_EQ(record.getParameter("Save parameters"), "");
    ASSERT_TRUE(fs::exists(path));

    for (int i = 0; i < 6; ++i) {
        record.parameterMatrix[i] = 7.0f;
    }
    const int applied = simulation.applyCount;
    ASSERT_TRUE(record.setParameter("Load parameters", path));
    record.commitParameters();
    EXPECT_EQ(record.getParameter("Load parameters"), "");
    EXPECT_EQ(record.getParameter("Save parameters"), "");
    EXPECT_TRUE(record.lastError().empty()) << record.lastError();

    EXPECT_EQ(matrixBits(), saved);
    EXPECT_EQ(simulation.applyCount, applied + 1);
    EXPECT_EQ(agentParameterBits(), saved);
}

TEST_F(RecordTest, SaveComesBeforeLoadInOneBatch) {
    // The file first holds other values; loading it before saving would bring them in.
    const std::string path = folder.write("both.prm", "%parameter_0 9 9 9\n%parameter_1 9 9 9\n");
    fillMatrix();
    const auto current = matrixBits();
    ASSERT_TRUE(record.setParameter("Save parameters", path));
    ASSERT_TRUE(record.setParameter("Load parameters", path));
    record.commitParameters();
    EXPECT_EQ(matrixBits(), current);
    EXPECT_EQ(readFile(path).find('9'), std::string::npos);
}

TEST_F(RecordTest, ParameterFileTextIsExact) {
    // Row a holds (parameter 0, parameter 1).
    const float values[6] = {0.5f, -2.0f, 1.5f, 0.0f, 0.1f, 100.0f};
    std::memcpy(record.parameterMatrix, values, sizeof values);
    const std::string path = folder.file("exact.prm");
    ASSERT_TRUE(record.saveParameters(path));
    // Hexadecimal forms worked out by hand: 0.5 = 1 × 2^-1; 1.5 = 0x1.8 × 2^0;
    // 0.1f = 0x1.99999a × 2^-4 (24-bit mantissa, rounded up); -2 = -1 × 2^1; 100 = 1.5625 × 2^6
    // = 0x1.9 × 2^6.
    EXPECT_EQ(readFile(path),
              "#--PARAMETERS--\n"
              "\n"
              "%parameter_0\n"
              "    0x1p-1\n"
              "    0x1.8p+0\n"
              "    0x1.99999ap-4\n"
              "%parameter_1\n"
              "    -0x1p+1\n"
              "    0x0p+0\n"
              "    0x1.9p+6\n");
}

TEST_F(RecordTest, ModelWithoutAgentParametersWritesOnlyTheHeader) {
    SimulationGeneric<Dummy> dummy;
    record.bindSimulation(&dummy);
    record.prepare();
    const std::string path = folder.file("dummy.prm");
    ASSERT_TRUE(record.saveParameters(path));
    EXPECT_EQ(readFile(path), "#--PARAMETERS--\n\n");
    EXPECT_TRUE(record.loadParameters(path)) << record.lastError();
}

TEST_F(RecordTest, DecimalParameterFileLoads) {
    // Sections need not start on a line of their own; other sections are ignored.
    const std::string path = folder.write("decimal.prm",
                                          "#--PARAMETERS--\n\n"
                                          "%parameter_0\n 0.25 1e1\n -3\n"
                                          "%parameter_1 7 8.5 -0.125 %other 1\n");
    const int applied = simulation.applyCount;
    ASSERT_TRUE(record.loadParameters(path)) << record.lastError();
    const float expected[6] = {0.25f, 7.0f, 10.0f, 8.5f, -3.0f, -0.125f};
    EXPECT_EQ(matrixBits(), bitsOf(expected, 6));
    EXPECT_EQ(simulation.applyCount, applied + 1);
    EXPECT_EQ(simulation.pedestrian(1).parameters[1], 8.5f);
}

// ---------------------------------------------------------------------------------------------
// Bad parameter files

struct BadFileCase {
    const char* name;
    const char* content;  // null: no file at all
    const char* reason;   // a fragment the report must contain
};

void PrintTo(const BadFileCase& bad, std::ostream* out) {
    *out << bad.name;
}

class BadParameterFile : public RecordTest, public testing::WithParamInterface<BadFileCase> {
protected:
    std::string prepareFile() {
        return GetParam().content ? folder.write("bad.prm", GetParam().content)
                                  : folder.file("bad.prm");
    }
};

TEST_P(BadParameterFile, LoadFailsAndChangesNothing) {
    fillMatrix();
    record.reset();
    const auto matrix = matrixBits();
    const auto agents = agentParameterBits();
    const int applied = simulation.applyCount;
    const std::string path = prepareFile();

    EXPECT_FALSE(record.loadParameters(path));
    EXPECT_NE(record.lastError().find(GetParam().reason), std::string::npos) << record.lastError();
    EXPECT_EQ(matrixBits(), matrix);
    EXPECT_EQ(agentParameterBits(), agents);
    EXPECT_EQ(simulation.applyCount, applied);
}

TEST_P(BadParameterFile, LoadThroughParameterFailsAndChangesNothing) {
    fillMatrix();
    const auto matrix = matrixBits();
    const int applied = simulation.applyCount;
    const std::string path = prepareFile();

    ASSERT_TRUE(record.setParameter("Load parameters", path));
    record.commitParameters();
    EXPECT_EQ(record.getParameter("Load parameters"), "");
    EXPECT_FALSE(record.lastError().empty());
    EXPECT_EQ(matrixBits(), matrix);
    EXPECT_EQ(simulation.applyCount, applied);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadParameterFile,
    testing::Values(
        BadFileCase{"MissingFile", nullptr, "bad.prm"}, BadFileCase{"EmptyFile", "", "parameter_0"},
        BadFileCase{"HeaderOnly", "#--PARAMETERS--\n\n", "parameter_0"},
        BadFileCase{"SecondSectionMissing", "%parameter_0 1 2 3\n", "parameter_1"},
        BadFileCase{"FewerValuesThanPedestrians", "%parameter_0 1 2 3\n%parameter_1 4 5\n",
                    "parameter_1"},
        BadFileCase{"RepeatedSectionIsShort",
                    "%parameter_0 1 2 3\n%parameter_1 4 5 6\n%parameter_0 9\n", "parameter_0"},
        BadFileCase{"CommentHidesAValue", "%parameter_0 1 2 #3\n%parameter_1 4 5 6\n",
                    "parameter_0"},
        BadFileCase{"KeyWithoutPercent", "parameter_0 1 2 3\nparameter_1 4 5 6\n", "parameter_0"},
        BadFileCase{"ZeroPaddedKey", "%parameter_00 1 2 3\n%parameter_1 4 5 6\n", "parameter_0"},
        BadFileCase{"TruncatedMidFile", "#--PARAMETERS--\n\n%parameter_0\n    0x1p-1\n    0x1.8",
                    "parameter_0"},
        BadFileCase{"BinaryNoise", "\x7f\x45\x4c\x46\x02\x01\x01\x03\xff\xfe%\x01\x02",
                    "parameter_0"},
        // Another recording's pedestrians are not these, however many values there are.
        BadFileCase{"MoreValuesThanPedestrians", "%parameter_0 1 2 3 4\n%parameter_1 4 5 6 7\n",
                    "a recording of 4 pedestrians (section \"%parameter_0\"), but this "
                    "recording has 3"},
        BadFileCase{"SharedForAnotherModel",
                    "%scope shared\n%model RVO2\n%parameter_0 1\n%parameter_1 2\n",
                    "for the model \"RVO2\", not for \"Walker\""},
        BadFileCase{"SharedNamingNoModel", "%scope shared\n%parameter_0 1\n%parameter_1 2\n",
                    "names no model"},
        BadFileCase{"SharedWithAValuePerPedestrian",
                    "%scope shared\n%model Walker\n%parameter_0 1 2 3\n%parameter_1 2\n",
                    "\"%parameter_0\" holds 3 values, but a shared parameter file holds one"},
        BadFileCase{"UnknownScope", "%scope everyone\n%parameter_0 1 2 3\n%parameter_1 4 5 6\n",
                    "\"pedestrian\" or \"shared\""}),
    [](const testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.name); });

TEST_F(RecordTest, SharedFileNamesItsModelAndLoadsOntoEveryPedestrianOfAnotherRecording) {
    fillMatrix();
    const std::string path = folder.file("shared.prm");
    // Pedestrians holding different values cannot be saved as one value for all.
    EXPECT_FALSE(record.saveParameters(path, ParameterScope::shared));
    EXPECT_NE(record.lastError().find("pedestrian 2 holds another value of parameter 0"),
              std::string::npos)
        << record.lastError();
    EXPECT_FALSE(std::filesystem::exists(path));

    for (int a = 0; a < 3; ++a) {
        record.parameters().at(a, 0) = 0.75f;
        record.parameters().at(a, 1) = -2.5f;
    }
    ASSERT_TRUE(record.saveParameters(path, ParameterScope::shared)) << record.lastError();
    EXPECT_EQ(readFile(path),
              "#--PARAMETERS--\n\n%scope\n    shared\n%model\n    Walker\n"
              "%parameter_0\n    0x1.8p-1\n%parameter_1\n    -0x1.4p+1\n");

    // A recording of five pedestrians takes the values on every row.
    ExperimentTable five;
    for (int i = 0; i < 5; ++i) {
        five.addTrajectory({{0.0f, static_cast<float>(i)}, {1.0f, static_cast<float>(i)}});
    }
    five.times = {0.0f, 1.0f};
    const auto other = makeExperiment(five);
    CountingSimulation model;
    model.name = "Walker";
    Record second;
    bindAndPrepare(second, other.get(), &model);
    ASSERT_TRUE(second.loadParameters(path)) << second.lastError();
    EXPECT_EQ(second.lastNotice(), "Loaded 2 parameters shared by 5 pedestrians from " + path);
    EXPECT_EQ(second.lastFileScope(), ParameterScope::shared);
    for (int a = 0; a < 5; ++a) {
        EXPECT_EQ(model.pedestrian(a).parameters[0], 0.75f);
        EXPECT_EQ(model.pedestrian(a).parameters[1], -2.5f);
    }
}

TEST_F(RecordTest, LoadingAFolderFailsAndChangesNothing) {
    fillMatrix();
    const auto matrix = matrixBits();
    const int applied = simulation.applyCount;
    const std::string path = folder.file("a folder");
    ASSERT_TRUE(fs::create_directory(path));
    EXPECT_FALSE(record.loadParameters(path));
    EXPECT_NE(record.lastError().find(path), std::string::npos) << record.lastError();
    EXPECT_EQ(matrixBits(), matrix);
    EXPECT_EQ(simulation.applyCount, applied);
}

TEST_F(RecordTest, HugeFileWithTooFewValuesFails) {
    // A million-character token is still only one value for three pedestrians.
    const std::string path = folder.write(
        "huge.prm", "%parameter_0 1 2 3\n%parameter_1 " + std::string(1000000, '5') + "\n");
    fillMatrix();
    const auto matrix = matrixBits();
    EXPECT_FALSE(record.loadParameters(path));
    EXPECT_NE(record.lastError().find("parameter_1"), std::string::npos) << record.lastError();
    EXPECT_EQ(matrixBits(), matrix);
}

// A record whose simulation holds fewer rows than the record counts pedestrians (bound without
// a new set-up) must neither read nor write past the matrix.
TEST_F(RecordTest, MatrixSmallerThanPedestrianCountIsRefused) {
    CountingSimulation small;
    small.initialise(1);
    small.parameterTable().values() = {4.0f, 5.0f};
    record.bindSimulation(&small);
    ASSERT_EQ(record.simulatedCount, 3);

    const std::string previous = folder.write("kept.prm", "previous content\n");
    EXPECT_FALSE(record.saveParameters(previous));
    EXPECT_FALSE(record.lastError().empty());
    EXPECT_EQ(readFile(previous), "previous content\n");

    const std::string full = folder.write("full.prm", "%parameter_0 1 2 3\n%parameter_1 4 5 6\n");
    const int applied = small.applyCount;
    EXPECT_FALSE(record.loadParameters(full));
    EXPECT_FALSE(record.lastError().empty());
    EXPECT_EQ(small.agentParameters(), (std::vector<float>{4.0f, 5.0f}));
    EXPECT_EQ(small.applyCount, applied);
}

// ---------------------------------------------------------------------------------------------
// Failed saves

TEST_F(RecordTest, SavingIntoMissingFolderFails) {
    const std::string path = folder.file("no such folder/params.prm");
    EXPECT_FALSE(record.saveParameters(path));
    EXPECT_NE(record.lastError().find(path), std::string::npos) << record.lastError();
    EXPECT_FALSE(fs::exists(folder.file("no such folder")));

    // Through the parameter the name is still consumed.
    ASSERT_TRUE(record.setParameter("Save parameters", path));
    record.commitParameters();
    EXPECT_EQ(record.getParameter("Save parameters"), "");
    EXPECT_FALSE(fs::exists(folder.file("no such folder")));
}

TEST_F(RecordTest, FailedSaveLeavesExistingTargetAndNoTemporaryFile) {
    // The target is a folder with a file in it: the save cannot replace it.
    const std::string target = folder.file("params.prm");
    ASSERT_TRUE(fs::create_directory(target));
    std::ofstream(target + "/inside.txt") << "kept\n";

    EXPECT_FALSE(record.saveParameters(target));
    EXPECT_NE(record.lastError().find(target), std::string::npos) << record.lastError();
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(readFile(target + "/inside.txt"), "kept\n");
    // Nothing but the target folder is left behind.
    EXPECT_EQ(folderListing(folder.file("")), std::vector<std::string>{"params.prm"});
}

TEST_F(RecordTest, SuccessfulSaveReplacesPreviousFile) {
    const std::string path = folder.write("params.prm", std::string(5000, 'Z'));
    ASSERT_TRUE(record.saveParameters(path));
    const std::string text = readFile(path);
    EXPECT_EQ(text.find('Z'), std::string::npos);
    EXPECT_EQ(text.rfind("#--PARAMETERS--\n\n%parameter_0\n", 0), 0u);
}

// ---------------------------------------------------------------------------------------------
// Statistics file

// Three pedestrians over ten frames 0.25 s apart and two obstacles. The Dummy reference
// simulation closes (goal − position) × 0.25 each step while within 1.4 m of its goal, so a
// pedestrian 1 m from its goal is at 1 − 0.75^j after j steps, exactly in float.
ExperimentTable statisticsScene() {
    ExperimentTable table;
    const float starts[3][2] = {{0.0f, 0.0f}, {2.0f, 1.0f}, {-1.0f, 0.5f}};
    const float ends[3][2] = {{1.0f, 0.0f}, {2.0f, 1.0f}, {-1.0f, 1.5f}};
    for (int i = 0; i < 3; ++i) {
        std::vector<std::pair<float, float>> samples(10, {starts[i][0], starts[i][1]});
        samples.back() = {ends[i][0], ends[i][1]};
        table.addTrajectory(samples);
    }
    for (int k = 0; k < 10; ++k) {
        table.times.push_back(0.25f * k);
    }
    table.obstacles.push_back({0.5f, -1.0f, 10.25f, 0.3f});
    table.obstacles.push_back({-3.125f, 0.0f, 0.0f, 7.5f});
    return table;
}

// Runs the reference walker over `experiment` and writes the statistics file into `folder`;
// its path, after checking that the run lasted `frames` frames.
std::string writeWalkerStatistics(const Experiment& experiment, const ScratchFolder& folder,
                                  int frames) {
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, &experiment, &simulation);
    record.run();
    EXPECT_EQ(simulation.frameCount(), frames);
    const std::string path = folder.file("stats.sey");
    EXPECT_TRUE(record.writeStatistics(path)) << record.lastError();
    return path;
}

TEST(RecordStatistics, FileHoldsHeaderObstaclesAndEverySimulatedSample) {
    ScratchFolder folder;
    const auto experiment = makeExperiment(statisticsScene());
    const std::string path = writeWalkerStatistics(*experiment, folder, 10);
    // Positions: 100 × (1 − 0.75^j) for the first pedestrian, e.g. j = 9: 1 − 19683/262144 =
    // 0.924915313720703125, printed 92.491531. The third walks the same way from y = 0.5. The
    // obstacle value 0.3f is 0.300000011920928955; × 100 in double precision gives 30.000001
    // (in float it would round to 30.0000019 and print 30.000002).
    const std::vector<std::string> expected = {
        "2 0.250000",
        "50.000000 -100.000000 1025.000000 30.000001",
        "-312.500000 0.000000 0.000000 750.000000",
        "1 0 0.000000 0.000000 175.0",
        "1 1 25.000000 0.000000 175.0",
        "1 2 43.750000 0.000000 175.0",
        "1 3 57.812500 0.000000 175.0",
        "1 4 68.359375 0.000000 175.0",
        "1 5 76.269531 0.000000 175.0",
        "1 6 82.202148 0.000000 175.0",
        "1 7 86.651611 0.000000 175.0",
        "1 8 89.988708 0.000000 175.0",
        "1 9 92.491531 0.000000 175.0",
        "2 0 200.000000 100.000000 175.0",
        "2 1 200.000000 100.000000 175.0",
        "2 2 200.000000 100.000000 175.0",
        "2 3 200.000000 100.000000 175.0",
        "2 4 200.000000 100.000000 175.0",
        "2 5 200.000000 100.000000 175.0",
        "2 6 200.000000 100.000000 175.0",
        "2 7 200.000000 100.000000 175.0",
        "2 8 200.000000 100.000000 175.0",
        "2 9 200.000000 100.000000 175.0",
        "3 0 -100.000000 50.000000 175.0",
        "3 1 -100.000000 75.000000 175.0",
        "3 2 -100.000000 93.750000 175.0",
        "3 3 -100.000000 107.812500 175.0",
        "3 4 -100.000000 118.359375 175.0",
        "3 5 -100.000000 126.269531 175.0",
        "3 6 -100.000000 132.202148 175.0",
        "3 7 -100.000000 136.651611 175.0",
        "3 8 -100.000000 139.988708 175.0",
        "3 9 -100.000000 142.491531 175.0",
    };
    EXPECT_EQ(readLines(path), expected);
    const std::string text = readFile(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
}

TEST(RecordStatistics, SingleFrameExperimentDoesNotReadPastTheTimes) {
    ExperimentTable table;
    table.addTrajectory({{1.0f, 2.0f}});
    table.addTrajectory({{3.0f, 4.0f}});
    // The times array keeps room for a second value holding a marker: reading past the one
    // frame time would print it.
    table.times = {0.5f, 7.25f};
    table.times.pop_back();
    auto experiment = makeExperiment(std::move(table));
    ASSERT_EQ(experiment->times.size(), 1u);

    ScratchFolder folder;
    const std::string path = writeWalkerStatistics(*experiment, folder, 1);
    const std::vector<std::string> lines = readLines(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("0 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].find("7.25"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "1 0 100.000000 200.000000 175.0");
    EXPECT_EQ(lines[2], "2 0 300.000000 400.000000 175.0");
}

TEST(RecordStatistics, UnwritableTargetFailsAndKeepsWhatIsThere) {
    ScratchFolder folder;
    auto experiment = makeExperiment(statisticsScene());
    SimulationGeneric<Dummy> simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.run();

    const std::string missing = folder.file("absent/stats.sey");
    EXPECT_FALSE(record.writeStatistics(missing));
    EXPECT_NE(record.lastError().find(missing), std::string::npos) << record.lastError();

    const std::string target = folder.file("stats.sey");
    ASSERT_TRUE(fs::create_directory(target));
    EXPECT_FALSE(record.writeStatistics(target));
    EXPECT_TRUE(fs::is_directory(target));
}

TEST(RecordStatistics, UnboundRecordWritesNothing) {
    ScratchFolder folder;
    Record record;
    const std::string path = folder.file("stats.sey");
    EXPECT_FALSE(record.writeStatistics(path));
    EXPECT_FALSE(record.lastError().empty());
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pedestrians who come and go

namespace {

// Walks every present agent along its velocity and notes who was present at each step.
class PresenceLog : public Simulation {
public:
    void createAgents() override {
        x.assign(static_cast<size_t>(agentCount()), 0.0f);
        y = vx = vy = goalX = goalY = x;
    }
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int i, float px, float py) override {
        x[i] = px;
        y[i] = py;
    }
    void setVelocity(int i, float pvx, float pvy) override {
        vx[i] = pvx;
        vy[i] = pvy;
    }
    void setGoal(int i, float gx, float gy) override {
        goalX[i] = gx;
        goalY[i] = gy;
    }
    void step(float dt) override {
        std::vector<int> present;
        for (int i = 0; i < agentCount(); ++i) {
            if (isPresent(i)) {
                present.push_back(i);
                x[i] += vx[i] * dt;
                y[i] += vy[i] * dt;
                setAgentState(i, x[i], y[i], vx[i], vy[i]);
            }
        }
        steps.push_back(present);
    }
    std::vector<std::vector<int>> steps;
    std::vector<float> x, y, vx, vy, goalX, goalY;
};

std::vector<bool> presentFlags(const Simulation& simulation) {
    std::vector<bool> flags;
    for (int i = 0; i < simulation.agentCount(); ++i) {
        flags.push_back(simulation.isPresent(i));
    }
    return flags;
}

}  // namespace

TEST(RecordPresence, AgentsEnterAtTheirFirstFrameAndLeaveAfterTheirLast) {
    // Pedestrian 0 on frames 0-3, 1 on frames 1-2, 2 on frames 2-3; each walks 1 m/s along x.
    ExperimentTable table;
    table.addPresence(0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    table.addPresence(1, {{5, 1}, {6, 1}});
    table.addPresence(2, {{7, 2}, {8, 2}});
    table.velX.assign(table.posX.size(), 1.0f);
    table.times = {0.0f, 1.0f, 2.0f, 3.0f};
    const auto experiment = makeExperiment(table);
    PresenceLog simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    record.reset();
    // Before the run only pedestrian 0 is in the scene; each agent heads for its last position.
    EXPECT_EQ(presentFlags(simulation), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(simulation.goalX, (std::vector<float>{3, 6, 8}));
    record.run();

    EXPECT_EQ(simulation.steps, (std::vector<std::vector<int>>{{0}, {0, 1}, {0, 2}}));
    EXPECT_EQ(simulation.recordedFrom(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(simulation.recordedX(),
              (std::vector<std::vector<float>>{{0, 1, 2, 3}, {5, 6}, {7, 8}}));
    EXPECT_EQ(simulation.frameCount(), 4);
}

TEST(RecordPresence, RecordedTrajectoriesTakeTheMemoryOfThePresentSamplesOnly) {
    // Forty pedestrians one after another, pedestrian p on 5 + p mod 4 frames from frame 3p:
    // 40 · 5 + 10 · (0 + 1 + 2 + 3) = 260 samples in all, however long the recording is.
    ExperimentTable table;
    for (int p = 0; p < 40; ++p) {
        table.addPresence(3 * p, std::vector<std::pair<float, float>>(5 + p % 4, {0.0f, 0.0f}));
    }
    table.times.resize(static_cast<size_t>(table.frameCount), 0.0f);
    const auto experiment = makeExperiment(table);
    PresenceLog simulation;
    Record record;
    bindAndPrepare(record, experiment.get(), &simulation);
    for (int run = 0; run < 2; ++run) {
        record.reset();
        record.run();
        for (const auto* lists : {&simulation.recordedX(), &simulation.recordedY(),
                                  &simulation.recordedVX(), &simulation.recordedVY()}) {
            size_t held = 0;
            for (const std::vector<float>& list : *lists) {
                held += list.capacity();
            }
            EXPECT_EQ(held, 260u) << "run " << run;
        }
    }
}
