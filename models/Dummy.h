#pragma once

#include <vector>

#include "core/PDF.h"
#include "models/Pedestrian.h"

/// Reference pedestrian: ignores everyone and everything and walks straight to its goal at up
/// to 1.4 m/s, arriving without overshoot for steps below one second.
class Dummy : public Pedestrian {
public:
    /// Walking speed far from the goal (m/s).
    static constexpr float maximumSpeed = 1.4f;
    /// Sees nobody, so the simulation introduces nobody.
    static constexpr Perception perception = Perception::nobody;

    Dummy() = default;

    /// A Dummy has no agent parameters.
    static void registerParameters(std::vector<float>&, std::vector<PDF>&) {}

    void reset() override {}
    void addObstacle(float, float, float, float) override {}
    void setPosition(float px, float py) override {
        x = px;
        y = py;
    }
    void setVelocity(float pvx, float pvy) override {
        vx = pvx;
        vy = pvy;
    }
    void setGoal(float gx, float gy) override {
        goalX = gx;
        goalY = gy;
    }
    void think(float dt) override;
    void move(float dt) override;
    float getX() const override { return x; }
    float getY() const override { return y; }
    float getVX() const override { return vx; }
    float getVY() const override { return vy; }

private:
    float x = 0.0f, y = 0.0f;
    float vx = 0.0f, vy = 0.0f;
    float goalX = 0.0f, goalY = 0.0f;
};
