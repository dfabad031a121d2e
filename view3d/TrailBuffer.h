#pragma once

#include <vector>

#include "view3d/AccumulationArithmetic.h"

/// The accumulation operations behind the trails (clear, accumulate the colour buffer, return it
/// to the colour buffer). Uses the context's accumulation buffer when it has one, and otherwise
/// the same arithmetic on a copy of the colour buffer in memory, so trails look alike either way.
/// Every call needs the view's GL context current.
class TrailBuffer {
public:
    /// Chooses the hardware or the memory buffer for the current context.
    void initialise();
    void resize(int width, int height);
    void setClearColour(float r, float g, float b, float a);
    void clear();
    /// acc += value × colour buffer.
    void accumulate(float value);
    /// colour buffer = clamp(value × acc).
    void returnToColour(float value);
    bool usesHardware() const { return hardware; }

private:
    bool hardware = false;
    int width = 0;
    int height = 0;
    float clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    AccumulationArithmetic memory;
    std::vector<float> pixels;
};
