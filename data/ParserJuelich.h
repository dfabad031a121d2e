#pragma once

#include "data/ColumnParser.h"

/// Reader of trajectory text files as pedestrian tracking tools export them: one row
/// "id frame x y [z]" per line, blanks or tabs between, "#" comments that usually state the
/// frame rate ("# framerate: 16 fps") and the unit ("# id frame x/cm y/cm z/cm").
class ParserJuelich : public ColumnParser {
public:
    ParserJuelich()
        : ColumnParser("txt", "juelich", Layout{0, 1, 2, 3, 4, 5, "id frame x y [z]"},
                       std::string()) {}
};
