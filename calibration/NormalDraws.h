#pragma once

/// Standard normal numbers made from the project's 15-bit generator (core/Random.h), so that a
/// seeded search draws the same numbers on every platform and a run can be repeated exactly.
/// Two draws make one uniform number of 30 bits, and each Box–Muller pair of uniforms gives two
/// normal numbers, the second kept for the next call.
class NormalDraws {
public:
    /// A uniform number on (0, 1), never 0 nor 1.
    static double uniform();
    /// One standard normal number.
    double next();
    /// Forgets the kept number, so that the next call starts a new pair (at the start of a run).
    void restart() { hasSpare = false; }

private:
    double spare = 0.0;
    bool hasSpare = false;
};
