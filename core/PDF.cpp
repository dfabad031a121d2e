#include "core/PDF.h"

#include <algorithm>
#include <cmath>

#include "core/Random.h"

PDF::PDF(float minValue, float maxValue, int kindValue, float meanValue, float deviationValue)
    : min(minValue),
      max(maxValue),
      mean(meanValue),
      deviation(deviationValue),
      levels(defaultLevels),
      kind(kindValue) {}

std::string PDF::kindName(int kindValue) {
    switch (kindValue) {
        case UNIFORM:
            return "UNIFORM";
        case NORMAL:
            return "NORMAL";
        default:
            return std::string();
    }
}

float PDF::uniformVariate() const {
    // The remainder is converted to float before the division, and so is the divisor.
    const int remainder = Random::draw() % levels;
    return static_cast<float>(remainder) / (static_cast<float>(levels) - 1.0f);
}

float PDF::limitToRange(float value) const {
    // A value below min or not a number gives min, one above max gives max.
    const float lowerLimited = (value < min || std::isnan(value)) ? min : value;
    if (max < lowerLimited) {
        return max;
    }
    return value >= min ? value : min;
}

float PDF::sample() const {
    if (levels == -1) {
        return 0.0f;
    }
    if (kind == UNIFORM) {
        const int remainder = Random::draw() % levels;
        // The top level is max itself: the width max - min can round up in float, and a draw
        // must never leave the range.
        if (remainder == levels - 1) {
            return max;
        }
        const float u = static_cast<float>(remainder) / (static_cast<float>(levels) - 1.0f);
        const float value = (max - min) * u + min;
        return std::min(std::max(value, min), max);
    }
    if (kind == NORMAL) {
        return sampleNormal(mean, deviation);
    }
    return 0.0f;
}

float PDF::sampleNormal(float meanValue, float deviationValue) const {
    // Box-Muller, one value per call; the precision of every step is part of the sequence that
    // a seeded calibration reproduces.
    const float u1 = uniformVariate();
    const float u2 = uniformVariate();
    const float logU1 = static_cast<float>(std::log(static_cast<double>(u1)));
    const float radiusSquared = logU1 * -2.0f;
    const float radius = static_cast<float>(std::sqrt(static_cast<double>(radiusSquared)));
    const double cosine = std::cos(static_cast<double>(u2) * 6.2831853);
    const float z = static_cast<float>(static_cast<double>(radius) * cosine);
    const float value = z * deviationValue + meanValue;
    return limitToRange(value);
}
