#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (const char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

// Runs the built executable behind `prefix` (a command that runs what follows it, such as
// taskset), with its output captured.
Result runBatch(const ScratchFolder& folder, const std::string& prefix,
                const std::vector<std::string>& arguments) {
    std::string command = prefix + " " + quoted(VESTRA_BATCH_EXECUTABLE);
    for (const std::string& argument : arguments) {
        command += " " + quoted(argument);
    }
    command += " >" + quoted(folder.file("stdout")) + " 2>" + quoted(folder.file("stderr")) +
               " </dev/null";
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(folder.file("stdout"));
    result.err = readFile(folder.file("stderr"));
    return result;
}

// The CPUs this test may run on.
cpu_set_t allowedCpus() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    sched_getaffinity(0, sizeof allowed, &allowed);
    return allowed;
}

// The first `count` of them, as taskset's list.
std::string firstCpus(int count) {
    const cpu_set_t allowed = allowedCpus();
    std::string list;
    for (int cpu = 0; cpu < CPU_SETSIZE && count > 0; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            list += (list.empty() ? "" : ",") + std::to_string(cpu);
            --count;
        }
    }
    return list;
}

// Runs what follows it with a limit of one process for its user, so that the system refuses
// every thread: root is not held to the limit, so as root the command runs as nobody.
std::string noThreadsAllowed() {
    const std::string limited = "bash -c 'ulimit -u 1 && exec \"$0\" \"$@\"'";
    return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + limited
                          : limited;
}

}  // namespace

TEST(BatchThreads, JobsZeroIsOneThreadPerCoreTheToolMayRunOn) {
    const cpu_set_t allowed = allowedCpus();
    const int available = CPU_COUNT(&allowed);
    ScratchFolder folder;
    for (const int cores : {1, 2}) {
        if (cores > available) {
            break;
        }
        SCOPED_TRACE(cores);
        const Result r = runBatch(folder, "taskset -c " + firstCpus(cores),
                                  {"evaluate", examples + "/bottleneck.ana", "--model", "Boids",
                                   "--metric", "Difference", "--jobs", "0"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "jobs " + std::to_string(cores) + "\n");
    }
}

TEST(BatchThreads, MoreJobsThanTheRunCanUseGiveTheResultOfTwo) {
    // A generation of 6 genomes keeps at most 6 threads busy; 100000 asked for must neither
    // abort nor change the report, the parameter file or the trace.
    ScratchFolder folder;
    std::vector<std::string> results;
    for (const char* jobs : {"2", "100000"}) {
        SCOPED_TRACE(jobs);
        const std::string name = std::string("jobs") + jobs;
        const Result r = runBatch(folder, "", {"calibrate",       examples + "/crossing-flows.ana",
                                               "--model",         "Boids",
                                               "--metric",        "Difference",
                                               "--algorithm",     "Genetic",
                                               "--algorithm-set", "N=6",
                                               "--algorithm-set", "loops=2",
                                               "--seed",          "5",
                                               "--jobs",          jobs,
                                               "--save-params",   folder.file(name + ".prm"),
                                               "--trace",         folder.file(name + ".csv")});
        ASSERT_EQ(r.status, 0) << r.err;
        results.push_back(r.out + readFile(folder.file(name + ".prm")) +
                          readFile(folder.file(name + ".csv")));
    }
    EXPECT_EQ(results[1], results[0]);
}

TEST(BatchThreads, AThreadTheSystemRefusesIsReportedWithStatusOne) {
    ScratchFolder folder;
    if (runBatch(folder, noThreadsAllowed(), {"--version"}).status != 0) {
        GTEST_SKIP() << "cannot run the tool under a limit of processes here";
    }
    const std::string experiment = examples + "/bottleneck.ana";
    const std::vector<std::string> commands[] = {
        {"calibrate", experiment, "--model", "Boids", "--metric", "Difference", "--algorithm",
         "Genetic", "--seed", "1", "--jobs", "4"},
        {"evaluate", experiment, "--model", "Boids", "--metric", "Difference", "--jobs", "4"},
    };
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(command[0]);
        const Result r = runBatch(folder, noThreadsAllowed(), command);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("did not start. Only 0 of"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("worker threads could be started"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Ask for fewer threads."), std::string::npos) << r.err;
    }
}
