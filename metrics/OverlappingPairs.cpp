#include "metrics/OverlappingPairs.h"

#include <algorithm>
#include <cstdint>

#include "data/Experiment.h"
#include "data/PresenceTimeline.h"

OverlappingPairs::OverlappingPairs(const Experiment& experiment, int pedestrians) {
    const PresenceTimeline timeline(experiment, pedestrians);
    const std::vector<int>& first = experiment.presentFirst;
    const std::vector<int>& last = experiment.presentLast;
    // Those present when the next one enters: each of them meets it, on its first frame.
    std::vector<int> present;
    // A pair as one number, the first pedestrian in the high half, so that sorting the numbers
    // puts the pairs in their order.
    std::vector<std::uint64_t> keys;
    for (const int p : timeline.byEntry()) {
        const int entry = first[static_cast<std::size_t>(p)];
        if (last[static_cast<std::size_t>(p)] < entry) {
            continue;  // present on no frame
        }
        present.erase(std::remove_if(present.begin(), present.end(),
                                     [&last, entry](int q) {
                                         return last[static_cast<std::size_t>(q)] < entry;
                                     }),
                      present.end());
        for (const int q : present) {
            const auto low = static_cast<std::uint64_t>(std::min(p, q));
            const auto high = static_cast<std::uint64_t>(std::max(p, q));
            keys.push_back(low << 32 | high);
        }
        present.push_back(p);
    }
    std::sort(keys.begin(), keys.end());
    found.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        found[i].first = static_cast<int>(keys[i] >> 32);
        found[i].second = static_cast<int>(keys[i] & 0xffffffffu);
    }
}
