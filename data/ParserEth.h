#pragma once

#include "data/ColumnParser.h"

/// Reader of annotated street-scene trajectories: one row "frame id x y" per line (blanks or
/// tabs between), or the eight-column form "frame id x z y vx vz vy". These files do not state
/// their frame rate, so it must be given.
class ParserEth : public ColumnParser {
public:
    ParserEth()
        : ColumnParser("txt", "eth", Layout{1, 0, 2, 3, 4, 4, "frame id x y"},
                       " The public street scenes are annotated 2.5 times per second, so frame "
                       "numbers that step by 10 mean --fps 25 and a step of 6 means --fps 15.") {}
};
