#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "models/SortingNetwork.h"

class OrcaAgent;

/// The nearest agents offered during one neighbour query: at most `capacity`, ordered by
/// squared distance and, for equal distances, by the order in which they were offered. That
/// is the list that inserting each offered agent into a sorted list would build, an equal
/// distance after the ones already there; it is built faster: while the list fills the agents
/// are only appended, then sorted at once, and from then on each newcomer is inserted without
/// a branch that depends on the distances.
///
/// Each entry carries (distance, offer number) as one unsigned number with the same order, so
/// that comparing two entries is one integer comparison.
class NearestAgents {
public:
    using Neighbour = std::pair<float, const OrcaAgent*>;

    /// Starts a query that keeps up to `capacity` agents; allocates only when the capacity is
    /// larger than any before.
    void start(std::size_t capacity) {
        if (entries.size() < capacity) {
            entries.resize(capacity);
        }
        limit = static_cast<std::uint32_t>(capacity);
        count = 0;
        offered = 0;
    }

    /// Keeps `agent`, at squared distance `d` (m², not NaN) below `range`, if it is among the
    /// nearest; once the list is full, `range` becomes the distance of the farthest kept.
    void offer(const OrcaAgent* agent, float d, float& range) {
        if (limit == 0) {
            return;
        }
        const std::uint64_t key = orderKey(d, offered++);
        Entry* const list = entries.data();
        if (count < limit) {
            list[count++] = {key, agent};
            if (count == limit) {
                sortFull();
                range = distanceOf(list[limit - 1].key);
            }
            return;
        }
        // d is below the farthest kept distance, so the newcomer gets in and the farthest
        // drops out. From the end down, each entry takes its left neighbour, the newcomer or
        // itself.
        for (std::uint32_t slot = limit - 1; slot != 0; --slot) {
            const Entry own = list[slot];
            const Entry left = list[slot - 1];
            const bool takesLeft = key < left.key;
            const bool takesNew = key < own.key;
            list[slot].key = takesLeft ? left.key : (takesNew ? key : own.key);
            list[slot].agent = takesLeft ? left.agent : (takesNew ? agent : own.agent);
        }
        const bool first = key < list[0].key;
        list[0].key = first ? key : list[0].key;
        list[0].agent = first ? agent : list[0].agent;
        range = distanceOf(list[limit - 1].key);
    }

    /// Writes the kept agents, nearest first, into `list`, which is cleared first.
    void copyTo(std::vector<Neighbour>& list) {
        if (count < limit) {
            insertionSort(count);
        }
        list.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            list.emplace_back(distanceOf(entries[i].key), entries[i].agent);
        }
    }

private:
    struct Entry {
        std::uint64_t key = 0;
        const OrcaAgent* agent = nullptr;
    };

    /// A squared distance is never negative, and the bits of a non-negative float order as
    /// the float does; −0 is made +0 first.
    static std::uint64_t orderKey(float d, std::uint32_t number) {
        const float normalised = d + 0.0f;
        std::uint32_t bits = 0;
        std::memcpy(&bits, &normalised, sizeof bits);
        return (static_cast<std::uint64_t>(bits) << 32) | number;
    }

    static float distanceOf(std::uint64_t key) {
        const auto bits = static_cast<std::uint32_t>(key >> 32);
        float d = 0.0f;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    void sortFull() {
        if (limit == 10) {
            Entry* const list = entries.data();
            sortTen([list](int i, int j) {
                const Entry a = list[i];
                const Entry b = list[j];
                const bool swap = b.key < a.key;
                list[i].key = swap ? b.key : a.key;
                list[i].agent = swap ? b.agent : a.agent;
                list[j].key = swap ? a.key : b.key;
                list[j].agent = swap ? a.agent : b.agent;
            });
        } else {
            insertionSort(limit);
        }
    }

    void insertionSort(std::uint32_t size) {
        for (std::uint32_t i = 1; i < size; ++i) {
            const Entry entry = entries[i];
            std::uint32_t j = i;
            for (; j > 0 && entry.key < entries[j - 1].key; --j) {
                entries[j] = entries[j - 1];
            }
            entries[j] = entry;
        }
    }

    std::vector<Entry> entries;  ///< room for the largest capacity so far
    std::uint32_t limit = 0;     ///< the capacity of this query
    std::uint32_t count = 0;
    std::uint32_t offered = 0;  ///< agents offered so far in this query
};
