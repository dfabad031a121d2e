#pragma once

#include <deque>

#include "view3d/Cube.h"

/// The figure of one pedestrian in the view: a flat ring with an arrowhead, on the ground at the
/// pedestrian's position, turned in its direction of motion, optionally trailing a tail of its
/// last 15 painted positions.
class Character {
public:
    /// Positions kept for the tail.
    static constexpr int historyLength = 15;

    Character() = default;
    virtual ~Character() = default;

    /// Empties the history and fills it with (x, z).
    void reset(float x, float z);
    void setColor(float red, float green, float blue);
    /// Appends (x, z) to the history, drops the oldest entry and makes it the current position.
    void setPosition(float x, float z);
    /// Heading from a ground velocity; a velocity of length 1e-7 or less gives heading 0.
    void setHeading(float vx, float vz);
    /// Draws the body, and behind it the tail of the last positions when `withTail` is set.
    void draw(bool withTail) const;

    float getX() const { return x; }
    float getZ() const { return z; }
    float getHeading() const { return heading; }
    const std::deque<float>& xHistoryEntries() const { return xHistory; }
    const std::deque<float>& zHistoryEntries() const { return zHistory; }

private:
    std::deque<float> xHistory;
    std::deque<float> zHistory;
    Cube body{0.3f};
    float x = 0.0f;
    float z = 0.0f;
    float heading = 0.0f;
    float r = 1.0f, g = 1.0f, b = 1.0f;
};
