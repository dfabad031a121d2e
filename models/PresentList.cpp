#include "models/PresentList.h"

#include <algorithm>

void PresentList::reset(std::size_t count) {
    wanted.assign(count, 1);
    listed.assign(count, 1);
    queued.assign(count, 0);
    // Room for the worst case up front: steps that bring the list up to date allocate nothing.
    sorted.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        sorted[i] = static_cast<int>(i);
    }
    changes.clear();
    changes.reserve(count);
    entering.clear();
    entering.reserve(count);
    presentCount = count;
}

void PresentList::update(std::size_t agent, bool present) {
    const unsigned char state = present ? 1 : 0;
    if (wanted[agent] == state) {
        return;
    }
    wanted[agent] = state;
    if (present) {
        ++presentCount;
    } else {
        --presentCount;
    }
    if (queued[agent] == 0) {
        queued[agent] = 1;
        changes.push_back(static_cast<int>(agent));
    }
}

const std::vector<int>& PresentList::agents() {
    if (changes.empty()) {
        return sorted;
    }
    // An agent that came and went again since the last call is in neither group.
    bool leaving = false;
    entering.clear();
    for (const int agent : changes) {
        const std::size_t a = static_cast<std::size_t>(agent);
        queued[a] = 0;
        if (wanted[a] != listed[a]) {
            listed[a] = wanted[a];
            if (wanted[a] != 0) {
                entering.push_back(agent);
            } else {
                leaving = true;
            }
        }
    }
    changes.clear();
    if (leaving) {
        sorted.erase(std::remove_if(sorted.begin(), sorted.end(),
                                    [this](int agent) {
                                        return listed[static_cast<std::size_t>(agent)] == 0;
                                    }),
                     sorted.end());
    }
    if (!entering.empty()) {
        std::sort(entering.begin(), entering.end());
        mergeEntering();
    }
    return sorted;
}

void PresentList::mergeEntering() {
    std::size_t kept = sorted.size();
    std::size_t added = entering.size();
    sorted.resize(kept + added);
    for (std::size_t to = kept + added; added > 0; --to) {
        if (kept > 0 && sorted[kept - 1] > entering[added - 1]) {
            sorted[to - 1] = sorted[--kept];
        } else {
            sorted[to - 1] = entering[--added];
        }
    }
}
