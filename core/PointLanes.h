#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Vec2.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

/// The points of a kd-tree in tree order, their x and y coordinates kept apart and padded by
/// Width points, so that a leaf scan computes the squared distances from one point to Width
/// consecutive points a vector register at a time.
template <std::size_t Width>
class PointLanes {
public:
    /// Room for `count` points and the padding; padding and new points start at the origin.
    void resize(std::size_t count) {
        xs.resize(count + Width, 0.0f);
        ys.resize(count + Width, 0.0f);
    }
    /// Capacity for `count` points and the padding, so that a later resize allocates nothing.
    void reserve(std::size_t count) {
        xs.reserve(count + Width);
        ys.reserve(count + Width);
    }
    /// Sets the point in place `slot`.
    void set(std::size_t slot, const Vec2& point) {
        xs[slot] = point.x;
        ys[slot] = point.y;
    }

    /// squared[j] = |point first + j − p|² for every lane j below Width. Lanes past the caller's
    /// leaf read the next points or the padding and must be left unused; `first` may be at most
    /// the point count.
    void squaredDistances(std::size_t first, const Vec2& p,
                          std::array<float, Width>& squared) const {
        // A fixed number of lanes, whatever the leaf size, lets the compiler compute them with a
        // few vector instructions. The operations are those of (point − p).squaredLength(), so
        // every distance is bit for bit the one a scan over all points computes; (p − point)
        // squares to the same bits, since a difference and its reverse differ only in sign.
        // This order needs no register copies before the vector subtractions.
        const float px = p.x;
        const float py = p.y;
        const float* const x = xs.data() + first;
        const float* const y = ys.data() + first;
        for (std::size_t j = 0; j < Width; ++j) {
            const float dx = x[j] - px;
            const float dy = y[j] - py;
            squared[j] = dx * dx + dy * dy;
        }
    }

private:
    std::vector<float> xs;
    std::vector<float> ys;
};

namespace LaneMasks {

/// Bit j is set for each of the first `count` lanes whose value is at most `limit` (`strict`:
/// below it). With SSE2 four lanes are compared, and their bits gathered, in two instructions,
/// so that a scan of a leaf branches on its hits alone rather than on every lane.
template <bool strict, std::size_t width>
std::uint32_t lanesWithin(const std::array<float, width>& values, std::size_t count, float limit) {
    static_assert(width % 4 == 0 && width <= 32, "whole registers, one bit per lane");
    std::uint32_t mask = 0;
#if defined(__SSE2__)
    const __m128 bound = _mm_set1_ps(limit);
    for (std::size_t j = 0; j < width; j += 4) {
        const __m128 lane = _mm_loadu_ps(values.data() + j);
        const __m128 within = strict ? _mm_cmplt_ps(lane, bound) : _mm_cmple_ps(lane, bound);
        mask |= static_cast<std::uint32_t>(_mm_movemask_ps(within)) << j;
    }
#else
    for (std::size_t j = 0; j < width; ++j) {
        const bool within = strict ? values[j] < limit : values[j] <= limit;
        mask |= static_cast<std::uint32_t>(within ? 1 : 0) << j;
    }
#endif
    return count >= 32 ? mask : mask & ((std::uint32_t{1} << count) - 1u);
}

}  // namespace LaneMasks
