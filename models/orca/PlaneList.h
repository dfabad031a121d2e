#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "models/orca/HalfPlane.h"

/// A list of half-planes whose greatest length is known when it is made. Up to
/// inlineCapacity half-planes it keeps them inside itself, so that a list on the stack costs
/// neither an allocation nor room in every agent; a longer one lives in the caller's vector,
/// which keeps its size for the next time.
class PlaneList {
public:
    /// Enough for the obstacle edges and neighbours of the crowds the models set up.
    static constexpr std::size_t inlineCapacity = 64;

    /// An empty list for at most `most` half-planes; `overflow` holds them when they do not fit
    /// inside and must outlive the list.
    PlaneList(std::size_t most, std::vector<HalfPlane>& overflow) {
        if (most > inlineCapacity) {
            overflow.resize(most);
            planes = overflow.data();
        }
    }
    PlaneList(const PlaneList&) = delete;
    PlaneList& operator=(const PlaneList&) = delete;

    void clear() { count = 0; }
    /// Appends `plane`; the list must have room for it.
    void push_back(const HalfPlane& plane) {
        // The inner storage starts raw: each place is made when it is first written.
        new (planes + count) HalfPlane(plane);
        ++count;
    }
    const HalfPlane* data() const { return planes; }
    std::size_t size() const { return count; }
    /// Whether the half-planes are inside the object rather than in the caller's vector.
    bool isInline() const { return planes == reinterpret_cast<const HalfPlane*>(inner); }

private:
    // Raw bytes: zeroing a thousand of them for every list would cost more than the short
    // lists' work.
    alignas(HalfPlane) unsigned char inner[inlineCapacity * sizeof(HalfPlane)];
    HalfPlane* planes = reinterpret_cast<HalfPlane*>(inner);
    std::size_t count = 0;
};
