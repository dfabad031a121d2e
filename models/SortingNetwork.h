#pragma once

/// Calls `exchange(i, j)` for each compare-exchange of a sorting network of ten elements, in
/// order: 29 of them, in eight layers. When every call puts the smaller of elements i and j
/// first, the ten end up sorted, by comparisons that do not depend on the data, so no branch
/// mispredicts (an insertion sort's comparisons do about half the time).
template <class Exchange>
inline void sortTen(Exchange&& exchange) {
    exchange(0, 8), exchange(1, 9), exchange(2, 7), exchange(3, 5), exchange(4, 6);
    exchange(0, 2), exchange(1, 4), exchange(5, 8), exchange(7, 9);
    exchange(0, 3), exchange(2, 4), exchange(5, 7), exchange(6, 9);
    exchange(0, 1), exchange(3, 6), exchange(8, 9);
    exchange(1, 5), exchange(2, 3), exchange(4, 8), exchange(6, 7);
    exchange(1, 2), exchange(3, 5), exchange(4, 6), exchange(7, 8);
    exchange(2, 3), exchange(4, 5), exchange(6, 7);
    exchange(3, 4), exchange(5, 6);
}
