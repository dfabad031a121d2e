#include "data/PresenceTimeline.h"

#include <algorithm>

#include "data/Experiment.h"

PresenceTimeline::PresenceTimeline(const Experiment& experiment, int pedestrians) {
    const int count = std::max(std::min({pedestrians, experiment.pedestrianCount,
                                         static_cast<int>(experiment.presentFirst.size()),
                                         static_cast<int>(experiment.presentLast.size())}),
                               0);
    const int frames = std::max(experiment.frameCount, 0);
    sortByFrame(experiment.presentFirst, count, frames, enteringStart, enteringOrder);
    sortByFrame(experiment.presentLast, count, frames, leavingStart, leavingOrder);
}

PresenceTimeline::Group PresenceTimeline::groupOf(const std::vector<std::size_t>& start,
                                                  const std::vector<int>& order, int frame) {
    if (frame < 0 || static_cast<std::size_t>(frame) + 1 >= start.size()) {
        return {order.data(), order.data()};
    }
    return {order.data() + start[static_cast<std::size_t>(frame)],
            order.data() + start[static_cast<std::size_t>(frame) + 1]};
}

void PresenceTimeline::sortByFrame(const std::vector<int>& frameOf, int pedestrians, int frames,
                                   std::vector<std::size_t>& start, std::vector<int>& order) {
    const auto within = [frames](int frame) { return frame >= 0 && frame < frames; };
    start.assign(static_cast<std::size_t>(frames) + 1, 0);
    for (int p = 0; p < pedestrians; ++p) {
        const int frame = frameOf[static_cast<std::size_t>(p)];
        if (within(frame)) {
            ++start[static_cast<std::size_t>(frame) + 1];
        }
    }
    for (std::size_t k = 1; k < start.size(); ++k) {
        start[k] += start[k - 1];
    }
    order.resize(start.back());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (int p = 0; p < pedestrians; ++p) {
        const int frame = frameOf[static_cast<std::size_t>(p)];
        if (within(frame)) {
            order[next[static_cast<std::size_t>(frame)]++] = p;
        }
    }
}
