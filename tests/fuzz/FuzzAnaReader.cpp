#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "data/RecordingLimits.h"

// Any text either becomes an experiment whose counts and arrays agree and whose values lie within
// the recording limits, or is refused with a message and builds an empty experiment.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParserANA parser;
    const bool accepted = parser.loadText(std::string(reinterpret_cast<const char*>(data), size));
    Experiment experiment(parser);
    if (!accepted) {
        FUZZ_CHECK(!parser.errorMessage().empty());
        FUZZ_CHECK(experiment.pedestrianCount == 0 && experiment.frameCount == 0);
        FUZZ_CHECK(experiment.posX.empty() && experiment.times.empty());
        return 0;
    }
    const std::size_t P = static_cast<std::size_t>(experiment.pedestrianCount);
    const std::size_t F = static_cast<std::size_t>(experiment.frameCount);
    const std::size_t O = experiment.obstacles.size();
    FUZZ_CHECK(experiment.pedestrianCount >= 0 && experiment.frameCount >= 0);
    // Every value needs at least two bytes of text, so the arrays cannot outgrow the input.
    FUZZ_CHECK(2 * P * F <= size && F <= size && 4 * O <= size);
    FUZZ_CHECK(experiment.posX.size() == P * F && experiment.posY.size() == P * F);
    FUZZ_CHECK(experiment.velX.size() == P * F && experiment.velY.size() == P * F);
    FUZZ_CHECK(experiment.times.size() == F);
    FUZZ_CHECK(experiment.timeDriven && experiment.waypointCount.empty());
    for (std::size_t i = 0; i < P * F; ++i) {
        FUZZ_CHECK(std::fabs(experiment.posX[i]) <= RecordingLimits::largestCoordinate &&
                   std::fabs(experiment.posY[i]) <= RecordingLimits::largestCoordinate);
        FUZZ_CHECK(std::isfinite(experiment.velX[i]) && std::isfinite(experiment.velY[i]));
    }
    for (std::size_t k = 0; k < F; ++k) {
        FUZZ_CHECK(experiment.times[k] >= 0.0f &&
                   (k == 0 || experiment.times[k] >= experiment.times[k - 1]));
    }
    return 0;
}
