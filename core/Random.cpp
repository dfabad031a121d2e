#include "core/Random.h"

#include <cassert>
#include <cstdint>

namespace {
// Only the calibration worker or the GUI thread draw, never both at once, so the state is a
// plain variable.
std::uint32_t state = 1;
}  // namespace

void Random::seed(unsigned seedValue) {
    state = seedValue;
}

int Random::draw() {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state / 65536u) % 32768u);
}

int randomIndex(int m) {
    assert(m > 0);
    return Random::draw() % m;
}

bool chance(float p) {
    return p * 32767.0f >= static_cast<float>(Random::draw());
}
