#include "models/Dummy.h"

#include <cmath>

void Dummy::think(float) {
    vx = goalX - x;
    vy = goalY - y;
    const float squaredLength = vx * vx + vy * vy;
    if (squaredLength > maximumSpeed * maximumSpeed) {
        const float scale = maximumSpeed / std::sqrt(squaredLength);
        vx *= scale;
        vy *= scale;
    }
}

void Dummy::move(float dt) {
    x += vx * dt;
    y += vy * dt;
    const float dx = goalX - x;
    const float dy = goalY - y;
    distanceToGoal = std::sqrt(dx * dx + dy * dy);
}
