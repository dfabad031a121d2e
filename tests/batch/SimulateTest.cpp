#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"
#include "models/SimulationRVO2.h"
#include "run/Record.h"
#include "run/TrackExport.h"
#include "tests/support/BatchRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

const std::string examples = VESTRA_EXAMPLES_DIR;
// Six pedestrians who come and go, with obstacles.
const std::string presence = examples + "/corridor-presence.ana";

std::unique_ptr<Experiment> readBack(const std::string& path, double framesPerSecond = 0.0) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    ReadingOptions options;
    options.framesPerSecond = framesPerSecond;
    std::string error;
    std::unique_ptr<Experiment> read = loadExperimentFile(registry, path, options, error);
    EXPECT_TRUE(read) << error;
    return read;
}

// The tracks a file read back holds are `expected`, sample for sample, on the same times. The
// readers count frames and time from the first frame anybody is on, which may come later than
// the recording's first.
void expectSameSamples(const Experiment& read, TrackSet expected) {
    ASSERT_EQ(read.pedestrianCount, static_cast<int>(expected.tracks.size()));
    // The readers number pedestrians by their first frame, then by id.
    std::sort(expected.tracks.begin(), expected.tracks.end(), [](const auto& a, const auto& b) {
        return a.firstFrame != b.firstFrame ? a.firstFrame < b.firstFrame : a.id < b.id;
    });
    int shift = expected.tracks.front().firstFrame;
    for (const TrackSet::Track& track : expected.tracks) {
        shift = std::min(shift, track.firstFrame);
    }
    for (int p = 0; p < read.pedestrianCount; ++p) {
        SCOPED_TRACE(p);
        const TrackSet::Track& track = expected.tracks[static_cast<std::size_t>(p)];
        ASSERT_EQ(read.presentFirst[p] + shift, track.firstFrame);
        ASSERT_EQ(read.presentLast[p] - read.presentFirst[p] + 1, static_cast<int>(track.x.size()));
        for (std::size_t j = 0; j < track.x.size(); ++j) {
            const int k = track.firstFrame + static_cast<int>(j);
            EXPECT_EQ(read.posX[read.sampleIndex(p, k - shift)], track.x[j]);
            EXPECT_EQ(read.posY[read.sampleIndex(p, k - shift)], track.y[j]);
            EXPECT_NEAR(read.times[k - shift],
                        expected.times[static_cast<std::size_t>(k)] -
                            expected.times[static_cast<std::size_t>(shift)],
                        1e-5);
        }
    }
}

}  // namespace

TEST(Simulate, EveryLayoutReadsBackToTheSimulatedAndTheMeasuredSamples) {
    ScratchFolder folder;
    // The run the command makes, made here too: RVO2 at its defaults over the recording.
    const std::unique_ptr<Experiment> measured = readBack(presence);
    SimulationRVO2 model;
    SimulationGeneric<Dummy> reference;
    Record record;
    record.build(measured.get(), &reference, &model);
    record.reset();
    record.run();
    const TrackSet simulated = TrackExport::simulated(model, *measured);
    const TrackSet recorded = TrackExport::measured(*measured);
    ASSERT_GT(simulated.tracks[5].firstFrame, 0);  // pedestrians come and go

    for (const char* extension : {"txt", "csv", "ndjson"}) {
        SCOPED_TRACE(extension);
        for (const bool measuredOnes : {false, true}) {
            const std::string out = folder.file(std::string("out.") + extension);
            std::vector<std::string> arguments = {"simulate", presence, "--model",
                                                  "RVO2",     "-o",     out};
            if (measuredOnes) {
                arguments.push_back("--measured");
            }
            const BatchResult r = runBatch(folder, arguments);
            ASSERT_EQ(r.status, 0) << r.err;
            // The benchmark layout states its rate in its scene row only, which the readers
            // do not take.
            const double rate = std::string(extension) == "ndjson" ? 10.0 : 0.0;
            expectSameSamples(*readBack(out, rate), measuredOnes ? recorded : simulated);
        }
    }
}

TEST(Simulate, BadRequestsAreRefusedBeforeTheRecordingIsRead) {
    ScratchFolder folder;
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const std::string good = examples + "/crossing-flows.ana";
    const Case cases[] = {
        {{"simulate", good, "-o", folder.file("a.txt")}, "simulate needs --model."},
        {{"simulate", good, "--model", "RVO2"}, "simulate needs -o OUT"},
        {{"simulate", good, "--model", "RVO2", "-o", folder.file("a.dat")}, "name the layout of"},
        {{"simulate", good, "--model", "RVO2", "-o", folder.file("a.txt"), "--output-format",
          "xml"},
         "--output-format needs txt, csv or ndjson"},
        {{"simulate", good, "--model", "RVO2", "-o", folder.file("no/such/a.txt")}, "no/such"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const BatchResult r = runBatch(folder, c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.txt")));
}
