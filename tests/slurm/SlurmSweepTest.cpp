#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/ChildProcess.h"
#include "app/CsvReader.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;
// Three tiny calibrations take a second here; the rest is the scheduler's own pace.
constexpr auto jobTimeout = std::chrono::seconds(180);

bool slurmRequired() {
    const char* required = std::getenv("VESTRA_REQUIRE_SLURM");
    return required && std::string(required) == "1";
}

// A port no one listens on now, so that this cluster does not meet another one on the machine.
int freePort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t length = sizeof address;
    const bool bound = bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(socket);
    return bound ? ntohs(address.sin_port) : 0;
}

struct Outcome {
    bool started = false;
    int status = -1;
    std::string output;
};

Outcome run(const std::vector<std::string>& arguments) {
    Outcome outcome;
    ChildProcess::Ending ending;
    std::string error;
    outcome.started = ChildProcess::run(arguments, outcome.output, ending, error);
    outcome.status = ending.exitStatus;
    if (!outcome.started) {
        outcome.output = error;
    }
    return outcome;
}

// The one-node cluster of tools/slurm-one-node.sh, stopped however the test ends.
class OneNodeCluster {
public:
    explicit OneNodeCluster(std::string folder) : folder(std::move(folder)) {
        setenv("VESTRA_SLURMCTLD_PORT", std::to_string(freePort()).c_str(), 1);
        setenv("VESTRA_SLURMD_PORT", std::to_string(freePort()).c_str(), 1);
        start = run({"bash", VESTRA_SLURM_SCRIPT, "start", this->folder});
        setenv("SLURM_CONF", (this->folder + "/slurm.conf").c_str(), 1);
    }
    ~OneNodeCluster() { run({"bash", VESTRA_SLURM_SCRIPT, "stop", folder}); }
    OneNodeCluster(const OneNodeCluster&) = delete;
    OneNodeCluster& operator=(const OneNodeCluster&) = delete;

    std::string folder;
    Outcome start;
};

// results.csv without its seconds column, which only the clock decides.
std::vector<std::vector<std::string>> withoutSeconds(const std::string& path) {
    CsvReader reader(readFile(path));
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> fields;
    size_t seconds = 0;
    while (reader.next(fields)) {
        if (rows.empty()) {
            seconds = static_cast<size_t>(std::find(fields.begin(), fields.end(), "seconds") -
                                          fields.begin());
        }
        EXPECT_LT(seconds, fields.size()) << path;
        if (seconds < fields.size()) {
            fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(seconds));
        }
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace

TEST(SlurmSweep, AnArrayJobGivesExactlyTheResultsOfALocalSweep) {
    const auto started = std::chrono::steady_clock::now();
    if (geteuid() != 0) {
        if (slurmRequired()) {
            FAIL() << "VESTRA_REQUIRE_SLURM=1, but the one-node cluster needs root";
        }
        GTEST_SKIP() << "the one-node Slurm cluster needs root";
    }
    ScratchFolder folder;
    // Arrays of two tasks at most, so that the plan's three rows need two of them.
    setenv("VESTRA_SLURM_MAX_ARRAY_SIZE", "2", 1);
    OneNodeCluster cluster(folder.file("cluster"));
    if (!cluster.start.started || cluster.start.status != 0) {
        if (slurmRequired()) {
            FAIL() << "the one-node Slurm cluster did not start:\n" << cluster.start.output;
        }
        GTEST_SKIP() << "Slurm did not start here (tools/install-deps.sh installs it):\n"
                     << cluster.start.output;
    }

    const std::string flows = examples + "/crossing-flows.ana";
    const std::string plan =
        folder.write("plan.csv", "experiment,model,metric,algorithm,seed,algorithm_set\n" + flows +
                                     ",RVO2,Difference,Genetic,3,N=8;n=2;loops=2\n" + flows +
                                     ",Boids,Path Length,Genetic,4,N=6;n=2;loops=2\n" + flows +
                                     ",RVO2,Difference,Genetic,5,N=8;n=2;loops=2\n");
    const std::string local = folder.file("local");
    const std::string remote = folder.file("remote");
    const Outcome here = run({VESTRA_BATCH_EXECUTABLE, "sweep", plan, "--out", local});
    ASSERT_EQ(here.status, 0) << here.output;

    const Outcome submitted = run({VESTRA_BATCH_EXECUTABLE, "sweep", plan, "--out", remote,
                                   "--slurm", "--time", "00:05:00", "--submit"});
    ASSERT_EQ(submitted.status, 0) << submitted.output;
    const size_t idsAt = submitted.output.find("Submitted jobs ");
    ASSERT_NE(idsAt, std::string::npos) << submitted.output;
    std::string ids = submitted.output.substr(idsAt + 15);
    ids = ids.substr(0, ids.find(';'));
    const std::string job =
        ids.substr(0, ids.find(" and ")) + "," + ids.substr(ids.find(" and ") + 5);
    // Submitting again while those arrays wait or run would run their rows twice.
    const Outcome again =
        run({VESTRA_BATCH_EXECUTABLE, "sweep", plan, "--out", remote, "--slurm", "--submit"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.output.find("is still in the queue"), std::string::npos) << again.output;

    // Done when every row has its result and the scheduler has let go of the job.
    bool finished = false;
    while (!finished && std::chrono::steady_clock::now() - started < jobTimeout) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        bool results = true;
        for (int row = 1; row <= 3; ++row) {
            results = results && std::filesystem::exists(remote + "/row-" + std::to_string(row) +
                                                         ".result.csv");
        }
        const Outcome queue = run({"squeue", "-h", "-j", job});
        finished = results && queue.status == 0 && queue.output.empty();
    }
    ASSERT_TRUE(finished) << "job " << job << " did not finish in time; "
                          << run({"squeue", "-j", job}).output;

    EXPECT_EQ(run({VESTRA_BATCH_EXECUTABLE, "collect", local}).status, 0);
    const Outcome collected = run({VESTRA_BATCH_EXECUTABLE, "collect", remote});
    EXPECT_EQ(collected.status, 0) << collected.output;
    EXPECT_EQ(withoutSeconds(remote + "/results.csv"), withoutSeconds(local + "/results.csv"));
    for (int row = 1; row <= 3; ++row) {
        const std::string params = "/row-" + std::to_string(row) + ".prm";
        EXPECT_FALSE(readFile(local + params).empty());
        EXPECT_EQ(readFile(remote + params), readFile(local + params)) << params;
    }
    std::cout << "job " << job << " ran and was compared in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()
              << " s\n";
}
