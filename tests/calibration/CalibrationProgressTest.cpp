#include <gtest/gtest.h>

#include <string>

#include "calibration/CalibrationProgress.h"

TEST(CalibrationProgress, DescribeCountsEvaluationsAndShowsTheTimeAsAClock) {
    struct Case {
        std::size_t evaluations;
        float best;
        float initial;
        double seconds;
        const char* position;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0.0f, 0.0f, 5.4, "", "starting, 0:00:05"},
        {1, 0.5f, 0.5f, 59.9, "", "1 evaluation, best 0.5 (initial 0.5), 0:00:59"},
        // 3725 s = 1 h + 2 min + 5 s.
        {2, 0.25f, 0.5f, 3725.0, "pass 1, entry 2 of 40",
         "2 evaluations, best 0.25 (initial 0.5), 1:02:05; pass 1, entry 2 of 40"},
        // 39541 s = 10 h + 59 min + 1 s.
        {1000, 0.125f, 1.0f, 39541.0, "", "1000 evaluations, best 0.125 (initial 1), 10:59:01"},
    };
    for (const Case& c : cases) {
        CalibrationProgress::Figures figures;
        figures.evaluations = c.evaluations;
        figures.bestCost = c.best;
        figures.initialCost = c.initial;
        figures.seconds = c.seconds;
        figures.position = c.position;
        EXPECT_EQ(CalibrationProgress::describe(figures), c.expected);
    }
}
