#pragma once

#include <algorithm>
#include <vector>

/// The arithmetic of an accumulation buffer on RGBA float pixels, for contexts that have none:
/// clear sets every value to the clear colour, accumulate adds value × colour, return writes
/// value × accumulation clamped to [0, 1] back as the colour.
class AccumulationArithmetic {
public:
    void resize(int pixelCount) { values.assign(static_cast<size_t>(pixelCount) * 4, 0.0f); }
    int pixelCount() const { return static_cast<int>(values.size() / 4); }

    void clear(const float clearColour[4]) {
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = clearColour[i % 4];
        }
    }
    /// acc += value × colour, for every channel of every pixel.
    void accumulate(const float* colour, float value) {
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] += value * colour[i];
        }
    }
    /// colour = clamp(value × acc, 0, 1).
    void returnTo(float* colour, float value) const {
        for (size_t i = 0; i < values.size(); ++i) {
            colour[i] = std::min(std::max(value * values[i], 0.0f), 1.0f);
        }
    }
    const std::vector<float>& data() const { return values; }

private:
    std::vector<float> values;
};
