#pragma once

#include <cstddef>
#include <cstdint>

// Four floats side by side in one vector register, for the engine's loops that do the same
// arithmetic on several neighbours or half-planes at once. Each lane's operations are the
// scalar ones, correctly rounded alike, so a lane's result keeps the bits of the scalar code.
// VESTRA_FLOAT_LANES is defined where the compiler offers such registers; elsewhere callers
// take their scalar path.
#if defined(__GNUC__) && defined(__SSE__)
#define VESTRA_FLOAT_LANES 1
#endif

namespace FloatLanes {

constexpr std::size_t width = 4;

#if defined(VESTRA_FLOAT_LANES)

using Floats = float __attribute__((vector_size(width * sizeof(float))));
/// A comparison's result: every lane all ones (true) or all zeros.
using Mask = std::int32_t __attribute__((vector_size(width * sizeof(std::int32_t))));

/// Lane by lane `choose ? a : b`.
inline Floats select(Mask choose, Floats a, Floats b) {
    return reinterpret_cast<Floats>((choose & reinterpret_cast<Mask>(a)) |
                                    (~choose & reinterpret_cast<Mask>(b)));
}

/// The correctly rounded square root of every lane, as std::sqrt gives it one at a time.
inline Floats squareRoot(Floats x) {
    return __builtin_ia32_sqrtps(x);
}

/// std::fabs of every lane: the sign bit cleared.
inline Floats magnitude(Floats x) {
    return reinterpret_cast<Floats>(reinterpret_cast<Mask>(x) & 0x7fffffff);
}

/// Whether any lane of the mask is set.
inline bool any(Mask m) {
    return (m[0] | m[1] | m[2] | m[3]) != 0;
}
#endif

}  // namespace FloatLanes
