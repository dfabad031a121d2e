#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "data/ExperimentData.h"
#include "data/Parser.h"

// Copies of one laboratory-like run placed one after another in time, each with pedestrians
// of its own, as tools/make_long_recording.py writes them: 60 walkers cross a 10 m corridor in
// both directions at 1.1 to 1.5 m/s, entering within the first 4 s, at 16 frames per second.
// Never more than one run's walkers are present at once, so an evaluation should cost in
// proportion to the copies.
class CopiedRun : public Parser {
public:
    static constexpr int walkers = 60;
    static constexpr float frameTime = 1.0f / 16.0f;  // s
    static constexpr float length = 10.0f;            // m, of the corridor
    static constexpr int pause = 8;                   // frames between copies

    explicit CopiedRun(int copyCount) : Parser("bench"), copies(copyCount) {
        for (int i = 0; i < walkers; ++i) {
            // Spread by multiples of the golden ratio: even, but with no pattern to the eye.
            const float spread = std::fmod(0.618034f * static_cast<float>(i + 1), 1.0f);
            Walker walker;
            walker.entry = static_cast<int>(64.0f * spread);
            walker.speed = 1.1f + 0.4f * std::fmod(spread * 7.0f, 1.0f);
            walker.lane = 0.3f + 2.4f * std::fmod(spread * 3.0f, 1.0f);
            walker.frames = static_cast<int>(length / (walker.speed * frameTime)) + 1;
            walker.direction = i % 2 == 0 ? 1.0f : -1.0f;
            run.push_back(walker);
            span = std::max(span, walker.entry + walker.frames + pause);
        }
    }

    /// Samples of every walker on every present frame, in all copies.
    long long presentSamples() const {
        long long samples = 0;
        for (const Walker& walker : run) {
            samples += walker.frames;
        }
        return samples * copies;
    }

    bool load(const std::string&) override { return true; }
    void fill(ExperimentData& data) override {
        data.pedestrianCount = walkers * copies;
        data.frameCount = span * copies;
        for (int k = 0; k < data.frameCount; ++k) {
            data.times.push_back(frameTime * static_cast<float>(k));
        }
        for (int c = 0; c < copies; ++c) {
            for (const Walker& walker : run) {
                for (int j = 0; j < walker.frames; ++j) {
                    const float along = walker.speed * frameTime * static_cast<float>(j);
                    data.posX.push_back(walker.direction > 0 ? along : length - along);
                    // A gentle sway at the step rhythm.
                    data.posY.push_back(walker.lane +
                                        0.05f * std::sin(0.35f * static_cast<float>(j)));
                    data.velX.push_back(walker.direction * walker.speed);
                    data.velY.push_back(0.0f);
                }
            }
        }
    }
    void fillPresence(std::vector<int>& first, std::vector<int>& last,
                      std::vector<std::ptrdiff_t>& base) override {
        std::ptrdiff_t stored = 0;
        for (int c = 0; c < copies; ++c) {
            for (const Walker& walker : run) {
                first.push_back(c * span + walker.entry);
                last.push_back(first.back() + walker.frames - 1);
                base.push_back(stored - first.back());
                stored += walker.frames;
            }
        }
    }

private:
    struct Walker {
        int entry = 0;  ///< first frame within a copy
        int frames = 0;
        float speed = 0.0f;  ///< m/s
        float lane = 0.0f;   ///< m across the corridor
        float direction = 1.0f;
    };
    int copies;
    int span = 0;  ///< frames of one copy, the pause included
    std::vector<Walker> run;
};
