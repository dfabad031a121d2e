#pragma once

#include <cstddef>
#include <vector>

class Experiment;

/// Who enters and who leaves on each frame of an experiment, from its pedestrians' presence
/// windows. A run or a score that follows the comings and goings through this costs in the
/// pedestrians plus the frames, where asking every pedestrian on every frame costs in their
/// product.
class PresenceTimeline {
public:
    /// Some pedestrians, in increasing order, for range-for.
    class Group {
    public:
        Group(const int* from, const int* to) : first(from), last(to) {}
        const int* begin() const { return first; }
        const int* end() const { return last; }
        std::size_t size() const { return static_cast<std::size_t>(last - first); }

    private:
        const int* first;
        const int* last;
    };

    /// The timeline of pedestrians 0 to `pedestrians` − 1 of `experiment` (at most all of
    /// them). A window edge outside the frames belongs to no frame.
    PresenceTimeline(const Experiment& experiment, int pedestrians);

    /// Pedestrians whose first present frame is `frame`.
    Group entering(int frame) const { return groupOf(enteringStart, enteringOrder, frame); }
    /// Pedestrians whose last present frame is `frame`.
    Group leaving(int frame) const { return groupOf(leavingStart, leavingOrder, frame); }
    /// Every pedestrian whose first present frame is a frame, ordered by that frame, those of
    /// one frame in increasing order.
    const std::vector<int>& byEntry() const { return enteringOrder; }

private:
    static Group groupOf(const std::vector<std::size_t>& start, const std::vector<int>& order,
                         int frame);
    /// Sorts the pedestrians by `frameOf` (a counting sort: the frames are few and bounded):
    /// `start[k]` is where those of frame k begin in `order`.
    static void sortByFrame(const std::vector<int>& frameOf, int pedestrians, int frames,
                            std::vector<std::size_t>& start, std::vector<int>& order);

    std::vector<std::size_t> enteringStart, leavingStart;  ///< frames + 1 entries each
    std::vector<int> enteringOrder, leavingOrder;
};
