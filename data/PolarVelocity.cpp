#include "data/PolarVelocity.h"

#include <cmath>

namespace PolarVelocity {

void toVelocity(float theta, float speed, float& vx, float& vy) {
    vx = static_cast<float>(std::cos(static_cast<double>(theta))) * speed;
    vy = static_cast<float>(std::sin(static_cast<double>(theta))) * speed;
}

void fromVelocity(float vx, float vy, float& theta, float& speed) {
    theta = static_cast<float>(std::atan2(static_cast<double>(vy), static_cast<double>(vx)));
    speed = static_cast<float>(std::hypot(static_cast<double>(vx), static_cast<double>(vy)));
    float x = 0.0f;
    float y = 0.0f;
    toVelocity(theta, speed, x, y);
    if (x == vx && y == vy) {
        return;
    }
    // The pair that made the velocity is within a few units in the last place of the obvious
    // one; the nearest pair that gives it back exactly is kept.
    constexpr int reach = 4;
    float bestTheta = theta;
    float bestSpeed = speed;
    double bestError = -1.0;
    float t = theta;
    for (int i = 0; i < reach; ++i) {
        t = std::nextafter(t, -INFINITY);
    }
    for (int i = -reach; i <= reach; ++i, t = std::nextafter(t, INFINITY)) {
        float s = speed;
        for (int j = 0; j < reach; ++j) {
            s = std::nextafter(s, -INFINITY);
        }
        for (int j = -reach; j <= reach; ++j, s = std::nextafter(s, INFINITY)) {
            toVelocity(t, s, x, y);
            const double error =
                std::fabs(static_cast<double>(x) - vx) + std::fabs(static_cast<double>(y) - vy);
            if (bestError < 0.0 || error < bestError) {
                bestError = error;
                bestTheta = t;
                bestSpeed = s;
            }
        }
    }
    if (std::isfinite(bestError)) {
        theta = bestTheta;
        speed = bestSpeed;
    }
}

}  // namespace PolarVelocity
