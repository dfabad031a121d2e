#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "models/PresentList.h"

namespace {

// Updates (agent, present) told before the list is asked for, and the list it should give.
struct Round {
    std::vector<std::pair<int, bool>> updates;
    std::vector<int> expected;
};

struct Case {
    const char* name;
    int agents;
    std::vector<Round> rounds;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const Case cases[] = {
    {"EveryAgentStartsPresent", 4, {{{}, {0, 1, 2, 3}}}},
    {"LeavingAgentsDropOut", 5, {{{{1, false}, {3, false}}, {0, 2, 4}}}},
    {"ComersJoinInIndexOrderWhateverTheOrderTold",
     6,
     {{{{0, false}, {2, false}, {3, false}, {5, false}}, {1, 4}},
      {{{5, true}, {0, true}, {3, true}}, {0, 1, 3, 4, 5}}}},
    {"AnAgentThatLeftAndCameBackInOneRoundStays",
     3,
     {{{{1, false}, {1, true}}, {0, 1, 2}}, {{{2, false}, {2, true}, {2, false}}, {0, 1}}}},
    {"TellingTheStateAnAgentHasChangesNothing",
     3,
     {{{{0, true}, {2, false}, {2, false}}, {0, 1}}, {{{2, true}, {2, true}}, {0, 1, 2}}}},
    {"ALongCrowdComingAndGoingInTurn",
     8,
     {{{{2, false}, {3, false}, {4, false}, {5, false}, {6, false}, {7, false}}, {0, 1}},
      {{{0, false}, {2, true}, {3, true}}, {1, 2, 3}},
      {{{1, false}, {2, false}, {7, true}, {4, true}}, {3, 4, 7}}}},
};

class PresentListRounds : public testing::TestWithParam<Case> {};

}  // namespace

TEST_P(PresentListRounds, ListsThePresentAgentsInIndexOrder) {
    const Case& c = GetParam();
    PresentList list(static_cast<std::size_t>(c.agents));
    for (const Round& round : c.rounds) {
        for (const auto& update : round.updates) {
            list.update(static_cast<std::size_t>(update.first), update.second);
        }
        EXPECT_EQ(list.agents(), round.expected);
        EXPECT_EQ(list.size(), round.expected.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Updates, PresentListRounds, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });
