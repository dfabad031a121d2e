#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "data/ExperimentData.h"
#include "data/Parser.h"

// A street scene like tools/make_recordings.py writes them, at a calibration's scale: walkers
// cross a 16 m × 10 m stretch, two in three along the street and the others across it, at 1.0
// to 1.6 m/s with a little sway, annotated every 0.4 s. Each enters at a frame of its own
// within the first 30 and is present only until it leaves the far side or the recording ends,
// so that pedestrians come and go as in a tracked recording.
class StreetCrowd : public Parser {
public:
    static constexpr float frameTime = 0.4f;  // s
    static constexpr float width = 16.0f;     // m, across the street
    static constexpr float depth = 10.0f;     // m, along it
    static constexpr int lastEntry = 30;      // frames

    StreetCrowd(int walkerCount, int frameCount) : Parser("bench"), frames(frameCount) {
        for (int i = 0; i < walkerCount; ++i) {
            walkers.push_back(makeWalker(i));
        }
    }

    bool load(const std::string&) override { return true; }
    void fill(ExperimentData& data) override {
        data.pedestrianCount = static_cast<int>(walkers.size());
        data.frameCount = frames;
        for (int k = 0; k < frames; ++k) {
            data.times.push_back(frameTime * static_cast<float>(k));
        }
        for (const Walker& walker : walkers) {
            const float length = std::hypot(walker.toX - walker.fromX, walker.toY - walker.fromY);
            const float unitX = (walker.toX - walker.fromX) / length;
            const float unitY = (walker.toY - walker.fromY) / length;
            for (int j = 0; j < walker.frames; ++j) {
                const float along = walker.speed * frameTime * static_cast<float>(j);
                // A sway at the step rhythm, across the walking direction.
                const float side = 0.03f * std::sin(2.26f * static_cast<float>(j) + walker.phase);
                data.posX.push_back(walker.fromX + unitX * along - unitY * side);
                data.posY.push_back(walker.fromY + unitY * along + unitX * side);
                data.velX.push_back(unitX * walker.speed);
                data.velY.push_back(unitY * walker.speed);
            }
        }
    }
    void fillPresence(std::vector<int>& first, std::vector<int>& last,
                      std::vector<std::ptrdiff_t>& base) override {
        std::ptrdiff_t stored = 0;
        for (const Walker& walker : walkers) {
            first.push_back(walker.entry);
            last.push_back(walker.entry + walker.frames - 1);
            base.push_back(stored - walker.entry);
            stored += walker.frames;
        }
    }

private:
    struct Walker {
        int entry = 0;                                             ///< first present frame
        int frames = 0;                                            ///< present frames
        float fromX = 0.0f, fromY = 0.0f, toX = 0.0f, toY = 0.0f;  ///< m
        float speed = 0.0f;                                        ///< m/s
        float phase = 0.0f;                                        ///< of the sway
    };

    Walker makeWalker(int i) const {
        // Fractions spread by multiples of the golden ratio: even, with no pattern to the eye.
        const float spread = std::fmod(0.618034f * static_cast<float>(i + 1), 1.0f);
        const auto fraction = [spread](float factor) { return std::fmod(spread * factor, 1.0f); };
        Walker walker;
        if (i % 3 != 0) {
            walker.fromX = 2.0f + (width - 5.0f) * spread;
            walker.fromY = -1.0f;
            walker.toX = walker.fromX + 6.0f * fraction(7.0f) - 3.0f;
            walker.toY = depth - 1.0f;
        } else {
            walker.fromX = i % 2 == 0 ? -1.0f : width;
            walker.fromY = 1.0f + 6.0f * fraction(3.0f);
            walker.toX = width - 1.0f - walker.fromX;
            walker.toY = 1.0f + 6.0f * fraction(5.0f);
        }
        walker.speed = 1.0f + 0.6f * fraction(11.0f);
        walker.phase = 6.2832f * fraction(17.0f);
        walker.entry = static_cast<int>(static_cast<float>(lastEntry) * fraction(13.0f));
        const float length = std::hypot(walker.toX - walker.fromX, walker.toY - walker.fromY);
        const int walked = static_cast<int>(length / (walker.speed * frameTime)) + 1;
        walker.frames = std::min(walked, frames - walker.entry);
        return walker;
    }

    int frames;
    std::vector<Walker> walkers;
};
