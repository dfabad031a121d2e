#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/BatchTool.h"
#include "app/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;
const std::string header = "experiment,model,metric,algorithm,seed,algorithm_set\n";
// A calibration of a few dozen evaluations.
const std::string quickRow =
    examples + "/crossing-flows.ana,RVO2,Difference,Genetic,1,N=6;n=2;loops=2\n";

struct ToolRun {
    int status = -1;
    std::string output;  ///< standard output and error together
};

// Runs the built tool; `shell` may set limits or PATH for it first.
ToolRun runTool(const std::vector<std::string>& arguments, const std::string& shell = "") {
    std::vector<std::string> command = {"/bin/sh", "-c", shell + "exec \"$0\" \"$@\"",
                                        VESTRA_BATCH_EXECUTABLE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ToolRun run;
    ChildProcess::Ending ending;
    std::string error;
    EXPECT_TRUE(ChildProcess::run(command, run.output, ending, error)) << error;
    run.status = ending.exitStatus;
    return run;
}

// A calibration that runs until it is stopped.
const std::string endlessRow =
    examples + "/bottleneck.ana,Vision,Difference,Genetic,1,N=50;n=5;loops=1000000\n";

// Waits up to a minute for `path` to exist.
bool appears(const std::string& path) {
    for (int i = 0; i < 600 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::filesystem::exists(path);
}

int count(const std::string& text, const std::string& part) {
    int found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

}  // namespace

TEST(Sweep, BadRowsAreRefusedAsCalibrateRefusesThemBeforeAnythingRuns) {
    ScratchFolder folder;
    const std::string good = examples + "/crossing-flows.ana";
    struct Case {
        std::string row;  ///< experiment,model,metric,algorithm,seed,options,set,algorithm_set
        std::vector<std::string> calibrate;  ///< the same run as a calibrate command line
    };
    const std::vector<std::string> named = {"--model",    "RVO2",        "--metric",
                                            "Difference", "--algorithm", "Greedy"};
    auto with = [&](std::vector<std::string> start, const std::vector<std::string>& more) {
        start.insert(start.end(), more.begin(), more.end());
        return start;
    };
    const Case cases[] = {
        {good + ",Boidz,Difference,Greedy,1,,,",
         {"calibrate", good, "--model", "Boidz", "--metric", "Difference", "--algorithm",
          "Greedy"}},
        {folder.file("none.ana") + ",RVO2,Difference,Greedy,1,,,",
         with({"calibrate", folder.file("none.ana")}, named)},
        {good + ",RVO2,Difference,Greedy,1,,Speed=fast,",
         with({"calibrate", good, "--set", "Speed=fast"}, named)},
        {good + ",RVO2,Difference,Genetic,1,,,N=2.5",
         {"calibrate", good, "--model", "RVO2", "--metric", "Difference", "--algorithm", "Genetic",
          "--algorithm-set", "N=2.5"}},
        {good + ",RVO2,Difference,Greedy,1,--unit km,,",
         with({"calibrate", good, "--unit", "km"}, named)},
        {good + ",RVO2,Difference,Greedy,1,--format nope,,",
         with({"calibrate", good, "--format", "nope"}, named)},
        {good + ",RVO2,Difference,Greedy,-1,,,", with({"calibrate", good, "--seed", "-1"}, named)},
    };
    std::string plan = "experiment,model,metric,algorithm,seed,options,set,algorithm_set\n";
    for (const Case& c : cases) {
        plan += c.row + "\n";
    }
    plan += good + ",RVO2,Difference,Greedy,1,--seed 2,,\n";
    const ToolRun sweep =
        runTool({"sweep", folder.write("plan.csv", plan), "--out", folder.file("out")});
    EXPECT_EQ(sweep.status, 2);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].row);
        const ToolRun calibrate = runTool(cases[i].calibrate);
        EXPECT_NE(calibrate.status, 0);
        const std::string message = calibrate.output.substr(calibrate.output.find(": ") + 2);
        const std::string expected = "vestra-batch: " + folder.file("plan.csv") + " row " +
                                     std::to_string(i + 1) + " (line " + std::to_string(i + 2) +
                                     "): " + message.substr(0, message.find('\n') + 1);
        EXPECT_NE(sweep.output.find(expected), std::string::npos) << sweep.output;
    }
    EXPECT_NE(sweep.output.find("row 8 (line 9): the options column takes only reading options "
                                "(--format --fps --unit --stride --from --to --max-gap "
                                "--obstacles) and --scope, not \"--seed\"."),
              std::string::npos)
        << sweep.output;
    EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

TEST(Sweep, ARowDoesExactlyWhatCalibrateDoes) {
    ScratchFolder folder;
    const ToolRun sweep = runTool(
        {"sweep", folder.write("plan.csv", header + quickRow), "--out", folder.file("out")});
    ASSERT_EQ(sweep.status, 0) << sweep.output;
    const ToolRun calibrate = runTool({"calibrate",       examples + "/crossing-flows.ana",
                                       "--model",         "RVO2",
                                       "--metric",        "Difference",
                                       "--algorithm",     "Genetic",
                                       "--seed",          "1",
                                       "--algorithm-set", "N=6",
                                       "--algorithm-set", "n=2",
                                       "--algorithm-set", "loops=2",
                                       "--save-params",   folder.file("direct.prm"),
                                       "--trace",         folder.file("direct.csv")});
    ASSERT_EQ(calibrate.status, 0) << calibrate.output;
    EXPECT_EQ(readFile(folder.file("out/row-1.prm")), readFile(folder.file("direct.prm")));
    EXPECT_EQ(readFile(folder.file("out/row-1.trace.csv")), readFile(folder.file("direct.csv")));
    // The log holds the calibrate command's own output after the line naming the row.
    EXPECT_NE(readFile(folder.file("out/row-1.log")).find("\n" + calibrate.output),
              std::string::npos);
}

TEST(Sweep, AFailedRowIsRecordedWhileTheOthersGoOn) {
    ScratchFolder folder;
    // Row 2 asks for more memory than any machine has; the calibrate command refuses it.
    const std::string plan = header + quickRow + examples +
                             "/crossing-flows.ana,RVO2,Difference,Genetic,1,N=2000000000\n" +
                             quickRow;
    const ToolRun sweep = runTool(
        {"sweep", folder.write("plan.csv", plan), "--out", folder.file("out"), "--jobs", "2"});
    EXPECT_EQ(sweep.status, 1) << sweep.output;
    EXPECT_NE(sweep.output.find("row 2 failed: The genetic algorithm cannot run: N = 2000000000"),
              std::string::npos)
        << sweep.output;
    EXPECT_NE(sweep.output.find("2 of 3 rows done, 1 failed"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out/row-2.prm")));
    EXPECT_EQ(readFile(folder.file("out/row-1.prm")), readFile(folder.file("out/row-3.prm")));

    const ToolRun collect = runTool({"collect", folder.file("out")});
    EXPECT_EQ(collect.status, 1);
    const std::string results = readFile(folder.file("out/results.csv"));
    EXPECT_EQ(count(results, ",done,"), 2) << results;
    EXPECT_NE(
        results.find("\n2," + examples +
                     "/crossing-flows.ana,RVO2,Difference,Genetic,1,,,,N=2000000000,failed,,,,"),
        std::string::npos)
        << results;
}

TEST(Sweep, ARowEndedBySignalIsRecordedAsFailed) {
    ScratchFolder folder;
    // A Greedy calibration of the bottleneck takes seconds; one second of processor time each
    // ends it by SIGXCPU, while the quick row finishes.
    const std::string plan =
        header + examples + "/bottleneck.ana,RVO2,Difference,Greedy,1,\n" + quickRow;
    const ToolRun sweep = runTool(
        {"sweep", folder.write("plan.csv", plan), "--out", folder.file("out"), "--jobs", "2"},
        "ulimit -S -t 1; ");
    EXPECT_EQ(sweep.status, 1) << sweep.output;
    EXPECT_NE(sweep.output.find("row 1 failed: the run ended by signal 24 (CPU time limit "
                                "exceeded) without a result; its last output: Parameter: "),
              std::string::npos)
        << sweep.output;
    EXPECT_NE(sweep.output.find("row 2 done"), std::string::npos);
    EXPECT_NE(readFile(folder.file("out/row-1.result.csv")).find(",failed,"), std::string::npos);
}

TEST(Sweep, AStoppedSweepResumesWithoutRunningFinishedRowsAgain) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + quickRow + quickRow);
    const std::string out = folder.file("out");
    ASSERT_EQ(runTool({"sweep", plan, "--out", out}).status, 0);
    const std::string firstLog = readFile(folder.file("out/row-1.log"));
    const std::string secondParams = readFile(folder.file("out/row-2.prm"));
    // As if the sweep had been stopped while row 2 ran.
    std::filesystem::remove(folder.file("out/row-2.result.csv"));

    const ToolRun again = runTool({"sweep", plan, "--out", out});
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_NE(again.output.find("2 rows, 1 done before, 1 to run"), std::string::npos)
        << again.output;
    EXPECT_EQ(readFile(folder.file("out/row-1.log")), firstLog);
    EXPECT_EQ(count(readFile(folder.file("out/row-2.log")), "== row 2: "), 2);
    EXPECT_EQ(readFile(folder.file("out/row-2.prm")), secondParams);

    const ToolRun row = runTool({"sweep", plan, "--out", out, "--row", "1"});
    EXPECT_EQ(row.status, 0);
    EXPECT_EQ(row.output, "row 1 is already done\n");

    // The folder's finished rows belong to this plan; another plan is sent elsewhere.
    const std::string other = folder.write(
        "other.csv", header + examples + "/crossing-flows.ana,Boids,Difference,Genetic,1,\n");
    const ToolRun mixed = runTool({"sweep", other, "--out", out});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_NE(mixed.output.find("row 1 (line 2): " + out +
                                "/row-1.result.csv is a finished run of another row (model "
                                "\"RVO2\", not \"Boids\"); use another --out folder"),
              std::string::npos)
        << mixed.output;
}

TEST(Sweep, CollectMergesTheRowsAndSummarizesTheSeeds) {
    ScratchFolder folder;
    folder.write("plan.csv",
                 "experiment,model,metric,algorithm,seed,options,set\n"
                 "x.ana,Boids,Difference,Genetic,1,,\n"
                 "x.ana,Boids,Difference,Genetic,2,,\n"
                 "x.ana,Boids,Difference,Greedy,1,,\n"
                 "x.ana,Boids,Difference,Greedy,2,,\n"
                 "x.ana,Boids,Difference,Greedy,3,--unit mm,Step=5\n"
                 "x.ana,Boids,Difference,Greedy,4,,\n");
    const std::string resultHeader =
        "row,experiment,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,status,"
        "initial_cost,best_cost,evaluations,seconds,params,message\n";
    folder.write("row-1.result.csv", resultHeader +
                                         "1,x.ana,Boids,Difference,Genetic,1,,,,,"
                                         "done,0.9,0.5,40,1.250,row-1.prm,\n");
    folder.write("row-2.result.csv", resultHeader +
                                         "2,x.ana,Boids,Difference,Genetic,2,,,,,"
                                         "done,0.8,0.75,30,2.000,row-2.prm,\n");
    folder.write("row-3.result.csv", resultHeader +
                                         "3,x.ana,Boids,Difference,Greedy,1,,,,,"
                                         "done,0.8,0.25,12,0.500,row-3.prm,\n");
    folder.write("row-4.result.csv",
                 resultHeader +
                     "4,x.ana,Boids,Difference,Greedy,2,,,,,"
                     "cancelled,0.7,0.3,9,3.000,row-4.prm,\"stopped, by hand\"\n");
    // Another study: the same algorithm with another setting is not one more seed.
    folder.write("row-5.result.csv", resultHeader +
                                         "5,x.ana,Boids,Difference,Greedy,3,--unit mm,Step=5,,,"
                                         "done,0.8,0.125,12,0.500,row-5.prm,\n");
    std::ostringstream out;
    std::ostringstream err;
    const std::string dir = folder.file("");
    EXPECT_EQ(BatchTool(out, err, false).run({"collect", dir}), 1);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(readFile(folder.file("results.csv")),
              "row,experiment,model,metric,algorithm,seed,options,set,metric_set,algorithm_set,"
              "status,initial_cost,best_cost,evaluations,seconds,params\n"
              "1,x.ana,Boids,Difference,Genetic,1,,,,,done,0.9,0.5,40,1.250,row-1.prm\n"
              "2,x.ana,Boids,Difference,Genetic,2,,,,,done,0.8,0.75,30,2.000,row-2.prm\n"
              "3,x.ana,Boids,Difference,Greedy,1,,,,,done,0.8,0.25,12,0.500,row-3.prm\n"
              "4,x.ana,Boids,Difference,Greedy,2,,,,,cancelled,0.7,0.3,9,3.000,row-4.prm\n"
              "5,x.ana,Boids,Difference,Greedy,3,--unit mm,Step=5,,,done,0.8,0.125,12,0.500,"
              "row-5.prm\n");
    // Genetic: best 0.5; mean (0.5 + 0.75) / 2 = 0.625; spread over the two seeds
    // sqrt((0.125² + 0.125²) / (2 − 1)) = 0.125 × sqrt(2) = 0.176776695.
    // Greedy: one finished run, so no spread.
    EXPECT_EQ(out.str(),
              "Wrote " + folder.file("results.csv") +
                  ": 4 of 6 rows done\n\n"
                  "experiment  model  metric      algorithm  runs  best   mean   spread       "
                  "settings\n"
                  "x.ana       Boids  Difference  Genetic    2     0.5    0.625  0.176776695\n"
                  "x.ana       Boids  Difference  Greedy     1     0.25   0.25   -\n"
                  "x.ana       Boids  Difference  Greedy     1     0.125  0.125  -            "
                  "--unit mm | model: Step=5\n"
                  "row 4 cancelled: stopped, by hand\n"
                  "row 6 has no result (not run yet, still running, or stopped without one: "
                  "see row-6.log)\n");
}

TEST(Sweep, TheSlurmJobRunsTheUnfinishedRowsAndSubmitsThroughSbatch) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + quickRow + quickRow + quickRow);
    const std::string out = folder.file("out");
    ASSERT_EQ(runTool({"sweep", plan, "--out", out, "--row", "1"}).status, 0);
    // Stand-ins for the cluster's commands, which the test rewrites as it goes.
    const std::string bin = folder.file("bin");
    std::filesystem::create_directory(bin);
    const auto command = [&](const std::string& name, const std::string& body) {
        folder.write("bin/" + name, "#!/bin/sh\n" + body);
        std::filesystem::permissions(bin + "/" + name, std::filesystem::perms::owner_all);
    };
    const std::string path = "PATH=" + bin + ":$PATH; ";
    command("scontrol", "exit 1\n");  // no cluster to ask: arrays of Slurm's default size
    const std::vector<std::string> slurm = {
        "sweep",       plan,    "--out",           out, "--slurm",       "--time", "0:30:00",
        "--partition", "short", "--cpus-per-task", "2", "--max-running", "4"};
    const ToolRun written = runTool(slurm, path);
    ASSERT_EQ(written.status, 0) << written.output;
    EXPECT_EQ(written.output, "Wrote " + out +
                                  "/sweep.sbatch: an array job of 2 tasks (rows 2-3)\n"
                                  "sbatch " +
                                  out + "/sweep.sbatch\n");
    const std::string script = readFile(out + "/sweep.sbatch");
    for (const std::string& line :
         {std::string("\n#SBATCH --array=0-1%4\n"), std::string("\n#SBATCH --cpus-per-task=2\n"),
          std::string("\n#SBATCH --partition=short\n"), std::string("\n#SBATCH --time=0:30:00\n"),
          std::string("\nrows=(2 3)\nrow=${rows[$SLURM_ARRAY_TASK_ID]}\n"),
          "\nexec " + std::string(VESTRA_BATCH_EXECUTABLE) + " sweep " + plan + " --out " + out +
              " --row \"$row\" --jobs 2 >>" + out + "/row-\"$row\".log 2>&1\n"}) {
        EXPECT_NE(script.find(line), std::string::npos) << line << "\nin\n" << script;
    }

    // A cluster whose arrays hold two tasks at most gets the rows in two arrays.
    command("scontrol", "echo 'MaxArraySize            = 2'\n");
    command("sbatch", "echo \"$@\" >> " + folder.file("submitted") + "\nn=$(wc -l < " +
                          folder.file("submitted") + ")\necho \"424$n;c\"\n");
    command("squeue", "echo 'slurm_load_jobs error: Invalid job id specified'; exit 1\n");
    std::filesystem::remove(out + "/row-1.result.csv");
    std::vector<std::string> submit = slurm;
    submit.push_back("--submit");
    const ToolRun accepted = runTool(submit, path);
    EXPECT_EQ(accepted.status, 0) << accepted.output;
    EXPECT_NE(accepted.output.find("/sweep-1.sbatch: an array job of 2 tasks (rows 1-2)\n"),
              std::string::npos)
        << accepted.output;
    EXPECT_NE(accepted.output.find("/sweep-2.sbatch: an array job of 1 task (rows 3)\n"),
              std::string::npos);
    EXPECT_NE(accepted.output.find("\nSubmitted jobs 4241 and 4242;"), std::string::npos)
        << accepted.output;
    EXPECT_EQ(readFile(folder.file("submitted")),
              "--parsable " + out + "/sweep-1.sbatch\n--parsable " + out + "/sweep-2.sbatch\n");

    // While those jobs are queued a second submission would run their rows twice.
    command("squeue", "echo PENDING\n");
    const ToolRun twice = runTool(submit, path);
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.output.find("job 4241 of " + out + " is still in the queue (PENDING)"),
              std::string::npos)
        << twice.output;
    submit.push_back("--force");
    EXPECT_EQ(runTool(submit, path).status, 0);

    command("sbatch", "echo 'sbatch: error: invalid partition' >&2\nexit 1\n");
    submit.pop_back();
    command("squeue", "exit 1\n");
    const ToolRun refused = runTool(submit, path);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("sbatch failed (exit status 1): sbatch: error: invalid "
                                  "partition\n"),
              std::string::npos)
        << refused.output;
}

TEST(Sweep, AClusterTaskWhosePlanIsGoneRecordsItsRowAsFailed) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + quickRow);
    const std::string out = folder.file("out");
    ASSERT_EQ(runTool({"sweep", plan, "--out", out, "--slurm"}).status, 0);
    std::filesystem::remove(plan);
    EXPECT_EQ(runTool({"sweep", plan, "--out", out, "--row", "1"}).status, 2);
    const std::string result = readFile(out + "/row-1.result.csv");
    EXPECT_NE(result.find(",failed,"), std::string::npos) << result;
    EXPECT_NE(result.find("Cannot read the plan"), std::string::npos) << result;
}

TEST(Sweep, ARowStoppedByTheSchedulersSignalIsRecordedAsCancelledWithWhatItFound) {
    // SIGTERM is what a scheduler sends at a task's time limit; the row keeps its best values.
    ScratchFolder folder;
    const std::string plan = folder.write(
        "plan.csv", header + examples + "/bottleneck.ana,Vision,Difference,Greedy,1,\n");
    const std::string out = folder.file("out");
    const std::string script =
        "\"$0\" sweep \"$1\" --out \"$2\" --row 1 >/dev/null 2>&1 & "
        "sleep 0.5; kill -TERM $!; wait $!";
    const ToolRun row =
        runTool({}, "sh -c '" + script + "' \"$0\" '" + plan + "' '" + out + "'; exit $?; ");
    EXPECT_EQ(row.status, 143) << row.output;
    const std::string result = readFile(out + "/row-1.result.csv");
    EXPECT_NE(result.find(",cancelled,"), std::string::npos) << result;
    EXPECT_NE(result.find("stopped by signal 15 after "), std::string::npos) << result;
    EXPECT_TRUE(std::filesystem::exists(out + "/row-1.prm"));
}

TEST(Sweep, ASignalToTheSweepReachesItsRowsWhichKeepWhatTheyFound) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + endlessRow + endlessRow);
    const std::string out = folder.file("out");
    const ToolRun sweep = runTool({}, "\"$0\" sweep '" + plan + "' --out '" + out +
                                          "' & sleep 2; kill -TERM $!; wait $!; " + "exit $?; ");
    EXPECT_EQ(sweep.status, 143) << sweep.output;
    EXPECT_NE(sweep.output.find("Stopped by signal 15 (Terminated): row 1 cancelled, keeping the "
                                "best values found; 1 row not started."),
              std::string::npos)
        << sweep.output;
    const std::string result = readFile(out + "/row-1.result.csv");
    // The cancelled row's initial cost, best cost and evaluations are all filled in.
    EXPECT_NE(result.find(",cancelled,"), std::string::npos) << result;
    EXPECT_EQ(result.find(",cancelled,,"), std::string::npos) << result;
    EXPECT_FALSE(std::filesystem::exists(out + "/row-2.result.csv"));
}

TEST(Sweep, RowsOutliveNoSweepAndNoRowRunsTwice) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + endlessRow + endlessRow);
    const std::string out = folder.file("out");
    // The sweep is killed outright: its endless rows must end with it, keeping what they found.
    const ToolRun killed =
        runTool({}, "\"$0\" sweep '" + plan + "' --out '" + out +
                        "' --jobs 2 >/dev/null & sleep 2; kill -KILL $!; exit 0; ");
    ASSERT_TRUE(appears(out + "/row-1.result.csv") && appears(out + "/row-2.result.csv"));
    for (const char* row : {"/row-1.result.csv", "/row-2.result.csv"}) {
        EXPECT_NE(readFile(out + row).find(",cancelled,"), std::string::npos) << row;
    }

    // A row that runs (here started by hand, as a cluster task is) is neither run by a sweep
    // nor by a second hand.
    const std::string row = "\"$0\" sweep '" + plan + "' --out '" + out + "' --row 1";
    const ToolRun sweep =
        runTool({}, row + " >/dev/null & sleep 2; \"$0\" sweep '" + plan + "' --out '" + out +
                        "'; status=$?; " + row + "; status=$status$?; kill -TERM $!; wait $!; " +
                        "exit $status; ");
    EXPECT_EQ(sweep.status, 11);  // both refused with status 1
    EXPECT_NE(sweep.output.find(": row 1 is still running in process "), std::string::npos)
        << sweep.output;
    EXPECT_NE(sweep.output.find(": row 1 is already running in process "), std::string::npos)
        << sweep.output;
    EXPECT_EQ(count(readFile(out + "/row-1.log"), "== row 1: "), 1);
}

TEST(Sweep, AReadOnlyFolderStillGivesItsTableAndSaysNothingIsLeft) {
    ScratchFolder folder;
    const std::string plan = folder.write("plan.csv", header + quickRow);
    const std::string out = folder.file("out");
    ASSERT_EQ(runTool({"sweep", plan, "--out", out}).status, 0);
    // Root writes through permissions, so root sees the folder through a read-only mount of its
    // own; anybody else through its permissions.
    std::string readOnly = "chmod -R a-w '" + out + "'; ";
    if (geteuid() == 0) {
        if (std::system("unshare -m true 2>/dev/null") != 0) {
            GTEST_SKIP() << "no private mount namespace here";
        }
        readOnly =
            "exec unshare -m sh -c 'mount --bind \"$1\" \"$1\" && mount -o "
            "remount,bind,ro \"$1\" && shift && exec \"$@\"' sh '" +
            out + "' \"$0\" \"$@\"; ";
    }
    const ToolRun collect = runTool({"collect", out}, readOnly);
    EXPECT_EQ(collect.status, 1);
    EXPECT_NE(collect.output.find("Cannot write \"" + out + "/results.csv\""), std::string::npos)
        << collect.output;
    EXPECT_NE(collect.output.find("1 of 1 rows done\n\nexperiment "), std::string::npos);
    EXPECT_NE(collect.output.find("\n1," + examples + "/crossing-flows.ana,RVO2,"),
              std::string::npos);
    const ToolRun again = runTool({"sweep", plan, "--out", out}, readOnly);
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_NE(again.output.find("is done in " + out + "; nothing to run."), std::string::npos)
        << again.output;
    std::system(("chmod -R u+w '" + out + "'").c_str());
}
