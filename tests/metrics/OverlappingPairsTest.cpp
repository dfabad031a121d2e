#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "data/Experiment.h"
#include "metrics/OverlappingPairs.h"
#include "tests/support/ExperimentTable.h"

TEST(OverlappingPairs, AreThePairsPresentTogetherInTheOrderOfAllPairs) {
    // Windows from a small linear congruential sequence, many of them touching at one frame;
    // the expected pairs are those of all i < j whose windows share a frame.
    ExperimentTable table;
    std::vector<std::pair<int, int>> windows;
    unsigned state = 7;
    const auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % range);
    };
    for (int p = 0; p < 60; ++p) {
        const int first = next(40);
        const int last = first + next(6);
        windows.emplace_back(first, last);
        table.addPresence(first, std::vector<std::pair<float, float>>(last - first + 1, {0, 0}));
    }
    const auto experiment = makeExperiment(table);
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 60; ++i) {
        for (int j = i + 1; j < 60; ++j) {
            if (std::max(windows[i].first, windows[j].first) <=
                std::min(windows[i].second, windows[j].second)) {
                expected.emplace_back(i, j);
            }
        }
    }
    const OverlappingPairs pairs(*experiment, 60);
    std::vector<std::pair<int, int>> found;
    for (const OverlappingPairs::Pair& pair : pairs.pairs()) {
        found.emplace_back(pair.first, pair.second);
    }
    EXPECT_EQ(found, expected);
    EXPECT_GT(expected.size(), 100u);
}
