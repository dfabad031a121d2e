#pragma once

/// The random generator, one sequence per thread. It has the interface of the standard `rand`:
/// integer draws uniform on 0 to 32767 (15 bits), seeded by the calibration algorithms. It is the
/// classic linear congruential generator of the C standard's example `rand`, so a seeded
/// sequence is the same on every platform and every calibration can be repeated exactly.
namespace Random {

/// Largest value of a draw.
constexpr int maxDraw = 32767;

/// Restarts the calling thread's sequence from `seed`. Every thread has a sequence of its own,
/// which starts as if seeded with 1.
void seed(unsigned seedValue);

/// The calling thread's state, to continue its sequence later with seed().
unsigned currentState();

/// The seed of the stream of evaluation `index` of a run seeded with `runSeed`, for evaluations
/// that run at once on several threads and each draw from their own stream.
unsigned streamSeed(unsigned runSeed, unsigned long long index);

/// Next draw, uniform on 0 to maxDraw.
int draw();

}  // namespace Random

/// One draw mod m; m must be positive.
int randomIndex(int m);

/// True when p × 32767 (in float) is at least one draw: probability p to the generator's
/// resolution, always true for p >= 1 and true with probability 1/32768 for p = 0.
bool chance(float p);
