#include "calibration/NormalDraws.h"

#include <cmath>

#include "core/Random.h"

double NormalDraws::uniform() {
    // 15 bits are too coarse for a normal tail: the log of the smallest 15-bit uniform limits a
    // draw to 4.6 deviations, and 30 bits reach 6.5.
    constexpr double levels = 1073741824.0;  // 2^30
    const double high = Random::draw();
    const double low = Random::draw();
    return (high * (Random::maxDraw + 1) + low + 0.5) / levels;
}

double NormalDraws::next() {
    if (hasSpare) {
        hasSpare = false;
        return spare;
    }
    constexpr double twoPi = 6.283185307179586;
    const double radius = std::sqrt(-2.0 * std::log(uniform()));
    const double angle = twoPi * uniform();
    spare = radius * std::sin(angle);
    hasSpare = true;
    return radius * std::cos(angle);
}
