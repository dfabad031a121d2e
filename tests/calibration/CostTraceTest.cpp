#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "calibration/CostTrace.h"
#include "tests/support/ScratchFolder.h"

TEST(CostTrace, BestIsTheLowestNumberSoFarAndNotANumberNeverSticks) {
    const float nan = std::nanf("");
    CostTrace trace;
    for (const float cost : {nan, 3.0f, nan, 2.0f, 5.0f}) {
        trace.add(cost);
    }
    EXPECT_EQ(trace.bestCost(), 2.0f);
    ScratchFolder folder;
    std::string error;
    ASSERT_TRUE(trace.write(folder.file("trace.csv"), error)) << error;
    EXPECT_EQ(readFile(folder.file("trace.csv")),
              "evaluation,cost,best\n1,nan,nan\n2,3,3\n3,nan,3\n4,2,2\n5,5,2\n");
}
