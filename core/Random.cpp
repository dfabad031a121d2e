#include "core/Random.h"

#include <cassert>
#include <cstdint>

namespace {
// Each thread has its own sequence: a calibration's draws happen on the thread that runs it,
// and evaluations that run at once on other threads draw from streams of their own, without a
// lock or a race. A thread starts from the standard's initial seed, 1.
thread_local std::uint32_t state = 1;
}  // namespace

void Random::seed(unsigned seedValue) {
    state = seedValue;
}

unsigned Random::currentState() {
    return state;
}

unsigned Random::streamSeed(unsigned runSeed, unsigned long long index) {
    // A well-mixed 32-bit hash of the pair, so that neighbouring evaluations get unrelated
    // sequences from the 15-bit generator.
    std::uint64_t x = (static_cast<std::uint64_t>(runSeed) << 32) ^ index;
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    x ^= x >> 31;
    return static_cast<unsigned>(x ^ (x >> 32));
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
