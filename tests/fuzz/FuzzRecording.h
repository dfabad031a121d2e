#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "FuzzCheck.h"
#include "data/Experiment.h"
#include "data/ReadingOptions.h"
#include "data/RecordingLimits.h"

// Reads the input with reader R twice, once plainly and once with a stride, a time window, a
// short gap limit and centimetres. Either the text is refused with a message and builds an
// empty experiment, or the experiment's counts, presence windows and arrays agree: every
// pedestrian is present on at least two frames inside the experiment, its samples follow the
// previous pedestrian's, and the arrays hold exactly the samples present.
template <class R>
int fuzzRecording(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReadingOptions plain;
    plain.framesPerSecond = 25;
    ReadingOptions narrowed;
    narrowed.framesPerSecond = 10;
    narrowed.metresPerUnit = 0.01;
    narrowed.stride = 2;
    narrowed.from = 0.5;
    narrowed.to = 50;
    narrowed.maxGap = 0.25;
    for (const ReadingOptions* options : {&plain, &narrowed}) {
        R parser;
        parser.setReadingOptions(*options);
        const bool accepted = parser.loadText(text);
        Experiment experiment(parser);
        if (!accepted) {
            FUZZ_CHECK(!parser.errorMessage().empty());
            FUZZ_CHECK(experiment.pedestrianCount == 0 && experiment.frameCount == 0);
            FUZZ_CHECK(experiment.posX.empty() && experiment.times.empty());
            FUZZ_CHECK(experiment.presentFirst.empty() && experiment.sampleBase.empty());
            continue;
        }
        const int P = experiment.pedestrianCount;
        const int F = experiment.frameCount;
        FUZZ_CHECK(P > 0 && F > 1 && experiment.obstacles.empty());
        FUZZ_CHECK(experiment.presentFirst.size() == static_cast<std::size_t>(P));
        FUZZ_CHECK(experiment.presentLast.size() == static_cast<std::size_t>(P));
        FUZZ_CHECK(experiment.sampleBase.size() == static_cast<std::size_t>(P));
        FUZZ_CHECK(experiment.times.size() == static_cast<std::size_t>(F));
        std::ptrdiff_t samples = 0;
        for (int p = 0; p < P; ++p) {
            const int first = experiment.presentFirst[static_cast<std::size_t>(p)];
            const int last = experiment.presentLast[static_cast<std::size_t>(p)];
            FUZZ_CHECK(0 <= first && first < last && last < F);
            FUZZ_CHECK(experiment.sampleIndex(p, first) == samples);
            // Pedestrians are numbered by their first frame.
            FUZZ_CHECK(p == 0 || experiment.presentFirst[static_cast<std::size_t>(p - 1)] <= first);
            samples += last - first + 1;
        }
        const auto S = static_cast<std::size_t>(samples);
        FUZZ_CHECK(experiment.posX.size() == S && experiment.posY.size() == S);
        FUZZ_CHECK(experiment.velX.size() == S && experiment.velY.size() == S);
        for (std::size_t i = 0; i < S; ++i) {
            FUZZ_CHECK(std::isfinite(experiment.posX[i]) && std::isfinite(experiment.posY[i]));
            FUZZ_CHECK(std::isfinite(experiment.velX[i]) && std::isfinite(experiment.velY[i]));
            FUZZ_CHECK(std::fabs(experiment.posX[i]) <= RecordingLimits::largestCoordinate &&
                       std::fabs(experiment.posY[i]) <= RecordingLimits::largestCoordinate);
        }
        for (int k = 1; k < F; ++k) {
            FUZZ_CHECK(experiment.times[static_cast<std::size_t>(k - 1)] <=
                       experiment.times[static_cast<std::size_t>(k)]);
        }
        // Times count from the first frame; the window 0.5 s to 50 s spans no more than that.
        FUZZ_CHECK(experiment.times.front() == 0.0f);
        if (options == &narrowed) {
            FUZZ_CHECK(experiment.times.back() <= 50.0f - 0.5f + 1e-4f);
        }
        FUZZ_CHECK(experiment.timeDriven && experiment.waypointCount.empty());
    }
    return 0;
}
