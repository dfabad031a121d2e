#pragma once

/// The flat body shape of a figure: an octagon ring with an arrowhead along +x, on the ground.
class Cube {
public:
    explicit Cube(float size) : halfSize(size * 0.5f) {}
    virtual ~Cube() = default;

    /// Draws the shape at the origin, scaled.
    void draw(float scale) const;

    float halfSize;
};
