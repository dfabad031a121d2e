#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/BatchRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;

// The first `count` CPUs this process may run on, as taskset's list; empty when it has fewer.
std::string firstCpus(int count) {
    cpu_set_t allowed;
    sched_getaffinity(0, sizeof allowed, &allowed);
    std::string list;
    for (int cpu = 0; cpu < CPU_SETSIZE && count > 0; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            list += (list.empty() ? "" : ",") + std::to_string(cpu);
            --count;
        }
    }
    return count == 0 ? list : std::string();
}

}  // namespace

TEST(BatchTool, InfoDescribesEachExample) {
    ScratchFolder folder;
    const BatchResult r = runBatch(folder, {"info", examples + "/bottleneck.ana"});
    EXPECT_EQ(r.status, 0) << r.err;
    // 10 walkers, 4 walls, 200 frames sampled every 0.1 s from 0 to 19.9 s, all always there.
    EXPECT_EQ(r.out,
              "pedestrians 10\nobstacles 4\nframes 200\nduration 19.9\npresent max 10\n"
              "present mean 10\n");
}

TEST(BatchTool, ListShowsEveryComponentInOrderWithItsParameters) {
    ScratchFolder folder;
    const BatchResult r = runBatch(folder, {"list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Metrics:\n  Difference\n  Inter-pedestrian distance\n  Path Length\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  Simulated Annealing\n    K (int) = 20\n"), std::string::npos);
    EXPECT_NE(r.out.find("  Genetic\n    N (int) = 100\n    n (int) = 20\n    a (float) = 0.6\n"),
              std::string::npos);
}

TEST(BatchTool, EvaluatePrintsTheScoreOfTheDesktopEvaluation) {
    ScratchFolder folder;
    const std::string file = examples + "/corridor-crossing.ana";
    const BatchResult r =
        runBatch(folder, {"evaluate", file, "--model", "Vision", "--metric", "Path Length"});
    ASSERT_EQ(r.status, 0) << r.err;

    ComponentRegistry registry;
    registerStandardComponents(registry);
    std::string error;
    const auto experiment = loadExperimentFile(registry, file, error);
    SimulationGeneric<Dummy> reference;
    const auto model = registry.simulations.create("Vision");
    const auto metric = registry.metrics.create("Path Length");
    Record record;
    record.build(experiment.get(), &reference, model.get());
    record.rebuildIndex();
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.9g",
                  static_cast<double>(evaluateModel(record, reference, *metric)));
    EXPECT_EQ(lastLine(r.out), expected);
    // A metric's own report ("save") goes to standard output, before the score.
    const BatchResult saved = runBatch(folder, {"evaluate", file, "--model", "Boids", "--metric",
                                                "Vorticity", "--metric-set", "save=true"});
    EXPECT_EQ(saved.out.rfind("  Exp: ", 0), 0u) << saved.out;
    EXPECT_NE(saved.out.find("\n  Sim: "), std::string::npos);
}

TEST(BatchTool, SeededCalibrationsAreIdenticalAndTheirParametersLoadBack) {
    ScratchFolder folder;
    const std::string file = examples + "/crossing-flows.ana";
    auto calibrate = [&](const std::string& params, const std::string& trace) {
        return runBatch(folder, {"calibrate", file, "--model", "Vision", "--metric", "Difference",
                                 "--algorithm", "Genetic", "--algorithm-set", "N=8",
                                 "--algorithm-set", "loops=2", "--seed", "42", "--save-params",
                                 folder.file(params), "--trace", folder.file(trace)});
    };
    const BatchResult first = calibrate("first.prm", "first.csv");
    const BatchResult second = calibrate("second.prm", "second.csv");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(first.out.rfind("\n--CALIBRATING--\n\nCost: ", 0), 0u);
    EXPECT_NE(first.out.find("\n#--BEST PARAMETERS--\n\n%%cost\n"), std::string::npos);
    EXPECT_EQ(readFile(folder.file("first.prm")), readFile(folder.file("second.prm")));
    EXPECT_EQ(readFile(folder.file("first.csv")), readFile(folder.file("second.csv")));
    EXPECT_EQ(readFile(folder.file("first.csv")).rfind("evaluation,cost,best\n1,", 0), 0u);
    EXPECT_TRUE(first.err.empty()) << first.err;  // a given seed is not echoed

    // The saved values load back: evaluating with them gives the calibrated cost.
    const BatchResult loaded =
        runBatch(folder, {"evaluate", file, "--model", "Vision", "--metric", "Difference",
                          "--load-params", folder.file("first.prm")});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    // The report shows the cost with six significant digits.
    const std::string report = first.out.substr(first.out.find("%%cost\n") + 7);
    const float reported = std::stof(report.substr(0, report.find('\n')));
    EXPECT_NEAR(std::stof(loaded.out), reported, 1e-5f * reported);
}

TEST(BatchTool, WithoutASeedTheCalendarSeedIsPrinted) {
    ScratchFolder folder;
    const BatchResult r =
        runBatch(folder, {"calibrate", examples + "/crossing-flows.ana", "--model", "Vision",
                          "--metric", "Difference", "--algorithm", "Genetic", "--algorithm-set",
                          "N=4", "--algorithm-set", "loops=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("seed ", 0), 0u) << r.err;
}

TEST(BatchTool, ErrorsGiveTheirStatusAndSayWhat) {
    ScratchFolder folder;
    const std::string good = examples + "/crossing-flows.ana";
    const std::string broken = folder.write("broken.ana", "nped 1\nnrow 2\ntime(s) 0 1\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "No command given."},
        {{"frobnicate"}, 2, "Unknown command \"frobnicate\""},
        {{"info"}, 2, "info needs an experiment file."},
        {{"evaluate", good, "--model", "Vision"}, 2, "needs --model and --metric"},
        {{"evaluate", good, "--model", "Nope", "--metric", "Difference"},
         2,
         "unknown model \"Nope\"; the models are \"Boids\", \"Helbing\", \"RVO2\", \"Vision\", "
         "\"Constant Velocity\"."},
        {{"evaluate", good, "--model", "Vision", "--metric", "Difference", "--seed", "1"},
         2,
         "Unknown option \"--seed\" for evaluate."},
        {{"calibrate", good, "--model", "Vision", "--metric", "Difference", "--algorithm", "Greedy",
          "--seed", "x"},
         2,
         "--seed needs a whole number"},
        {{"calibrate", good, "--model", "Vision", "--metric", "Difference", "--algorithm",
          "Genetic", "--algorithm-set", "M=3"},
         2,
         "has no parameter \"M\"; its parameters are \"N\", \"n\""},
        {{"calibrate", good, "--model", "Vision", "--metric", "Difference", "--algorithm", "Greedy",
          "--algorithm-set", "novalue"},
         2,
         "--algorithm-set needs \"Parameter name=text\""},
        {{"calibrate", good, "--model", "Vision", "--metric", "Difference"},
         2,
         "calibrate needs --algorithm."},
        {{"convert", good}, 2, "convert needs -o OUT.ana."},
        {{"info", good, "--fps", "0"},
         2,
         "--fps needs a number from 0.001 to 1e6 frames per second, got \"0\"."},
        {{"info", good, "--fps", "1e-40"}, 2, "--fps needs a number from 0.001"},
        {{"info", good, "--format", "xyz"},
         2,
         "Unknown format \"xyz\": the formats are ana, juelich, eth, csv, trajnet."},
        {{"info", good, "--unit", "km"}, 2, "--unit needs m, cm or mm, got \"km\"."},
        {{"info", good, "--stride", "0"}, 2, "--stride needs a whole number of at least 1"},
        {{"info", good, "--from", "5", "--to", "1"}, 2, "--from must not be after --to."},
        {{"info", good, "--max-gap", "-1"}, 2, "--max-gap needs a number of at least 0"},
        {{"evaluate", good, "--model", "Boids", "--metric", "Difference", "--set", "Speed=banana"},
         2,
         "the model parameter \"Speed\" of \"Boids\" needs min max [UNIFORM|NORMAL [mean "
         "[deviation]]], such as 0.2 0.8 NORMAL 0.5 0.25, got \"banana\"."},
        {{"calibrate", good, "--model", "Boids", "--metric", "Difference", "--algorithm", "Genetic",
          "--algorithm-set", "N=2.5"},
         2,
         "the algorithm parameter \"N\" of \"Genetic\" needs a whole number such as 20"},
        {{"evaluate", good, "--model", "Boids", "--metric", "Vorticity", "--metric-set",
          "save=yes"},
         2,
         "needs true or false"},
        {{"calibrate", good, "--model", "Boids", "--metric", "Difference", "--algorithm", "Genetic",
          "--seed", "1", "--algorithm-set", "N=2000000000", "--save-params",
          folder.file("never.prm")},
         1,
         "The genetic algorithm cannot run: N = 2000000000 genomes of 16 values need"},
        {{"evaluate", good, "--model", "RVO2", "--metric", "Average Displacement Error",
          "--metric-set", "Observe=1"},
         2,
         "\"Observe\" of \"Average Displacement Error\" needs a whole number of at least 2"},
        {{"evaluate", good, "--model", "RVO2", "--metric", "Final Displacement Error",
          "--metric-set", "Goal=future"},
         2,
         "\"Goal\" of \"Final Displacement Error\" needs observed or recorded, got \"future\""},
        {{"calibrate", good, "--model", "RVO2", "--metric", "Average Displacement Error",
          "--metric-set", "Predict=500", "--algorithm", "Greedy", "--save-params",
          folder.file("never.prm")},
         1,
         "says no pedestrian is present on all 508 frames (Observe + Predict)"},
        {{"info", broken}, 1, "\"center_1\" is missing"},
        {{"info", folder.file("missing.ana")}, 1, "Cannot open"},
        {{"info", folder.file("notes.doc")}, 1, "No reader for"},
        {{"evaluate", good, "--model", "Vision", "--metric", "Difference", "--load-params",
          folder.file("missing.prm")},
         1,
         "Cannot open"},
    };
    for (const Case& c : cases) {
        const BatchResult r = runBatch(folder, c.arguments);
        std::string line;
        for (const std::string& a : c.arguments) {
            line += a + " ";
        }
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << line << "\n" << r.err;
        EXPECT_TRUE(c.status != 2 || r.out.empty()) << line;
    }
    EXPECT_FALSE(std::ifstream(folder.file("never.prm")).good());
}

TEST(BatchTool, OutputsThatCannotBeWrittenAreRefusedBeforeTheRun) {
    ScratchFolder folder;
    const std::string missing = folder.file("no/such/folder/p.prm");
    std::filesystem::create_directory(folder.file("taken"));
    const std::vector<std::string> calibrate = {"calibrate",   examples + "/crossing-flows.ana",
                                                "--model",     "Vision",
                                                "--metric",    "Difference",
                                                "--algorithm", "Genetic",
                                                "--seed",      "1"};
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--save-params", missing},
         "Cannot write \"" + missing + "\": its folder \"" + folder.file("no/such/folder") +
             "\" does not exist."},
        {{"--trace", folder.file("taken")},
         "Cannot write \"" + folder.file("taken") + "\": it is a folder."},
    };
    for (const auto& [outputs, message] : cases) {
        std::vector<std::string> arguments = calibrate;
        arguments.insert(arguments.end(), outputs.begin(), outputs.end());
        const BatchResult r = runBatch(folder, arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "vestra-batch: " + message + "\n");
        EXPECT_EQ(r.out, "");  // nothing was evaluated
    }
    const BatchResult convert =
        runBatch(folder, {"convert", examples + "/corridor-juelich.txt", "-o", missing});
    EXPECT_EQ(convert.status, 2);
}

TEST(BatchTool, ARunWhoseLastOutputFailsReplacesNoneOfThem) {
    ScratchFolder folder;
    const std::string kept = folder.write("kept.prm", "previous");
    // The trace goes to a full disk: the parameter file, written whole before it, must not
    // have replaced the previous one either.
    const BatchResult r =
        runBatch(folder, {"calibrate", examples + "/crossing-flows.ana", "--model", "Vision",
                          "--metric", "Difference", "--algorithm", "Genetic", "--algorithm-set",
                          "N=4", "--algorithm-set", "loops=1", "--seed", "1", "--save-params", kept,
                          "--trace", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot write \"/dev/full\": No space left on device."), std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(kept), "previous");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(BatchTool, ResultsThatCannotBeUsedAreRefusedWithWhyAndNothingWritten) {
    ScratchFolder folder;
    // One walker: the distance between pedestrians has no pair to compare, 0 / 0.
    const std::string alone = folder.write("alone.txt", "# fps 10\n1 0 0 0\n1 1 1 0\n1 2 2 0\n");
    const BatchResult evaluate = runBatch(
        folder, {"evaluate", alone, "--model", "RVO2", "--metric", "Inter-pedestrian distance"});
    EXPECT_EQ(evaluate.status, 1);
    EXPECT_NE(evaluate.err.find("not a finite number: \"Inter-pedestrian distance\" found "
                                "nothing to compare"),
              std::string::npos)
        << evaluate.err;
    const BatchResult calibrate =
        runBatch(folder, {"calibrate", alone, "--model", "RVO2", "--metric",
                          "Inter-pedestrian distance", "--algorithm", "Greedy", "--seed", "1",
                          "--save-params", folder.file("never.prm")});
    EXPECT_EQ(calibrate.status, 1);
    EXPECT_NE(calibrate.err.find("not a finite number, so no trial can be compared"),
              std::string::npos)
        << calibrate.err;
    // 4000 walkers of two frames each, one after another: padded to every one of the 12000
    // frames with values of about 11 bytes, the ANA file would pass 1 GiB.
    std::string rows = "# fps 10\n";
    for (int id = 0; id < 4000; ++id) {
        for (int frame = 3 * id; frame < 3 * id + 2; ++frame) {
            rows += std::to_string(id) + " " + std::to_string(frame) + " 1.23456789 2.3456789\n";
        }
    }
    const BatchResult convert = runBatch(
        folder, {"convert", folder.write("long.txt", rows), "-o", folder.file("long.ana")});
    EXPECT_EQ(convert.status, 1);
    EXPECT_NE(convert.err.find("more than the 1 GiB an ANA file may hold"), std::string::npos)
        << convert.err;
    EXPECT_NE(convert.err.find("(--from/--to) or fewer frames (--stride)"), std::string::npos);
    EXPECT_FALSE(std::ifstream(folder.file("never.prm")).good());
    EXPECT_FALSE(std::ifstream(folder.file("long.ana")).good());
}

TEST(BatchTool, AConvertedRecordingScoresAsTheRecordingItself) {
    ScratchFolder folder;
    const std::string source = examples + "/corridor-juelich.txt";
    const std::string converted = folder.file("corridor.ana");
    const BatchResult convert = runBatch(folder, {"convert", source, "-o", converted});
    ASSERT_EQ(convert.status, 0) << convert.err;
    const BatchResult info = runBatch(folder, {"info", converted});
    EXPECT_NE(info.out.find("pedestrians 9\n"), std::string::npos) << info.out;
    for (const char* metric : {"Difference", "Progressive Difference", "Vorticity"}) {
        const BatchResult direct =
            runBatch(folder, {"evaluate", source, "--model", "RVO2", "--metric", metric});
        const BatchResult again =
            runBatch(folder, {"evaluate", converted, "--model", "RVO2", "--metric", metric});
        ASSERT_EQ(direct.status, 0) << direct.err;
        EXPECT_EQ(lastLine(direct.out), lastLine(again.out)) << metric;
    }
}

TEST(BatchTool, ThreadCountsGiveByteIdenticalCalibrations) {
    // Boids draws nothing while it runs: report, parameter file and trace are the same for one
    // thread, two, one per core, and far more than a generation of 6 genomes keeps busy.
    ScratchFolder folder;
    std::string first;
    for (const char* jobs : {"1", "2", "0", "100000"}) {
        SCOPED_TRACE(jobs);
        const std::string name = std::string("jobs") + jobs;
        const BatchResult r = runBatch(folder, {"calibrate",       examples + "/crossing-flows.ana",
                                                "--model",         "Boids",
                                                "--metric",        "Difference",
                                                "--algorithm",     "GeneticGreedy",
                                                "--algorithm-set", "N=6",
                                                "--algorithm-set", "loops=2",
                                                "--seed",          "5",
                                                "--jobs",          jobs,
                                                "--save-params",   folder.file(name + ".prm"),
                                                "--trace",         folder.file(name + ".csv")});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string all =
            r.out + readFile(folder.file(name + ".prm")) + readFile(folder.file(name + ".csv"));
        if (first.empty()) {
            first = all;
        }
        EXPECT_EQ(all, first);
    }
}

TEST(BatchTool, JobsZeroIsOneThreadPerCoreTheToolMayRunOn) {
    ScratchFolder folder;
    for (const int cores : {1, 2}) {
        const std::string cpus = firstCpus(cores);
        if (cpus.empty()) {
            break;
        }
        const BatchResult r = runBatch(folder,
                                       {"evaluate", examples + "/bottleneck.ana", "--model",
                                        "Boids", "--metric", "Difference", "--jobs", "0"},
                                       "taskset -c " + cpus + " ");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "jobs " + std::to_string(cores) + "\n");
    }
}

TEST(BatchTool, ThreadsTheSystemRefusesEndTheRunWithStatusOne) {
    // A limit of one process for the user leaves no thread to start; root is not held to it,
    // so root runs the tool as nobody.
    const std::string asNobody =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string limited = asNobody + "bash -c 'ulimit -u 1 && exec \"$0\" \"$@\"' ";
    ScratchFolder folder;
    if (runBatch(folder, {"--version"}, limited).status != 0) {
        GTEST_SKIP() << "the tool cannot run under a limit of processes here";
    }
    const std::vector<std::string> evaluate = {"evaluate", examples + "/bottleneck.ana",
                                               "--model",  "Boids",
                                               "--metric", "Difference",
                                               "--jobs",   "4"};
    std::vector<std::string> calibrate = evaluate;
    calibrate[0] = "calibrate";
    calibrate.insert(calibrate.end(), {"--algorithm", "Genetic", "--seed", "1"});
    for (const std::vector<std::string>& command : {evaluate, calibrate}) {
        const BatchResult r = runBatch(folder, command, limited);
        EXPECT_EQ(r.status, 1) << command[0];
        EXPECT_NE(r.err.find(" did not start. Only 0 of"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Ask for fewer threads."), std::string::npos) << r.err;
    }
}

TEST(BatchTool, EvaluatingALargeCrowdOnSeveralThreadsGivesTheSameScore) {
    // 2025 walkers on a 1.2 m grid, each 0.1 m further along x every frame: steps of this many
    // present agents are shared among the threads.
    std::string ana = "nped 2025\nnobs 0\nnrow 4\ntime(s) 0 0.1 0.2 0.3\n";
    for (int i = 0; i < 2025; ++i) {
        ana += "center_" + std::to_string(i + 1);
        for (int frame = 0; frame < 4; ++frame) {
            ana += " " + std::to_string(1.2 * (i % 45) + 0.1 * frame) + " " +
                   std::to_string(1.2 * (i / 45));
        }
        ana += "\nori_center_" + std::to_string(i + 1) + " 0 0 0 0\nspd_center_" +
               std::to_string(i + 1) + " 1 1 1 1\n";
    }
    ScratchFolder folder;
    const std::string crowd = folder.write("crowd.ana", ana);
    for (const char* model : {"Boids", "Helbing", "RVO2", "Vision"}) {
        SCOPED_TRACE(model);
        std::vector<std::string> scores;
        for (const char* jobs : {"1", "2"}) {
            const BatchResult r = runBatch(folder, {"evaluate", crowd, "--model", model, "--metric",
                                                    "Difference", "--jobs", jobs});
            ASSERT_EQ(r.status, 0) << r.err;
            scores.push_back(lastLine(r.out));
        }
        EXPECT_EQ(scores[0], scores[1]);
    }
}

TEST(BatchTool, ASignalStopsACalibrationThatKeepsAndWritesWhatItFound) {
    // A Greedy search of Vision on the bottleneck takes about ten seconds; it gets the signal
    // after half a second.
    ScratchFolder folder;
    const std::string experiment = examples + "/bottleneck.ana";
    for (const auto& [signal, status] : {std::pair{"INT", 130}, std::pair{"TERM", 143}}) {
        SCOPED_TRACE(signal);
        const std::string params = folder.file(std::string(signal) + ".prm");
        std::string command = quoted(VESTRA_BATCH_EXECUTABLE) + " calibrate " + quoted(experiment) +
                              " --model Vision --metric Difference --algorithm Greedy --seed 1" +
                              " --save-params " + quoted(params) + " >" +
                              quoted(folder.file("out")) + " 2>/dev/null & sleep 0.5; kill -" +
                              signal + " $!; wait $!";
        const int raw = std::system((std::string("sh -c ") + (quoted)(command)).c_str());
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), status);
        const std::string report = readFile(folder.file("out"));
        EXPECT_NE(report.find("\n# Cancelled after "), std::string::npos) << report;
        // The parameter file loads and scores what the report says, to its six digits.
        const BatchResult again =
            runBatch(folder, {"evaluate", experiment, "--model", "Vision", "--metric", "Difference",
                              "--load-params", params});
        ASSERT_EQ(again.status, 0) << again.err;
        const size_t cost = report.find("%%cost\n") + 7;
        EXPECT_NEAR(std::stod(again.out), std::stod(report.substr(cost)),
                    1e-5 * std::stod(report.substr(cost)));
    }
}

TEST(BatchTool, HelpAndVersion) {
    ScratchFolder folder;
    const BatchResult version = runBatch(folder, {"--version"});
    EXPECT_EQ(version.out, std::string("vestra-batch ") + VESTRA_VERSION + "\n");
    const BatchResult all = runBatch(folder, {"--help"});
    EXPECT_EQ(all.status, 0);
    for (const char* text :
         {"vestra-batch list", "vestra-batch info FILE", "vestra-batch evaluate FILE",
          "vestra-batch calibrate FILE", "vestra-batch convert FILE", "vestra-batch sweep PLAN",
          "vestra-batch collect DIR", "--max-gap S", "--save-params PRM"}) {
        EXPECT_NE(all.out.find(text), std::string::npos) << text;
    }
    const BatchResult one = runBatch(folder, {"help", "calibrate"});
    EXPECT_NE(one.out.find("--jobs N"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("vestra-batch sweep"), std::string::npos);
    const BatchResult unknown = runBatch(folder, {"help", "frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("the commands are list, info"), std::string::npos);
}
